#pragma once

#include "MainDialog.h"
#include "RecordingMessageBoxes.h"
#include "TempRegister.h"

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

extern const QString kCaption;

// Three sites out of alphabetical order, so that any sorting would show.
std::vector<SiteRecord> ThreeSites();

// Types `text` at the cursor of `field` as a Japanese user does: committed by the input method
// (QTest's key clicks know ASCII only).
void TypeText(QWidget *field, const QString &text);

// The six registration fields, in record order, their texts, and the texts a record shows there.
extern const std::vector<int> kFieldIds;
std::vector<QString> RegistrationFields(const MainDialog &dialog);
std::vector<QString> FieldTexts(const SiteRecord &record);

// One message or question box with the window's caption.
RecordingMessageBoxes::Shown Message(const char *utf8);
RecordingMessageBoxes::Shown Question(const char *utf8);

// A window over a temporary register, started and shown; its message boxes are answered from a
// queue.
class WindowTest : public ::testing::Test
{
protected:
    // Saves `records` as the register, then starts a new window over it (ending any earlier one).
    void start(const std::vector<SiteRecord> &records)
    {
        WriteRegister(reg.path(), records);
        open();
    }
    // Starts a new window over the register as it is on disk.
    void open()
    {
        dialog.reset();
        boxes.shown.clear();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        dialog = std::make_unique<MainDialog>(boxes);
        ASSERT_TRUE(dialog->OnInitDialog());
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    // Gives the window the keyboard, as the desktop does for the window the user works in.
    void activate()
    {
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    // The window has taken in what is on disk (its watcher has seen every change made there).
    void waitForWatcher()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return dialog->sites() == ReadRegister(reg.path()); }, 3000));
    }

    QTableView *view() const { return dialog->siteView(); }
    int rowCount() const { return view()->model()->rowCount(); }
    QString cell(int row, int column) const { return view()->model()->index(row, column).data().toString(); }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect rect = view()->visualRect(view()->model()->index(row, 0));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    void click(int id) { QTest::mouseClick(dialog->control(id), Qt::LeftButton); }
    // Types `utf8` into the field `id` in place of what it holds.
    void type(int id, const char *utf8)
    {
        auto *field = dialog->control<QLineEdit>(id);
        field->clear();
        TypeText(field, QString::fromUtf8(utf8));
    }

    // The window's remembered settings, in a folder of this test's own.
    QTemporaryDir config;
    TempRegister reg;
    RecordingMessageBoxes boxes;
    std::unique_ptr<MainDialog> dialog;
};
