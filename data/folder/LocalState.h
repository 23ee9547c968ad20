#pragma once

#include <QString>

class RegisterFolder;

// Notes this computer keeps about a register outside its folder: a sync tool would carry a note in
// the folder to another computer, which must never act on it. They live in the user's state folder
// ($XDG_STATE_HOME/sitekanri, by default ~/.local/state/sitekanri), named by the register folder's
// device and inode, so that every program on this computer finds the same notes for the same
// folder, whatever path reaches it. Empty when there is no such place.
QString LocalStateFile(const RegisterFolder &folder, const QString &kind);

// The highest count this computer has seen the register hold. The program never lowers the count,
// so a count below it was lowered by another program (the Windows program's save of a shorter
// list): data files between the two are what a longer list left. Files above it came before their
// count (a sync tool delivers files in its own order).
int HighestCountSeen(const RegisterFolder &folder);
// Notes `count` when it is higher than what was seen.
void NoteCountSeen(const RegisterFolder &folder, int count);

// What a writer of this program last left the register folder as: when (the folder's change
// stamp, RegisterFolder::changedAt), the highest data file number present, and whether it left
// neither a conflict copy nor a data file above the count, and whether any name in it has capitals
// (a new name must then be looked for in every spelling of its case). Good only while the folder's stamp is
// still that one: any other program's change to the folder's names (a sync tool's, an editor's
// save through a new file) moves the stamp, and the next writer looks at the folder itself.
struct FolderNote
{
    qint64 stamp = -1;
    int highest = 0;
    bool clean = false;
    bool cased = true;
};
FolderNote ReadFolderNote(const RegisterFolder &folder);
void WriteFolderNote(const RegisterFolder &folder, const FolderNote &note);
