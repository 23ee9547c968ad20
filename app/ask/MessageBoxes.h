#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The window's modal messages and questions, behind an interface so that tests can answer them
// without a box ever blocking.
class MessageBoxes
{
public:
    enum class Answer { Yes, No };

    virtual ~MessageBoxes() = default;

    // A message with an OK button; returns when it has been closed.
    virtual void showMessage(QWidget *parent, const QString &title, const QString &text) = 0;
    // A message that reports an outcome rather than a problem (the box without a warning sign).
    virtual void showInformation(QWidget *parent, const QString &title, const QString &text)
    {
        showMessage(parent, title, text);
    }
    // A Yes/No question; `preset` is the button that Enter presses.
    virtual Answer askYesNo(QWidget *parent, const QString &title, const QString &text, Answer preset) = 0;
    // A question answered by one of `choices` (the buttons, left to right), `preset` the one Enter
    // presses; -1 when the user cancelled (Escape, the close box), or when there is nobody to ask.
    virtual int askChoice(QWidget *parent, const QString &title, const QString &text, const QStringList &choices, int preset)
    {
        Q_UNUSED(parent) Q_UNUSED(title) Q_UNUSED(text) Q_UNUSED(choices) Q_UNUSED(preset)
        return -1;
    }
    // A line of text to type under `label`, starting from `text`, or one of `offered` to choose
    // (when given); false when the user cancelled, or when there is nobody to ask.
    virtual bool askText(QWidget *parent, const QString &title, const QString &label, const QStringList &offered,
                         QString &text)
    {
        Q_UNUSED(parent) Q_UNUSED(title) Q_UNUSED(label) Q_UNUSED(offered) Q_UNUSED(text)
        return false;
    }
};

// The real boxes: a warning for a message, a question mark for a question.
class DialogMessageBoxes : public MessageBoxes
{
public:
    void showMessage(QWidget *parent, const QString &title, const QString &text) override;
    void showInformation(QWidget *parent, const QString &title, const QString &text) override;
    Answer askYesNo(QWidget *parent, const QString &title, const QString &text, Answer preset) override;
    int askChoice(QWidget *parent, const QString &title, const QString &text, const QStringList &choices, int preset) override;
    bool askText(QWidget *parent, const QString &title, const QString &label, const QStringList &offered,
                 QString &text) override;
};
