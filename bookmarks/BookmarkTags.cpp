#include "BookmarkTags.h"

#include "Bookmark.h"
#include "HtmlText.h"
#include "HtmlTokenizer.h"

#include <algorithm>

BookmarkTags SplitBookmarkTags(const QString &all)
{
    BookmarkTags tags;
    int emptyRun = 0; // empty tags after the last kept one, kept only if a tag follows
    for (qsizetype from = 0; from <= all.size();) {
        qsizetype comma = all.indexOf(u',', from);
        if (comma < 0)
            comma = all.size();
        const QStringView piece = QStringView(all).sliced(from, comma - from);
        const bool blank = std::all_of(piece.begin(), piece.end(), [](QChar c) {
            return c.unicode() < 0x80 && HtmlTokenizer::isBlank(char(c.unicode()));
        });
        if (tags.kept.size() + emptyRun >= Bookmark::kTagNames) {
            tags.more += blank ? 0 : 1;
        } else if (blank) {
            ++emptyRun;
        } else {
            for (; emptyRun > 0; --emptyRun)
                tags.kept.append(QString());
            tags.kept.append(HtmlText::decodeReferences(HtmlText::joinLines(piece.toString())));
        }
        from = comma + 1;
    }
    while (!tags.kept.isEmpty() && tags.kept.last().isEmpty())
        tags.kept.removeLast();
    return tags;
}
