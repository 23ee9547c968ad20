#include "CliFetch.h"

#include "CliText.h"
#include "OutsideText.h"
#include "PageFetch.h"

#include <QEventLoop>

QString FillFromPage(SiteFields &fields)
{
    PageFetch fetch(fields.url);
    PageDetails details;
    bool done = false;
    QEventLoop loop;
    QObject::connect(&fetch, &PageFetch::finished, &loop, [&](const PageDetails &got) {
        details = got;
        done = true;
        loop.quit();
    });
    fetch.start();
    // The fetch's own deadline ends it; `finished` may have come within start().
    if (!done)
        loop.exec();
    if (!details.ok)
        return CliText::tr("ページを読めませんでした：") + details.message;
    const auto fill = [](QString &field, const QString &text) {
        if (field.trimmed().isEmpty() && !text.isEmpty())
            field = OutsideFieldText(text);
    };
    fill(fields.name, OutsideText::name(details.title));
    fill(fields.content, OutsideText::content(details.description));
    return details.title.isEmpty() ? CliText::tr("ページにタイトルがありません。") : QString();
}
