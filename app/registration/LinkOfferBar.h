#pragma once

#include "SiteLink.h"

#include <QFrame>

#include <optional>

class QLabel;
class QPushButton;

// A line above the registration page for what web pages sent while it could not go into the
// fields: a site offered while they held typing of the user's own (or while a question was open),
// and links refused. Any web page can send a link, so nothing here writes over the fields or takes
// the focus: the newest site waits, with how many came, until the user puts it in the fields
// (「入力欄に入れる」) or closes the line (「閉じる」), which forgets them all.
class LinkOfferBar : public QFrame
{
    Q_OBJECT
public:
    // `focusAfter` takes the focus when the line closes with it: left to itself, the focus would
    // move on to the list, which would make its first row current and show it over the fields.
    LinkOfferBar(QWidget &focusAfter, QWidget *parent);

    void offer(const SiteLink::Parsed &link);
    // A link refused, and why.
    void refuse(const QString &reason);
    // A site is waiting to be put in the fields.
    bool holdsOffer() const { return m_newest.has_value(); }
    // What the line says, in full (the label shows it in two lines, each cut to its width).
    QString text() const { return m_text; }

signals:
    // 「入力欄に入れる」: the newest site offered.
    void fillRequested(const SiteLink::Parsed &link);

protected:
    // The label's width changes with the window's and with the buttons shown: its text is cut again.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showState();
    void showText();
    void clear();

    QWidget &m_focusAfter;
    QLabel *m_label;
    QPushButton *m_fill;
    std::optional<SiteLink::Parsed> m_newest;
    int m_offered = 0;
    int m_refused = 0;
    QString m_lastRefusal;
    // What the line says, in two lines (what came, then the site or the reason), each cut to the
    // label's width; and the two joined, in full.
    QStringList m_lines;
    QString m_text;
};
