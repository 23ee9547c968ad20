#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

// The line above the site list: the search box, the keyword the list is narrowed to (a button
// that clears it, shown only then), the "dead links only" switch and how many sites are shown of
// all, which names the keyword too. It only reports what the user did; the window decides what is
// shown. Escape empties the box, and in an empty box clears the keyword (it never closes the
// window); Down leaves it for the list.
class SiteSearchBar : public QWidget
{
    Q_OBJECT
public:
    explicit SiteSearchBar(QWidget *parent = nullptr);

    QLineEdit *searchBox() const { return m_search; }
    QCheckBox *deadOnlyBox() const { return m_deadOnly; }
    QString searchText() const;
    bool deadOnly() const;
    QString countText() const;

    void setCounts(int shown, int all);
    // The keyword the list shows the sites of, as text; empty when it shows them whatever their
    // keywords.
    void showKeyword(const QString &keyword);
    QToolButton *keywordButton() const { return m_keyword; }
    // Puts the bar's controls in the focus order after `previous`, as they stand left to right.
    void takeFocusAfter(QWidget *previous);
    // Ctrl+F: the box takes the focus with its text selected, to be typed over.
    void focusSearch();

signals:
    void searchChanged(const QString &typed);
    void deadOnlyToggled(bool on);
    void keywordCleared();
    void downPressed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_search;
    void showCounts();

    QToolButton *m_keyword;
    QCheckBox *m_deadOnly;
    QLabel *m_count;
    QString m_keywordText;
    int m_shown = 0;
    int m_all = 0;
};
