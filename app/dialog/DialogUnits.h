#pragma once

#include <QFont>
#include <QRect>

// The dialog templates are laid out in dialog units, which scale with the dialog font: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an eighth
// of its height. Windows measures the average over the 52 Latin letters, and so do we, so that
// the templates keep their proportions with whatever font stands in for the original one.
class DialogUnits
{
public:
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    // Base units from the width of "A…Za…z" and the font height (ascent + descent).
    static DialogUnits fromMeasures(int alphabetWidth, int fontHeight);
    static DialogUnits ofFont(const QFont &font);

    // "ＭＳ Ｐゴシック" 9 pt when it is installed, else IPA P Gothic, else the system's UI font.
    static QFont dialogFont();

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(const QRect &units) const;
    QSize toPixels(const QSize &units) const;

private:
    int m_baseX;
    int m_baseY;
};

// a × b / c rounded to the nearest integer, halves away from zero: how Windows maps dialog units,
// so that a control lands on the same pixel as it does there.
int MulDiv(int a, int b, int c);
