#pragma once

class MainDialog;

// The list's commands for the mouse: a double-click opens the row's site, and the context menu
// (right click, the menu key, Shift+F10) offers the site list widget's own actions in order, so
// that any part of the window adds its entries with siteView()->addAction(); an action whose
// "needsRow" property is true is offered only with a current row. Undo and redo are among them,
// on their keys everywhere in the window; in a text field the keys undo its typing first, as in
// any field, and reach the register's history once the field has nothing left to undo.
void InstallSiteListCommands(MainDialog &dialog);
