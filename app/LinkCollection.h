#pragma once

#include "LinkCode.h"

#include <QByteArray>
#include <QObject>

class LiveKeywordList;
class LinkPage;
class SiteListPanel;
class SiteSession;

// The link collection on its page: the keywords offered in the combo, the keyword chosen, the
// mode and options read from the page, and the code made from them into the output box.
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

signals:
    // The code shown no longer matches the keyword or the list: it should be made again.
    void codeOutdated();

private:
    bool showsCode() const;
    template <class Widget>
    Widget *widget(int id) const;

    LinkPage &m_page;
    const SiteSession &m_session;
    const SiteListPanel &m_list;
    const LiveKeywordList &m_keywords;
    QByteArray &m_keyword;
};
