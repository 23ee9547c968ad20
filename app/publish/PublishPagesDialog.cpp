#include "PublishPagesDialog.h"

#include "OwnPageDialog.h"
#include "UploadServerDialog.h"
#include "UploadSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

QString describe(const PageEntry &entry)
{
    const QString path = QDir::toNativeSeparators(entry.path);
    const QString title = entry.settings.title.isEmpty() ? DefaultPageTitle() : entry.settings.title;
    if (entry.kind == PageEntry::Kind::OwnPage)
        return words("%1　（リンク集のページ「%2」）").arg(path, title);
    if (entry.kind == PageEntry::Kind::Feed)
        return words("%1　（Atom フィード「%2」: 最近加えた %3 件）").arg(path, title).arg(entry.settings.defaults.recentCount);
    if (entry.kind == PageEntry::Kind::Blogroll)
        return words("%1　（ブログロール OPML「%2」）").arg(path, title);
    return QFileInfo(entry.path).isDir() ? words("%1　（フォルダー: 目印のある HTML ファイルすべて）").arg(path)
                                         : words("%1　（目印のあるページ）").arg(path);
}

} // namespace

PublishPagesDialog::PublishPagesDialog(const PublishList &list, const QString &listFile, QWidget *parent)
    : QDialog(parent), m_list(list), m_listFile(listFile)
{
    setWindowTitle(words("公開するページ"));
    auto *intro = new QLabel(words("リンク集を書き込むページです。自分のページには、リンク集を置く所に\n"
                                "<!-- sitekanri --> と <!-- /sitekanri --> の目印を書いておきます（ヘルプを参照）。"),
                             this);
    intro->setTextFormat(Qt::PlainText);
    m_pages = new QListWidget(this);
    m_pages->setAccessibleName(words("公開するページ"));
    auto *addFiles = new QPushButton(words("ページを追加…"), this);
    auto *addFolder = new QPushButton(words("フォルダーを追加…"), this);
    auto *addOwn = new QPushButton(words("リンク集のページを作る…"), this);
    auto *addFeed = new QPushButton(words("Atom フィードを作る…"), this);
    auto *addBlogroll = new QPushButton(words("OPML を作る…"), this);
    m_edit = new QPushButton(words("変更…"), this);
    m_remove = new QPushButton(words("一覧から外す"), this);
    connect(addFiles, &QPushButton::clicked, this, &PublishPagesDialog::addFiles);
    connect(addFolder, &QPushButton::clicked, this, &PublishPagesDialog::addFolder);
    connect(addOwn, &QPushButton::clicked, this, [this] { addMade(PageEntry::Kind::OwnPage); });
    connect(addFeed, &QPushButton::clicked, this, [this] { addMade(PageEntry::Kind::Feed); });
    connect(addBlogroll, &QPushButton::clicked, this, [this] { addMade(PageEntry::Kind::Blogroll); });
    connect(m_edit, &QPushButton::clicked, this, &PublishPagesDialog::editChosen);
    connect(m_remove, &QPushButton::clicked, this, &PublishPagesDialog::removeChosen);
    connect(m_pages, &QListWidget::itemDoubleClicked, this, &PublishPagesDialog::editChosen);
    connect(m_pages, &QListWidget::currentRowChanged, this, [this](int row) {
        m_remove->setEnabled(row >= 0);
        m_edit->setEnabled(row >= 0 && m_list.pages[std::size_t(row)].kind != PageEntry::Kind::Marked);
    });
    m_onChange = new QCheckBox(words("登録が変わるたびに公開する（公開できないページは一覧の下に知らせます）"), this);
    m_onChange->setChecked(list.publishOnChange);
    m_server = new QLabel(this);
    m_server->setTextFormat(Qt::PlainText);
    m_server->setWordWrap(true);
    auto *chooseServer = new QPushButton(words("アップロード先…"), this);
    connect(chooseServer, &QPushButton::clicked, this, &PublishPagesDialog::chooseServer);
    auto *serverRow = new QHBoxLayout;
    serverRow->addWidget(m_server, 1);
    serverRow->addWidget(chooseServer);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(words("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *side = new QVBoxLayout;
    for (QPushButton *button : {addFiles, addFolder, addOwn, addFeed, addBlogroll, m_edit, m_remove})
        side->addWidget(button);
    side->addStretch(1);
    auto *middle = new QHBoxLayout;
    middle->addWidget(m_pages, 1);
    middle->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(middle, 1);
    layout->addWidget(m_onChange);
    layout->addLayout(serverRow);
    layout->addWidget(buttons);
    resize(680, 360);
    refill(0);
    showServer();
}

void PublishPagesDialog::showServer()
{
    if (m_list.server.isEmpty()) {
        m_server->setText(words("アップロード先: なし（公開したページはこのコンピューターに書くだけです）"));
        return;
    }
    const UploadServer server = UploadSettings::find(m_list.server);
    m_server->setText(server.host.isEmpty()
                          ? words("アップロード先: 「%1」（このコンピューターに設定がありません）").arg(m_list.server)
                          : words("アップロード先: 「%1」 %2://%3 %4").arg(server.name, UploadProtocolName(server.protocol), server.shown(),
                                                                  server.folder));
}

void PublishPagesDialog::chooseServer()
{
    // A new server's site folder starts as the folder of the first page.
    QString siteFolder;
    if (!m_list.pages.empty()) {
        const QFileInfo first(m_list.pages.front().path);
        siteFolder = first.isDir() ? first.absoluteFilePath() : first.absolutePath();
    }
    UploadServerDialog dialog(m_list.server, siteFolder, m_listFile, this);
    if (dialog.exec() == QDialog::Accepted)
        m_list.server = dialog.chosen();
    else if (UploadSettings::find(m_list.server).host.isEmpty())
        m_list.server.clear(); // removed there
    showServer();
}

PublishList PublishPagesDialog::list() const
{
    PublishList list = m_list;
    list.publishOnChange = m_onChange->isChecked();
    return list;
}

void PublishPagesDialog::refill(int current)
{
    m_pages->clear();
    for (const PageEntry &entry : m_list.pages)
        m_pages->addItem(describe(entry));
    m_pages->setCurrentRow(std::min(current, m_pages->count() - 1));
    if (m_pages->count() == 0) {
        m_remove->setEnabled(false);
        m_edit->setEnabled(false);
    }
}

void PublishPagesDialog::addFiles()
{
    const QStringList paths = QFileDialog::getOpenFileNames(this, words("目印のあるページ"), QString(),
                                                            words("HTML ファイル (*.html *.htm);;すべてのファイル (*)"));
    for (const QString &path : paths)
        m_list.pages.push_back({PageEntry::Kind::Marked, path, {}, {}});
    refill(int(m_list.pages.size()) - 1);
}

void PublishPagesDialog::addFolder()
{
    const QString path = QFileDialog::getExistingDirectory(this, words("目印のあるページのフォルダー"));
    if (!path.isEmpty())
        m_list.pages.push_back({PageEntry::Kind::Marked, path, {}, {}});
    refill(int(m_list.pages.size()) - 1);
}

void PublishPagesDialog::addMade(PageEntry::Kind kind)
{
    PageEntry entry;
    entry.kind = kind;
    if (kind == PageEntry::Kind::Feed)
        entry.settings.defaults.recentCount = 20;
    OwnPageDialog dialog(entry, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_list.pages.push_back(dialog.entry());
    refill(int(m_list.pages.size()) - 1);
}

void PublishPagesDialog::editChosen()
{
    const int row = m_pages->currentRow();
    if (row < 0 || m_list.pages[std::size_t(row)].kind == PageEntry::Kind::Marked)
        return;
    OwnPageDialog dialog(m_list.pages[std::size_t(row)], this);
    if (dialog.exec() == QDialog::Accepted)
        m_list.pages[std::size_t(row)] = dialog.entry();
    refill(row);
}

void PublishPagesDialog::removeChosen()
{
    const int row = m_pages->currentRow();
    if (row < 0)
        return;
    m_list.pages.erase(m_list.pages.begin() + row);
    refill(row);
}
