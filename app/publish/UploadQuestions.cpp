#include "UploadQuestions.h"

#include "SecretKeeper.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

// "サーバー「自宅」（me@example.jp:22）", or the login alone for a server without a name.
QString serverText(const UploadServer &server)
{
    return server.name.isEmpty() ? server.shown() : words("サーバー「%1」（%2）").arg(server.name, server.shown());
}

} // namespace

UploadQuestions::UploadQuestions(QWidget *parent, const SecretKeeper &secrets, bool quiet)
    : m_parent(parent), m_secrets(secrets), m_quiet(quiet)
{
}

UploadQuestions::~UploadQuestions()
{
    stop();
}

void UploadQuestions::stop()
{
    {
        const QMutexLocker locked(&m_state->lock);
        m_state->stopped = true;
        m_state->answered.wakeAll();
    }
    if (m_open)
        m_open->reject();
}

UploadQuestions::Reply UploadQuestions::ask(Opener open)
{
    const std::shared_ptr<State> state = m_state;
    QMutexLocker locked(&state->lock);
    if (m_quiet || state->stopped)
        return std::nullopt;
    const quint64 question = ++state->question;
    state->reply.reset();
    const auto answer = [state, question](Reply given) {
        const QMutexLocker answering(&state->lock);
        if (question == state->question && !state->reply) {
            state->reply = std::move(given);
            state->answered.wakeAll();
        }
    };
    QMetaObject::invokeMethod(this, [this, open = std::move(open), answer, state] {
        bool stopped;
        {
            const QMutexLocker looking(&state->lock);
            stopped = state->stopped;
        }
        if (stopped || !m_parent)
            answer(std::nullopt);
        else
            m_open = open(m_parent, answer);
    }, Qt::QueuedConnection);
    while (!state->reply && !state->stopped)
        state->answered.wait(&state->lock);
    return state->reply ? *state->reply : std::nullopt;
}

bool UploadQuestions::askYes(const QString &title, const QString &text, const QString &yes, const QString &no)
{
    return ask([title, text, yes, no](QWidget *parent, std::function<void(Reply)> answer) -> QDialog * {
               auto *box = new QMessageBox(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
               box->setObjectName(QStringLiteral("uploadQuestion"));
               box->setAttribute(Qt::WA_DeleteOnClose);
               box->setTextFormat(Qt::PlainText);
               QPushButton *accept = box->addButton(yes, QMessageBox::AcceptRole);
               QPushButton *refuse = box->addButton(no, QMessageBox::RejectRole);
               // What is not read is not agreed to: Enter and Escape both refuse.
               box->setDefaultButton(refuse);
               box->setEscapeButton(refuse);
               QObject::connect(box, &QDialog::finished, box, [box, accept, answer](int) {
                   answer(box->clickedButton() == accept ? Reply(SecretAnswer{}) : std::nullopt);
               });
               box->open();
               return box;
           })
        .has_value();
}

std::optional<SecretAnswer> UploadQuestions::askSecret(const UploadServer &server, SecretKind kind, bool again)
{
    // Read here, on the upload's thread, where the keeper learns whether the store answers.
    const bool storeAvailable = m_secrets.storeAvailable();
    QString text = kind == SecretKind::Password
        ? words("%1 にログインするパスワードを入力してください。").arg(serverText(server))
        : words("鍵ファイル %1 のパスフレーズを入力してください（%2）。").arg(server.keyFile, serverText(server));
    if (again)
        text = words("受け入れられませんでした。もう一度入力してください。\n") + text;
    return ask([=](QWidget *parent, std::function<void(Reply)> answer) -> QDialog * {
        auto *dialog = new QDialog(parent);
        dialog->setObjectName(QStringLiteral("uploadSecret"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(kind == SecretKind::Password ? words("パスワード") : words("パスフレーズ"));
        auto *label = new QLabel(text, dialog);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        auto *secret = new QLineEdit(dialog);
        secret->setEchoMode(QLineEdit::Password);
        secret->setAccessibleName(dialog->windowTitle());
        label->setBuddy(secret);
        auto *remember = new QCheckBox(storeAvailable ? words("秘密の保管場所（キーリング）に保存して、次からは尋ねない")
                                                      : words("秘密の保管場所がないため、サイト管理を終えるまでだけ覚えます"),
                                       dialog);
        remember->setChecked(storeAvailable);
        remember->setEnabled(storeAvailable);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
        buttons->button(QDialogButtonBox::Cancel)->setText(words("キャンセル"));
        QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
        auto *layout = new QVBoxLayout(dialog);
        layout->addWidget(label);
        layout->addWidget(secret);
        layout->addWidget(remember);
        layout->addWidget(buttons);
        QObject::connect(dialog, &QDialog::finished, dialog, [=](int result) {
            answer(result == QDialog::Accepted ? Reply(SecretAnswer{secret->text(), remember->isChecked()}) : std::nullopt);
        });
        dialog->resize(440, dialog->sizeHint().height());
        dialog->open();
        return dialog;
    });
}

bool UploadQuestions::acceptHostKey(const UploadServer &server, const QString &keyType, const QString &fingerprint)
{
    return askYes(words("サーバーの確認"),
                  words("%1 に初めて接続します。\n\n鍵の種類: %2\n指紋: %3\n\n"
                        "この指紋がそのサーバーの鍵のものか、サーバーの管理者や管理画面で確かめてください。"
                        "信頼すると ~/.ssh/known_hosts に記録し、次からは尋ねません。")
                      .arg(serverText(server), keyType, fingerprint),
                  words("信頼して接続"), words("接続しない"));
}

bool UploadQuestions::acceptCertificate(const UploadServer &server, const QString &fingerprint, const QString &problem,
                                        bool changed)
{
    QString text = words("%1 の証明書を確かめられません（%2）。\n\n証明書の指紋: %3\n\n").arg(serverText(server), problem, fingerprint);
    text += changed ? words("以前に信頼した証明書と違います。サーバーが証明書を替えたのでなければ、通信の途中で誰かが"
                            "サーバーになりすましているおそれがあります。")
                    : words("自分で署名した証明書のサーバーなら、この指紋がその証明書のものか、サーバーの管理者や管理画面で"
                            "確かめてください。");
    text += words("信頼すると、このサーバーではこの証明書だけを信頼し、次からは尋ねません。");
    return askYes(words("証明書の確認"), text, words("この証明書を信頼する"), words("接続しない"));
}

bool UploadQuestions::acceptClearText(const UploadServer &server)
{
    return askYes(words("暗号化しない FTP"),
                  words("%1 には FTP で送ります。FTP はパスワードもページも暗号化しないため、途中の誰にでも読めます。"
                        "サーバーが FTPS か SFTP に対応していれば、そちらに設定してください。\n\n"
                        "このサーバーに FTP で送りますか？（次からは尋ねません）")
                      .arg(serverText(server)),
                  words("FTP で送る"), words("送らない"));
}
