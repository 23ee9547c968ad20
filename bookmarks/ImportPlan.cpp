#include "ImportPlan.h"

#include "CodePage.h"
#include "SiteEntry.h"
#include "SiteList.h"

#include <memory>

namespace {

// A register file over 16 MiB is refused when the register loads; a record stays far below.
constexpr qsizetype kMaxRecordBytes = 1024 * 1024;
constexpr int kKeywords = 3;

// What the register can hold of a bookmark's text: one line, and the no-break space (which
// CP932 lacks) as the blank it stands for. Line breaks come only from references here.
QString registerText(QString text)
{
    text.replace(QChar(0x00A0), u' ');
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    return text;
}

// The first character of `fields` that the register's code page cannot hold, as "（「x」U+XXXX）".
QString quoted(const QString &text)
{
    return QString::fromUtf8("「%1」").arg(text);
}

} // namespace

void ImportPlanner::add(const Bookmark &bookmark)
{
    const QString title = registerText(bookmark.title.isEmpty() ? bookmark.url : bookmark.title);
    const auto leaveOut = [&](const char *reason) {
        m_plan.notImported.push_back({bookmark.line, title, QString::fromUtf8(reason)});
    };
    if (bookmark.url.isEmpty())
        return leaveOut("URL がありません。");
    const qsizetype colon = bookmark.url.indexOf(u':');
    const QString scheme = colon > 0 ? bookmark.url.left(colon).toLower() : QString();
    if (scheme == QLatin1String("place"))
        return void(++m_plan.placeEntries);
    if (scheme == QLatin1String("javascript"))
        return void(++m_plan.scriptEntries);
    if (scheme == QLatin1String("data"))
        return void(++m_plan.dataEntries);

    QStringList keywords;
    KeywordsDropped dropped{title, {}, bookmark.moreFolders};
    const auto take = [&](const QString &keyword) {
        (keywords.size() < kKeywords ? keywords : dropped.dropped).append(keyword);
    };
    // A folder is taken once however often its name nests, and a tag that repeats a folder is
    // not taken again; the TAGS themselves are taken as written, repeats and empty places too
    // (a record may have the same keyword twice, or only a third one), except empty ones that
    // would not fit anyway.
    QStringList folders;
    for (const QString &folder : bookmark.folders) {
        const QString keyword = registerText(folder);
        if (!folders.contains(keyword)) {
            folders.append(keyword);
            take(keyword);
        }
    }
    for (const QString &tag : bookmark.tags) {
        const QString keyword = registerText(tag);
        if (keyword.isEmpty() ? keywords.size() < kKeywords : !folders.contains(keyword))
            take(keyword);
    }
    keywords.resize(kKeywords);

    const SiteFields fields{title, registerText(bookmark.url), keywords[0], keywords[1], keywords[2],
                            registerText(bookmark.description)};
    SiteRecord record;
    const FieldRefusal refusal = EncodeSiteFields(fields, record);
    if (!refusal.isEmpty()) {
        m_plan.notImported.push_back({bookmark.line, title, refusal.message});
        return;
    }
    const qsizetype bytes = record.m_name.size() + record.m_url.size() + record.m_keyword1.size()
        + record.m_keyword2.size() + record.m_keyword3.size() + record.m_content.size();
    if (bytes > kMaxRecordBytes)
        return leaveOut("長すぎて登録できません（1 MB まで）。");
    const auto alreadyThere = [&](bool inFile) {
        m_plan.alreadyThere.push_back({bookmark.line, title, fields.url, inFile});
        ++(inFile ? m_plan.repeatedInFile : m_plan.alreadyRegistered);
    };
    if (m_isKnown && m_isKnown(record.m_url))
        return alreadyThere(false);
    if (m_urls.contains(record.m_url))
        return alreadyThere(true);
    m_urls.insert(record.m_url);
    m_plan.records.push_back(std::move(record));
    if (!dropped.dropped.isEmpty() || dropped.more > 0)
        m_plan.keywordsDropped.push_back(std::move(dropped));
}

