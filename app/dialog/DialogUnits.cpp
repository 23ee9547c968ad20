#include "DialogUnits.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

#include <cstdlib>

int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long quotient = (std::llabs(product) * 2 + std::llabs(c)) / (std::llabs(static_cast<long long>(c)) * 2);
    return static_cast<int>((product < 0) != (c < 0) ? -quotient : quotient);
}

DialogUnits DialogUnits::fromMeasures(int alphabetWidth, int fontHeight)
{
    return DialogUnits((alphabetWidth / 26 + 1) / 2, fontHeight);
}

DialogUnits DialogUnits::ofFont(const QFont &font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return fromMeasures(width, metrics.ascent() + metrics.descent());
}

QFont DialogUnits::dialogFont()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : {QString::fromUtf8("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")}) {
        if (installed.contains(family)) {
            QFont font(family);
            font.setPointSize(9);
            return font;
        }
    }
    return QApplication::font();
}

int DialogUnits::toPixelsX(int units) const
{
    return MulDiv(units, m_baseX, 4);
}

int DialogUnits::toPixelsY(int units) const
{
    return MulDiv(units, m_baseY, 8);
}

QRect DialogUnits::toPixels(const QRect &units) const
{
    return QRect(toPixelsX(units.x()), toPixelsY(units.y()), toPixelsX(units.width()), toPixelsY(units.height()));
}

QSize DialogUnits::toPixels(const QSize &units) const
{
    return QSize(toPixelsX(units.width()), toPixelsY(units.height()));
}
