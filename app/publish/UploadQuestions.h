#pragma once

#include "UploadEdges.h"

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QWaitCondition>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QWidget;
class SecretKeeper;

// The questions of an upload, asked in the window. The upload's thread asks; each question opens
// as a dialog of its own on the window's thread, and the upload waits for its answer while the
// window goes on (no nested event loop, nothing blocked). stop() answers the open question and
// every later one with no, for a run being cancelled or a window closing. A quiet upload (a
// publish on change, which asks nothing) has every question answered no without a dialog.
class UploadQuestions : public QObject, public UploadEdges
{
    Q_OBJECT
public:
    // `parent` is the window the dialogs open over; `secrets` tells whether the desktop's store
    // can keep what is typed.
    UploadQuestions(QWidget *parent, const SecretKeeper &secrets, bool quiet);
    ~UploadQuestions() override;

    // From the window's thread.
    void stop();

    std::optional<SecretAnswer> askSecret(const UploadServer &server, SecretKind kind, bool again) override;
    bool acceptHostKey(const UploadServer &server, const QString &keyType, const QString &fingerprint) override;
    bool acceptCertificate(const UploadServer &server, const QString &fingerprint, const QString &problem,
                           bool changed) override;
    bool acceptClearText(const UploadServer &server) override;

private:
    using Reply = std::optional<SecretAnswer>; // a yes of a yes-or-no question is any answer
    // Opens a dialog over `parent` that calls the function it is given once, with the answer.
    using Opener = std::function<QDialog *(QWidget *parent, std::function<void(Reply)> answer)>;
    Reply ask(Opener open);
    bool askYes(const QString &title, const QString &text, const QString &yes, const QString &no);

    // Shared with the dialogs' answers, which may come after this object is gone.
    struct State
    {
        QMutex lock;
        QWaitCondition answered;
        bool stopped = false;
        quint64 question = 0; // the number of the question asked last
        std::optional<Reply> reply;
    };

    QPointer<QWidget> m_parent;
    const SecretKeeper &m_secrets;
    bool m_quiet;
    std::shared_ptr<State> m_state = std::make_shared<State>();
    QPointer<QDialog> m_open; // the window's thread only
};
