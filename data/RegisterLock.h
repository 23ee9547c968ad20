#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Keeps one program at a time in charge of a register: a lock file in the register directory.
// A lock left behind by a run that crashed is recovered.
class RegisterLock
{
public:
    enum class State {
        Locked,       // this process owns the register
        HeldByOther,  // another running program owns it
        Unavailable,  // no lock can be made here (read-only folder); nobody else can write either
    };

    explicit RegisterLock(const QString &directory);
    ~RegisterLock();

    State tryLock();
    // Why the lock is unavailable, for a person.
    QString errorText() const { return m_error; }

    static QString lockFileName();

private:
    QString m_directory;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
};
