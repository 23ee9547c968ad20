#include "LinkCode.h"

#include "KeywordList.h"
#include "SiteList.h"

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
void appendEntry(Out &out, const SiteRecord &site, LinkCodeMode mode)
{
    out.append(kAnchorStart, length(kAnchorStart)).append(site.m_url).append(kUrlEnd, length(kUrlEnd));
    switch (mode) {
    case LinkCodeMode::Name:
        out.append(site.m_name).append(kEntryEnd, length(kEntryEnd));
        break;
    case LinkCodeMode::Content:
        out.append(site.m_content).append(kEntryEnd, length(kEntryEnd));
        break;
    case LinkCodeMode::NameAndContent:
        out.append(site.m_name).append(kAnchorLineEnd, length(kAnchorLineEnd));
        out.append(site.m_content).append(kContentLineEnd, length(kContentLineEnd));
        break;
    }
}

} // namespace

QByteArray BuildLinkCode(const SiteList &sites, const QByteArray &filter, LinkCodeMode mode)
{
    auto taken = [&](const SiteRecord &site) { return SiteMatchesKeyword(site, filter); };
    // Sized first: a register's worth of code is megabytes, and growing it step by step costs
    // more than a second walk.
    SizeCounter size;
    for (const SiteRecord &site : sites) {
        if (taken(site))
            appendEntry(size, site, mode);
    }
    QByteArray out;
    out.reserve(size.size);
    for (const SiteRecord &site : sites) {
        if (taken(site))
            appendEntry(out, site, mode);
    }
    return out;
}
