#include "UploadServerDialog.h"

#include "PublishList.h"
#include "SecretKeeper.h"
#include "UploadSettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QThreadPool>
#include <QVBoxLayout>

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

enum class Choice { None, Server, New };
constexpr int kChoiceRole = Qt::UserRole + 1;

QLabel *note(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget *withButton(QLineEdit *line, QPushButton *button, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(line, 1);
    layout->addWidget(button);
    return row;
}

} // namespace

void ForgetServerSecrets(const UploadServer &server)
{
    const QStringList keys{server.passwordKey(), server.passphraseKey()};
    QThreadPool::globalInstance()->start([keys] {
        SecretKeeper keeper;
        for (const QString &key : keys)
            keeper.forget(key);
    });
}

UploadServerDialog::UploadServerDialog(const QString &chosen, const QString &siteFolder, const QString &listFile, QWidget *parent)
    : QDialog(parent), m_listFile(listFile), m_siteFolder(siteFolder), m_chosen(chosen)
{
    setWindowTitle(words("アップロード先"));
    setObjectName(QStringLiteral("uploadServerDialog"));
    m_choice = new QComboBox(this);
    m_choice->setAccessibleName(words("アップロード先"));
    m_name = new QLineEdit(this);
    m_name->setPlaceholderText(words("例: 自分のサイト"));
    m_protocol = new QComboBox(this);
    m_protocol->addItem(words("SFTP（SSH）"), int(UploadProtocol::Sftp));
    m_protocol->addItem(words("FTPS（TLS で暗号化した FTP）"), int(UploadProtocol::Ftps));
    m_protocol->addItem(words("FTP（暗号化なし）"), int(UploadProtocol::Ftp));
    m_clearText = note(words("FTP はパスワードもページも暗号化せずに送るため、途中の誰にでも読めます。サーバーが対応していれば "
                             "FTPS か SFTP を選んでください。初めて送るときに、もう一度確かめます。"),
                       this);
    m_clearText->setStyleSheet(QStringLiteral("color: #c82828;"));
    m_host = new QLineEdit(this);
    m_host->setPlaceholderText(QStringLiteral("example.jp"));
    m_port = new QSpinBox(this);
    m_port->setRange(0, 65535);
    m_port->setSpecialValueText(words("既定"));
    m_user = new QLineEdit(this);
    m_folder = new QLineEdit(this);
    m_folder->setPlaceholderText(words("例: ~/public_html（空欄: ログインした所）"));
    m_login = new QComboBox(this);
    m_login->addItem(words("SSH エージェントの鍵"), int(SshLogin::Agent));
    m_login->addItem(words("鍵ファイル"), int(SshLogin::KeyFile));
    m_login->addItem(words("パスワード"), int(SshLogin::Password));
    m_keyFile = new QLineEdit(this);
    auto *chooseKey = new QPushButton(words("参照…"), this);
    m_keyRow = withButton(m_keyFile, chooseKey, this);
    m_site = new QLineEdit(this);
    auto *chooseSite = new QPushButton(words("参照…"), this);
    connect(chooseKey, &QPushButton::clicked, this, [this] { chooseFolder(m_keyFile, true); });
    connect(chooseSite, &QPushButton::clicked, this, [this] { chooseFolder(m_site, false); });

    // Named for the tests and for accessibility tools alike.
    for (const auto &[field, name] : {std::pair<QWidget *, const char *>{m_choice, "serverChoice"}, {m_name, "serverName"},
                                      {m_protocol, "serverProtocol"}, {m_host, "serverHost"}, {m_port, "serverPort"},
                                      {m_user, "serverUser"}, {m_folder, "serverFolder"}, {m_login, "serverLogin"},
                                      {m_keyFile, "serverKeyFile"}, {m_site, "serverSiteFolder"}})
        field->setObjectName(QLatin1String(name));
    m_form = new QWidget(this);
    auto *form = new QFormLayout(m_form);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(words("名前"), m_name);
    form->addRow(words("方式"), m_protocol);
    form->addRow(QString(), m_clearText);
    form->addRow(words("ホスト"), m_host);
    form->addRow(words("ポート"), m_port);
    form->addRow(words("ユーザー名"), m_user);
    form->addRow(words("サーバーのフォルダー"), m_folder);
    form->addRow(words("ログイン"), m_login);
    form->addRow(words("鍵ファイル"), m_keyRow);
    form->addRow(words("サイトのフォルダー"), withButton(m_site, chooseSite, this));
    form->addRow(QString(), note(words("このフォルダーの下のファイルを、サーバーのフォルダーの同じ場所に送ります。"), this));
    form->addRow(QString(), note(words("パスワードとパスフレーズはここには書きません。初めて送るときに尋ね、デスクトップの秘密の保管場所"
                                       "（キーリング）に保存します。"), this));
    m_problem = note(QString(), this);
    m_problem->setStyleSheet(QStringLiteral("color: #c82828;"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(words("キャンセル"));
    m_remove = buttons->addButton(words("このサーバーを削除…"), QDialogButtonBox::ResetRole);
    connect(m_remove, &QPushButton::clicked, this, &UploadServerDialog::removeChosen);
    connect(buttons, &QDialogButtonBox::accepted, this, &UploadServerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_choice, &QComboBox::currentIndexChanged, this, &UploadServerDialog::choose);
    connect(m_protocol, &QComboBox::currentIndexChanged, this, &UploadServerDialog::followProtocol);
    connect(m_login, &QComboBox::currentIndexChanged, this, &UploadServerDialog::followProtocol);

    auto *top = new QFormLayout;
    top->addRow(words("公開したページを送るサーバー"), m_choice);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_form);
    layout->addWidget(m_problem);
    layout->addStretch(1);
    layout->addWidget(buttons);
    refill(chosen);
    resize(560, sizeHint().height());
}

void UploadServerDialog::refill(const QString &name)
{
    const QSignalBlocker quiet(m_choice);
    m_servers = UploadSettings::load();
    m_choice->clear();
    m_choice->addItem(words("（送らない）"));
    m_choice->setItemData(0, int(Choice::None), kChoiceRole);
    for (const UploadServer &server : std::as_const(m_servers)) {
        m_choice->addItem(words("%1（%2://%3）").arg(server.name, UploadProtocolName(server.protocol), server.shown()), server.name);
        m_choice->setItemData(m_choice->count() - 1, int(Choice::Server), kChoiceRole);
    }
    m_choice->addItem(words("新しいサーバー…"));
    m_choice->setItemData(m_choice->count() - 1, int(Choice::New), kChoiceRole);
    const int found = name.isEmpty() ? 0 : m_choice->findData(name);
    // A name no server answers to any more: a new one is set up under it.
    m_choice->setCurrentIndex(found >= 0 ? found : m_choice->count() - 1);
    choose();
    if (found < 0)
        m_name->setText(name);
}

void UploadServerDialog::choose()
{
    const auto choice = Choice(m_choice->currentData(kChoiceRole).toInt());
    m_form->setEnabled(choice != Choice::None);
    m_remove->setEnabled(choice == Choice::Server);
    m_problem->clear();
    UploadServer server;
    if (choice == Choice::Server)
        server = m_servers.value(m_choice->currentIndex() - 1);
    else
        server.siteFolder = m_siteFolder;
    showServer(server);
}

void UploadServerDialog::showServer(const UploadServer &server)
{
    m_shown = server;
    m_name->setText(server.name);
    m_protocol->setCurrentIndex(m_protocol->findData(int(server.protocol)));
    m_host->setText(server.host);
    m_port->setValue(server.port);
    m_user->setText(server.user);
    m_folder->setText(server.folder);
    m_login->setCurrentIndex(m_login->findData(int(server.sshLogin)));
    m_keyFile->setText(server.keyFile);
    m_site->setText(QDir::toNativeSeparators(server.siteFolder));
    followProtocol();
}

void UploadServerDialog::followProtocol()
{
    const auto protocol = UploadProtocol(m_protocol->currentData().toInt());
    auto *form = static_cast<QFormLayout *>(m_form->layout());
    form->setRowVisible(m_clearText, protocol == UploadProtocol::Ftp);
    form->setRowVisible(m_login, protocol == UploadProtocol::Sftp);
    form->setRowVisible(m_keyRow, protocol == UploadProtocol::Sftp && SshLogin(m_login->currentData().toInt()) == SshLogin::KeyFile);
    m_port->setSpecialValueText(words("既定（%1）").arg(protocol == UploadProtocol::Sftp ? 22 : 21));
}

UploadServer UploadServerDialog::formServer() const
{
    UploadServer server = m_shown;
    server.name = m_name->text().trimmed();
    server.protocol = UploadProtocol(m_protocol->currentData().toInt());
    server.host = m_host->text().trimmed();
    server.port = m_port->value();
    server.user = m_user->text().trimmed();
    server.folder = m_folder->text().trimmed();
    server.sshLogin = SshLogin(m_login->currentData().toInt());
    server.keyFile = server.sshLogin == SshLogin::KeyFile ? m_keyFile->text().trimmed() : QString();
    server.siteFolder = QDir::cleanPath(QDir::fromNativeSeparators(m_site->text().trimmed()));
    // A certificate accepted, or plain FTP agreed to, was for the server as it was.
    if (server.identity() != m_shown.identity()) {
        server.certificatePin.clear();
        server.clearTextAccepted = false;
    }
    return server;
}

QString UploadServerDialog::formProblem(const UploadServer &server) const
{
    if (server.name.isEmpty())
        return words("サーバーの名前を入力してください。");
    for (const UploadServer &other : m_servers)
        if (other.name == server.name && other.name != m_shown.name)
            return words("「%1」という名前のサーバーはもうあります。").arg(server.name);
    if (const QString problem = server.problem(); !problem.isEmpty())
        return problem;
    if (m_site->text().trimmed().isEmpty())
        return words("サーバーのフォルダーに写すサイトのフォルダーを選んでください。");
    if (!QFileInfo(server.siteFolder).isDir())
        return words("サイトのフォルダーがありません: %1").arg(server.siteFolder);
    return {};
}

void UploadServerDialog::accept()
{
    if (Choice(m_choice->currentData(kChoiceRole).toInt()) == Choice::None) {
        m_chosen.clear();
        return QDialog::accept();
    }
    const UploadServer server = formServer();
    if (const QString problem = formProblem(server); !problem.isEmpty()) {
        m_problem->setText(problem);
        return;
    }
    if (!m_shown.name.isEmpty() && m_shown.name != server.name) {
        UploadSettings::remove(m_shown.name);
        PublishList::renameServer(m_shown.name, server.name, m_listFile);
    }
    if (!m_shown.host.isEmpty() && (server.identity() != m_shown.identity() || server.keyFile != m_shown.keyFile))
        ForgetServerSecrets(m_shown);
    UploadSettings::save(server);
    m_chosen = server.name;
    QDialog::accept();
}

void UploadServerDialog::removeChosen()
{
    if (Choice(m_choice->currentData(kChoiceRole).toInt()) != Choice::Server)
        return;
    const UploadServer server = m_shown;
    if (QMessageBox::question(this, windowTitle(),
                              words("サーバー「%1」の設定を削除しますか？\n保存したパスワードとパスフレーズも消え、"
                                    "このサーバーに送っていたほかの登録簿のページも送らなくなります。")
                                  .arg(server.name))
        != QMessageBox::Yes)
        return;
    UploadSettings::remove(server.name);
    PublishList::renameServer(server.name, QString(), m_listFile);
    ForgetServerSecrets(server);
    if (m_chosen == server.name)
        m_chosen.clear();
    refill(QString());
}

void UploadServerDialog::chooseFolder(QLineEdit *line, bool file)
{
    const QString start = line->text().isEmpty() ? (file ? QDir::homePath() + QStringLiteral("/.ssh") : QDir::homePath()) : line->text();
    const QString path = file ? QFileDialog::getOpenFileName(this, words("鍵ファイル"), start)
                              : QFileDialog::getExistingDirectory(this, words("サイトのフォルダー"), start);
    if (!path.isEmpty())
        line->setText(QDir::toNativeSeparators(path));
}
