#include "ScriptFont.h"

#include "DialogUnits.h"

#include <QLineEdit>

namespace ScriptFont {

bool needsWesternFont(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Greek and Coptic, Cyrillic and its supplement, Greek with its accents.
        if ((u >= 0x0370 && u <= 0x052F) || (u >= 0x1F00 && u <= 0x1FFF))
            return true;
    }
    return false;
}

QFont westernFont()
{
    // DejaVu Sans comes with every Debian desktop (scripts/setup.sh installs it, the package
    // recommends it); Noto Sans where it is not. Missing families are passed over.
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"), DialogUnits::dialogFont().family()});
    return font;
}

void follow(QLineEdit &field)
{
    QObject::connect(&field, &QLineEdit::textChanged, &field, [&field](const QString &text) {
        const bool western = needsWesternFont(text);
        if (western != (field.property("westernFont").toBool())) {
            field.setProperty("westernFont", western);
            // An empty font takes the one of the field's window again.
            field.setFont(western ? westernFont() : QFont());
        }
    });
}

} // namespace ScriptFont
