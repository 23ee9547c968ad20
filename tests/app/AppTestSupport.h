#pragma once

// The window over a temporary register, and what the window tests use of it.

#include "DialogTemplate.h"
#include "LinkPage.h"
#include "MainDialog.h"
#include "PageTab.h"
#include "RegisterPage.h"
#include "SiteSearchBar.h"
#include "TempRegister.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

// Message boxes that never block: each message and question is recorded, and each question is
// answered from a queue the test fills beforehand. A question nobody expected fails the test.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString title;
        QString text;
        bool question;
        Answer preset = Answer::Yes; // of a question: the answer Enter gives (not compared)
        bool operator==(const Shown &o) const { return title == o.title && text == o.text && question == o.question; }
        friend void PrintTo(const Shown &s, std::ostream *out)
        {
            *out << (s.question ? "question " : "message ") << s.title.toStdString() << ": " << s.text.toStdString();
        }
    };

    void showMessage(QWidget *, const QString &title, const QString &text) override
    {
        shown.push_back({title, text, false});
    }

    Answer askYesNo(QWidget *, const QString &title, const QString &text, Answer preset) override
    {
        shown.push_back({title, text, true, preset});
        // Another program's turn while the question is open: it runs, and the test lets the
        // event loop turn until the window has taken its change in, before the answer comes.
        if (whileAsked)
            std::exchange(whileAsked, nullptr)();
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return Answer::No;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // A question of choices: recorded as a question, answered from `choices` (-1: cancelled).
    int askChoice(QWidget *, const QString &title, const QString &text, const QStringList &offered, int) override
    {
        shown.push_back({title, text + QStringLiteral(" [") + offered.join(u'|') + u']', true});
        if (choices.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return -1;
        }
        const int choice = choices.front();
        choices.pop_front();
        return choice;
    }

    // An answer queued for a question that never came would be given to a later one.
    ~RecordingMessageBoxes() override
    {
        EXPECT_TRUE(answers.empty() && choices.empty()) << answers.size() + choices.size() << " queued answers never asked for";
    }

    std::vector<Shown> shown;
    std::deque<Answer> answers;
    std::deque<int> choices;
    // Run once, by the next question, before it is answered.
    std::function<void()> whileAsked;
};

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

// Clicks the header `header` on its section `column`, as a user sorts a list.
void ClickHeader(QHeaderView *header, int column);

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
    // The list's column `column` as it shows, top to bottom: "a|b|c".
    QString column(int column = 0) const
    {
        QStringList cells;
        for (int row = 0; row < rowCount(); ++row)
            cells << cell(row, column);
        return cells.join(u'|');
    }
    // The register on disk, in its order.
    std::vector<SiteRecord> onDisk() const
    {
        const SiteList sites = ReadRegister(reg.path());
        return {sites.begin(), sites.end()};
    }
    // Runs sitekanri-cli on the register with `arguments` (UTF-8), which must succeed.
    void cli(const std::vector<const char *> &arguments)
    {
        QStringList args{QStringLiteral("--dir"), reg.path()};
        for (const char *argument : arguments)
            args << QString::fromUtf8(argument);
        const ProgramRun run = RunProgram(QStringLiteral(SITEKANRI_CLI), args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect rect = view()->visualRect(view()->model()->index(row, 0));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    void click(int id) { QTest::mouseClick(dialog->control(id), Qt::LeftButton); }
    QString field(int id) const { return dialog->ItemText(id); }
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
