#include "ImportPlan.h"

#include "BookmarkText.h"
#include "CodePage.h"
#include "KeywordList.h"
#include "OutsideText.h"
#include "SiteIdentity.h"
#include "SiteList.h"
#include "UrlCompletion.h"

#include <memory>

namespace {

// A register file over 16 MiB is refused when the register loads; a record stays far below.
constexpr qsizetype kMaxRecordBytes = 1024 * 1024;

// What the register can hold of a bookmark's text: one line, and the no-break space (which
// CP932 lacks) as the blank it stands for. Line breaks come only from references here. It is text
// from outside: cut to `limit`, without the controls that turn text around.
QString registerText(QString text, int limit = OutsideText::kMaxName)
{
    text.replace(QChar(0x00A0), u' ');
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return OutsideText::capped(text, limit);
}

QString quoted(const QString &text)
{
    return BookmarkText::tr("「%1」").arg(text);
}

// A text as a summary line names it.
QString named(const QString &text)
{
    return text.size() > ImportPlan::kNamedChars ? text.left(ImportPlan::kNamedChars) + BookmarkText::tr("…") : text;
}

bool listedIn(int listed)
{
    return listed < ImportPlan::kListed;
}

QString identityOf(const QByteArray &url)
{
    return SiteIdentity(CodePage::toText(url));
}

} // namespace

void ImportPlanner::add(const Bookmark &bookmark)
{
    // The URL as a browser reads it: "\x01javascript:" is a script to it, so it is one here.
    const QString url = BrowserUrlText(bookmark.url);
    const QString title = registerText(bookmark.title.isEmpty() ? url : bookmark.title);
    const auto leaveOut = [&](const QString &reason) {
        if (listedIn(int(m_plan.notImported.size())))
            m_plan.notImported.push_back({bookmark.line, named(title), named(reason)});
        else
            ++m_plan.notImportedUnlisted;
    };
    const auto tooLong = [&] { leaveOut(BookmarkText::tr("長すぎて登録できません（1 MB まで）。")); };
    if (bookmark.tooLong)
        return tooLong();
    if (url.isEmpty())
        return leaveOut(BookmarkText::tr("URL がありません。"));
    const QString scheme = UrlScheme(url);
    if (scheme == QLatin1String("place"))
        return void(++m_plan.placeEntries);
    if (scheme == QLatin1String("javascript"))
        return void(++m_plan.scriptEntries);
    if (scheme == QLatin1String("data"))
        return void(++m_plan.dataEntries);
    // A link collection points to web pages; file:, about:, a browser's own pages lead nowhere
    // for its readers.
    if (!IsWebScheme(scheme))
        return leaveOut(BookmarkText::tr("http・https・ftp の URL ではありません。"));
    if (LacksHost(url))
        return leaveOut(BookmarkText::tr("URL にホスト名がありません。"));

    // Each keyword in its first spelling, so that a folder "English" and the tag "english" are one.
    // The folders were read before the bookmark's tags (they enclose it), the outermost first.
    KeywordCandidates candidates;
    candidates.moreTags = bookmark.moreTags;
    candidates.moreFolders = bookmark.moreFolders;
    candidates.inTopFolder = bookmark.inTopFolder;
    for (auto folder = bookmark.folders.crbegin(); folder != bookmark.folders.crend(); ++folder)
        candidates.folders.insert(candidates.folders.begin(), m_keywords.of(registerText(*folder)));
    for (const QString &tag : bookmark.tags)
        candidates.tags.push_back(m_keywords.of(registerText(tag)));
    // The folders all links share so far: those this one lies in too.
    qsizetype shared = 0;
    while (shared < m_shared.size() && shared < bookmark.outerFolders.size() && m_shared[shared] == bookmark.outerFolders[shared])
        ++shared;
    m_shared = m_links++ == 0 ? bookmark.outerFolders : m_shared.first(shared);

    const QString description = registerText(bookmark.description, OutsideText::kMaxContent);

    // Names and contents are HTML in the register; a bookmark's are text, and stay text.
    SiteRecord record;
    record.SetName(CodePage::fromOutsideText(title));
    record.SetUrl(CodePage::urlFromText(url));
    record.SetContent(CodePage::fromOutsideText(description));
    // The register keeps when the browser says the link was made, not when it was read in.
    record.SetDates(bookmark.added, bookmark.changed);
    // Keywords are kept short (OutsideText::kMaxName each): name, URL and content decide.
    const qsizetype bytes = record.GetName().size() + record.GetUrl().size() + record.GetContent().size();
    if (bytes > kMaxRecordBytes)
        return tooLong();
    const auto alreadyThere = [&](bool inFile) {
        if (listedIn(int(m_plan.alreadyThere.size())))
            m_plan.alreadyThere.push_back({bookmark.line, named(title), named(url), inFile});
        else
            ++m_plan.alreadyThereUnlisted;
        ++(inFile ? m_plan.repeatedInFile : m_plan.alreadyRegistered);
    };
    if (m_isKnown && m_isKnown(record.GetUrl()))
        return alreadyThere(false);
    const QString site = identityOf(record.GetUrl());
    if (m_sites.contains(site))
        return alreadyThere(true);
    m_sites.insert(site);
    m_plan.records.push_back(record);
    m_plan.candidates.push_back(std::move(candidates));
    m_plan.names.push_back(named(title));
}

