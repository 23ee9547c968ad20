#include "WindowMemory.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace {

const QString kSize = QStringLiteral("window/size");
const QString kPosition = QStringLiteral("window/position");
const QString kMaximised = QStringLiteral("window/maximised");
const QString kColumnWidths = QStringLiteral("list/columnWidths");

std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QCoreApplication::applicationName(), QStringLiteral("window"));
}

} // namespace

namespace WindowMemory {

void restore(QWidget &window, QHeaderView &columns)
{
    const auto settings = openSettings();
    const QSize size = settings->value(kSize).toSize();
    if (size.isValid())
        window.resize(size.expandedTo(window.minimumSize()));
    if (settings->contains(kPosition)) {
        const QPoint position = settings->value(kPosition).toPoint();
        // A place on a screen no longer there (a monitor unplugged) would hide the window: the
        // desktop places it instead.
        if (QGuiApplication::screenAt(QRect(position, window.size()).center()))
            window.move(position);
    }
    if (settings->value(kMaximised).toBool())
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    const QStringList widths = settings->value(kColumnWidths).toStringList();
    if (widths.size() != columns.count())
        return;
    for (int column = 0; column < columns.count(); ++column) {
        bool ok = false;
        const int width = widths[column].toInt(&ok);
        if (ok && width > 0)
            columns.resizeSection(column, std::max(width, columns.minimumSectionSize()));
    }
}

void save(const QWidget &window, const QHeaderView &columns)
{
    const auto settings = openSettings();
    const bool maximised = window.isMaximized();
    const QRect normal = maximised ? window.normalGeometry() : window.geometry();
    if (normal.isValid()) {
        settings->setValue(kSize, normal.size());
        settings->setValue(kPosition, window.pos() + normal.topLeft() - window.geometry().topLeft());
    }
    settings->setValue(kMaximised, maximised);
    QStringList widths;
    for (int column = 0; column < columns.count(); ++column)
        widths.append(QString::number(columns.sectionSize(column)));
    settings->setValue(kColumnWidths, widths);
}

} // namespace WindowMemory
