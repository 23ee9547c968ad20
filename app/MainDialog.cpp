#include "MainDialog.h"

#include "AppDirectory.h"
#include "BookmarkActions.h"
#include "BookmarkletAction.h"
#include "ChosenRows.h"
#include "ClickablePicture.h"
#include "FieldsRecord.h"
#include "CodePage.h"
#include "HomePage.h"
#include "KeyboardCommands.h"
#include "KeywordList.h"
#include "LinkCheckWindow.h"
#include "LinkCodeBox.h"
#include "LinkDropTarget.h"
#include "LinkPage.h"
#include "LinkResults.h"
#include "LiveDuplicateIndex.h"
#include "PageTab.h"
#include "RegisterPage.h"
#include "RegistrationOperations.h"
#include "ResourceImages.h"
#include "RowFocusDelegate.h"
#include "SiteColumnWidths.h"
#include "SiteEntry.h"
#include "SiteFilterModel.h"
#include "SiteFinder.h"
#include "SiteListCommands.h"
#include "SiteRegister.h"
#include "StatusLine.h"
#include "SiteSearchBar.h"
#include "SiteTableModel.h"
#include "SiteView.h"
#include "TemplateLayout.h"
#include "TitleFetchControl.h"
#include "UndoHistory.h"
#include "WindowMemory.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QFile>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QTableView *makeSiteView(QWidget *parent)
{
    auto *view = new SiteView(parent);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);
    view->setItemDelegate(new RowFocusDelegate(view));
    return view;
}

} // namespace

MainDialog::MainDialog(MessageBoxes &boxes, QWidget *parent)
    : QDialog(parent)
    , KeywordFilter(kAllKeywords)
    , m_boxes(boxes)
    , m_units(DialogUnits::ofFont(DialogUnits::dialogFont()))
{
    const DialogTemplate &dialog = DialogTemplates::mainDialog();
    setFont(DialogUnits::dialogFont());
    setWindowTitle(dialog.captionText());
    // A window of its own in the task bar, which can be minimised and maximised like any other.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    m_controls.build(dialog, this, m_units,
                     [this](const ControlTemplate &control, QWidget *parent) { return makeControl(control, parent); });
    // The list stands in a column of its own, so that a bar above it or a line below it shares
    // the room the list is given.
    m_listArea = new QVBoxLayout;
    m_listArea->setContentsMargins(0, 0, 0, 0);
    m_listArea->setSpacing(m_units.toPixelsY(2));
    m_controls.layout()->standIn(siteView(), m_listArea);
    m_listArea->addWidget(siteView(), 1);
    m_searchBar = new SiteSearchBar(this);
    m_listArea->insertWidget(0, m_searchBar);
    m_statusLine = new StatusLine(this);
    m_listArea->addWidget(m_statusLine);
    // The template's size is the window's least size and the size it opens at.
    resize(m_units.toPixels(dialog.size));
    connect(control<QPushButton>(ControlId::SiteJump), &QPushButton::clicked, this, &MainDialog::OnSiteJump);
    auto *checkLinks = new QAction(QStringLiteral("リンクの確認…"), this);
    checkLinks->setObjectName(QStringLiteral("checkLinksAction"));
    checkLinks->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction(checkLinks);
    connect(checkLinks, &QAction::triggered, this, &MainDialog::OnCheckLinks);
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
    // The model refers to the register's list, which goes with the members: the model must go
    // first, not later among the children.
    delete m_siteModel;
}

QWidget *MainDialog::makeControl(const ControlTemplate &control, QWidget *parent)
{
    switch (control.kind) {
    case ControlKind::ListView:
        return makeSiteView(parent);
    case ControlKind::TabControl:
        m_pageTab = new PageTab(m_units, parent);
        return m_pageTab;
    default:
        return nullptr;
    }
}

