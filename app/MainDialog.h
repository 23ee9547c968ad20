#pragma once

#include "BrowserLauncher.h"
#include "ControlSet.h"
#include "DialogUnits.h"
#include "LinkCode.h"
#include "MessageBoxes.h"
#include "RegistrationEdges.h"
#include "SiteList.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>

#include <memory>

class BookmarkActions;
class FieldsRecord;
class LinkCheckWindow;
class LiveDuplicateIndex;
class UndoHistory;
struct UndoOutcome;
class PageTab;
class SiteColumnWidths;
class SiteFinder;
class SiteSearchBar;
class StatusLine;
class TitleFetchControl;
class QMenu;
class QModelIndex;
class QTableView;
class QVBoxLayout;
class SiteRegister;
class SiteTableModel;

// The main window: the banner, the list of registered sites, "サイトジャンプ" and the tab with the
// two pages. It shows a SiteRegister, which keeps the register on disk and in step with other
// programs; the window holds no state of the register's own, so its close request has nothing to
// write. Its operations are thin: they gather what the controls hold, call the logic in editing/
// or browser/, and show the outcome; the registration operations reach the controls back through
// RegistrationEdges.
class MainDialog : public QDialog, public RegistrationEdges
{
    Q_OBJECT
public:
    explicit MainDialog(MessageBoxes &boxes, QWidget *parent = nullptr);
    ~MainDialog() override;

    // Start-up: loads the register, fills the list and the pages, and starts following changes
    // made elsewhere. False when start-up has ended instead (the reason has been shown): the
    // window must not be shown. A damaged register is shown, and every write refused.
    bool OnInitDialog();

    // Any control of the window or of its pages, by template ID; null for an unknown ID.
    QWidget *control(int id) const;
    template <class Widget>
    Widget *control(int id) const { return qobject_cast<Widget *>(control(id)); }
    // The text of an edit field, output box, button or label, by ID.
    QString ItemText(int id) const;
    void SetItemText(int id, const QString &text);

    // The site list. It follows the register row by row by itself; FillSiteList makes the last
    // row current, as at start-up.
    bool SetUpSiteList();
    void FillSiteList();
    int GetSelectedSiteRow() const;
    bool SelectSiteRow(int row) override;
    // Copies the current row's site into the six fields, over whatever they hold.
    void OnClickSiteList();

    // The six registration fields as they hold their text.
    SiteFields ReadSiteFields() const override;
    void SetFieldText(SiteFieldId field, const QString &text) override;
    void FocusField(SiteFieldId field) override;
    // The record the fields show, and the records chosen in the list (see RegistrationEdges).
    SeenRecord ShownRecord() const override;
    std::vector<SeenRecord> ChosenRecords() const override;
    void ShowRecord(int number) override;
    void KeepTypedFor(int number) override;

    // Operations of the pages' buttons and combo.
    virtual void RegisterNewSite();
    virtual void UpdateSite();
    virtual void DeleteSite();
    virtual void SelectKeywordFilter();
    virtual void GenerateLinkCode();
    // Offers every keyword of the register, "全てのキーワード" first, keeping the chosen entry
    // while a site carries it ("全てのキーワード" again when none does). Each entry keeps its
    // register bytes: decoding is for the eye, and bytes the code page cannot decode would not
    // survive the way back. Called after every change of the register.
    virtual void FillKeywordCombo();

    // Takes back the last register, update or delete still to take back, or makes the last one
    // taken back again; the record it concerns becomes current and is shown in the fields.
    void UndoOperation();
    void RedoOperation();
    UndoHistory &undoHistory() const { return *m_history; }
    int FindSameSite(const QByteArray &url) const override;
    // The current row's URL on the clipboard.
    void CopySiteUrl();
    // A link dropped on the window: its URL and name in the fields, ready to register.
    void FillFromDroppedLink(const QString &url, const QString &name);
    // A site the browser offered (a sitekanri: link): its fields on the registration page, the
    // focus on 新しく登録; nothing is saved until the user says so.
    void ShowOfferedSite(const SiteFields &fields);

