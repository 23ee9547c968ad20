#pragma once

#include "ControlSet.h"
#include "DialogUnits.h"
#include "MessageBoxes.h"
#include "SiteStore.h"

#include <QByteArray>
#include <QDialog>

#include <memory>

class PageTab;
class QTableView;
class RegisterLock;
class SiteTableModel;

// The main window: the banner, the list of registered sites, "サイトジャンプ" and the tab with the
// two pages. It owns the register in memory for the whole run; the register is read once at
// start-up and written once, when the window is closed.
class MainDialog : public QDialog
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
    void FillSiteList();
    int GetSelectedSiteRow() const;
    bool SelectSiteRow(int row);
    void OnClickSiteList();

    // Operations of the pages' buttons and combo.
    // TODO(editing): RegisterNewSite, UpdateSite, DeleteSite, SelectKeywordFilter, GenerateLinkCode
    // and FillKeywordCombo are wired to the logic in editing/ by the editing work; until then they
    // do nothing.
    virtual void RegisterNewSite();
    virtual void UpdateSite();
    virtual void DeleteSite();
    virtual void SelectKeywordFilter();
    virtual void GenerateLinkCode();
    virtual void FillKeywordCombo();

    // TODO(browser): opens the current row's site, and the home page for the banner.
    virtual void OnSiteJump();
    virtual void OnClickBanner();

    // A message or Yes/No question over the window, titled with its caption.
    void ShowMessage(const QString &text);
    bool AskYesNo(const QString &question, MessageBoxes::Answer preset = MessageBoxes::Answer::Yes);

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

    MessageBoxes &m_boxes;
    DialogUnits m_units;
    ControlSet m_controls;
    PageTab *m_pageTab = nullptr;
    SiteTableModel *m_siteModel = nullptr;
    std::unique_ptr<RegisterLock> m_lock;
    // Only a register that was loaded in full may be saved over the one on disk.
    bool m_loaded = false;
};