bool MainDialog::OnInitDialog()
{
    setWindowIcon(ResourceImages::icon(ResourceId::AppIcon));
    m_pageTab->CreatePages();
    connectPages();
    // The search line in the focus order just before the list it searches.
    QWidget::setTabOrder(siteView()->previousInFocusChain(), m_searchBar->searchBox());
    QWidget::setTabOrder(m_searchBar->searchBox(), m_searchBar->deadOnlyBox());
    InstallKeyboardCommands(*this);
    if (!LoadRegister())
        return false;
    SetUpSiteList();
    ShowLinkResults();
    setUpBookmarks();
    InstallSiteListCommands(*this);
    new LinkDropTarget(*this);
    control<QRadioButton>(ControlId::ModeName)->setChecked(true);
    setWindowTitle(DialogTemplates::mainDialog().captionText());
    siteView()->setFocus();
    WindowMemory::restore(*this, *m_columns);
    return true;
}

void MainDialog::connectPages()
{
    // Member pointers to the virtual operations, so that a window deriving from this one gets
    // the calls.
    RegisterPage *registration = m_pageTab->registerPage();
    connect(registration, &RegisterPage::registerRequested, this, &MainDialog::RegisterNewSite);
    connect(registration, &RegisterPage::updateRequested, this, &MainDialog::UpdateSite);
    connect(registration, &RegisterPage::deleteRequested, this, &MainDialog::DeleteSite);
    LinkPage *links = m_pageTab->linkPage();
    connect(links, &LinkPage::generateRequested, this, &MainDialog::GenerateLinkCode);
    // The code shown is always the code of the chosen keyword and mode.
    connect(links, &LinkPage::keywordChosen, this, [this] {
        SelectKeywordFilter();
        GenerateLinkCode();
    });
    connect(links, &LinkPage::modeChanged, this, &MainDialog::GenerateLinkCode);
    connect(links, &LinkPage::deadLinkOptionChanged, this, &MainDialog::GenerateLinkCode);
    connect(links, &LinkPage::orderOptionChanged, this, &MainDialog::GenerateLinkCode);
    connect(links, &LinkPage::saveFailed, this, &MainDialog::ShowMessage);
}

bool MainDialog::LoadRegister()
{
    m_register = std::make_unique<SiteRegister>(AppDirectoryBytes());
    const IoResult loaded = m_register->open();
    if (!loaded) {
        ShowMessage(QString::fromUtf8("データを読み込めませんでした。\n") + loaded.file + QLatin1Char('\n')
                    + loaded.reason);
        return false;
    }
    if (m_register->isDamaged())
        ShowMessage(OperationMessage({OperationStatus::Damaged, 0, {}}, m_register->settingPath()));
    m_history = new UndoHistory(*m_register, 100, m_register.get());
    m_duplicates = new LiveDuplicateIndex(*m_register, m_register.get());
    m_fieldsRecord = new FieldsRecord(*m_register, *this, m_register.get());
    // The selection moves the current row off a removed one before the view hears of it: a record
    // the register removes is caught here, ahead of the list's model, while the row is still on it.
    connect(m_register.get(), &SiteRegister::recordsAboutToBeRemoved, this, [this](int first, int last) {
        const int current = m_finder ? currentRow() : -1;
        if (current >= first && current <= last) {
            m_droppedCurrentAt = siteView()->currentIndex().row();
            m_viewDroppingRows = true;
            m_removingCurrent = true;
        }
    });
    connect(m_register.get(), &SiteRegister::conflictCopiesTakenIn, m_statusLine, &StatusLine::showConflictsTakenIn);
    m_register->watch();
    return true;
}

