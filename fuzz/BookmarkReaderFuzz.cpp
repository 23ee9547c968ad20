// libFuzzer target for the bookmark file reader. For any bytes: reading never crashes, and
// reading them in small pieces (as from a pipe) gives the same bookmarks and message as
// reading them at once.
#include "BookmarkReader.h"
#include "TrickleDevice.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Outcome
{
    BookmarkReadResult result;
    std::vector<Bookmark> bookmarks;
};

Outcome read(QIODevice &in)
{
    Outcome out;
    out.result = ReadBookmarks(in, [&](Bookmark &&bookmark) { out.bookmarks.push_back(std::move(bookmark)); },
                               {1 << 20, 10000});
    return out;
}

bool same(const Outcome &a, const Outcome &b)
{
    if (a.result.ok != b.result.ok || a.result.message != b.result.message || a.bookmarks.size() != b.bookmarks.size())
        return false;
    for (std::size_t i = 0; i < a.bookmarks.size(); ++i) {
        const Bookmark &x = a.bookmarks[i];
        const Bookmark &y = b.bookmarks[i];
        if (x.title != y.title || x.url != y.url || x.tags != y.tags || x.folders != y.folders
            || x.moreFolders != y.moreFolders || x.description != y.description || x.line != y.line)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const qint64 piece = 1 + data[0] % 7;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    QBuffer whole;
    whole.setData(bytes);
    whole.open(QIODevice::ReadOnly);
    const Outcome atOnce = read(whole);
    TrickleDevice trickle(bytes, piece);
    const Outcome inPieces = read(trickle);
    if (!same(atOnce, inPieces)) {
        std::fprintf(stderr, "pieces of %lld bytes read differently: %s / %s\n", static_cast<long long>(piece),
                     atOnce.result.message.toUtf8().constData(), inPieces.result.message.toUtf8().constData());
        std::abort();
    }
    return 0;
}