QStringList ImportPlan::counts() const
{
    const auto count = [](const char *label, int n) { return QString::fromUtf8(label).arg(n); };
    QStringList lines;
    lines << count("追加: %1 件", int(records.size()));

    QString registered = count("登録済み: %1 件", alreadyRegistered + repeatedInFile);
    if (repeatedInFile > 0)
        registered += count("（うちファイル内の重複 %1 件）", repeatedInFile);
    lines << registered;

    const int left = placeEntries + scriptEntries + dataEntries + int(notImported.size());
    QStringList why;
    if (placeEntries > 0)
        why << count("place: %1 件", placeEntries);
    if (scriptEntries > 0)
        why << count("javascript: %1 件", scriptEntries);
    if (dataEntries > 0)
        why << count("data: %1 件", dataEntries);
    if (!notImported.empty())
        why << count("取り込めないもの %1 件", int(notImported.size()));
    QString passedOver = count("見送り: %1 件", left);
    if (!why.isEmpty())
        passedOver += QString::fromUtf8("（%1）").arg(why.join(QString::fromUtf8("、")));
    lines << passedOver;
    if (!keywordsDropped.empty())
        lines << count("キーワードを 3 個に減らしたもの: %1 件", int(keywordsDropped.size()));
    return lines;
}

QStringList ImportPlan::details() const
{
    QStringList lines;
    for (const AlreadyThere &entry : alreadyThere)
        lines << QString::fromUtf8("%1（%2 行目）%3: %4")
                     .arg(QString::fromUtf8(entry.inFile ? "ファイル内の重複" : "登録済み"))
                     .arg(entry.line)
                     .arg(quoted(entry.title), entry.url);
    for (const NotImported &entry : notImported)
        lines << QString::fromUtf8("取り込めません（%1 行目）%2: %3")
                     .arg(entry.line)
                     .arg(quoted(entry.title), entry.reason);
    for (const KeywordsDropped &entry : keywordsDropped) {
        QStringList names;
        for (const QString &keyword : entry.dropped)
            names << quoted(keyword);
        if (entry.more > 0)
            names << QString::fromUtf8("ほかのフォルダー %1 個").arg(entry.more);
        lines << QString::fromUtf8("キーワードを外しました%1: %2")
                     .arg(quoted(entry.name), names.join(QString::fromUtf8("、")));
    }
    return lines;
}

QStringList ImportPlan::summary() const
{
    return counts() + details();
}

namespace {

// Reads with `read`, planning each bookmark as it comes; a failed read leaves the plan empty.
template <class Read>
BookmarkImport plan(const KnownUrl &isKnown, Read read)
{
    ImportPlanner planner(isKnown);
    BookmarkImport result;
    result.read = read([&](Bookmark &&bookmark) { planner.add(bookmark); });
    if (result.read.ok)
        result.plan = planner.take();
    return result;
}

} // namespace

BookmarkImport PlanBookmarkImport(QIODevice &in, const KnownUrl &isKnown, const BookmarkReadLimits &limits)
{
    return plan(isKnown, [&](const BookmarkSink &sink) { return ReadBookmarks(in, sink, limits); });
}

BookmarkImport PlanBookmarkFileImport(const QString &path, const KnownUrl &isKnown, const BookmarkReadLimits &limits)
{
    return plan(isKnown, [&](const BookmarkSink &sink) { return ReadBookmarkFile(path, sink, limits); });
}

KnownUrl RegisterUrls(const SiteList &sites)
{
    auto urls = std::make_shared<QSet<QByteArray>>();
    urls->reserve(qsizetype(sites.size()));
    for (const SiteRecord &record : sites)
        urls->insert(record.m_url);
    return [urls](const QByteArray &url) { return urls->contains(url); };
}
