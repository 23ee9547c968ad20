#pragma once

#include "BrowserLauncher.h"
#include "ControlSet.h"
#include "DialogUnits.h"
#include "LinkCode.h"
#include "MessageBoxes.h"
#include "RegistrationEdges.h"
#include "SiteStore.h"

#include <QByteArray>
#include <QDialog>

#include <memory>

class PageTab;
class QTableView;
class SiteTableModel;

// The main window: the banner, the list of registered sites, "サイトジャンプ" and the tab with the
// two pages. It owns the register in memory for the whole run; the register is read once at
// start-up and written once, when the window is closed. Its operations are thin: they gather
// what the controls hold, call the logic in editing/ or browser/, and show the outcome; the
// registration operations reach the controls back through RegistrationEdges.
class MainDialog : public QDialog, public RegistrationEdges
{
    Q_OBJECT
public:
    explicit MainDialog(MessageBoxes &boxes, QWidget *parent = nullptr);
    ~MainDialog() override;

    // Start-up: takes the register for this run, loads it and fills the list and the pages.
    // False when start-up has ended instead (the reason has been shown): the window must not
    // be shown, and closing it saves nothing.
    bool OnInitDialog();

    // Any control of the window or of its pages, by template ID; null for an unknown ID.
    QWidget *control(int id) const;
    template <class Widget>
    Widget *control(int id) const { return qobject_cast<Widget *>(control(id)); }
    // The text of an edit field, output box, button or label, by ID.
    QString ItemText(int id) const;
    void SetItemText(int id, const QString &text);

    // The site list.
    bool SetUpSiteList();
    void FillSiteList() override;
    int GetSelectedSiteRow() const override;
    bool SelectSiteRow(int row);
    void OnClickSiteList();

    // The six registration fields as they hold their text.
    SiteFields ReadSiteFields() const override;

    // Operations of the pages' buttons and combo.
    virtual void RegisterNewSite();
    virtual void UpdateSite();
    virtual void DeleteSite();
    virtual void SelectKeywordFilter();
    virtual void GenerateLinkCode();
    // Offers every keyword of the register, "全てのキーワード" first and chosen. Each entry keeps
    // its register bytes: decoding is for the eye, and bytes the code page cannot decode would not
    // survive the way back.
    virtual void FillKeywordCombo();

    // Hands `url` (register bytes) to the browser; what went wrong is shown, not raised.
    void OpenInBrowser(QByteArray url);
    // The current row's site; nothing without a current row.
    virtual void OnSiteJump();
    // The help page that ships with the program.
    virtual void OnClickBanner();

    // A message or Yes/No question over the window, titled with its caption.
    void ShowMessage(const QString &text) override;
    bool AskYesNo(const QString &question) override;
    bool AskYesNo(const QString &question, MessageBoxes::Answer preset);

    PageTab *pageTab() const { return m_pageTab; }
    QTableView *siteView() const;

    SiteStore m_store;
    // The keyword the link collection is made for, in register bytes.
    QByteArray KeywordFilter;

public slots:
    // Escape: the same close request as the close box.
    void reject() override;
    // Enter: the main window has no default button; nothing happens.
    void accept() override;

protected:
    // The close request saves the register, always, even when nothing changed.
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeControl(const ControlTemplate &control, QWidget *parent);
    bool LoadRegister();
    bool SaveRegister();
    LinkCodeMode ReadLinkCodeMode() const;

    MessageBoxes &m_boxes;
    BrowserLauncher m_browser;
    DialogUnits m_units;
    ControlSet m_controls;
    PageTab *m_pageTab = nullptr;
    SiteTableModel *m_siteModel = nullptr;
    // Only a register that was loaded in full may be saved over the one on disk.
    bool m_loaded = false;
};
