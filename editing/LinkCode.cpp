#include "LinkCode.h"

#include "KeywordList.h"
#include "SiteList.h"

#include <cstring>
#include <vector>

namespace {

constexpr char kAnchorStart[] = "<A href=\"";
constexpr char kUrlEnd[] = "\">";
constexpr char kAnchorEnd[] = "</A>";
constexpr char kMarkBlank[] = " ";
constexpr char kLineEnd[] = "\r\n";
constexpr char kEntryEnd[] = "<BR>\r\n";

template <std::size_t N>
constexpr qsizetype length(const char (&)[N])
{
    return qsizetype(N - 1);
}

// A '"' would end the href attribute and let the rest of the URL run on as markup; written as
// %22 it stays part of the address and means the same to the server. (0x22 is never the trail
// byte of a double-byte character, so the bytes can be searched as they are.)
constexpr char kQuote = '"';
constexpr char kEscapedQuote[] = "%22";

// Counts what appendEntry would write, so that the sizing walk and the writing walk cannot
// disagree about the pieces of an entry.
struct SizeCounter
{
    qsizetype size = 0;
    SizeCounter &append(const char *, qsizetype count)
    {
        size += count;
        return *this;
    }
    SizeCounter &append(const QByteArray &bytes)
    {
        size += bytes.size();
        return *this;
    }
};

template <class Out>
Out &appendUrl(Out &out, const QByteArray &url)
{
    const char *from = url.constData();
    const char *const end = from + url.size();
    const void *quote = std::memchr(from, kQuote, std::size_t(url.size()));
    if (!quote)
        return out.append(url);
    for (; quote; quote = std::memchr(from, kQuote, std::size_t(end - from))) {
        const char *at = static_cast<const char *>(quote);
        out.append(from, at - from).append(kEscapedQuote, length(kEscapedQuote));
        from = at + 1;
    }
    return out.append(from, end - from);
}

// `mark`: the 新着 mark after the link, or null.
template <class Out>
void appendEntry(Out &out, const SiteRecord &site, LinkCodeMode mode, const QByteArray *mark)
{
    appendUrl(out.append(kAnchorStart, length(kAnchorStart)), site.GetUrl()).append(kUrlEnd, length(kUrlEnd));
    out.append(mode == LinkCodeMode::Content && !site.GetContent().isEmpty() ? site.GetContent() : site.GetName());
    out.append(kAnchorEnd, length(kAnchorEnd));
    if (mark)
        out.append(kMarkBlank, length(kMarkBlank)).append(*mark);
    if (mode == LinkCodeMode::NameAndContent)
        out.append(kLineEnd, length(kLineEnd)).append(site.GetContent());
    out.append(kEntryEnd, length(kEntryEnd));
}

} // namespace

QByteArray BuildLinkCode(const SiteList &sites, const QByteArray &filter, LinkCodeMode mode,
                         const LinkExclusion &leftOut, const NewSiteMark &newMark)
{
    std::vector<const SiteRecord *> all;
    all.reserve(sites.size());
    for (const SiteRecord &site : sites)
        all.push_back(&site);
    return BuildLinkCode(all, filter, mode, leftOut, newMark);
}

QByteArray BuildLinkCode(const std::vector<const SiteRecord *> &sites, const QByteArray &filter, LinkCodeMode mode,
                         const LinkExclusion &leftOut, const NewSiteMark &newMark)
{
    // The sites are chosen once: an exclusion is a lookup per site, and the writing walk
    // need not repeat it.
    std::vector<const SiteRecord *> taken;
    taken.reserve(sites.size());
    const auto markOf = [&newMark](const SiteRecord &site) { return newMark.marks(site) ? &newMark.html : nullptr; };
    // Sized first: a register's worth of code is megabytes, and growing it step by step costs
    // more than a second walk.
    SizeCounter size;
    for (const SiteRecord *site : sites) {
        if (SiteMatchesKeyword(*site, filter) && !(leftOut && leftOut(site->GetUrl()))) {
            taken.push_back(site);
            appendEntry(size, *site, mode, markOf(*site));
        }
    }
    QByteArray out;
    out.reserve(size.size);
    for (const SiteRecord *site : taken)
        appendEntry(out, *site, mode, markOf(*site));
    return out;
}
