#include "KeyboardCommands.h"

#include "ClickablePicture.h"
#include "DialogTemplate.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>

#include <functional>

namespace {

// The button shown in its page first: a command given from the list or the other page shows
// what it did.
void press(QTabWidget &pages, QAbstractButton *button)
{
    for (int page = 0; page < pages.count(); ++page) {
        if (pages.widget(page)->isAncestorOf(button))
            pages.setCurrentIndex(page);
    }
    button->click();
}

void onKey(QWidget &window, const QKeySequence &key, const std::function<void()> &run,
           Qt::ShortcutContext context = Qt::WindowShortcut, QWidget *owner = nullptr)
{
    auto *shortcut = new QShortcut(key, owner ? owner : &window);
    shortcut->setContext(context);
    QObject::connect(shortcut, &QShortcut::activated, &window, run);
}

void switchPage(QTabWidget &pages, int step)
{
    pages.setCurrentIndex((pages.currentIndex() + step + pages.count()) % pages.count());
}

} // namespace

const std::vector<ButtonKey> &ButtonKeys()
{
    static const std::vector<ButtonKey> keys = {
        // Ctrl+N is "new" in every program: it starts a new site, and registering has a key of its own.
        {ControlId::NewSite, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {ControlId::RegisterNew, QKeySequence(Qt::CTRL | Qt::Key_Return)},
        {ControlId::Update, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {ControlId::Delete, QKeySequence(Qt::CTRL | Qt::Key_D)},
        {ControlId::SiteJump, QKeySequence(Qt::CTRL | Qt::Key_J)},
        {ControlId::GenerateCode, QKeySequence(Qt::CTRL | Qt::Key_G)},
        {ControlId::Publish, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {ControlId::CopyCode, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
        // Ctrl+S is 更新; saving under a name of one's own is Ctrl+Shift+S in every program.
        {ControlId::SaveCode, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
    };
    return keys;
}

QString WithKey(const QString &name, const QKeySequence &key)
{
    return name + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')');
}

void InstallKeyboardCommands(QWidget &window, QTabWidget &pages, QTableView &list, ClickablePicture &banner,
                             QAbstractButton &deleteButton, const std::vector<KeyedButton> &buttons)
{
    for (const KeyedButton &entry : buttons) {
        QAbstractButton *button = entry.button;
        const QString name = button->text().isEmpty() ? button->accessibleName() : button->text();
        button->setToolTip(WithKey(name, entry.key));
        onKey(window, entry.key, [&pages, button] { press(pages, button); });
    }
    // Delete where it cannot mean a character: on the list, whose chosen rows it deletes (after
    // the same question as the button's). A list that shows no chosen row (a search found
    // nothing) has nothing to delete: the record the fields show is no row of it.
    onKey(
        window, QKeySequence(QKeySequence::Delete),
        [&pages, &deleteButton, &list] {
            if (list.selectionModel() && list.selectionModel()->hasSelection())
                press(pages, &deleteButton);
        },
        Qt::WidgetShortcut, &list);

    const QKeySequence help(QKeySequence::HelpContents);
    banner.setToolTip(WithKey(banner.accessibleName(), help));
    onKey(window, help, [&banner] { emit banner.clicked(); });

    for (int page = 0; page < pages.count(); ++page) {
        const QKeySequence key(Qt::ALT | Qt::Key(Qt::Key_1 + page));
        pages.setTabToolTip(page, WithKey(pages.tabText(page), key));
        onKey(window, key, [&pages, page] { pages.setCurrentIndex(page); });
    }
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)})
        onKey(window, key, [&pages] { switchPage(pages, 1); });
    for (const QKeySequence &key :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        onKey(window, key, [&pages] { switchPage(pages, -1); });
}
