#include "PublishControl.h"

#include "LinkResults.h"
#include "LinkStatus.h"
#include "Publication.h"
#include "PublishDialog.h"
#include "PublishPagesDialog.h"
#include "PublishUpload.h"
#include "RegionCode.h"
#include "SiteClock.h"
#include "SiteRegister.h"
#include "SiteSession.h"
#include "UploadPanel.h"
#include "UploadRun.h"
#include "UploadSettings.h"

#include <QDate>
#include <QMessageBox>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

PublishControl::PublishControl(QWidget &window, const SiteSession &session, const QString &registerFolder,
                               const QString &listFile, QObject *parent)
    : QObject(parent), m_window(window), m_session(session), m_registerFolder(registerFolder), m_listFile(listFile),
      m_list(PublishList::load(registerFolder, listFile))
{
    // A burst of changes (an import, a sync tool's delivery) is published once, when it has settled.
    m_onChange.setSingleShot(true);
    m_onChange.setInterval(1500);
    connect(&m_onChange, &QTimer::timeout, this, &PublishControl::publishQuietly);
    connect(&session.siteRegister(), &SiteRegister::listChanged, this, &PublishControl::registerChanged);
}

PublishControl::~PublishControl() = default;

PublishDialog *PublishControl::dialog() const
{
    return m_dialog;
}

std::unique_ptr<Publication> PublishControl::plan() const
{
    // The results as they are now; a file that cannot be read leaves no link out.
    const auto results = std::make_shared<LinkResults>(m_session.readLinkResults());
    const LinkSource source(m_session.sites(), [results](const QByteArray &url) {
        const CheckedLink *checked = results->find(url);
        return checked && IsDeadLink(checked->result);
    }, QDate::currentDate(), SiteClockNow());
    return std::make_unique<Publication>(Publication::plan(m_list.pages, source));
}

UploadServer PublishControl::server(QString *problem) const
{
    problem->clear();
    if (m_list.server.isEmpty())
        return {};
    const UploadServer server = UploadSettings::find(m_list.server);
    if (server.host.isEmpty())
        *problem = words("サーバー「%1」の設定がこのコンピューターにありません。「ページの設定…」の「アップロード先…」で設定してください。")
                       .arg(m_list.server);
    else if (const QString why = server.problem(); !why.isEmpty())
        *problem = words("サーバー「%1」には送れません: %2").arg(m_list.server, why);
    return server;
}

bool PublishControl::planUpload(const Publication &plan)
{
    UploadPanel *panel = m_dialog->uploadPanel();
    panel->setVisible(!m_list.server.isEmpty());
    QString problem;
    const UploadServer to = server(&problem);
    if (m_list.server.isEmpty() || !problem.isEmpty()) {
        panel->showPlan(problem, true);
        return false;
    }
    QStringList paths;
    QList<QByteArray> digests;
    for (const SiteFile &file : plan.filesToUpload(true)) {
        paths << file.path;
        digests << file.digest;
    }
    const QList<UploadItem> items = UploadRun::itemsOf(to, paths);
    const qsizetype sending = UploadRun::wouldSend(to, items, digests).count(true);
    const qsizetype outside = std::count_if(items.begin(), items.end(), [](const UploadItem &item) { return item.remotePath.isEmpty(); });
    QString text = sending ? words("公開すると、サーバー「%1」（%2）に、前に送ったものと違う %3 ファイルを送ります。").arg(to.name, to.shown()).arg(sending)
                           : words("サーバー「%1」（%2）には、どのファイルも前に送ったままです。").arg(to.name, to.shown());
    if (outside)
        text += words("%1 ファイルはサイトのフォルダー %2 の外にあるため、送れません。").arg(outside).arg(to.siteFolder);
    panel->showPlan(text, outside > 0);
    return sending > 0;
}

void PublishControl::open()
{
    if (!m_dialog) {
        m_dialog = new PublishDialog(&m_window);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_dialog, &PublishDialog::publishRequested, this, &PublishControl::publishShown);
        connect(m_dialog, &PublishDialog::pagesRequested, this, &PublishControl::editPages);
        // Closed while it sends: its upload stops, the server's files as they were.
        connect(m_dialog, &QDialog::finished, this, [this] {
            if (m_upload && m_upload->running() && !m_upload->quiet())
                m_upload->cancel();
        });
    } else if (m_upload && m_upload->running()) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    m_shown = plan();
    const bool uploadPending = planUpload(*m_shown);
    m_dialog->showPlan(*m_shown, !m_list.pages.empty(), uploadPending);
    m_dialog->open();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void PublishControl::publishShown()
{
    if (!m_shown || !m_dialog)
        return;
    // What the user saw is what is written; an editor's save since then is found page by page.
    m_shown->write();
    m_dialog->showResult(*m_shown);
    startUpload(*m_shown, false);
    m_shown.reset();
}

