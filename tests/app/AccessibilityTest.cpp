#include "AppTestSupport.h"

#include <QAccessible>
#include <QFile>

namespace {

using AccessibilityTest = WindowTest<MainDialog>;

QString roleName(QAccessible::Role role)
{
    static const QHash<QAccessible::Role, QString> names{
        {QAccessible::Dialog, QStringLiteral("Dialog")},
        {QAccessible::Client, QStringLiteral("Client")},
        {QAccessible::EditableText, QStringLiteral("EditableText")},
        {QAccessible::StaticText, QStringLiteral("StaticText")},
        {QAccessible::PushButton, QStringLiteral("PushButton")},
        {QAccessible::ButtonMenu, QStringLiteral("ButtonMenu")},
        {QAccessible::Grouping, QStringLiteral("Grouping")},
        {QAccessible::RadioButton, QStringLiteral("RadioButton")},
        {QAccessible::CheckBox, QStringLiteral("CheckBox")},
        {QAccessible::Splitter, QStringLiteral("Splitter")},
        {QAccessible::Grip, QStringLiteral("Grip")},
        {QAccessible::ComboBox, QStringLiteral("ComboBox")},
        {QAccessible::PageTabList, QStringLiteral("PageTabList")},
        {QAccessible::PageTab, QStringLiteral("PageTab")},
        {QAccessible::Table, QStringLiteral("Table")},
        {QAccessible::Graphic, QStringLiteral("Graphic")},
    };
    return names.value(role, QString::number(role, 16));
}

// What a screen reader announces of a node: role, name and the label tied to it. Nodes that are
// only frames around others (a stacked pane, a viewport, scroll bars) are passed over, and the
// children of a list, a table or a combo are items, named by the data they show.
void announce(QAccessibleInterface *node, QStringList &lines)
{
    const auto *widget = qobject_cast<const QWidget *>(node->object());
    const bool focusable = widget && widget->focusPolicy() != Qt::NoFocus;
    const QString name = node->text(QAccessible::Name);
    const bool frame = !focusable && name.isEmpty()
        && (node->role() == QAccessible::Client || node->role() == QAccessible::LayeredPane
            || node->role() == QAccessible::ScrollBar);
    if (!frame) {
        const auto labels = node->relations(QAccessible::Label);
        lines << roleName(node->role()) + QLatin1Char('\t') + name + QLatin1Char('\t')
                     + (labels.isEmpty() ? QStringLiteral("-") : labels.first().first->text(QAccessible::Name));
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

    QFile file(QStringLiteral(SITEKANRI_TEST_DATA "/accessible_controls.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList expected;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!line.startsWith(QLatin1Char('#')))
            expected << line;
    for (const QString &line : lines)
        EXPECT_FALSE(line.section(QLatin1Char('\t'), 1, 1).isEmpty()) << "nameless: " << qPrintable(line);
    EXPECT_EQ(lines.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
}

} // namespace
