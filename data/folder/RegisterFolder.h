#pragma once

#include "IoResult.h"
#include "SystemReason.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The register folder, the one place that touches register files. It is opened once and held as
// a directory handle: every file is reached relative to it and never through a symbolic link, so a
// link in place of setting.ini or a data file is neither read nor written through, and a folder
// renamed under a running program is not mistaken for a new one. File names are matched without
// regard to ASCII case, as Windows matches them (SETTING.INI and DATA1.INI from a FAT stick), and
// files are rewritten under the names they have. Failures name the file and give the reason in
// Japanese.
class RegisterFolder
{
public:
    // `path` as bytes, exactly as given (a command line may hold bytes that are not UTF-8).
    explicit RegisterFolder(const QByteArray &path);
    ~RegisterFolder();
    RegisterFolder(const RegisterFolder &) = delete;
    RegisterFolder &operator=(const RegisterFolder &) = delete;

    // Opens the folder. A missing one is made first (Create), or is a success with exists() false
    // (ReadsEmpty): it reads as an empty register.
    enum class Missing { ReadsEmpty, Create };
    IoResult open(Missing missing);
    bool exists() const;

    // The folder and a file in it, for people (messages) and for Qt (watching).
    QString path() const;
    QString filePath(const QString &name) const;

    // Reads a whole regular file. A missing file gives `exists` false and success. A link, pipe,
    // device or folder, or a file over kMaxFileSize, fails with a clear reason (`error` EISDIR for
    // a folder, ELOOP for a link).
    IoResult read(const QString &name, QByteArray &bytes, bool &exists) const;
    // Replaces (or creates) a file atomically: a temporary in this folder, written and flushed, then
    // renamed over the target, then the folder flushed. A replaced file keeps its permission bits
    // exactly and, where the process may set them, its owner and group.
    // With Flush::Later the folder is left for flush() to make the rename durable: an operation
    // that writes several files then flushes the folder once.
    enum class Flush { Now, Later };
    IoResult replace(const QString &name, const QByteArray &bytes, Flush flushFolder = Flush::Now);
    // Writes each of `contents` into a new temporary of this writer and makes them durable together
    // (their bytes flushed from several threads at once, which costs about one wait for the disk);
    // `temporaries` receives their names, in order. When it fails, none of them is left.
    IoResult writeTemporaries(const std::vector<QByteArray> &contents, std::vector<QString> &temporaries);
    // Gives file `from` (a temporary, a kept file, a conflict copy) the name `name`, unless something
    // already has that name in any case: `taken` then says so and nothing changed. No name is ever
    // replaced this way (renameat2 with RENAME_NOREPLACE, or a hard link and an unlink where the
    // file system cannot). The folder is not flushed.
    IoResult claim(const QString &from, const QString &name, bool &taken);
    // Waits until the bytes of the files `names` are on disk: files another program may have written.
    IoResult makeDurable(const std::vector<QString> &names);
    // When the folder's names last changed (its modification time, in nanoseconds), -1 when it is
    // not open: a file made, renamed or removed in it moves it.
    qint64 changedAt() const;
    // Sets the folder's modification time to this moment of the fine clock and returns it: a stamp
    // no later change by another program can leave behind, since the system stamps changes with its
    // coarse clock, whose every value the fine one has passed. -1 where it cannot be set or is not
    // kept to the nanosecond (a folder of another owner, a file system of coarse times).
    qint64 stampChange();
    // Waits until the system's clock of changes has passed `stamp` (at most one of its ticks): every
    // change after that moves the folder's time away from it.
    static void waitPast(qint64 stamp);
    // The folder's device and inode as text: what tells it from every other folder on this computer,
    // whatever path reaches it.
    QByteArray identity() const;
    // Replaced and removed files must be writable and readable: a file without write permission
    // (its mode, whoever runs us) is refused with EACCES, and so is one that cannot be read.
    // Removes a file, then flushes the folder, or leaves that to a later flush() of several
    // removals; a missing one is a success.
    IoResult remove(const QString &name, Flush flushFolder = Flush::Now);
    // Makes the names this folder holds durable (renames and removals done so far).
    IoResult flush();
    // Every name in the folder, once (no "." or "..").
    IoResult list(QStringList &names) const;
    // The name a file has on disk when one matches `name` without regard to ASCII case, else `name`.
    // Names that differ from their lower-case form are learnt from one listing (taken when first
    // needed, renewed by list()); refreshName() tells of one name another program may have made
    // or removed since, so that a long-running program need not list the folder again.
    QString nameOnDisk(const QString &name) const;
    // Whether a name in the folder has capitals, as far as a listing of this run knows (none: not listed).
    std::optional<bool> hasCasedNames() const;
    // Takes a note's word that no name has capitals, in place of a listing.
    void knowNoCasedNames();
    void refreshName(const QString &name);

