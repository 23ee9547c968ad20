#pragma once

#include "IoResult.h"

#include <QString>

class RegisterFolder;

// Keeps register operations from overlapping: an advisory lock held only while one operation (or a
// load) runs, exclusive for writing and shared for reading. The system drops it when its holder
// ends, however it ends, so a lock file left behind, empty, or brought over from another computer
// by a sync tool never locks anybody out.
//
// The lock is taken on the register folder itself, which no sync tool replaces: a lock file
// replaced by rename while it is held would let a second writer lock the new file. The lock on
// "sitekanri.lock" is taken as well (after the folder's), so that earlier versions of this program,
// which lock only that file, stay out too; it is checked to be the file the name points to once
// locked, and taken again when it is not.
class RegisterLock
{
public:
    enum class Mode { Shared, Exclusive };
    enum class State {
        Locked,      // this process holds the lock until the object goes
        Busy,        // another program held it for the whole wait
        Unavailable, // no lock file can be opened here (a read-only folder): nobody can write
    };

    static constexpr int kDefaultWaitMs = 5000;

    RegisterLock(const RegisterFolder &folder, Mode mode, int waitMs = kDefaultWaitMs);
    ~RegisterLock();
    RegisterLock(const RegisterLock &) = delete;
    RegisterLock &operator=(const RegisterLock &) = delete;

    State state() const { return m_state; }
    // Why the lock is not held, for a person: the folder (busy) or the lock file and the reason.
    IoResult result() const { return m_result; }

    static QString lockFileName();

private:
    enum class Attempt { Locked, WouldBlock, Failed };
    Attempt lockFolder(const RegisterFolder &folder, int operation);
    Attempt lockFile(const RegisterFolder &folder, int operation);

    int m_folderFd = -1;
    int m_fd = -1;
    State m_state = State::Unavailable;
    IoResult m_result;
};
