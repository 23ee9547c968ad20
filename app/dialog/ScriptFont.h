#pragma once

#include <QFont>
#include <QStringView>

class QLineEdit;

// The Japanese font has Cyrillic and Greek letters only in full-width forms, made to stand in
// Japanese text: 「Дезертир」 reads letter-spaced in them. Text holding such letters is drawn in a
// font made for those scripts, with the Japanese font after it for everything it lacks.
namespace ScriptFont {

// Whether `text` holds letters the Japanese font has only in full-width forms.
bool needsWesternFont(QStringView text);

// The families to draw such text in, and nothing else of a font: resolved against a widget's own
// font, it keeps that font's size and weight.
QFont westernFont();

// Makes `field` draw its text in westernFont() while it holds such letters.
void follow(QLineEdit &field);

} // namespace ScriptFont
