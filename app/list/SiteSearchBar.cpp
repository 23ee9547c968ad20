#include "SiteSearchBar.h"

#include "DisplayText.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

// A keyword as the bar names it: short enough that the line above the list keeps its width.
QString shortKeyword(const QString &keyword)
{
    constexpr qsizetype kMaxChars = 24;
    return keyword.size() > kMaxChars ? keyword.left(kMaxChars - 1) + QChar(0x2026) : keyword;
}

} // namespace

SiteSearchBar::SiteSearchBar(QWidget *parent)
    : QWidget(parent)
    , m_search(new QLineEdit(this))
    , m_keyword(new QToolButton(this))
    , m_deadOnly(new QCheckBox(QStringLiteral("リンク切れのみ"), this))
    , m_count(new QLabel(this))
{
    const QString name = QStringLiteral("検索");
    m_search->setAccessibleName(name);
    m_search->setPlaceholderText(name + QStringLiteral(" (Ctrl+F)"));
    m_search->setToolTip(QStringLiteral("サイト名・URL・キーワード・内容から探します (Ctrl+F)"));
    m_search->setClearButtonEnabled(true);
    // The clear button is a control of its own for a screen reader: it needs a name.
    const QString clear = QStringLiteral("検索語を消す");
    for (QToolButton *button : m_search->findChildren<QToolButton *>()) {
        button->setAccessibleName(clear);
        button->setToolTip(clear);
    }
    m_search->installEventFilter(this);
    m_deadOnly->setToolTip(QStringLiteral("最後のリンク確認で見つからなかったサイトだけを表示します"));
    m_count->setAccessibleName(QStringLiteral("表示件数"));
    m_count->setTextFormat(Qt::PlainText); // a keyword is text, whatever it looks like
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_search, 1);
    row->addWidget(m_keyword);
    row->addWidget(m_deadOnly);
    row->addWidget(m_count);
    connect(m_search, &QLineEdit::textChanged, this, &SiteSearchBar::searchChanged);
    connect(m_deadOnly, &QCheckBox::toggled, this, &SiteSearchBar::deadOnlyToggled);
    m_keyword->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_keyword->hide();
    connect(m_keyword, &QToolButton::clicked, this, &SiteSearchBar::keywordCleared);
}

void SiteSearchBar::showKeyword(const QString &keyword)
{
    // One click clears it: the button says what it narrows the list to, and that it undoes that.
    m_keyword->setText(QString::fromUtf8("キーワード: %1 ✕").arg(shortKeyword(keyword).replace(u'&', QStringLiteral("&&"))));
    m_keyword->setAccessibleName(QString::fromUtf8("キーワード「%1」の絞り込みを解除").arg(keyword));
    m_keyword->setToolTip(DisplayText::toolTip(
        QString::fromUtf8("キーワード「%1」のサイトだけを表示しています。押すと全てのサイトに戻ります").arg(keyword)));
    m_keyword->setVisible(!keyword.isEmpty());
    m_keywordText = keyword;
    showCounts();
}

QString SiteSearchBar::searchText() const
{
    return m_search->text();
}

bool SiteSearchBar::deadOnly() const
{
    return m_deadOnly->isChecked();
}

QString SiteSearchBar::countText() const
{
    return m_count->text();
}

void SiteSearchBar::setCounts(int shown, int all)
{
    m_shown = shown;
    m_all = all;
    showCounts();
}

// A keyword narrowing the list is as plain as a search: a search finding fewer sites than the
// user expects says why.
void SiteSearchBar::showCounts()
{
    QString text = QStringLiteral("%1 / %2 件").arg(m_shown).arg(m_all);
    if (!m_keywordText.isEmpty())
        text += QString::fromUtf8("（キーワード: %1）").arg(shortKeyword(m_keywordText));
    m_count->setText(text);
}

void SiteSearchBar::takeFocusAfter(QWidget *previous)
{
    setTabOrder(previous, m_search);
    setTabOrder(m_search, m_keyword);
    setTabOrder(m_keyword, m_deadOnly);
}

void SiteSearchBar::focusSearch()
{
    m_search->setFocus(Qt::ShortcutFocusReason);
    m_search->selectAll();
}

bool SiteSearchBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_search || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *press = static_cast<QKeyEvent *>(event);
    if (press->modifiers() != Qt::NoModifier && press->modifiers() != Qt::KeypadModifier)
        return false;
    switch (press->key()) {
    // Taken here: a dialog's Escape would close the window.
    case Qt::Key_Escape:
        if (!m_search->text().isEmpty())
            m_search->clear();
        else if (!m_keywordText.isEmpty())
            emit keywordCleared();
        return true;
    case Qt::Key_Down:
        emit downPressed();
        return true;
    default:
        return false;
    }
}
