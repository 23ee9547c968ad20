#include "RegisterLock.h"

#include <QDir>
#include <QLockFile>

RegisterLock::RegisterLock(const QString &directory)
    : m_directory(directory)
{
}

RegisterLock::~RegisterLock() = default;

QString RegisterLock::lockFileName()
{
    return QStringLiteral("sitekanri.lock");
}

RegisterLock::State RegisterLock::tryLock()
{
    if (!QDir().mkpath(m_directory)) {
        m_error = m_directory + QStringLiteral(": フォルダーを作成できません");
        return State::Unavailable;
    }
    m_lock = std::make_unique<QLockFile>(QDir(m_directory).filePath(lockFileName()));
    // Never stale by age: only a lock whose process is gone is taken over.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return State::Locked;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return State::HeldByOther;
    case QLockFile::PermissionError:
        m_error = m_lock->fileName() + QStringLiteral(": 書き込みできません");
        return State::Unavailable;
    default:
        m_error = m_lock->fileName() + QStringLiteral(": ロックできません");
        return State::Unavailable;
    }
}
