#pragma once

#include <vector>

// A data file numbered far above the rest of its register, or a count far above its files, is no
// register's growth: a sync peer, a typo or a hostile share put it there. No register grows by
// more than kFarGap between two meetings of its computers, and the Windows program looks for every
// number up to the count when it starts, so a count raised to two billion would have it look for
// two billion files. Such a file is taken in as a conflict copy is (IncomingRecords); such a count
// is read as the rest allows.
constexpr int kFarGap = 100000;

// The highest of `numbers` (data file numbers and counts, in any order) reachable from 0 in steps
// of at most kFarGap: everything above it lies far above the rest. Pure.
int ReachOf(std::vector<int> numbers);
