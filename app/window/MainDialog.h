#pragma once

#include "BrowserLauncher.h"
#include "ControlText.h"
#include "FieldsRecord.h"
#include "LinkCheckLauncher.h"
#include "LinkCollection.h"
#include "LinkResults.h"
#include "MainControls.h"
#include "OutsideIntake.h"
#include "DialogUnits.h"
#include "LinkCode.h"
#include "MessageBoxes.h"
#include "RegistrationEdges.h"
#include "SiteList.h"
#include "SiteListPanel.h"
#include "SiteSession.h"

#include <QByteArray>
#include <QDialog>

class BookmarkActions;
class LinkIntake;
class PageTab;
class PublishControl;
class SiteSearchBar;
class StatusLine;
class QTableView;
class SiteRegister;
class UndoHistory;
struct UndoOutcome;

// The main window: the banner, the list of registered sites, "サイトジャンプ" and the tab with the
// two pages. It builds the controls and wires the parts that do the work: a SiteSession (the
// register, kept on disk and in step with other programs, and its history), the SiteListPanel,
// the LinkCollection on the link page, the LinkCheckLauncher and the OutsideIntake (bookmark
// files, the bookmarklet, the title fetch, sitekanri: links). The window holds no state of the
// register's own, so its close request has nothing to write. Its operations are thin: they
// gather what the controls hold, call the logic of a part or of editing/ or browser/, and show
// the outcome; the registration operations reach the controls back through RegistrationEdges.
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
    QWidget *control(int id) const { return m_controls.control(id); }
    template <class Widget>
    Widget *control(int id) const { return m_controls.control<Widget>(id); }
    // The text of an edit field, output box, button or label, by ID.
    QString ItemText(int id) const { return ControlText(control(id)); }
    void SetItemText(int id, const QString &text) { SetControlText(control(id), text); }

    // The site list. It follows the register row by row by itself; FillSiteList makes the last
    // row current, as at start-up.
    bool SetUpSiteList();
    void FillSiteList();
    int GetSelectedSiteRow() const { return m_list ? m_list->selectedRow() : -1; }
    bool SelectSiteRow(int row) override { return m_list && m_list->selectRow(row); }
    // Copies the current row's site into the six fields, over whatever they hold.
    void OnClickSiteList() { m_list->activateSelected(); }

    // The six registration fields as they hold their text.
    SiteFields ReadSiteFields() const override;
    void SetFieldText(SiteFieldId field, const QString &text) override;
    void FocusField(SiteFieldId field) override;
    // The record the fields show, and the records chosen in the list (see RegistrationEdges).
    SeenRecord ShownRecord() const override { return m_fieldsRecord->seen(); }
    std::vector<SeenRecord> ChosenRecords() const override { return m_list->chosenRecords(); }
    bool IsRecordListed(int number) const override { return m_list && m_list->lists(number); }
    void ShowRecord(int number) override;
    void KeepTypedFor(int number) override { m_fieldsRecord->keepTypedFor(number); }

    // Operations of the pages' buttons and combo.
    // 新規: the fields emptied for a site still to be registered, no row current, the focus on the
    // name; nothing is saved.
    void StartNewSite();
    void RegisterNewSite();
    void UpdateSite();
    void DeleteSite();
    void SelectKeywordFilter() { m_linkCollection->takeChosenKeyword(); }
    void GenerateLinkCode() { m_linkCollection->generate(); }
    // Offers every keyword of the register, "全てのキーワード" first, keeping the chosen entry
    // while a site carries it ("全てのキーワード" again when none does). Each entry keeps its
    // register bytes: decoding is for the eye, and bytes the code page cannot decode would not
    // survive the way back. Called after every change of the register.
    void FillKeywordCombo() { m_linkCollection->fillKeywords(); }

    // Takes back the last register, update or delete still to take back, or makes the last one
    // taken back again; the record it concerns becomes current and is shown in the fields.
    void UndoOperation();
    void RedoOperation();
    UndoHistory &undoHistory() const { return m_session.history(); }
    int FindSameSite(const QByteArray &url) const override { return m_session.isOpen() ? m_session.findSameSite(url) : 0; }
    // The current row's URL on the clipboard.
    void CopySiteUrl();
    // A link dropped on the window: its URL and name in the fields, ready to register.
    void FillFromDroppedLink(const QString &url, const QString &name);
    // A site the browser offered (a sitekanri: link), once the fields may take it: its fields on
    // the registration page, the focus on the name, ready to be typed over; nothing is saved until
    // the user says so.
    void ShowOfferedSite(const SiteFields &fields);

    // Hands `url` (register bytes) to the browser; what went wrong is shown, not raised.
    void OpenInBrowser(QByteArray url);
    // The current row's site; nothing without a current row.
    void OnSiteJump();
    // The help page that ships with the program.
    void OnClickBanner();
    // Opens the link check (Ctrl+L) over the register as it is now, or brings it forward.
    void OnCheckLinks() { m_linkCheck->open(KeywordFilter, m_list->selectedPositions()); }
    // Takes the URL a permanent move leads to for the site `number`, unless the site has
    // changed since it was checked.
    void OnLinkMoved(int number, const QByteArray &oldUrl, const QByteArray &newUrl);
    // Marks every row with its URL's last check, from the results file beside the register; the
    // code that leaves the dead links out follows.
    void ShowLinkResults()
    {
        m_list->showLinkResults(m_session.readLinkResults());
        m_linkCollection->markStale();
    }

    // A message or Yes/No question over the window, titled with its caption.
    void ShowMessage(const QString &text) override;
    bool AskYesNo(const QString &question) override;
    bool AskYesNo(const QString &question, MessageBoxes::Answer preset);
    bool AskYesNoDefaultNo(const QString &question) override { return AskYesNo(question, MessageBoxes::Answer::No); }
    // An outcome rather than a problem, over the window.
    void ShowInformation(const QString &text);

    // 公開 (Ctrl+P): the link collection written into the user's pages; null before OnInitDialog.
    PublishControl *publishing() const { return m_publish; }
    // Bookmark files in and out (Ctrl+I, Ctrl+E); null before OnInitDialog.
    BookmarkActions *bookmarkActions() const { return m_outside ? m_outside->bookmarks() : nullptr; }
    // Where the sitekanri: links a browser hands over go in; null before OnInitDialog.
    LinkIntake *linkIntake() const { return m_outside ? m_outside->links() : nullptr; }

    PageTab *pageTab() const { return m_controls.pageTab(); }
    QTableView *siteView() const { return m_controls.siteView(); }
    SiteSearchBar *searchBar() const { return m_controls.searchBar(); }

    SiteRegister &siteRegister() const { return m_session.siteRegister(); }
    const SiteList &sites() const { return m_session.sites(); }
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

private:
    void setUpLinkPage();
    void setUpLinkCheck();
    void setUpCommands();
    void connectPages();
    bool LoadRegister();
    void showUndone(const UndoOutcome &outcome);
    void showMovedUrl(int number, const QByteArray &newUrl);
    void setUpBookmarks();

    MessageBoxes &m_boxes;
    BrowserLauncher m_browser;
    DialogUnits m_units;
    MainControls m_controls;
    SiteSession m_session;
    // The record the fields were filled from, as the user saw it.
    FieldsRecord *m_fieldsRecord = nullptr;
    SiteListPanel *m_list = nullptr;
    LinkCollection *m_linkCollection = nullptr;
    LinkCheckLauncher *m_linkCheck = nullptr;
    PublishControl *m_publish = nullptr;
    OutsideIntake *m_outside = nullptr;
};
