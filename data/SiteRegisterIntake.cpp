// SiteRegister's take-in of the conflict copies that file-sync tools leave (see ConflictIntake):
// the register does it on its own, as soon as it sees one, so that a window shows the copy's record
// among the others without anyone asking.
#include "SiteRegister.h"

namespace {

// It never waits long for the lock on the window's thread, and tries again a little later instead.
constexpr int kIntakeLockWaitMs = 20;
constexpr int kIntakeRetryMs = 250;

} // namespace

void SiteRegister::scheduleIntake(int delayMs)
{
    if (!m_intake.isActive() || delayMs == 0)
        m_intake.start(delayMs);
}

void SiteRegister::takeInCopies()
{
    if (!m_folder.exists() || m_damaged)
        return;
    std::vector<ConflictCopy> copies;
    const OperationResult result = ConflictIntake(m_folder, kIntakeLockWaitMs).takeIn(copies, &m_sites, m_count);
    if (result.status == OperationStatus::Busy) {
        scheduleIntake(kIntakeRetryMs);
        return;
    }
    if (copies.empty())
        return;
    // The new records lie above the count the list followed; a copy's count may have raised it.
    const Batch batch(*this);
    followCount();
    emit conflictCopiesTakenIn(copies);
}
