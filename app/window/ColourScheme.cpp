#include "ColourScheme.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

QPalette DarkPalette()
{
    const QColor window(0x20, 0x20, 0x20);
    const QColor base(0x10, 0x10, 0x10);
    const QColor text(0xf0, 0xf0, 0xf0);
    const QColor disabledText(0x90, 0x90, 0x90);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(0xff, 0x80, 0x80));
    palette.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x40));
    palette.setColor(QPalette::Mid, QColor(0x28, 0x28, 0x28));
    palette.setColor(QPalette::Dark, QColor(0x08, 0x08, 0x08));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0x7a, 0xb8, 0xff));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Link, QColor(0x8a, 0xc4, 0xff));
    palette.setColor(QPalette::LinkVisited, QColor(0xc0, 0xa0, 0xff));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}

void ApplyColourScheme(QApplication &application)
{
    if (qEnvironmentVariable("SITEKANRI_COLOUR_SCHEME").compare(QLatin1String("dark"), Qt::CaseInsensitive) != 0)
        return;
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    application.setPalette(DarkPalette());
}