void MainDialog::setUpBookmarks()
{
    m_bookmarks = new BookmarkActions(*m_register, this, m_history);
    connect(m_bookmarks, &BookmarkActions::reported, this, &MainDialog::ShowInformation);
    connect(m_bookmarks, &BookmarkActions::failed, this, &MainDialog::ShowMessage);
    // The summary opens window-modal right after the import, so the last step is the import.
    connect(m_bookmarks, &BookmarkActions::undoImportRequested, this, &MainDialog::UndoOperation);
    // Beside "サイトジャンプ", as wide as the caption needs, following the window's corner as
    // the button does: the window has no menu bar.
    auto *jump = control<QPushButton>(ControlId::SiteJump);
    QToolButton *button = m_bookmarks->makeButton(jump->parentWidget());
    for (const ControlTemplate &control : DialogTemplates::mainDialog().controls) {
        if (control.id != ControlId::SiteJump)
            continue;
        const QRect beside = m_units.toPixels(control.rect);
        const int width = button->sizeHint().width();
        m_controls.layout()->addWidget(
            button, QRect(beside.x() - width - m_units.toPixelsX(4), beside.y(), width, beside.height()), control.grow);
    }
    button->show();
    setTabOrder(jump, button);
    setUpFromBrowser(*button->menu());
}

// What comes from the browser: the bookmarklet in the bookmark button's menu, and the title
// fetch beside the URL field.
void MainDialog::setUpFromBrowser(QMenu &menu)
{
    auto *bookmarklet = new BookmarkletAction(this);
    connect(bookmarklet, &BookmarkletAction::copied, this, &MainDialog::ShowInformation);
    menu.addSeparator();
    menu.addAction(bookmarklet);
    m_titleFetch = new TitleFetchControl(*control<QLineEdit>(ControlId::SiteUrl), *control<QLineEdit>(ControlId::SiteName),
                                         *control<QLineEdit>(ControlId::Content), *this);
    connect(m_titleFetch, &TitleFetchControl::reported, this, &MainDialog::ShowInformation);
    connect(m_titleFetch, &TitleFetchControl::failed, this, &MainDialog::ShowMessage);
}

const SiteList &MainDialog::sites() const
{
    return m_register->sites();
}

void MainDialog::closeEvent(QCloseEvent *event)
{
    if (m_siteModel)
        WindowMemory::save(*this, *m_columns);
    event->accept();
    done(QDialog::Rejected);
}

void MainDialog::reject()
{
    if (!m_searchBar->searchText().isEmpty())
        m_searchBar->searchBox()->clear();
}

void MainDialog::accept()
{
}

QWidget *MainDialog::control(int id) const
{
    if (QWidget *widget = m_controls.control(id))
        return widget;
    return m_pageTab->control(id);
}

QString MainDialog::ItemText(int id) const
{
    QWidget *widget = control(id);
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    if (auto *box = qobject_cast<LinkCodeBox *>(widget))
        return box->linkCode();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    return {};
}