ImportPlan ImportPlanner::take(const BookmarkReadResult &read)
{
    // One link alone shares its folders with nobody: they are what it is about.
    m_plan.sharedFolders = {m_links > 1 ? int(m_shared.size()) : 0, read.topFoldersAreBrowsers};
    for (const KeywordCandidates &candidates : m_plan.candidates) {
        const ChosenKeywords tagsFirst = ChooseKeywords(candidates, m_plan.sharedFolders, ImportKeywordOrder::TagsFirst);
        const ChosenKeywords foldersFirst = ChooseKeywords(candidates, m_plan.sharedFolders, ImportKeywordOrder::FoldersFirst);
        m_plan.orderMatters += tagsFirst.bytes != foldersFirst.bytes ? 1 : 0;
    }
    m_plan.arrangeKeywords(ImportKeywordOrder::TagsFirst);
    return std::move(m_plan);
}

void ImportPlan::arrangeKeywords(ImportKeywordOrder order)
{
    keywordOrder = order;
    keywordsDropped.clear();
    keywordsDroppedUnlisted = droppedTags = droppedFolders = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const ChosenKeywords chosen = ChooseKeywords(candidates[i], sharedFolders, order);
        records.setKeywords(i, chosen.bytes);
        droppedTags += chosen.droppedTags;
        droppedFolders += chosen.droppedFolders;
        if (!chosen.cut())
            continue;
        if (!listedIn(int(keywordsDropped.size()))) {
            ++keywordsDroppedUnlisted;
            continue;
        }
        KeywordsDropped dropped{names[i], {}, chosen.moreFolders, chosen.moreTags};
        for (const QString &keyword : chosen.dropped)
            dropped.dropped.append(named(keyword));
        keywordsDropped.push_back(std::move(dropped));
    }
}

