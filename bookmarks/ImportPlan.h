#pragma once

#include "Bookmark.h"
#include "BookmarkReader.h"
#include "ImportKeywords.h"
#include "KeywordSpellings.h"
#include "PlannedRecords.h"
#include "SiteRecord.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>

#include <functional>
#include <vector>

class QIODevice;

// A bookmark that could not become a record, and why (in Japanese).
struct NotImported
{
    qint64 line = 0;
    QString title;
    QString reason;
};

// A bookmark whose URL was there already: in the register, or earlier in the same file.
struct AlreadyThere
{
    qint64 line = 0;
    QString title;
    QString url;
    bool inFile = false;
};

// A bookmark that had more than three keywords: the ones left out, nearest folders first.
struct KeywordsDropped
{
    QString name;
    QStringList dropped;
    int more = 0;     // further enclosing folders, not named one by one
    int moreTags = 0; // further tags, not named one by one
};

// What an import would do: the records to add, in file order, and everything else counted.
struct ImportPlan
{
    PlannedRecords records;
    // What each record may take as keywords, and the folders no record is told apart by; the
    // records' keywords are chosen from them in `keywordOrder`.
    std::vector<KeywordCandidates> candidates;
    std::vector<QString> names; // each record's, as the summary names it
    SharedFolders sharedFolders;
    ImportKeywordOrder keywordOrder = ImportKeywordOrder::TagsFirst;
    // The records whose keywords depend on the order: their tags and folders are more than three.
    int orderMatters = 0;
    int droppedTags = 0;    // tags left out, over all records
    int droppedFolders = 0; // folders left out, over all records
    int alreadyRegistered = 0; // the URL is in the register
    int repeatedInFile = 0;    // the same site came earlier in the same file
    int placeEntries = 0;      // place: (a browser's saved searches and history views)
    int scriptEntries = 0;     // javascript: (bookmarklets)
    int dataEntries = 0;       // data:
    // The bookmarks already there, left out or cut short: the first kListed of each kind named
    // (their texts cut to kNamedChars), the others only counted, so that a file of millions of
    // them costs little.
    static constexpr int kListed = 100;
    static constexpr qsizetype kNamedChars = 200;
    std::vector<AlreadyThere> alreadyThere; // the registered and repeated ones, in file order
    std::vector<NotImported> notImported;
    std::vector<KeywordsDropped> keywordsDropped;
    int alreadyThereUnlisted = 0;
    int notImportedUnlisted = 0;
    int keywordsDroppedUnlisted = 0;

    // Chooses every record's keywords in `order` (the summary's lists and counts with them).
    void arrangeKeywords(ImportKeywordOrder order);

    // The counts, one line each.
    QStringList counts() const;
    // A line for each bookmark already there, left out or cut short.
    QStringList details() const;
    // The counts, then the details.
    QStringList summary() const;
};

// Whether a URL (in register bytes) is in the register already: the caller's duplicate rule.
using KnownUrl = std::function<bool(const QByteArray &url)>;

// What an import is told of the register: whether it holds a URL already, and its keywords
// (register bytes, first seen first), whose spelling a bookmark's keyword alike takes.
struct KnownSites
{
    KnownSites(KnownUrl url = {}, std::vector<QByteArray> registered = {})
        : isKnown(std::move(url)), keywords(std::move(registered))
    {
    }
    KnownUrl isKnown;
    std::vector<QByteArray> keywords;
};

class SiteList;
// The register's duplicate rule: a URL is known when a record of `sites` leads to the same site
// (SiteIdentity: "https://GitHub.com:443" is "https://github.com/").
KnownUrl RegisterUrls(const SiteList &sites);
// That rule and the keywords of `sites`.
KnownSites RegisterKnown(const SiteList &sites);

// Turns bookmarks into records one by one. Name = title (the URL when there is none) and content
// = the description, both escaped as HTML (CodePage::fromOutsideText); keywords = the TAGS, then
// the nearest folders (or the other way round, see ChooseKeywords), three at most, each spelt as
// first seen (KeywordSpellings), once the whole file is read: folders every link of the file lies
// in tell none apart and give no keyword; URL = its stored form. Only http, https and ftp URLs
// that name a host are taken.
class ImportPlanner
{
public:
    explicit ImportPlanner(const KnownSites &known) : m_isKnown(known.isKnown), m_keywords(known.keywords) {}

    void add(const Bookmark &bookmark);
    // The plan so far; its records have their keywords once it is taken.
    const ImportPlan &plan() const { return m_plan; }
    // The plan, with the keywords chosen tags first, once the file `read` said what it was.
    ImportPlan take(const BookmarkReadResult &read = {});

private:
    KnownUrl m_isKnown;
    KeywordSpellings m_keywords;
    ImportPlan m_plan;
    QSet<QString> m_sites; // the SiteIdentity of each record planned
    // The named folders every web link so far lies in, outermost first.
    QList<int> m_shared;
    int m_links = 0;
};

// Reading and planning in one pass. When the file cannot be read, the plan is empty: nothing of
// a broken file is ever imported.
struct BookmarkImport
{
    BookmarkReadResult read;
    ImportPlan plan;
};
BookmarkImport PlanBookmarkImport(QIODevice &in, const KnownSites &known, const BookmarkReadLimits &limits = {});
BookmarkImport PlanBookmarkFileImport(const QString &path, const KnownSites &known,
                                      const BookmarkReadLimits &limits = {});
