#pragma once

#include <QTextBrowser>

// The link collection as a page would show it. It is a picture, not a browser: links are shown
// and never followed, and nothing the code names (images, style sheets, local files) is loaded,
// so a collection cannot make the program read files or reach the network.
class LinkPreview : public QTextBrowser
{
    Q_OBJECT
public:
    // The preview shows the code's first lines only: laying out a whole register of thousands
    // of sites as a page takes seconds, for every change of keyword or mode.
    static constexpr int kMaxLines = 400;

    explicit LinkPreview(QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;

public slots:
    void showCode(const QString &code);

protected:
    // A hidden preview is brought up to date when it is shown, not at every change.
    void showEvent(QShowEvent *event) override;

private:
    void render();

    QString m_code;
    bool m_stale = false;
};