void PublishControl::startUpload(const Publication &written, bool quiet)
{
    QString problem;
    const UploadServer to = server(&problem);
    if (m_list.server.isEmpty() || !problem.isEmpty())
        return;
    QStringList paths;
    for (const SiteFile &file : written.filesToUpload())
        paths << file.path;
    // One upload at a time: one still under way (a publish on change) stops, without the window
    // waiting for it; the new one waits for its server until it has.
    if (m_upload && m_upload->running()) {
        m_upload->cancel();
        PublishUpload *stopping = m_upload.get();
        connect(stopping, &PublishUpload::finished, this, [this, stopping] {
            const auto it = std::find_if(m_stopping.begin(), m_stopping.end(), [&](const auto &one) { return one.get() == stopping; });
            if (it != m_stopping.end()) {
                it->release()->deleteLater();
                m_stopping.erase(it);
            }
        });
        m_stopping.push_back(std::move(m_upload));
    }
    m_upload = std::make_unique<PublishUpload>(to, paths, quiet ? nullptr : m_dialog.data(), quiet);
    if (!quiet) {
        UploadPanel *panel = m_dialog->uploadPanel();
        panel->started(m_upload->fileCount());
        connect(m_upload.get(), &PublishUpload::lineReady, panel, &UploadPanel::addLine);
        connect(m_upload.get(), &PublishUpload::progressed, panel, &UploadPanel::progressed);
        connect(panel, &UploadPanel::cancelRequested, m_upload.get(), &PublishUpload::cancel);
        connect(m_upload.get(), &PublishUpload::finished, panel,
                [this, panel](bool succeeded) { panel->finished(m_upload->summary(), succeeded); });
    }
    m_upload->start();
}

void PublishControl::editPages()
{
    PublishPagesDialog pages(m_list, m_listFile, m_dialog ? static_cast<QWidget *>(m_dialog) : &m_window);
    if (pages.exec() != QDialog::Accepted) {
        // A server renamed or removed there is renamed or removed in the kept list already.
        m_list.server = PublishList::load(m_registerFolder, m_listFile).server;
        return;
    }
    m_list = pages.list();
    if (!m_list.save(m_registerFolder, m_listFile))
        QMessageBox::warning(&pages, words("公開"), words("公開するページの一覧を保存できませんでした。\n%1").arg(m_listFile));
    if (m_dialog)
        open();
}

void PublishControl::registerChanged()
{
    if (!m_list.publishOnChange || m_list.pages.empty())
        return;
    if (m_upload && m_upload->running())
        m_changedWhileUploading = true;
    else
        m_onChange.start();
}

void PublishControl::publishQuietly()
{
    // The user is looking at a plan: it is theirs to write.
    if (m_dialog && m_dialog->isVisible())
        return;
    const std::unique_ptr<Publication> publication = plan();
    if (!publication->anyChanged() && !publication->anyRefused())
        return;
    publication->write();
    int written = 0, refused = 0;
    for (const PublishedFile &file : publication->files()) {
        written += file.written;
        refused += file.status == PublishedFile::Status::Refused;
    }
    startUpload(*publication, true);
    if (!m_upload || !m_upload->running())
        return toldQuietly(written, refused, nullptr);
    connect(m_upload.get(), &PublishUpload::finished, this, [this, written, refused, upload = m_upload.get()] {
        if (upload != m_upload.get())
            return; // stopped for a newer one, which tells
        toldQuietly(written, refused, upload);
        // What changed while it was sending is published now.
        if (std::exchange(m_changedWhileUploading, false))
            m_onChange.start();
    });
}

void PublishControl::toldQuietly(int written, int refused, const PublishUpload *upload)
{
    QString text = words("公開: %1 ページを書き込みました。").arg(written);
    if (refused)
        text += words("%1 ページは公開できません（「公開」で確かめてください）。").arg(refused);
    if (upload && upload->succeeded())
        text += words("サーバー「%1」: %2。").arg(upload->server().name, upload->summary());
    else if (upload)
        text += words("サーバー「%1」に送れなかったファイルがあります（%2。「公開」で確かめてください）。")
                    .arg(upload->server().name, upload->summary());
    emit told(text);
}
