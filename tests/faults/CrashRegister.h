#pragma once

#include "SiteList.h"

#include <QByteArray>

// The registers that the crash trial saves, one per generation, the same in the saving process
// and in the test that checks what it left. Generations take turns: every record changed, 40
// records appended, every record changed again (the list shrinks back), a few records changed.
namespace CrashRegister {

constexpr int kBaseRecords = 2000;

SiteList Generation(int generation);

// The bytes a save of `list` leaves in its data file `position` and in setting.ini when it
// writes them anew.
QByteArray DataFileBytes(const SiteList &list, std::size_t position);
QByteArray SettingBytes(const SiteList &list);

} // namespace CrashRegister
