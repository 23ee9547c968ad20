// SiteRegister's take-in of the conflict copies that file-sync tools leave (see CopyTakeIn):
// the register does it on its own, as soon as it sees one, so that a window shows the copy's record
// among the others without anyone asking.
#include "SiteRegister.h"

namespace {

// It never waits long for the lock on the window's thread, and tries again a little later instead.
constexpr int kTakeInLockWaitMs = 20;
constexpr int kTakeInRetryMs = 250;

} // namespace

void SiteRegister::scheduleTakeIn(int delayMs)
{
    if (!m_takeIn.isActive() || delayMs == 0)
        m_takeIn.start(delayMs);
}

void SiteRegister::takeInCopies()
{
    if (!m_folder.exists() || m_damaged)
        return;
    // The copies are compared with the list: it must hold what the folder holds first.
    if (m_following || !m_toRead.empty() || !m_pending.isEmpty() || m_pendingAll) {
        scheduleTakeIn(kTakeInRetryMs);
        return;
    }
    std::vector<ConflictCopy> copies;
    std::vector<int> twice;
    const OperationResult result = RegisterFiles(m_folder, kTakeInLockWaitMs).takeIn(copies, &m_sites, m_count, &twice);
    if (result.status == OperationStatus::Busy) {
        scheduleTakeIn(kTakeInRetryMs);
        return;
    }
    // The new records lie above the count the list followed; a copy's count may have raised it.
    const Batch batch(*this);
    for (const int number : twice)
        put(number, std::nullopt);
    if (copies.empty())
        return;
    followCount();
    emit conflictCopiesTakenIn(copies);
}
