#include "WindowMemory.h"

#include "ListPageSplitter.h"
#include "SiteColumnWidths.h"
#include "SiteDateColumns.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const QString kSize = QStringLiteral("window/size");
const QString kPosition = QStringLiteral("window/position");
const QString kMaximised = QStringLiteral("window/maximised");
const QString kSplit = QStringLiteral("window/split"); // the panes' heights, as earlier versions kept them
const QString kPagesShare = QStringLiteral("window/pagesShare");
const QString kColumnWidths = QStringLiteral("list/columnWidths");
const QString kDateColumns = QStringLiteral("list/dateColumns"); // the date columns shown, by number

std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QCoreApplication::applicationName(), QStringLiteral("window"));
}

// The share of an earlier version, which kept the panes' heights: the part of the room beyond the
// pages' need that they had then.
double shareOfSizes(const QVariant &saved, const ListPageSplitter &split)
{
    const QStringList sizes = saved.toStringList();
    const int list = sizes.value(0).toInt(), pages = sizes.value(1).toInt();
    const int room = list + pages - split.pagesNeed();
    return sizes.size() == 2 && list > 0 && room > 0 ? double(pages - split.pagesNeed()) / room : 0.0;
}

// As tall as the screen's free height allows, leaving room for a title bar and frame (half an
// inch holds any desktop's), and never less than the least size.
void fitScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const int height = free.height() - window.logicalDpiY() / 2;
    if (height <= window.height())
        return;
    window.resize(window.width(), height);
    window.move(free.left() + std::max(0, (free.width() - window.width()) / 2), free.top());
}

} // namespace

namespace WindowMemory {

void restore(QWidget &window, ListPageSplitter &split, SiteColumnWidths &columns, SiteDateColumns &dates)
{
    const auto settings = openSettings();
    const QSize size = settings->value(kSize).toSize();
    if (size.isValid())
        window.resize(size.expandedTo(window.minimumSize()));
    else
        fitScreen(window);
    if (settings->contains(kPosition)) {
        const QPoint position = settings->value(kPosition).toPoint();
        // A place on a screen no longer there (a monitor unplugged) would hide the window: the
        // desktop places it instead.
        if (QGuiApplication::screenAt(QRect(position, window.size()).center()))
            window.move(position);
    }
    if (settings->value(kMaximised).toBool())
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    bool shared = false;
    const double share = settings->value(kPagesShare).toDouble(&shared);
    split.setPagesShare(shared ? share : shareOfSizes(settings->value(kSplit), split));
    std::vector<int> shown;
    for (const QString &saved : settings->value(kDateColumns).toStringList())
        shown.push_back(saved.toInt());
    dates.setShown(shown);
    std::vector<int> widths;
    for (const QString &saved : settings->value(kColumnWidths).toStringList()) {
        bool ok = false;
        widths.push_back(saved.toInt(&ok));
        if (!ok)
            return;
    }
    columns.setOwnWidths(widths);
}

void save(const QWidget &window, const ListPageSplitter &split, const SiteColumnWidths &columns,
          const SiteDateColumns &dates)
{
    const auto settings = openSettings();
    const bool maximised = window.isMaximized();
    const QRect normal = maximised ? window.normalGeometry() : window.geometry();
    if (normal.isValid()) {
        settings->setValue(kSize, normal.size());
        settings->setValue(kPosition, window.pos() + normal.topLeft() - window.geometry().topLeft());
    }
    settings->setValue(kMaximised, maximised);
    settings->setValue(kPagesShare, split.pagesShare());
    settings->remove(kSplit);
    QStringList shown;
    for (const int column : dates.shown())
        shown.append(QString::number(column));
    settings->setValue(kDateColumns, shown);
    QStringList widths;
    for (const int width : columns.ownWidths())
        widths.append(QString::number(width));
    if (widths.isEmpty())
        settings->remove(kColumnWidths);
    else
        settings->setValue(kColumnWidths, widths);
}

} // namespace WindowMemory
