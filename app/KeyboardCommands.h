#pragma once

#include <QKeySequence>
#include <QString>

class MainDialog;

// The window's commands on keys, so that everything the mouse reaches the keyboard reaches too:
// each button's key is shown in its tooltip. The keys are chosen not to take anything from
// typing in the fields (no plain letters, no Delete outside the list).
void InstallKeyboardCommands(MainDialog &dialog);

// A command's name with its key, as tooltips show it: "更新 (Ctrl+S)".
QString WithKey(const QString &name, const QKeySequence &key);
