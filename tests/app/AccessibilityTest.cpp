#include "AppTestSupport.h"

#include <QAccessible>

namespace {

using AccessibilityTest = WindowTest;

// What a screen reader announces of a node: its role and name. Nodes that are only frames around
// others (a stacked pane, a viewport, scroll bars) are passed over, and the children of a list, a
// table or a combo are items, named by the data they show.
void announce(QAccessibleInterface *node, QStringList &lines)
{
    const auto *widget = qobject_cast<const QWidget *>(node->object());
    const bool focusable = widget && widget->focusPolicy() != Qt::NoFocus;
    const QString name = node->text(QAccessible::Name);
    const bool frame = !focusable && name.isEmpty()
        && (node->role() == QAccessible::Client || node->role() == QAccessible::LayeredPane
            || node->role() == QAccessible::ScrollBar);
    if (!frame) {
        lines << QString::number(node->role(), 16) + QLatin1Char('\t') + name;
    }
    if (node->role() == QAccessible::Table || node->role() == QAccessible::ComboBox)
        return;
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *child = node->child(i))
            announce(child, lines);
    }
}

TEST_F(AccessibilityTest, everyControlOfTheWindowAndBothPagesHasARoleAndAName)
{
    start(ThreeSites());
    QStringList lines;
    announce(QAccessible::queryAccessibleInterface(dialog.get()), lines);

    // Both pages, the list and its search bar: every control, not only those of the first page.
    EXPECT_GE(lines.size(), 40);
    for (const QString &line : lines)
        EXPECT_FALSE(line.section(QLatin1Char('\t'), 1, 1).isEmpty()) << "nameless: " << qPrintable(line);
}

} // namespace