    // The open folder's descriptor (-1 when it is not open), for locking and watching.
    int descriptor() const;

    // What a file held when it was about to be replaced or removed.
    enum class Found { Expected, Changed, Missing };
    // Replaces file `name` with `bytes` as one step with the check that it still holds `expected`:
    // the new file is exchanged with the old one, and what came out is compared. When another
    // program changed it meanwhile, its version is put back (`found` Changed); when the file is
    // gone, nothing is written (Missing). Where the file system cannot exchange two names, the
    // file is read again just before an ordinary rename. The folder is flushed.
    IoResult replaceIf(const QString &name, const QByteArray &bytes, const QByteArray &expected, Found &found);
    // Moves file `name` aside under a temporary name of this writer (`aside`) when it holds
    // `expected`; otherwise it stays, or is put back, and `found` says why. The folder is not
    // flushed: discard() the file, or putBack() it, then flush.
    // With `keep` the name is one of this folder's kept files, which outlive the operation (an
    // undo gives them their names back with claim()): the sweep of a load leaves them alone for as long as
    // this folder is open here, and removes them once it is not (the program ended or crashed).
    IoResult moveAside(const QString &name, const QByteArray &expected, QString &aside, Found &found,
                       bool keep = false);
    // The same with `holdsExpected` telling whether the bytes that came out are the expected ones.
    IoResult moveAside(const QString &name, const std::function<bool(const QByteArray &)> &holdsExpected, QString &aside,
                       Found &found, bool keep = false);
    // Removes file `name` only while it holds what `holdsExpected` accepts (moved aside, then
    // discarded): a file another program changed since it was read stays. Whether it went; the
    // folder is not flushed.
    bool removeIfHolds(const QString &name, const std::function<bool(const QByteArray &)> &holdsExpected);
    bool removeIfHolds(const QString &name, const QByteArray &expected);
    // Puts a file moved aside back under `name`, never over a newer file that has taken the name
    // since (the older one is then dropped); the folder is flushed.
    IoResult putBack(const QString &aside, const QString &name);
    IoResult discard(const QString &aside);
    // Removes the files an operation moved aside, once it is done and nothing can put them back.
    // A few go at once; many go on threads of their own that nobody waits for (freeing a file's
    // space can cost milliseconds each), and what they have not removed when the program ends
    // is removed by the next load, as any temporary is.
    void discardAll(const std::vector<QString> &asides);
    // Removes the leftovers of interrupted writes among `names` (a listing of this folder): every
    // writer's temporaries, but kept files only once the program that keeps them has ended.
    void sweep(const QStringList &names);
    // Whether something other than a folder has this name: a file that cannot be read is there.
    bool occupied(const QString &name) const;

    // Test hook, null in use: called with the file's name at the moments of replaceIf() and claim()
    // that another program's write can fall between, so that a test lands one exactly there.
    enum class Moment { TemporaryWritten, LastLookPassed, Exchanged, Claiming };
    static inline void (*testHook)(Moment moment, const QString &name) = nullptr;

    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
    // Whether `name` is a temporary of a writer of this register (of this version or an earlier):
    // each writer writes through names of its own, and what one left behind is removed by the
    // next load, under the shared lock no writer holds at the same time.
    static bool isTemporaryName(const QString &name);

private:
    class Private;
    Private *d;
};

