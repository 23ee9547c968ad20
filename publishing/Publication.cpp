#include "Publication.h"

#include "PublishWriter.h"
#include "PublishingText.h"
#include "RegionCode.h"
#include "SiteFeeds.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

// Every HTML file in `folder` and below, in name order; hidden files and folders and symbolic
// links passed over.
void htmlFilesIn(const QString &folder, QStringList &files)
{
    const QDir dir(folder);
    for (const QFileInfo &file : dir.entryInfoList({QStringLiteral("*.html"), QStringLiteral("*.htm")},
                                                   QDir::Files | QDir::NoSymLinks, QDir::Name))
        files << file.absoluteFilePath();
    for (const QFileInfo &sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name))
        htmlFilesIn(sub.absoluteFilePath(), files);
}

// One spelling of a path, whatever way reached it.
QString pathKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// `target` as a link from a file in the folder of `from`: relative, so that it holds wherever the
// site is served, and percent-encoded as an href wants it.
QString hrefFrom(const QString &from, const QString &target)
{
    if (target.isEmpty())
        return QString();
    const QString relative = QFileInfo(from).absoluteDir().relativeFilePath(QFileInfo(target).absoluteFilePath());
    return QString::fromLatin1(QUrl::toPercentEncoding(relative, "/-._~!$&'()*+,;=:@"));
}

// The first entry of `kind`'s file, or "".
QString firstOf(const std::vector<PageEntry> &entries, PageEntry::Kind kind)
{
    const auto found = std::find_if(entries.begin(), entries.end(), [kind](const PageEntry &e) { return e.kind == kind; });
    return found == entries.end() ? QString() : found->path;
}

} // namespace

Publication::Publication() : m_folders(std::make_unique<PageFolders>()) {}
Publication::Publication(Publication &&) noexcept = default;
Publication &Publication::operator=(Publication &&) noexcept = default;
Publication::~Publication() = default;

Publication Publication::plan(const std::vector<PageEntry> &entries, const LinkSource &source)
{
    Publication publication;
    // A file named by an entry of its own is that entry's, even where a folder before it holds it.
    QSet<QString> named, planned;
    for (const PageEntry &entry : entries) {
        if (entry.kind != PageEntry::Kind::Marked || !QFileInfo(entry.path).isDir())
            named.insert(pathKey(entry.path));
    }
    // The pages link the feed, and the feed the page of our own.
    const QString feed = firstOf(entries, PageEntry::Kind::Feed), ownPage = firstOf(entries, PageEntry::Kind::OwnPage);
    const auto planPage = [&](const PageEntry &entry, const QString &path, bool inFolder) {
        if (planned.contains(pathKey(path)))
            return;
        PublishedFile file;
        file.path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        file.status = PublishedFile::Status::Refused;
        Planned page;
        const PageFolders::Read current = publication.m_folders->read(path);
        ComposedPage composed;
        PageSettings settings = entry.settings;
        settings.feedHref = hrefFrom(path, feed);
        if (!current.io) {
            file.reason = current.io.reason;
        } else if (entry.kind == PageEntry::Kind::Feed || entry.kind == PageEntry::Kind::Blogroll) {
            const FeedSettings feedSettings{entry.settings.title, QFileInfo(path).fileName(), hrefFrom(path, ownPage),
                                            entry.settings.defaults.recentCount};
            composed.bytes = entry.kind == PageEntry::Kind::Feed ? BuildAtomFeed(source, feedSettings)
                                                                 : BuildOpmlBlogroll(source, feedSettings);
        } else if (entry.kind == PageEntry::Kind::OwnPage) {
            QByteArray pageTemplate = DefaultPageTemplate();
            if (!entry.templatePath.isEmpty()) {
                QFile own(entry.templatePath);
                pageTemplate = own.open(QIODevice::ReadOnly) ? own.readAll() : QByteArray();
                if (own.error() != QFile::NoError)
                    file.reason = PublishingText::tr("ひな形「%1」を読めません（%2）。").arg(entry.templatePath, own.errorString());
            }
            if (file.reason.isEmpty())
                composed = ComposeOwnPage(pageTemplate, current.exists ? &current.bytes : nullptr, source, settings);
        } else if (!current.exists) {
            file.reason = PublishingText::tr("ページがありません。");
        } else {
            composed = ComposeMarkedPage(current.bytes, source, settings);
            if (inFolder && composed.unmarked)
                return;
        }
        planned.insert(pathKey(path));
        file.size = current.bytes.size();
        if (file.reason.isEmpty() && !composed.ok())
            file.reason = composed.refusal;
        if (file.reason.isEmpty()) {
            file.warnings = composed.warnings;
            file.changes = composed.changes;
            if (current.exists && composed.bytes == current.bytes) {
                file.status = PublishedFile::Status::Unchanged;
            } else if (const QString refusal = publication.m_folders->writeRefusal(path); !refusal.isEmpty()) {
                file.reason = refusal;
            } else {
                file.status = PublishedFile::Status::Changed;
                file.size = composed.bytes.size();
                page = {current.exists, current.bytes, std::move(composed.bytes)};
            }
        }
        publication.m_files.push_back(std::move(file));
        publication.m_planned.push_back(std::move(page));
    };
    for (const PageEntry &entry : entries) {
        if (entry.kind == PageEntry::Kind::Marked && QFileInfo(entry.path).isDir()) {
            QStringList files;
            htmlFilesIn(entry.path, files);
            for (const QString &path : files) {
                if (!named.contains(pathKey(path)))
                    planPage(entry, path, true);
            }
        } else {
            planPage(entry, entry.path, false);
        }
    }
    return publication;
}

