// libFuzzer target for what a sync peer with write access controls: the names in the register
// folder and what they hold. Each input is a folder listing, one entry a line, "NAME" or
// "NAME<tab>PAYLOAD": a record named PAYLOAD (its URL counted per entry), "=N" a setting.ini of
// count N, "#N" a file of N bytes (sparse, up to 32 MiB), "@" a folder, "~" a link. The folder is
// made in memory, the note of the register's sites written from it, and a take-in and an add run
// over it, as the command line does. For any folder:
// - nothing crashes, and no note, buffer or loop grows with a number in a name or a count;
// - every record any data file or copy held is listed afterwards (records and what is pending);
// - the count written lies within reach of what the folder held (a far number is never counted in);
// - the notes outside the folder are no larger than a few entries per file, and the note of the
//   sites, where it is good, names exactly the records that lead to each site.
#include "ConflictCopyName.h"
#include "CopyTakeIn.h"
#include "FarNumbers.h"
#include "IniDocument.h"
#include "RegisterFiles.h"
#include "RegisterFolder.h"
#include "RegisterOperation.h"
#include "SiteDigestNote.h"
#include "SiteIdentityNote.h"
#include "SiteTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include <unistd.h>

namespace {

constexpr int kMostEntries = 48;
constexpr qint64 kMostSize = 32 * 1024 * 1024;

[[noreturn]] void fail(const char *what, const std::string &detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

QString base()
{
    static const QString path = [] {
        const QString shm = QStringLiteral("/dev/shm");
        return QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
    }();
    return path;
}

std::string numbersText(const std::vector<int> &numbers)
{
    std::string text;
    for (int number : numbers)
        text += (text.empty() ? "" : " ") + std::to_string(number);
    return "[" + text + "]";
}

QByteArray ReadWhole(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 bytesUnder(const QString &path)
{
    qint64 total = 0;
    for (QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        it.next();
        if (!it.fileInfo().isSymLink())
            total += it.fileInfo().size();
    }
    return total;
}

// Every record a data file or a copy holds as the files stand (but for two spellings of one number,
// of which every reader reads one alone).
std::set<QByteArray> held(const QString &dir)
{
    std::set<QByteArray> texts;
    const QFileInfoList files = QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    std::map<int, int> spellings; // of every kind of name: a folder may take the number's spelling
    for (const QFileInfo &file : files)
        ++spellings[DataFileNumber(file.fileName())];
    for (const QFileInfo &file : files) {
        const int number = DataFileNumber(file.fileName());
        const bool data = number > 0 && spellings[number] == 1;
        if (!file.isFile() || file.isSymLink() || file.size() > RegisterFolder::kMaxFileSize
            || !(data || DataFileNumber(ConflictCopyName::parse(file.fileName()).original) > 0))
            continue;
        SiteRecord record;
        record.ReadFrom(IniDocument::parse(ReadWhole(file.filePath())));
        texts.insert(TextsKey(record));
    }
    return texts;
}

// What a load, and a listing of what is pending, show; a register that cannot be read at all (its
// setting.ini a folder, say), which nothing may change, by what its files hold.
std::multiset<QByteArray> listed(RegisterFolder &folder, const QString &dir, int &count)
{
    std::multiset<QByteArray> texts;
    const Reading<LoadedRegister> loaded = RegisterFiles(folder).load();
    if (!loaded) {
        const std::set<QByteArray> files = held(dir);
        return {files.begin(), files.end()};
    }
    count = loaded.value.count;
    for (const SiteRecord &record : loaded.value.sites)
        texts.insert(TextsKey(record));
    std::vector<ConflictCopy> copies;
    SiteList above;
    CopyTakeIn(folder).pending(loaded.value.sites, copies, above);
    for (const ConflictCopy &copy : copies)
        texts.insert(TextsKey(copy.record));
    for (const SiteRecord &record : above)
        texts.insert(TextsKey(record));
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    InstallSiteIdentityNote();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QTemporaryDir state(base() + QStringLiteral("/folder-survey-state-XXXXXX"));
    QTemporaryDir dir(base() + QStringLiteral("/folder-survey-XXXXXX"));
    if (!state.isValid() || !dir.isValid())
        return 0;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    const QList<QByteArray> lines = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).split('\n');

    // The folder.
    std::vector<int> numbers; // of data files, and counts
    int entries = 0;
    for (const QByteArray &line : lines) {
        const QString name = QString::fromUtf8(line.left(line.indexOf('\t')));
        const QByteArray payload = line.contains('\t') ? line.mid(line.indexOf('\t') + 1) : QByteArray();
        if (name.isEmpty() || name.contains(u'/') || name.contains(QChar()) || name == u"." || name == u".."
            || QFile::encodeName(name).size() > 255 || entries >= kMostEntries)
            continue;
        ++entries;
        const QString path = dir.path() + u'/' + name;
        const QByteArray encoded = QFile::encodeName(path);
        QByteArray bytes;
        if (payload == "@") {
            QDir().mkdir(path);
        } else if (payload == "~") {
            (void)::symlink("setting.ini", encoded.constData());
        } else if (payload.startsWith('#')) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.resize(std::min(kMostSize, qMax(0LL, payload.mid(1).toLongLong())));
        } else {
            bytes = payload.startsWith('=') ? "[SETTING]\r\nDATA_CNT=" + payload.mid(1) + "\r\n"
                                            : "[DATA]\r\nNAME=" + payload + "\r\nURL=http://example.jp/" + QByteArray::number(entries) + "\r\n";
            QFile file(path);
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write(bytes);
            const int count = CountInSetting(IniDocument::parse(bytes));
            if (payload.startsWith('=') && count >= 0)
                numbers.push_back(count);
        }
        if (const int number = DataFileNumber(name))
            numbers.push_back(number);
    }
    // What a peer meant by it: every record a data file or a copy holds.
    std::set<QByteArray> meant = held(dir.path());

    RegisterFolder folder(QFile::encodeName(dir.path()));
    if (!folder.open(RegisterFolder::Missing::ReadsEmpty))
        return 0;
    const Reading<LoadedRegister> before = RegisterFiles(folder).load();
    SiteDigestNote note(folder);
    if (before)
        note.rebuild(before.value.sites, before.value.changedAt);

    std::vector<ConflictCopy> copies;
    RegisterFiles(folder, 0).takeIn(copies);
    SiteRecord added;
    added.SetName("added");
    added.SetUrl("http://example.jp/added");
    const OperationResult add = RegisterFiles(folder, 0).add(added);
    if (add.done())
        meant.insert(TextsKey(added));

    int count = 0;
    const std::multiset<QByteArray> after = listed(folder, dir.path(), count);
    for (const QByteArray &texts : meant) {
        if (!after.count(texts))
            fail("a record was lost", texts.toStdString());
    }
    if (qint64(count) > qint64(ReachOf(numbers)) + 2 * entries + 1)
        fail("a count beyond reach was written", std::to_string(count) + " from " + std::to_string(ReachOf(numbers)));
    // A few lines of its own and one entry of twelve bytes per record, at most twice over.
    const qint64 notes = bytesUnder(state.path());
    if (notes > 4096 + 24 * qint64(after.size()))
        fail("a note grew beyond the register", std::to_string(notes) + " bytes");

    // Where the note is good, it names every record leading to a site, and only those.
    if (note.goodFor(folder.changedAt())) {
        const Reading<LoadedRegister> now = RegisterFiles(folder).load();
        for (std::size_t i = 0; i < now.value.sites.size(); ++i) {
            const QByteArray &url = now.value.sites.at(i).GetUrl();
            std::vector<int> expected;
            for (std::size_t j = 0; j < now.value.sites.size(); ++j) {
                if (SiteIdentityDigest(now.value.sites.at(j).GetUrl()) == SiteIdentityDigest(url))
                    expected.push_back(now.value.sites.number(j));
            }
            const std::vector<int> named = note.candidates(url, 0);
            if (SiteIdentityDigest(url) && named != expected)
                fail("the note of the sites went wrong", url.toStdString() + ": names " + numbersText(named) + ", not " + numbersText(expected));
        }
    }
    return 0;
}
