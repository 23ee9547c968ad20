#pragma once

class MainDialog;

// The list's commands for the mouse: a double-click opens the row's site, and the context menu
// offers the dialog's list actions (the site list widget's own actions, in order, so that any part
// of the window can add its entries). Undo and redo are among them, on their keys everywhere in
// the window; in a text field the keys undo its typing first, as in any field, and reach the
// register's history once the field has nothing left to undo.
void InstallSiteListCommands(MainDialog &dialog);
