#pragma once

#include "IoResult.h"

#include <QString>

#include <map>
#include <utility>
#include <vector>

class RegisterFolder;

// One look at the register folder by a program about to bring records in, or listing what a sync
// tool set aside: the data files present, the highest of their numbers, and the conflict copies of
// the register's files, in name order (the same order on every computer that holds the same files).
struct FolderSurvey
{
    // By number: the name a load reads for it (the first of two spellings in name order).
    std::map<int, QString> dataFiles;
    // The highest number a data file's name has, whatever it names (a folder or a link too).
    int highest = 0;
    std::vector<QString> dataCopies;    // conflict copies of data files
    std::vector<QString> settingCopies; // conflict copies of setting.ini
    // Taken from a listing; without one (a note of what this program left) only `highest` is
    // known, and the folder held no copy and no data file above the count.
    bool complete = true;

    IoResult take(const RegisterFolder &folder);
    bool anyCopy() const { return !dataCopies.empty() || !settingCopies.empty(); }
    // Takes the data files numbered above `reach` (see FarNumbers) out of `dataFiles` and
    // `highest`, whatever they name: new numbers go above the rest, never above them.
    std::vector<std::pair<int, QString>> takeFar(int reach);
};
