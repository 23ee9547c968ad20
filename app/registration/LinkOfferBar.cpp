#include "LinkOfferBar.h"

#include "CodePage.h"
#include "OutsideText.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

namespace {

QPushButton *makeButton(const char *caption, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromUtf8(caption), parent);
    // Enter pressed elsewhere in the window never presses these.
    button->setAutoDefault(false);
    return button;
}

} // namespace

LinkOfferBar::LinkOfferBar(QWidget &focusAfter, QWidget *parent)
    : QFrame(parent)
    , m_focusAfter(focusAfter)
    , m_label(new QLabel(this))
    , m_fill(makeButton("入力欄に入れる", this))
{
    setObjectName(QStringLiteral("linkOfferBar"));
    setAccessibleName(QStringLiteral("ブラウザーから届いたリンク"));
    m_label->setAccessibleName(accessibleName());
    setFrameShape(QFrame::StyledPanel);
    m_label->setTextFormat(Qt::PlainText);
    // As wide as the line leaves it: a long name is cut at the label's edge, never widens the window.
    m_label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_label->installEventFilter(this);
    QPushButton *close = makeButton("閉じる", this);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    row->addWidget(m_label, 1);
    row->addWidget(m_fill);
    row->addWidget(close);
    connect(m_fill, &QPushButton::clicked, this, [this] {
        const SiteLink::Parsed link = *m_newest;
        clear();
        emit fillRequested(link);
    });
    connect(close, &QPushButton::clicked, this, &LinkOfferBar::clear);
    hide();
}

void LinkOfferBar::offer(const SiteLink::Parsed &link)
{
    m_newest = link;
    ++m_offered;
    showState();
}

void LinkOfferBar::refuse(const QString &reason)
{
    m_lastRefusal = reason;
    ++m_refused;
    showState();
}

void LinkOfferBar::clear()
{
    m_newest.reset();
    m_offered = m_refused = 0;
    m_lastRefusal.clear();
    if (isAncestorOf(QApplication::focusWidget()))
        m_focusAfter.setFocus(Qt::OtherFocusReason);
    hide();
}

void LinkOfferBar::showState()
{
    // The counts first, where a narrow window still shows them.
    QStringList counts;
    if (m_offered > 1)
        counts << QString::fromUtf8("%1 件の最新").arg(m_offered);
    if (m_refused > (m_newest ? 0 : 1))
        counts << QString::fromUtf8("受け取れないリンク %1 件").arg(m_refused);
    const QString among = counts.isEmpty() ? QString() : QString::fromUtf8("（%1）").arg(counts.join(QString::fromUtf8("、")));
    const QString refused = QString::fromUtf8("ブラウザーから渡されたリンクでは登録できません%1").arg(among);
    if (m_newest) {
        // The URL as the list shows URLs, an international host and path decoded, but for a
        // control character there, which the decoding would let turn the line around.
        const QString url = OutsideText::inMessage(CodePage::urlToDisplayText(CodePage::urlFromText(m_newest->url)));
        m_lines = {QString::fromUtf8("ブラウザーから届いたサイト%1").arg(among),
                   m_newest->name.isEmpty() ? url : QString::fromUtf8("「%1」 %2").arg(m_newest->name, url)};
    } else {
        m_lines = {refused, m_lastRefusal};
    }
    m_text = m_lines.join(QString::fromUtf8("："));
    setToolTip(m_newest && m_refused > 0 ? m_lines.join(u'\n') + u'\n' + m_lastRefusal : m_lines.join(u'\n'));
    m_fill->setVisible(m_newest.has_value());
    setAccessibleDescription(m_text);
    m_label->setAccessibleDescription(m_text);
    show();
    showText();
}

void LinkOfferBar::showText()
{
    QStringList shown;
    for (const QString &line : m_lines)
        shown << m_label->fontMetrics().elidedText(line, Qt::ElideRight, m_label->width());
    m_label->setText(shown.join(u'\n'));
}

bool LinkOfferBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_label && event->type() == QEvent::Resize)
        showText();
    return QFrame::eventFilter(watched, event);
}