bool Publication::anyRefused() const
{
    return std::any_of(m_files.begin(), m_files.end(), [](const PublishedFile &f) { return f.status == PublishedFile::Status::Refused; });
}

bool Publication::anyChanged() const
{
    return std::any_of(m_files.begin(), m_files.end(), [](const PublishedFile &f) { return f.status == PublishedFile::Status::Changed; });
}

void Publication::write()
{
    if (m_written)
        return;
    m_written = true;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        PublishedFile &file = m_files[i];
        Planned &page = m_planned[i];
        if (file.status != PublishedFile::Status::Changed) {
            m_folders->tidy(file.path);
            continue;
        }
        IoResult failure;
        const PageFolders::Outcome outcome = m_folders->write(file.path, page.existed ? &page.before : nullptr, page.after, failure);
        switch (outcome) {
        case PageFolders::Outcome::Written:
            file.written = true;
            break;
        case PageFolders::Outcome::AlreadyThere:
            file.status = PublishedFile::Status::Unchanged;
            break;
        case PageFolders::Outcome::ChangedMeanwhile:
            file.reason = PublishingText::tr("読み込んだ後でほかのプログラムがこのページを変えました。そちらを残し、書き込んでいません。");
            break;
        case PageFolders::Outcome::Gone:
            file.reason = PublishingText::tr("読み込んだ後でこのページがなくなりました。");
            break;
        case PageFolders::Outcome::Taken:
            file.reason = PublishingText::tr("書き込む前に、ほかのプログラムが同じ名前のファイルを作りました。そちらを残しました。");
            break;
        case PageFolders::Outcome::Failed:
            file.reason = failure.reason;
            break;
        }
        if (!file.written && file.status == PublishedFile::Status::Changed) {
            file.status = PublishedFile::Status::Refused;
            file.size = 0;
        }
        page = {};
    }
}

std::vector<SiteFile> Publication::filesToUpload(bool withDigests) const
{
    std::vector<SiteFile> files;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const PublishedFile &file = m_files[i];
        if (file.status == PublishedFile::Status::Refused)
            continue;
        QByteArray digest;
        if (withDigests) {
            // Planned bytes are kept only while unwritten; a written or unchanged page is its file.
            const bool inMemory = file.status == PublishedFile::Status::Changed && !file.written;
            digest = inMemory ? QCryptographicHash::hash(m_planned[i].after, QCryptographicHash::Sha256) : FileDigest(file.path);
        }
        files.push_back({file.path, digest});
    }
    return files;
}

QByteArray FileDigest(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
}

QString DescribeChanges(const SiteChanges &changes)
{
    return PublishingText::tr("追加 %1、削除 %2、変更 %3").arg(changes.added).arg(changes.removed).arg(changes.changed);
}