void MainDialog::SetItemText(int id, const QString &text)
{
    QWidget *widget = control(id);
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(text);
    else if (auto *box = qobject_cast<LinkCodeBox *>(widget))
        box->setLinkCode(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text);
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

QTableView *MainDialog::siteView() const
{
    return control<QTableView>(ControlId::SiteList);
}

bool MainDialog::SetUpSiteList()
{
    QTableView *view = siteView();
    if (m_siteModel)
        return true;
    m_siteModel = new SiteTableModel(*m_register, this);
    m_finder = new SiteFinder(*view, *m_siteModel, sites(), *m_searchBar, this);
    connect(m_finder, &SiteFinder::arranged, this, &MainDialog::keepShownRecordCurrent);
    // Code written in the list's order follows the list.
    connect(m_finder, &SiteFinder::arranged, this, [this] {
        if (control<QCheckBox>(ControlId::ListOrder)->isChecked() && !ItemText(ControlId::LinkCode).isEmpty())
            GenerateLinkCode();
    });
    // A reset (many records changed elsewhere at once) keeps the current record by its number.
    connect(m_register.get(), &SiteRegister::aboutToBeReset, this, [this] {
        const int row = GetSelectedSiteRow();
        m_currentNumber = row >= 0 ? sites().number(std::size_t(row)) : 0;
    });
    connect(m_register.get(), &SiteRegister::wasReset, this, [this] {
        const long long row = sites().positionOf(m_currentNumber);
        if (row >= 0)
            SelectSiteRow(int(row));
    });
    // The keywords offered are those of the register as it is now, whoever changed it.
    connect(m_register.get(), &SiteRegister::listChanged, this, &MainDialog::FillKeywordCombo);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Shift and Ctrl with a click or the arrows, and Ctrl+A, choose several rows at once.
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setShowGrid(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    // Rows of one text line, all alike, so that the view never measures a row.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    QHeaderView *header = view->horizontalHeader();
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_columns = new SiteColumnWidths(*view);
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this);
    // The fields show the current row however it became current: mouse, keys, type-ahead, or a
    // change to the register that moved the current row to another record.
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { followCurrentRow(current); });
    // A row the view drops (its record gone, or hidden by a change to it) takes the current row
    // with it: no other record's row becomes current in its place by itself.
    QAbstractItemModel *shown = m_finder->model();
    connect(shown, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex &, int first, int last) {
        if (m_viewDroppingRows)
            return;
        const int current = siteView()->currentIndex().row();
        m_droppedCurrentAt = current >= first && current <= last ? first : -1;
        m_viewDroppingRows = true;
    });
    connect(shown, &QAbstractItemModel::rowsRemoved, this, [this] {
        m_viewDroppingRows = false;
        // Its record gone elsewhere, untouched fields go on to the row that took its place; a
        // record only hidden, or typing in the fields, stays, and no other row claims the fields.
        const int rows = m_finder->model()->rowCount();
        // The view may drop the row before the list drops the record.
        const bool gone = m_removingCurrent || sites().positionOf(m_fieldsRecord->number()) < 0;
        m_removingCurrent = false;
        if (m_droppedCurrentAt >= 0 && gone && m_fieldsRecord->isUntouched() && rows > 0) {
            selectViewRow(std::min(m_droppedCurrentAt, rows - 1));
            // The selection may already stand on that row (it moved there first): no change of
            // row then tells the fields.
            ShowSiteFields(currentRow());
        } else if (currentRow() < 0 || !m_fieldsRecord->shows(sites().number(std::size_t(currentRow()))))
            keepShownRecordCurrent();
    });
    FillSiteList();
    return true;
}

void MainDialog::FillSiteList()
{
    if (!m_siteModel)
        return;
    FillKeywordCombo();
    const int last = m_siteModel->rowCount() - 1;
    if (last < 0)
        return;
    SelectSiteRow(last);
}

int MainDialog::GetSelectedSiteRow() const
{
    const QItemSelectionModel *selection = siteView()->selectionModel();
    if (!selection)
        return -1;
    int row = -1;
    auto consider = [this, &row](const QModelIndex &index) {
        const int position = sourceRow(index);
        if (position >= 0 && (row < 0 || position < row))
            row = position;
    };
    for (const QModelIndex &index : ChosenRows(*selection))
        consider(index);
    consider(selection->currentIndex());
    // A search may hide the record the fields show: the operations still act on it.
    if (row < 0 && m_finder && m_finder->isRearranged())
        row = int(sites().positionOf(m_fieldsRecord->number()));
    return row;
}

int MainDialog::currentRow() const
{
    const int row = sourceRow(siteView()->currentIndex());
    return row >= 0 && std::size_t(row) < sites().size() ? row : -1;
}

bool MainDialog::SelectSiteRow(int row)
{
    if (!m_siteModel || row < 0 || row >= m_siteModel->rowCount())
        return false;
    const QModelIndex shown = m_finder->model()->mapFromSource(m_siteModel->index(row, 0));
    if (shown.isValid()) {
        selectViewRow(shown.row());
        return true;
    }
    // Not among the rows the search shows: the fields show it, and no row of the list claims it.
    siteView()->selectionModel()->clear();
    ShowSiteFields(row);
    return true;
}

int MainDialog::sourceRow(const QModelIndex &viewIndex) const
{
    return viewIndex.isValid() ? m_finder->model()->mapToSource(viewIndex).row() : -1;
}

void MainDialog::selectViewRow(int viewRow)
{
    const QModelIndex index = m_finder->model()->index(viewRow, 0);
    if (!index.isValid())
        return;
    siteView()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    siteView()->scrollTo(index);
}

