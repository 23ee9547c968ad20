#pragma once

#include "IoResult.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <vector>

class RegisterFolder;

// The note a batch of new records (an import, the undo of a delete of many) keeps from its first
// claimed name until its count is written: the number its new files start from and the digest of
// each file's bytes, so that when a batch never got its count, the next writer removes exactly the
// files it made above the count and nothing else.
// It is a note of this computer's, kept outside the register folder (see LocalState).
class BatchJournal
{
public:
    explicit BatchJournal(const RegisterFolder &folder);

    // Notes a batch whose files are numbered from `first` on and hold bytes with these digests,
    // durable when it returns. A note that cannot be written lets the batch go on without one:
    // what a crash then leaves above the count is counted in by the next write, never lost.
    void begin(int first, const std::vector<QByteArray> &digests);
    // The batch has its count: its note goes.
    void end();
    // Removes whatever note there is, once what it named is dealt with.
    void drop();
    // The note of a batch that never got its count; false when there is none (one that is not
    // whole gives no digests).
    bool unfinished(int &first, QSet<QByteArray> &digests) const;

private:
    QString m_path;
    bool m_begun = false;
};
