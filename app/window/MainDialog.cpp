#include "MainDialog.h"

#include "AppDirectory.h"
#include "BookmarkActions.h"
#include "ClickablePicture.h"
#include "CodePage.h"
#include "HomePage.h"
#include "KeyboardCommands.h"
#include "KeywordActions.h"
#include "KeywordList.h"
#include "LiveKeywordList.h"
#include "LinkDropTarget.h"
#include "LinkPage.h"
#include "OutsideIntake.h"
#include "PageTab.h"
#include "PublishControl.h"
#include "RegisterPage.h"
#include "RegistrationOperations.h"
#include "ResourceImages.h"
#include "SiteListCommands.h"
#include "SiteRegister.h"
#include "SiteSearchBar.h"
#include "StatusLine.h"
#include "UndoHistory.h"
#include "WindowMemory.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QRadioButton>

namespace {

int fieldControl(SiteFieldId field)
{
    static const int ids[] = {ControlId::SiteName, ControlId::SiteUrl,  ControlId::Keyword1,
                              ControlId::Keyword2, ControlId::Keyword3, ControlId::Content};
    return ids[int(field)];
}

} // namespace

MainDialog::MainDialog(MessageBoxes &boxes, QWidget *parent)
    : QDialog(parent)
    , KeywordFilter(kAllKeywords)
    , m_boxes(boxes)
    , m_units(DialogUnits::ofFont(DialogUnits::dialogFont()))
    , m_controls(m_units)
{
    const DialogTemplate &dialog = DialogTemplates::mainDialog();
    setFont(DialogUnits::dialogFont());
    setWindowTitle(dialog.captionText());
    // A window of its own in the task bar, which can be minimised and maximised like any other.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    m_controls.build(*this);
    // The template's size is the window's least size and the size it opens at.
    resize(m_units.toPixels(dialog.size));
    connect(control<QPushButton>(ControlId::SiteJump), &QPushButton::clicked, this, &MainDialog::OnSiteJump);
    auto *quit = new QAction(QStringLiteral("終了"), this);
    quit->setObjectName(QStringLiteral("quitAction"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    addAction(quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    connect(control<ClickablePicture>(ControlId::Banner), &ClickablePicture::clicked, this,
            &MainDialog::OnClickBanner);
}

MainDialog::~MainDialog()
{
    // The list's models refer to the register's list, which goes with the session: they must
    // go first, not later among the children.
    delete m_list;
    m_list = nullptr;
}

bool MainDialog::OnInitDialog()
{
    setWindowIcon(ResourceImages::icon(ResourceId::AppIcon));
    m_controls.pageTab()->CreatePages();
    connectPages();
    // The search line in the focus order just before the list it searches.
    m_controls.searchBar()->takeFocusAfter(siteView()->previousInFocusChain());
    std::vector<KeyedButton> keyed;
    for (const ButtonKey &entry : ButtonKeys())
        keyed.push_back({control<QAbstractButton>(entry.id), entry.key});
    InstallKeyboardCommands(*this, *m_controls.pageTab(), *siteView(), *control<ClickablePicture>(ControlId::Banner),
                            *control<QAbstractButton>(ControlId::Delete), keyed);
    if (!LoadRegister())
        return false;
    SetUpSiteList();
    ShowLinkResults();
    setUpBookmarks();
    setUpCommands();
    control<QRadioButton>(ControlId::ModeName)->setChecked(true);
    setWindowTitle(DialogTemplates::mainDialog().captionText());
    siteView()->setFocus();
    WindowMemory::restore(*this, *m_controls.splitter(), m_list->columns(), m_list->dateColumns());
    return true;
}

void MainDialog::connectPages()
{
    RegisterPage *registration = m_controls.pageTab()->registerPage();
    connect(registration, &RegisterPage::registerRequested, this, &MainDialog::RegisterNewSite);
    connect(registration, &RegisterPage::updateRequested, this, &MainDialog::UpdateSite);
    connect(registration, &RegisterPage::deleteRequested, this, &MainDialog::DeleteSite);
    connect(registration, &RegisterPage::newSiteRequested, this, &MainDialog::StartNewSite);
    LinkPage *links = m_controls.pageTab()->linkPage();
    connect(links, &LinkPage::generateRequested, this, &MainDialog::GenerateLinkCode);
    // The code shown is always the code of the chosen keyword and mode.
    connect(links, &LinkPage::keywordChosen, this, [this] {
        SelectKeywordFilter();
        GenerateLinkCode();
    });
    connect(links, &LinkPage::modeChanged, this, &MainDialog::GenerateLinkCode);
    connect(links, &LinkPage::deadLinkOptionChanged, this, &MainDialog::GenerateLinkCode);
    connect(links, &LinkPage::orderOptionChanged, this, &MainDialog::GenerateLinkCode);
    connect(links, &LinkPage::newMarkOptionChanged, this, &MainDialog::GenerateLinkCode);
    connect(links, &LinkPage::saveFailed, this, &MainDialog::ShowMessage);
    connect(links, &LinkPage::saved, m_controls.statusLine(), &StatusLine::showLinkCodeSaved);
}

bool MainDialog::LoadRegister()
{
    const IoResult loaded = m_session.open(AppDirectoryBytes());
    if (!loaded) {
        ShowMessage(QString::fromUtf8("データを読み込めませんでした。\n") + loaded.file + QLatin1Char('\n')
                    + loaded.reason);
        return false;
    }
    if (siteRegister().isDamaged())
        ShowMessage(OperationMessage({OperationStatus::Damaged, 0, {}}, siteRegister().settingPath()));
    m_fieldsRecord = new FieldsRecord(siteRegister(), *this, &siteRegister());
    connect(&siteRegister(), &SiteRegister::conflictCopiesTakenIn, m_controls.statusLine(), &StatusLine::showConflictsTakenIn);
    connect(&siteRegister(), &SiteRegister::filesPassedOver, m_controls.statusLine(), &StatusLine::showPassedOver);
    m_controls.statusLine()->showPassedOver(siteRegister().passedOver());
    return true;
}

bool MainDialog::SetUpSiteList()
{
    if (m_list)
        return true;
    m_list = new SiteListPanel(siteRegister(), *m_fieldsRecord, *siteView(), *m_controls.searchBar(), this);
    connect(m_list, &SiteListPanel::recordActivated, m_fieldsRecord, &FieldsRecord::show);
    setUpLinkPage();
    setUpLinkCheck();
    FillSiteList();
    return true;
}

void MainDialog::setUpLinkPage()
{
    auto *keywords = new LiveKeywordList(siteRegister(), this);
    m_linkCollection = new LinkCollection(*m_controls.pageTab()->linkPage(), m_session, *m_list, *keywords, KeywordFilter, this);
    connect(m_linkCollection, &LinkCollection::codeOutdated, this, &MainDialog::GenerateLinkCode);
    connect(m_list, &SiteListPanel::arranged, m_linkCollection, &LinkCollection::listArranged);
    connect(&siteRegister(), &SiteRegister::listChanged, m_linkCollection, &LinkCollection::markStale);
    connect(m_controls.pageTab()->linkPage(), &LinkPage::codeWanted, m_linkCollection, &LinkCollection::refreshIfStale);
    m_publish = new PublishControl(*this, m_session, siteRegister().folder().path(), PublishList::defaultFile(), this);
    connect(m_controls.pageTab()->linkPage(), &LinkPage::publishRequested, m_publish, &PublishControl::open);
    connect(m_publish, &PublishControl::told, m_controls.statusLine(), &StatusLine::showDone);
    // The keywords offered are those of the register as it is now, whoever changed it.
    connect(keywords, &LiveKeywordList::changed, this, &MainDialog::FillKeywordCombo);
}

void MainDialog::setUpLinkCheck()
{
    m_linkCheck = new LinkCheckLauncher(*this, m_session);
    connect(m_linkCheck, &LinkCheckLauncher::requested, this, &MainDialog::OnCheckLinks);
    connect(m_linkCheck, &LinkCheckLauncher::moveRequested, this, &MainDialog::OnLinkMoved);
    connect(m_linkCheck, &LinkCheckLauncher::checkFinished, this, &MainDialog::ShowLinkResults);
    connect(m_linkCheck, &LinkCheckLauncher::checkFinished, m_publish, &PublishControl::registerChanged);
    connect(&m_session, &SiteSession::linkResultsChanged, this, &MainDialog::ShowLinkResults);
    connect(m_linkCheck, &LinkCheckLauncher::urlMoved, this, &MainDialog::showMovedUrl);
    connect(m_linkCheck, &LinkCheckLauncher::failed, this, &MainDialog::ShowMessage);
}

void MainDialog::setUpCommands()
{
    auto *commands = new SiteListCommands(*this, *siteView(), undoHistory(),
                                          [this] { return m_list->showsChosenRow(); }, m_linkCheck->action());
    connect(commands, &SiteListCommands::openRequested, this, &MainDialog::OnSiteJump);
    connect(commands, &SiteListCommands::copyUrlRequested, this, &MainDialog::CopySiteUrl);
    connect(commands, &SiteListCommands::deleteRequested, this, &MainDialog::DeleteSite);
    connect(commands, &SiteListCommands::undoRequested, this, &MainDialog::UndoOperation);
    connect(commands, &SiteListCommands::redoRequested, this, &MainDialog::RedoOperation);
    m_linkCheck->shareActions(commands->historyActions());
    new KeywordActions(*this, siteRegister(), undoHistory(), *m_list, *siteView(), m_boxes, *m_controls.statusLine(),
                       commands->historyActions());
    auto *drops = new LinkDropTarget(*this);
    connect(drops, &LinkDropTarget::linkDropped, this, &MainDialog::FillFromDroppedLink);
}

void MainDialog::setUpBookmarks()
{
    m_outside = new OutsideIntake(siteRegister(), undoHistory(), m_controls, *m_fieldsRecord, *this);
    m_outside->bookmarks()->setMessageBoxes(m_boxes);
    connect(m_outside, &OutsideIntake::siteTaken, this, &MainDialog::ShowOfferedSite);
    connect(m_outside, &OutsideIntake::reported, this, &MainDialog::ShowInformation);
    connect(m_outside, &OutsideIntake::told, m_controls.statusLine(), &StatusLine::showDone);
    connect(m_outside, &OutsideIntake::failed, this, &MainDialog::ShowMessage);
    connect(m_outside, &OutsideIntake::undoImportRequested, this, &MainDialog::UndoOperation);
}

void MainDialog::closeEvent(QCloseEvent *event)
{
    if (m_list)
        WindowMemory::save(*this, *m_controls.splitter(), m_list->columns(), m_list->dateColumns());
    event->accept();
    done(QDialog::Rejected);
}

void MainDialog::reject()
{
    if (!m_controls.searchBar()->searchText().isEmpty())
        m_controls.searchBar()->searchBox()->clear();
}

void MainDialog::accept()
{
}

void MainDialog::ShowMessage(const QString &text)
{
    m_boxes.showMessage(this, DialogTemplates::mainDialog().captionText(), text);
}

bool MainDialog::AskYesNo(const QString &question)
{
    return AskYesNo(question, MessageBoxes::Answer::Yes);
}

bool MainDialog::AskYesNo(const QString &question, MessageBoxes::Answer preset)
{
    return m_boxes.askYesNo(this, DialogTemplates::mainDialog().captionText(), question, preset)
        == MessageBoxes::Answer::Yes;
}

void MainDialog::ShowInformation(const QString &text)
{
    m_boxes.showInformation(this, DialogTemplates::mainDialog().captionText(), text);
}

void MainDialog::FillSiteList()
{
    if (!m_list)
        return;
    FillKeywordCombo();
    m_list->selectLastRow();
}

void MainDialog::SetFieldText(SiteFieldId field, const QString &text)
{
    SetItemText(fieldControl(field), text);
}

void MainDialog::FocusField(SiteFieldId field)
{
    auto *edit = control<QLineEdit>(fieldControl(field));
    m_controls.pageTab()->setCurrentWidget(m_controls.pageTab()->registerPage());
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

void MainDialog::ShowRecord(int number)
{
    m_fieldsRecord->show(number);
    m_list->keepShownRecordCurrent();
}

SiteFields MainDialog::ReadSiteFields() const
{
    return {ItemText(ControlId::SiteName), ItemText(ControlId::SiteUrl),  ItemText(ControlId::Keyword1),
            ItemText(ControlId::Keyword2), ItemText(ControlId::Keyword3), ItemText(ControlId::Content)};
}

void MainDialog::StartNewSite()
{
    for (int field = 0; field <= int(SiteFieldId::Content); ++field)
        SetFieldText(SiteFieldId(field), QString());
    // The fields belong to no site: 更新 has nothing to act on, and no row claims them.
    m_fieldsRecord->forget();
    m_list->keepShownRecordCurrent();
    FocusField(SiteFieldId::Name);
}

void MainDialog::RegisterNewSite()
{
    RegistrationOperations(siteRegister(), *this, &undoHistory()).RegisterNewSite();
}

void MainDialog::UpdateSite()
{
    RegistrationOperations(siteRegister(), *this, &undoHistory()).UpdateSite();
}

void MainDialog::DeleteSite()
{
    const SiteListPanel::DeletePlace place = m_list->placeBeforeDelete();
    RegistrationOperations(siteRegister(), *this, &undoHistory()).DeleteSite();
    m_list->afterDelete(place);
}

void MainDialog::UndoOperation()
{
    showUndone(undoHistory().undo());
}

void MainDialog::RedoOperation()
{
    showUndone(undoHistory().redo());
}

void MainDialog::showUndone(const UndoOutcome &outcome)
{
    if (!outcome.message.isEmpty())
        ShowMessage(outcome.message);
    if (outcome.row < 0)
        return;
    SelectSiteRow(outcome.row);
    // What was taken back shows in the fields, over what they held.
    m_list->activateRow(outcome.row);
}

void MainDialog::CopySiteUrl()
{
    const int row = m_list->currentRow();
    if (row >= 0)
        QGuiApplication::clipboard()->setText(CodePage::toText(sites().at(std::size_t(row)).GetUrl()));
}

void MainDialog::FillFromDroppedLink(const QString &url, const QString &name)
{
    SetFieldText(SiteFieldId::Url, url);
    SetFieldText(SiteFieldId::Name, name);
    // The name is what a user most often rewrites: it is ready to be typed over.
    FocusField(SiteFieldId::Name);
}

void MainDialog::ShowOfferedSite(const SiteFields &fields)
{
    SetItemText(ControlId::SiteName, fields.name);
    SetItemText(ControlId::SiteUrl, fields.url);
    SetItemText(ControlId::Keyword1, fields.keyword1);
    SetItemText(ControlId::Keyword2, fields.keyword2);
    SetItemText(ControlId::Keyword3, fields.keyword3);
    SetItemText(ControlId::Content, fields.content);
    // Typed text for no record, even where it matches the record the list stood on: 新しく登録
    // registers it, and neither 更新 nor the watcher takes it for that record.
    m_fieldsRecord->forget();
    m_list->keepShownRecordCurrent();
    // Never a button that saves: a web page sent this, and a key the user meant for something
    // else must not register it.
    FocusField(SiteFieldId::Name);
}

void MainDialog::OpenInBrowser(QByteArray url)
{
    const BrowserResult result = m_browser.open(url);
    if (!result.message.isEmpty())
        ShowMessage(result.message);
}

void MainDialog::OnSiteJump()
{
    // Only a site the list shows as its current row: never one a search hides.
    const int row = m_list ? m_list->currentRow() : -1;
    if (row >= 0)
        OpenInBrowser(sites().at(std::size_t(row)).GetUrl());
}

void MainDialog::OnClickBanner()
{
    OpenInBrowser(HomePageUrl().toEncoded());
}

void MainDialog::OnLinkMoved(int number, const QByteArray &oldUrl, const QByteArray &newUrl)
{
    m_linkCheck->takeMove(number, oldUrl, newUrl);
}

// The fields keep what was typed, but for the URL of the site they show, now as a change of the
// site with its new URL.
void MainDialog::showMovedUrl(int number, const QByteArray &newUrl)
{
    if (number != m_fieldsRecord->number())
        return;
    SetFieldText(SiteFieldId::Url, CodePage::toText(newUrl));
    m_fieldsRecord->keepTypedFor(number);
}
