#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

class RegisterFolder;
class SiteList;

// The identity (SiteIdentity) of every record of a register, kept on this computer beside it (see
// LocalState), so that a command that adds a site is told at once of a record that has it already,
// without every record being read. One 64-bit digest per record number in one file: a change costs
// one write of eight bytes, a look one read of eight bytes a record.
//
// It never answers from a stale state: it is good only for the folder stamp it was last written
// with (RegisterFolder::changedAt), which every other program's change to the folder's names moves
// (a sync tool and most editors write a new file); the command then reads the register once and
// writes the note anew. A record it names is read to confirm it. What it can miss is a record
// changed in place without a new file, or in the same clock tick as one of this program's own
// changes: the warning then misses a duplicate, never names a wrong one.
class SiteIdentityNote
{
public:
    explicit SiteIdentityNote(const RegisterFolder &folder);

    // Whether the note describes the folder as it was at `stamp`.
    bool goodFor(qint64 stamp) const;
    // The note anew, from every record as a load read them at `stamp`.
    void rebuild(const SiteList &sites, qint64 stamp);
    // An operation that began at `before` and left the folder at `after` gave records these URLs
    // (an empty URL: the record went). A note that was good before is good after.
    void changed(qint64 before, qint64 after, const std::vector<std::pair<int, QByteArray>> &urls);
    // The records other than `except`, ascending, that may lead to the same site as `url`.
    std::vector<int> candidates(const QByteArray &url, int except) const;

private:
    QByteArray read() const;

    QString m_path;
};

// The digest of a URL's site in the note; 0 for a URL that leads to no site.
quint64 SiteIdentityDigest(const QByteArray &url);