QStringList ImportPlan::counts() const
{
    const auto count = [](const QString &label, int n) { return label.arg(n); };
    QStringList lines;
    lines << count(BookmarkText::tr("追加: %1 件"), int(records.size()));

    QString registered = count(BookmarkText::tr("登録済み: %1 件"), alreadyRegistered + repeatedInFile);
    if (repeatedInFile > 0)
        registered += count(BookmarkText::tr("（うちファイル内の重複 %1 件）"), repeatedInFile);
    lines << registered;

    const int refused = int(notImported.size()) + notImportedUnlisted;
    const int cut = int(keywordsDropped.size()) + keywordsDroppedUnlisted;
    const int left = placeEntries + scriptEntries + dataEntries + refused;
    QStringList why;
    if (placeEntries > 0)
        why << count(BookmarkText::tr("place: %1 件"), placeEntries);
    if (scriptEntries > 0)
        why << count(BookmarkText::tr("javascript: %1 件"), scriptEntries);
    if (dataEntries > 0)
        why << count(BookmarkText::tr("data: %1 件"), dataEntries);
    if (refused > 0)
        why << count(BookmarkText::tr("取り込めないもの %1 件"), refused);
    QString passedOver = count(BookmarkText::tr("見送り: %1 件"), left);
    if (!why.isEmpty())
        passedOver += BookmarkText::tr("（%1）").arg(why.join(BookmarkText::tr("、")));
    lines << passedOver;
    if (cut > 0) {
        QString line = count(BookmarkText::tr("キーワードを 3 個に減らしたもの: %1 件"), cut)
            + BookmarkText::tr("（入らなかったタグ %1 個、フォルダー %2 個").arg(droppedTags).arg(droppedFolders);
        if (orderMatters > 0)
            line += keywordOrder == ImportKeywordOrder::TagsFirst ? BookmarkText::tr("。タグを先にしました")
                                                                  : BookmarkText::tr("。フォルダーを先にしました");
        lines << line + BookmarkText::tr("）");
    }
    return lines;
}

QStringList ImportPlan::details() const
{
    QStringList lines;
    for (const AlreadyThere &entry : alreadyThere)
        lines << BookmarkText::tr("%1（%2 行目）%3: %4")
                     .arg(entry.inFile ? BookmarkText::tr("ファイル内の重複") : BookmarkText::tr("登録済み"), QString::number(entry.line),
                          quoted(entry.title), entry.url);
    for (const NotImported &entry : notImported)
        lines << BookmarkText::tr("取り込めません（%1 行目）%2: %3")
                     .arg(QString::number(entry.line), quoted(entry.title), entry.reason);
    for (const KeywordsDropped &entry : keywordsDropped) {
        QStringList names;
        for (const QString &keyword : entry.dropped)
            names << quoted(keyword);
        if (entry.more > 0)
            names << BookmarkText::tr("ほかのフォルダー %1 個").arg(entry.more);
        if (entry.moreTags > 0)
            names << BookmarkText::tr("ほかのタグ %1 個").arg(entry.moreTags);
        lines << BookmarkText::tr("キーワードを外しました%1: %2")
                     .arg(quoted(entry.name), names.join(BookmarkText::tr("、")));
    }
    if (const int unlisted = alreadyThereUnlisted + notImportedUnlisted + keywordsDroppedUnlisted; unlisted > 0)
        lines << BookmarkText::tr("ほか %1 件").arg(unlisted);
    return lines;
}

QStringList ImportPlan::summary() const
{
    return counts() + details();
}

namespace {

// Reads with `read`, planning each bookmark as it comes; a failed read leaves the plan empty.
template <class Read>
BookmarkImport plan(const KnownSites &known, Read read)
{
    ImportPlanner planner(known);
    BookmarkImport result;
    result.read = read([&](Bookmark &&bookmark) { planner.add(bookmark); });
    if (result.read.ok)
        result.plan = planner.take(result.read);
    return result;
}

} // namespace

BookmarkImport PlanBookmarkImport(QIODevice &in, const KnownSites &known, const BookmarkReadLimits &limits)
{
    return plan(known, [&](const BookmarkSink &sink) { return ReadBookmarks(in, sink, limits); });
}

BookmarkImport PlanBookmarkFileImport(const QString &path, const KnownSites &known, const BookmarkReadLimits &limits)
{
    return plan(known, [&](const BookmarkSink &sink) { return ReadBookmarkFile(path, sink, limits); });
}

KnownUrl RegisterUrls(const SiteList &sites)
{
    auto known = std::make_shared<QSet<QString>>();
    known->reserve(qsizetype(sites.size()));
    for (const SiteRecord &record : sites)
        known->insert(identityOf(record.GetUrl()));
    return [known](const QByteArray &url) { return known->contains(identityOf(url)); };
}

KnownSites RegisterKnown(const SiteList &sites)
{
    KeywordList keywords = BuildKeywordList(sites);
    keywords.erase(keywords.begin()); // kAllKeywords, which no site has
    return {RegisterUrls(sites), std::move(keywords)};
}