// After a search or sort the list shows the record of the fields wherever it now stands, or,
// where the search hides it, no current row at all (rather than another record's).
void MainDialog::keepShownRecordCurrent()
{
    const long long position = sites().positionOf(m_fieldsRecord->number());
    const QModelIndex shown = position < 0 ? QModelIndex()
                                           : m_finder->model()->mapFromSource(m_siteModel->index(int(position), 0));
    if (shown.isValid())
        selectViewRow(shown.row());
    else
        siteView()->selectionModel()->clear();
}

void MainDialog::OnClickSiteList()
{
    ShowSiteFields(GetSelectedSiteRow());
}

void MainDialog::ShowSiteFields(int row)
{
    if (row < 0 || std::size_t(row) >= sites().size())
        return;
    m_fieldsRecord->show(sites().number(std::size_t(row)));
}

void MainDialog::followCurrentRow(const QModelIndex &current)
{
    // With no current row the fields keep what is typed. The same record made current again
    // (the list refreshed, a record moved) keeps it too: only another record replaces it.
    const int row = sourceRow(current);
    if (m_viewDroppingRows || row < 0 || std::size_t(row) >= sites().size()
        || m_fieldsRecord->shows(sites().number(std::size_t(row))))
        return;
    ShowSiteFields(row);
}

