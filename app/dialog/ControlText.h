#pragma once

#include <QString>

class QWidget;

// The text a control shows, whatever its kind: an edit field's, the output box's code, a
// button's or a label's caption. Other controls have none, and setting one changes nothing.
QString ControlText(const QWidget *control);
void SetControlText(QWidget *control, const QString &text);
