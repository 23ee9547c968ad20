#pragma once

#include "MessageBoxes.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
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

    Answer askYesNo(QWidget *, const QString &title, const QString &text, Answer) override
    {
        shown.push_back({title, text, true});
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

    // An answer queued for a question that never came would be given to a later one.
    ~RecordingMessageBoxes() override { EXPECT_TRUE(answers.empty()) << answers.size() << " queued answers never asked for"; }

    std::vector<Shown> shown;
    std::deque<Answer> answers;
    // Run once, by the next question, before it is answered.
    std::function<void()> whileAsked;
};
