#pragma once

#include <QTextBrowser>

// The link collection as a page would show it. It is a picture, not a browser: links are shown
// and never followed, and nothing the code names (images, style sheets, local files) is loaded,
// so a collection cannot make the program read files or reach the network.
class LinkPreview : public QTextBrowser
{
    Q_OBJECT
public:
    explicit LinkPreview(QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;

public slots:
    void showCode(const QString &code);
};
