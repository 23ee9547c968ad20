#include "LinkPreview.h"

LinkPreview::LinkPreview(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setAccessibleName(QString::fromUtf8("プレビュー"));
}

QVariant LinkPreview::loadResource(int, const QUrl &)
{
    return {};
}

void LinkPreview::showCode(const QString &code)
{
    // A link clicked before would otherwise stay marked in the next collection.
    clearHistory();
    setHtml(code);
}
