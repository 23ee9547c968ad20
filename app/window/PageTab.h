#pragma once

#include <QTabWidget>

#include <array>

class DialogPage;
class DialogUnits;
class LinkPage;
class RegisterPage;

// The tab control below the list: tab 0 shows the registration page, tab 1 the link-collection
// page. Switching tabs shows one page and hides the other; neither page's contents change.
class PageTab : public QTabWidget
{
    Q_OBJECT
public:
    PageTab(const DialogUnits &units, QWidget *parent = nullptr);

    // Inserts the two tabs with their pages.
    void CreatePages();

    RegisterPage *registerPage() const;
    LinkPage *linkPage() const;
    // The control with this ID on either page, or null.
    QWidget *control(int id) const;

private:
    std::array<DialogPage *, 2> m_pages{};
};
