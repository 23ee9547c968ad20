#include "KeyboardCommands.h"

#include "ClickablePicture.h"
#include "MainDialog.h"
#include "PageTab.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QTableView>

#include <functional>

namespace {

struct ButtonKey
{
    int id;
    QKeySequence key;
};

// The button shown in its page first: a command given from the list or the other page shows
// what it did.
void press(MainDialog &dialog, QAbstractButton *button)
{
    PageTab *tab = dialog.pageTab();
    for (int page = 0; page < tab->count(); ++page) {
        if (tab->widget(page)->isAncestorOf(button))
            tab->setCurrentIndex(page);
    }
    button->click();
}

void onKey(MainDialog &dialog, const QKeySequence &key, const std::function<void()> &run,
           Qt::ShortcutContext context = Qt::WindowShortcut, QWidget *owner = nullptr)
{
    auto *shortcut = new QShortcut(key, owner ? owner : &dialog);
    shortcut->setContext(context);
    QObject::connect(shortcut, &QShortcut::activated, &dialog, run);
}

void switchPage(MainDialog &dialog, int step)
{
    PageTab *tab = dialog.pageTab();
    tab->setCurrentIndex((tab->currentIndex() + step + tab->count()) % tab->count());
}

} // namespace

QString WithKey(const QString &name, const QKeySequence &key)
{
    return name + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')');
}

void InstallKeyboardCommands(MainDialog &dialog)
{
    const ButtonKey buttons[] = {
        {ControlId::RegisterNew, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {ControlId::Update, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {ControlId::Delete, QKeySequence(Qt::CTRL | Qt::Key_D)},
        {ControlId::SiteJump, QKeySequence(Qt::CTRL | Qt::Key_J)},
        {ControlId::GenerateCode, QKeySequence(Qt::CTRL | Qt::Key_G)},
        {ControlId::CopyCode, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
    };
    for (const ButtonKey &entry : buttons) {
        auto *button = dialog.control<QAbstractButton>(entry.id);
        const QString name = button->text().isEmpty() ? button->accessibleName() : button->text();
        button->setToolTip(WithKey(name, entry.key));
        onKey(dialog, entry.key, [&dialog, button] { press(dialog, button); });
    }
    // Delete where it cannot mean a character: on the list, whose current row it deletes (after
    // the same question as the button's).
    auto *remove = dialog.control<QAbstractButton>(ControlId::Delete);
    onKey(dialog, QKeySequence(QKeySequence::Delete), [&dialog, remove] { press(dialog, remove); },
          Qt::WidgetShortcut, dialog.siteView());

    auto *banner = dialog.control<ClickablePicture>(ControlId::Banner);
    const QKeySequence help(QKeySequence::HelpContents);
    banner->setToolTip(WithKey(banner->accessibleName(), help));
    onKey(dialog, help, [banner] { emit banner->clicked(); });

    PageTab *tab = dialog.pageTab();
    for (int page = 0; page < tab->count(); ++page) {
        const QKeySequence key(Qt::ALT | Qt::Key(Qt::Key_1 + page));
        tab->setTabToolTip(page, WithKey(tab->tabText(page), key));
        onKey(dialog, key, [tab, page] { tab->setCurrentIndex(page); });
    }
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
        onKey(dialog, key, [&dialog] { switchPage(dialog, 1); });
    for (const QKeySequence &key :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        onKey(dialog, key, [&dialog] { switchPage(dialog, -1); });
}
