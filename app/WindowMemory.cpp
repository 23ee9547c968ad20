#include "WindowMemory.h"

#include "SiteColumnWidths.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QWidget>

#include <vector>
#include <memory>

namespace {

const QString kSize = QStringLiteral("window/size");
const QString kPosition = QStringLiteral("window/position");
const QString kMaximised = QStringLiteral("window/maximised");
const QString kSplit = QStringLiteral("window/split");
const QString kColumnWidths = QStringLiteral("list/columnWidths");

std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QCoreApplication::applicationName(), QStringLiteral("window"));
}

// Whole numbers, one for each pane of `split`, or nothing.
QList<int> savedSizes(const QVariant &saved, const QSplitter &split)
{
    QList<int> sizes;
    for (const QString &text : saved.toStringList()) {
        bool ok = false;
        sizes.append(text.toInt(&ok));
        if (!ok || sizes.last() <= 0)
            return {};
    }
    return sizes.size() == split.count() ? sizes : QList<int>();
}

} // namespace

namespace WindowMemory {

void restore(QWidget &window, QSplitter &split, SiteColumnWidths &columns)
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
    // setSizes shares the splitter's height in the proportions of the sizes saved.
    if (const QList<int> sizes = savedSizes(settings->value(kSplit), split); !sizes.isEmpty())
        split.setSizes(sizes);
    std::vector<int> widths;
    for (const QString &saved : settings->value(kColumnWidths).toStringList()) {
        bool ok = false;
        widths.push_back(saved.toInt(&ok));
        if (!ok)
            return;
    }
    columns.setOwnWidths(widths);
}

void save(const QWidget &window, const QSplitter &split, const SiteColumnWidths &columns)
{
    const auto settings = openSettings();
    const bool maximised = window.isMaximized();
    const QRect normal = maximised ? window.normalGeometry() : window.geometry();
    if (normal.isValid()) {
        settings->setValue(kSize, normal.size());
        settings->setValue(kPosition, window.pos() + normal.topLeft() - window.geometry().topLeft());
    }
    settings->setValue(kMaximised, maximised);
    QStringList sizes;
    for (const int size : split.sizes())
        sizes.append(QString::number(size));
    settings->setValue(kSplit, sizes);
    QStringList widths;
    for (const int width : columns.ownWidths())
        widths.append(QString::number(width));
    if (widths.isEmpty())
        settings->remove(kColumnWidths);
    else
        settings->setValue(kColumnWidths, widths);
}

} // namespace WindowMemory
