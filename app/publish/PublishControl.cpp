#include "PublishControl.h"

#include "LinkResults.h"
#include "LinkStatus.h"
#include "Publication.h"
#include "PublishDialog.h"
#include "PublishPagesDialog.h"
#include "RegionCode.h"
#include "SiteRegister.h"
#include "SiteSession.h"

#include <QDate>
#include <QMessageBox>
#include <QWidget>

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
    }, QDate::currentDate());
    return std::make_unique<Publication>(Publication::plan(m_list.pages, source));
}

void PublishControl::open()
{
    if (!m_dialog) {
        m_dialog = new PublishDialog(&m_window);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_dialog, &PublishDialog::publishRequested, this, &PublishControl::publishShown);
        connect(m_dialog, &PublishDialog::pagesRequested, this, &PublishControl::editPages);
    }
    m_shown = plan();
    m_dialog->showPlan(*m_shown, !m_list.pages.empty());
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
    m_shown.reset();
}

void PublishControl::editPages()
{
    PublishPagesDialog pages(m_list, m_dialog ? static_cast<QWidget *>(m_dialog) : &m_window);
    if (pages.exec() != QDialog::Accepted)
        return;
    m_list = pages.list();
    if (!m_list.save(m_registerFolder, m_listFile))
        QMessageBox::warning(&pages, words("公開"), words("公開するページの一覧を保存できませんでした。\n%1").arg(m_listFile));
    if (m_dialog)
        open();
}

void PublishControl::registerChanged()
{
    if (m_list.publishOnChange && !m_list.pages.empty())
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
    QString text = words("公開: %1 ページを書き込みました。").arg(written);
    if (refused)
        text += words("%1 ページは公開できません（「公開」で確かめてください）。").arg(refused);
    emit told(text);
}