    // Hands `url` (register bytes) to the browser; what went wrong is shown, not raised.
    void OpenInBrowser(QByteArray url);
    // The current row's site; nothing without a current row.
    virtual void OnSiteJump();
    // The help page that ships with the program.
    virtual void OnClickBanner();
    // Opens the link check (Ctrl+L) over the register as it is now, or brings it forward.
    void OnCheckLinks();
    // Takes the URL a permanent move leads to for the site `number`, unless the site has
    // changed since it was checked.
    void OnLinkMoved(int number, const QByteArray &oldUrl, const QByteArray &newUrl);
    // Marks every row with its URL's last check, from the results file beside the register.
    void ShowLinkResults();

    // A message or Yes/No question over the window, titled with its caption.
    void ShowMessage(const QString &text) override;
    bool AskYesNo(const QString &question) override;
    bool AskYesNo(const QString &question, MessageBoxes::Answer preset);
    // An outcome rather than a problem, over the window.
    void ShowInformation(const QString &text);

    // Bookmark files in and out (Ctrl+I, Ctrl+E); null before OnInitDialog.
    BookmarkActions *bookmarkActions() const { return m_bookmarks; }

    PageTab *pageTab() const { return m_pageTab; }
    QTableView *siteView() const;
    // The column that holds the list and shares its room: insertWidget(0, bar) puts a bar above
    // the list, addWidget(line) a line below it; the list keeps the rest.
    QVBoxLayout *listArea() const { return m_listArea; }
    SiteSearchBar *searchBar() const { return m_searchBar; }

    SiteRegister &siteRegister() const { return *m_register; }
    const SiteList &sites() const;
    // The keyword the link collection is made for, in register bytes.
    QByteArray KeywordFilter;

public slots:
    // Escape: empties the search box when it holds text, and otherwise does nothing; the window
    // closes by its close box, Alt+F4 or Ctrl+Q only, so that a stray Escape never ends it.
    void reject() override;
    // Enter: the main window has no default button; nothing happens.
    void accept() override;

protected:
    // The close request ends the window at once: every change is already on disk.
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeControl(const ControlTemplate &control, QWidget *parent);
    void connectPages();
    bool LoadRegister();
    LinkCodeMode ReadLinkCodeMode() const;
    void ShowSiteFields(int row);
    void followCurrentRow(const QModelIndex &current);
    void showUndone(const UndoOutcome &outcome);
    void setUpBookmarks();
    void setUpFromBrowser(QMenu &menu);
    // Rows as the view shows them, searched and sorted; the register's positions elsewhere.
    int sourceRow(const QModelIndex &viewIndex) const;
    void selectViewRow(int viewRow);
    void keepShownRecordCurrent();
    // The site list's current row as a register position; -1 when no row is current.
    int currentRow() const;

    MessageBoxes &m_boxes;
    BrowserLauncher m_browser;
    DialogUnits m_units;
    ControlSet m_controls;
    PageTab *m_pageTab = nullptr;
    QVBoxLayout *m_listArea = nullptr;
    StatusLine *m_statusLine = nullptr;
    SiteTableModel *m_siteModel = nullptr;
    SiteSearchBar *m_searchBar = nullptr;
    SiteFinder *m_finder = nullptr;
    SiteColumnWidths *m_columns = nullptr;
    std::unique_ptr<SiteRegister> m_register;
    // Both follow the register and go with it.
    UndoHistory *m_history = nullptr;
    LiveDuplicateIndex *m_duplicates = nullptr;
    // The current record's number across a reset of the list, to make it current again.
    int m_currentNumber = 0;
    // The record the fields were filled from, as the user saw it.
    FieldsRecord *m_fieldsRecord = nullptr;
    // While the view drops rows (a record gone, or hidden by a change), its current row moves by
    // itself: the fields do not follow that move.
    bool m_viewDroppingRows = false;
    // The register is removing the current row's record (the view may drop the row before the list).
    bool m_removingCurrent = false;
    // The view row the current row stood at when the view dropped it; -1 when it was not dropped.
    int m_droppedCurrentAt = -1;
    QPointer<LinkCheckWindow> m_linkCheck;
    BookmarkActions *m_bookmarks = nullptr;
    TitleFetchControl *m_titleFetch = nullptr;
};