bool MainDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_siteModel)
        return QDialog::eventFilter(watched, event);
    // Any left click in the list, on a row or below the last one, copies the current row into
    // the fields; the view has already moved the selection on the press.
    if (watched == siteView()->viewport() && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        OnClickSiteList();
    if (watched == siteView() && event->type() == QEvent::KeyPress) {
        const auto *press = static_cast<QKeyEvent *>(event);
        switch (press->key()) {
        // Return and Space pick the current row for editing, as a click does. Return goes no
        // further: the window has nothing for it. Space goes on to the type-ahead, where it may
        // be part of a name; a single-selection list never toggles the row away.
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OnClickSiteList();
            return true;
        case Qt::Key_Space:
            OnClickSiteList();
            break;
        // A list of whole rows: Home and End go to the first and last row, not the first and
        // last column.
        case Qt::Key_Home:
        case Qt::Key_End:
            if (press->modifiers() != Qt::NoModifier)
                break;
            selectViewRow(press->key() == Qt::Key_Home ? 0 : m_finder->model()->rowCount() - 1);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

namespace {

int fieldControl(SiteFieldId field)
{
    static const int ids[] = {ControlId::SiteName, ControlId::SiteUrl,  ControlId::Keyword1,
                              ControlId::Keyword2, ControlId::Keyword3, ControlId::Content};
    return ids[int(field)];
}

} // namespace

void MainDialog::SetFieldText(SiteFieldId field, const QString &text)
{
    SetItemText(fieldControl(field), text);
}

void MainDialog::FocusField(SiteFieldId field)
{
    auto *edit = control<QLineEdit>(fieldControl(field));
    m_pageTab->setCurrentWidget(m_pageTab->registerPage());
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

SeenRecord MainDialog::ShownRecord() const
{
    return m_fieldsRecord->seen();
}

std::vector<SeenRecord> MainDialog::ChosenRecords() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : ChosenRows(*siteView()->selectionModel()))
        rows.push_back(sourceRow(index));
    // No row chosen (a search hides the one the fields show): the fields' record, as seen.
    if (rows.empty()) {
        if (sites().positionOf(m_fieldsRecord->number()) < 0)
            return {};
        return {m_fieldsRecord->seen()};
    }
    std::sort(rows.begin(), rows.end());
    std::vector<SeenRecord> chosen;
    chosen.reserve(rows.size());
    for (int row : rows) {
        if (row >= 0 && std::size_t(row) < sites().size())
            chosen.push_back({sites().number(std::size_t(row)), sites().at(std::size_t(row))});
    }
    return chosen;
}

void MainDialog::ShowRecord(int number)
{
    m_fieldsRecord->show(number);
    keepShownRecordCurrent();
}

void MainDialog::KeepTypedFor(int number)
{
    m_fieldsRecord->keepTypedFor(number);
}

SiteFields MainDialog::ReadSiteFields() const
{
    return {ItemText(ControlId::SiteName), ItemText(ControlId::SiteUrl),  ItemText(ControlId::Keyword1),
            ItemText(ControlId::Keyword2), ItemText(ControlId::Keyword3), ItemText(ControlId::Content)};
}

void MainDialog::RegisterNewSite()
{
    RegistrationOperations(*m_register, *this, m_history).RegisterNewSite();
}

void MainDialog::UpdateSite()
{
    RegistrationOperations(*m_register, *this, m_history).UpdateSite();
}

void MainDialog::DeleteSite()
{
    int viewRow = siteView()->currentIndex().row();
    for (const QItemSelectionRange &range : siteView()->selectionModel()->selection())
        viewRow = viewRow < 0 ? range.top() : std::min(viewRow, range.top());
    const int position = GetSelectedSiteRow();
    const int number = position >= 0 ? sites().number(std::size_t(position)) : 0;
    RegistrationOperations(*m_register, *this, m_history).DeleteSite();
    // In a searched or sorted list the row that takes the deleted ones' place is the next one
    // there, not the next in the register.
    if (viewRow >= 0 && number != 0 && sites().positionOf(number) < 0 && m_finder->isRearranged())
        selectViewRow(std::min(viewRow, m_finder->model()->rowCount() - 1));
}

int MainDialog::FindSameSite(const QByteArray &url) const
{
    return m_duplicates ? m_duplicates->find(url) : 0;
}

void MainDialog::UndoOperation()
{
    showUndone(m_history->undo());
}

void MainDialog::RedoOperation()
{
    showUndone(m_history->redo());
}

void MainDialog::showUndone(const UndoOutcome &outcome)
{
    if (!outcome.message.isEmpty())
        ShowMessage(outcome.message);
    if (outcome.row < 0)
        return;
    SelectSiteRow(outcome.row);
    // What was taken back shows in the fields, over what they held.
    ShowSiteFields(outcome.row);
}

void MainDialog::CopySiteUrl()
{
    const int row = currentRow();
    if (row >= 0 && std::size_t(row) < sites().size())
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
    keepShownRecordCurrent();
    m_pageTab->setCurrentWidget(m_pageTab->registerPage());
    control<QPushButton>(ControlId::RegisterNew)->setFocus(Qt::OtherFocusReason);
}

void MainDialog::FillKeywordCombo()
{
    auto *combo = control<QComboBox>(ControlId::KeywordCombo);
    auto *entries = qobject_cast<QStandardItemModel *>(combo->model());
    combo->clear();
    // All rows in one insertion: a register can carry thousands of keywords, and the combo
    // would otherwise react to each one.
    QList<QStandardItem *> rows;
    int chosen = -1;
    for (const QByteArray &keyword : BuildKeywordList(sites())) {
        // The blank entry needs a face to be found; it still stands for the empty keyword.
        auto *row = new QStandardItem(keyword.isEmpty() ? QString::fromUtf8("（空欄）") : CodePage::toText(keyword));
        row->setData(keyword, Qt::UserRole);
        if (keyword == KeywordFilter)
            chosen = int(rows.size());
        rows.append(row);
    }
    entries->invisibleRootItem()->appendRows(rows);
    combo->setCurrentIndex(std::max(chosen, 0));
    // The chosen keyword went with the last site that carried it: the collection is for all
    // sites again, and the code shown says so.
    if (chosen < 0) {
        KeywordFilter = kAllKeywords;
        if (!ItemText(ControlId::LinkCode).isEmpty())
            GenerateLinkCode();
    }
}

void MainDialog::SelectKeywordFilter()
{
    const auto *combo = control<QComboBox>(ControlId::KeywordCombo);
    if (combo->currentIndex() >= 0)
        KeywordFilter = combo->currentData(Qt::UserRole).toByteArray();
}

LinkCodeMode MainDialog::ReadLinkCodeMode() const
{
    if (control<QRadioButton>(ControlId::ModeName)->isChecked())
        return LinkCodeMode::Name;
    if (control<QRadioButton>(ControlId::ModeNameAndContent)->isChecked())
        return LinkCodeMode::NameAndContent;
    return LinkCodeMode::Content;
}

void MainDialog::GenerateLinkCode()
{
    LinkExclusion leftOut;
    LinkResults results;
    // A results file that cannot be read leaves nothing out: no link is known to be dead.
    if (control<QCheckBox>(ControlId::ExcludeDeadLinks)->isChecked() && results.load()) {
        leftOut = [&results](const QByteArray &url) {
            const CheckedLink *checked = results.find(url);
            return checked && IsDeadLink(checked->result);
        };
    }
    QByteArray code;
    if (control<QCheckBox>(ControlId::ListOrder)->isChecked()) {
        // The sites as the list shows them: found by the search, in the order of its sorting.
        const SiteFilterModel *view = m_finder->model();
        std::vector<const SiteRecord *> shown;
        shown.reserve(std::size_t(view->rowCount()));
        for (int row = 0; row < view->rowCount(); ++row)
            shown.push_back(&sites().at(std::size_t(view->mapToSource(view->index(row, 0)).row())));
        code = BuildLinkCode(shown, KeywordFilter, ReadLinkCodeMode(), leftOut);
    } else {
        code = BuildLinkCode(sites(), KeywordFilter, ReadLinkCodeMode(), leftOut);
    }
    control<LinkCodeBox>(ControlId::LinkCode)->setLinkCode(code);
}

void MainDialog::ShowLinkResults()
{
    // A results file that cannot be read loads as none: no link is marked.
    LinkResults results;
    results.load();
    m_siteModel->setLinkResults(std::move(results));
    if (m_finder)
        m_finder->reloadLinkResults();
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
    const int row = currentRow();
    if (row < 0 || std::size_t(row) >= sites().size())
        return;
    OpenInBrowser(sites().at(std::size_t(row)).GetUrl());
}

void MainDialog::OnClickBanner()
{
    OpenInBrowser(HomePageUrl().toEncoded());
}

void MainDialog::OnCheckLinks()
{
    if (!m_linkCheck) {
        std::vector<std::size_t> selected;
        for (const QModelIndex &index : ChosenRows(*siteView()->selectionModel()))
            selected.push_back(std::size_t(sourceRow(index)));
        std::sort(selected.begin(), selected.end());
        m_linkCheck = new LinkCheckWindow(sites(), LinkResults::defaultPath(), KeywordFilter,
                                          std::move(selected), this);
        m_linkCheck->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_linkCheck, &LinkCheckWindow::urlUpdateRequested, this, &MainDialog::OnLinkMoved);
        connect(m_linkCheck, &LinkCheckWindow::checkFinished, this, &MainDialog::ShowLinkResults);
    }
    m_linkCheck->show();
    m_linkCheck->raise();
    m_linkCheck->activateWindow();
}

void MainDialog::OnLinkMoved(int number, const QByteArray &oldUrl, const QByteArray &newUrl)
{
    const long long position = sites().positionOf(number);
    if (position < 0 || sites().at(std::size_t(position)).m_url != oldUrl) {
        ShowMessage(QStringLiteral("確認の後にサイトが変更または削除されたため、URLを更新しませんでした。"));
        return;
    }
    // An ordinary update, undone like any other: on disk at once, refused when another program
    // changed the record.
    SiteRecord moved = sites().at(std::size_t(position));
    moved.m_url = newUrl;
    const OperationResult result = m_history->update(number, moved);
    if (!result.done()) {
        ShowMessage(OperationMessage(result, m_register->settingPath()));
        return;
    }
    // The fields keep what was typed, but for the URL of the site they show, now as a change of
    // the site with its new URL.
    if (number == m_fieldsRecord->number()) {
        SetFieldText(SiteFieldId::Url, CodePage::toText(newUrl));
        m_fieldsRecord->keepTypedFor(number);
    }
}
