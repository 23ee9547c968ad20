#include "LinkCode.h"

#include "KeywordList.h"
#include "SiteList.h"

#include <cstring>
#include <vector>

namespace {

constexpr char kAnchorStart[] = "<A href=\"";
constexpr char kUrlEnd[] = "\">";
constexpr char kEntryEnd[] = "</A><BR>\r\n";
constexpr char kAnchorLineEnd[] = "</A>\r\n";
constexpr char kContentLineEnd[] = "<BR>\r\n";

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

template <class Out>
void appendEntry(Out &out, const SiteRecord &site, LinkCodeMode mode)
{
    appendUrl(out.append(kAnchorStart, length(kAnchorStart)), site.m_url).append(kUrlEnd, length(kUrlEnd));
    switch (mode) {
    case LinkCodeMode::Name:
        out.append(site.m_name).append(kEntryEnd, length(kEntryEnd));
        break;
    case LinkCodeMode::Content:
        out.append(site.m_content.isEmpty() ? site.m_name : site.m_content).append(kEntryEnd, length(kEntryEnd));
        break;
    case LinkCodeMode::NameAndContent:
        out.append(site.m_name).append(kAnchorLineEnd, length(kAnchorLineEnd));
        out.append(site.m_content).append(kContentLineEnd, length(kContentLineEnd));
        break;
    }
}

} // namespace

QByteArray BuildLinkCode(const SiteList &sites, const QByteArray &filter, LinkCodeMode mode,
                         const LinkExclusion &leftOut)
{
    std::vector<const SiteRecord *> all;
    all.reserve(sites.size());
    for (const SiteRecord &site : sites)
        all.push_back(&site);
    return BuildLinkCode(all, filter, mode, leftOut);
}

QByteArray BuildLinkCode(const std::vector<const SiteRecord *> &sites, const QByteArray &filter, LinkCodeMode mode,
                         const LinkExclusion &leftOut)
{
    // The sites are chosen once: an exclusion is a lookup per site, and the writing walk
    // need not repeat it.
    std::vector<const SiteRecord *> taken;
    taken.reserve(sites.size());
    // Sized first: a register's worth of code is megabytes, and growing it step by step costs
    // more than a second walk.
    SizeCounter size;
    for (const SiteRecord *site : sites) {
        if (SiteMatchesKeyword(*site, filter) && !(leftOut && leftOut(site->m_url))) {
            taken.push_back(site);
            appendEntry(size, *site, mode);
        }
    }
    QByteArray out;
    out.reserve(size.size);
    for (const SiteRecord *site : taken)
        appendEntry(out, *site, mode);
    return out;
}
