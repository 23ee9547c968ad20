#pragma once

#include "KeywordSpellings.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <array>
#include <vector>

// Which of a bookmark's keywords come first when its tags and folders are more than three.
enum class ImportKeywordOrder { TagsFirst, FoldersFirst };

// What a bookmark offers as keywords, each spelt as the import spells it: its TAGS in order (an
// empty place kept, so that a tag may stand third), the named folders around it nearest first,
// and where those folders stand in the file.
struct KeywordCandidates
{
    std::vector<KeywordSpellings::Spelling> tags;
    std::vector<KeywordSpellings::Spelling> folders;
    int moreTags = 0;         // further tags, not kept one by one
    int moreFolders = 0;      // further folders out, not kept one by one
    bool inTopFolder = false; // the outermost of its folders is one of the file's top folders
};

// The folders that tell no bookmark from another: the outermost `outermost` named folders, which
// every bookmark of the file lies in (a folder holding them all), and, with `topFolders`, the
// file's top folders, which are the browser's own.
struct SharedFolders
{
    int outermost = 0;
    bool topFolders = false;
};

// The keywords a bookmark gets, three places (empty ones kept), and what did not fit.
struct ChosenKeywords
{
    std::array<QByteArray, 3> bytes;
    QStringList dropped;    // the keywords left out, as the summary names them
    int droppedTags = 0;    // tags left out, those not named included
    int droppedFolders = 0; // folders left out, those not named included
    int moreTags = 0;       // of those, the ones not named
    int moreFolders = 0;
    bool cut() const { return droppedTags > 0 || droppedFolders > 0; }
};

// The tags and the folders in `order`, three at most, each keyword once (a tag that names a
// folder taken, or a folder a tag named, is not taken again), the shared folders left out.
// Tags first, they stand as written, repeats and empty places too (but empty places that would not
// fit anyway); folders first, an empty tag place is none.
ChosenKeywords ChooseKeywords(const KeywordCandidates &candidates, const SharedFolders &shared, ImportKeywordOrder order);
