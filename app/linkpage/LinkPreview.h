#pragma once

#include <QTextBrowser>

// The link collection as a page would show it. It is a picture, not a browser: links are shown
// and never followed, and nothing the code names (images, style sheets, local files) is loaded,
// so a collection cannot make the program read files or reach the network. Only the code's first
// lines are laid out, and code nested too deep for a quick layout gets a notice instead.
class LinkPreview : public QTextBrowser
{
    Q_OBJECT
public:
    explicit LinkPreview(QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;

    // The notice shown where the code is too complex to lay out.
    static QString tooComplexNotice();

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
