#pragma once

#include "LinkCode.h"

#include <QByteArray>
#include <QObject>
#include <QElapsedTimer>
#include <QTimer>

class LiveKeywordList;
class LinkPage;
class SiteListPanel;
class SiteSession;

// The link collection on its page: the keywords offered in the combo, the keyword chosen, the
// mode and options read from the page, and the code made from them into the output box. The box
// always shows what コード生成 would make now: whatever changes the register (the window or another
// program) or the links found dead make it stale, and stale code is made again as soon as the page
// is shown (while it is, at once, and a few times a second at most in a burst of changes), and
// before it is copied or saved.
class LinkCollection : public QObject
{
    Q_OBJECT
public:
    // `keyword` holds the keyword the collection is made for, in register bytes; the list order
    // option takes the sites as `list` shows them; `keywords` offers the register's keywords.
    LinkCollection(LinkPage &page, const SiteSession &session, const SiteListPanel &list, const LiveKeywordList &keywords,
                   QByteArray &keyword, QObject *parent = nullptr);

    // Offers every keyword of the register, "全てのキーワード" first, keeping the chosen entry
    // while a site carries it ("全てのキーワード" again when none does). Each entry keeps its
    // register bytes: decoding is for the eye, and bytes the code page cannot decode would not
    // survive the way back.
    void fillKeywords();
    // The combo's entry becomes the keyword.
    void takeChosenKeyword();
    LinkCodeMode mode() const;
    // Writes the code of the keyword, mode and options into the output box.
    void generate();
    // The list's rows were searched or sorted anew.
    void listArranged();
    // What the code is made of changed (the register, the last check's results).
    void markStale();
    // Makes the code again when it is stale: before it is copied or saved.
    void refreshIfStale();

signals:
    // The code shown no longer matches the keyword or the list: it should be made again.
    void codeOutdated();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool showsCode() const;
    // A change the user made on the page or in the list: the code follows at once, where it shows.
    void followNow();
    template <class Widget>
    Widget *widget(int id) const;

    LinkPage &m_page;
    const SiteSession &m_session;
    const SiteListPanel &m_list;
    const LiveKeywordList &m_keywords;
    QByteArray &m_keyword;
    bool m_stale = true; // nothing is shown before the page first is
    QTimer m_refresh;
    QElapsedTimer m_sinceMade;
};
