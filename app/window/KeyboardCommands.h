#pragma once

#include <QKeySequence>
#include <QString>

#include <vector>

class ClickablePicture;
class QAbstractButton;
class QTabWidget;
class QTableView;
class QWidget;

// A button and the key that presses it.
struct KeyedButton
{
    QAbstractButton *button;
    QKeySequence key;
};

// The window's buttons that have a key, by control ID, and their keys. The keys are chosen not
// to take anything from typing in the fields (no plain letters, no Delete outside the list).
struct ButtonKey
{
    int id;
    QKeySequence key;
};
const std::vector<ButtonKey> &ButtonKeys();

// The window's commands on keys, so that everything the mouse reaches the keyboard reaches too:
// each button's key is shown in its tooltip, and a button pressed by its key shows its page
// first. Delete on `list` presses `deleteButton` when the list shows a chosen row; F1 clicks
// `banner`; Alt+1, Alt+2 and Ctrl+Tab move between the pages of `pages`.
void InstallKeyboardCommands(QWidget &window, QTabWidget &pages, QTableView &list, ClickablePicture &banner,
                             QAbstractButton &deleteButton, const std::vector<KeyedButton> &buttons);

// A command's name with its key, as tooltips show it: "更新 (Ctrl+S)".
QString WithKey(const QString &name, const QKeySequence &key);
