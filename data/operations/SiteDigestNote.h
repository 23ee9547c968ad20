#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

class RegisterFolder;
class SiteList;

// A digest of the site every record's URL leads to, kept on this computer beside the register (see
// LocalState), so that a command adding a site is told at once of a record that has it already,
// without every record being read. One entry of twelve bytes (the record's number, the digest) for
// each record, in number order: the note grows with the records present, never with their numbers,
// and a change costs a few reads and one write of its entry.
//
// Every writer keeps it through the register's operations (RegisterOperation, the one door of every
// change), so that a change in the window leaves it as good as one on the command line. It never
// answers from a stale state: it is good only for the folder stamp it was last written with
// (RegisterFolder::changedAt), which every other program's change to the folder's names moves. A
// record it names is read to confirm it. What it can miss is a record changed in place without a
// new file: the warning then misses a duplicate, never names a wrong one.
class SiteDigestNote
{
public:
    // The digest of the site a URL leads to (0: no site), from the layer that knows what a site is.
    // Until one is installed every change leaves the note good for no stamp.
    using Digest = quint64 (*)(const QByteArray &url);
    static void install(Digest digest);

    explicit SiteDigestNote(const RegisterFolder &folder);

    // Whether the note describes the folder as it was at `stamp`.
    bool goodFor(qint64 stamp) const;
    // The note anew, from every record as a load read them at `stamp`.
    void rebuild(const SiteList &sites, qint64 stamp);
    // The same from every record's number and URL, the last of a number standing (empty: none).
    void rebuild(std::vector<std::pair<int, QByteArray>> urls, qint64 stamp);
    // An operation that began at `before` and left the folder at `after` gave records these URLs
    // (an empty URL: the record went). A note that was good before is good after.
    void changed(qint64 before, qint64 after, std::vector<std::pair<int, QByteArray>> urls);
    // The records other than `except`, ascending, that may lead to the same site as `url`.
    std::vector<int> candidates(const QByteArray &url, int except) const;

private:
    struct Entry
    {
        int number = 0;
        quint64 digest = 0;
    };
    std::vector<Entry> readAll() const;
    void writeAll(const std::vector<Entry> &entries, qint64 stamp);
    // The changes in place: each an entry there already or one after the last. False when one is
    // neither (the note is then written whole).
    bool changeInPlace(const std::vector<Entry> &changes, qint64 after);

    QString m_path;
};
