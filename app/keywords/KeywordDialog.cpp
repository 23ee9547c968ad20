#include "KeywordDialog.h"

#include "KeywordTableModel.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

KeywordDialog::KeywordDialog(QWidget *parent)
    : QDialog(parent)
    , m_model(new KeywordTableModel(this))
    , m_filter(new QLineEdit(this))
    , m_order(new QComboBox(this))
    , m_table(new QTableView(this))
    , m_show(new QPushButton(QStringLiteral("一覧に表示"), this))
    , m_rename(new QPushButton(QStringLiteral("名前を変更…"), this))
    , m_remove(new QPushButton(QStringLiteral("サイトから外す…"), this))
{
    setWindowTitle(QStringLiteral("キーワード一覧"));
    setObjectName(QStringLiteral("keywordView"));
    m_filter->setAccessibleName(QStringLiteral("キーワードを絞り込む"));
    m_filter->setPlaceholderText(QStringLiteral("絞り込み"));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    m_order->setAccessibleName(QStringLiteral("並べ方"));
    m_order->addItems({QStringLiteral("名前順"), QStringLiteral("件数順")});
    auto *orderLabel = new QLabel(QStringLiteral("並べ方:"), this);
    orderLabel->setBuddy(m_order);

    m_table->setModel(m_model);
    m_table->setAccessibleName(QStringLiteral("キーワード"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the buttons, as in a dialog, not from cell to cell; rows of one line, as in the list.
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setSectionResizeMode(KeywordTableModel::KeywordColumn, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionsClickable(true);
    m_table->installEventFilter(this);
    m_show->setToolTip(QStringLiteral("このキーワードのサイトだけを一覧に表示します (Enter)"));
    m_rename->setToolTip(QStringLiteral("このキーワードを持つ全てのサイトで名前を変えます。ほかのキーワードの名前にすると、一つにまとめます"));
    m_remove->setToolTip(QStringLiteral("このキーワードを持つ全てのサイトから外します"));
    m_show->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(m_filter, 1);
    top->addWidget(orderLabel);
    top->addWidget(m_order);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_show, m_rename, m_remove})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(460, 420);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString &typed) {
        const QByteArray was = chosen();
        m_model->setFilter(typed);
        choose(std::max(m_model->rowOf(was), 0));
    });
    connect(m_order, &QComboBox::currentIndexChanged, this, [this](int index) {
        const QByteArray was = chosen();
        m_model->setOrder(index == 1 ? KeywordOrder::Count : KeywordOrder::Name);
        choose(std::max(m_model->rowOf(was), 0));
    });
    // A click on a column's header orders by it, as the combo does.
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (column != KeywordTableModel::AlikeColumn)
            m_order->setCurrentIndex(column == KeywordTableModel::SitesColumn ? 1 : 0);
    });
    connect(m_table, &QTableView::doubleClicked, this, &KeywordDialog::showChosen);
    connect(m_show, &QPushButton::clicked, this, &KeywordDialog::showChosen);
    connect(m_rename, &QPushButton::clicked, this, [this] { ask(&KeywordDialog::renameRequested); });
    connect(m_remove, &QPushButton::clicked, this, [this] { ask(&KeywordDialog::removeRequested); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &KeywordDialog::followChoice);
    connect(m_model, &QAbstractItemModel::modelReset, this, &KeywordDialog::followChoice);
    followChoice();
}

void KeywordDialog::setKeywords(std::vector<KeywordCount> keywords)
{
    const QByteArray was = chosen();
    m_model->setKeywords(std::move(keywords));
    choose(std::max(m_model->rowOf(was), 0));
}

void KeywordDialog::chooseKeyword(const QByteArray &keyword)
{
    if (const int row = m_model->rowOf(keyword); row >= 0)
        choose(row);
}

QByteArray KeywordDialog::chosen() const
{
    const QModelIndex current = m_table->currentIndex();
    return current.isValid() ? m_model->at(current.row()).keyword : QByteArray();
}

void KeywordDialog::choose(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    if (index.isValid()) {
        m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_table->scrollTo(index);
    }
    followChoice();
}

void KeywordDialog::followChoice()
{
    const bool any = m_table->currentIndex().isValid();
    for (QPushButton *button : {m_show, m_rename, m_remove})
        button->setEnabled(any);
}

// The sites of a keyword are what the user came for: the view makes way for the list that shows
// them. Closed any other way, it leaves the list as it was.
void KeywordDialog::showChosen()
{
    if (const QByteArray keyword = chosen(); !keyword.isNull()) {
        emit showRequested(keyword);
        close();
    }
}

void KeywordDialog::ask(void (KeywordDialog::*request)(const QByteArray &))
{
    if (const QByteArray keyword = chosen(); !keyword.isNull())
        emit(this->*request)(keyword);
}

// Down leaves the filter box for the list of keywords; Enter in either shows the chosen
// keyword's sites (the default button).
bool KeywordDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *press = static_cast<QKeyEvent *>(event);
    if (watched == m_filter && press->key() == Qt::Key_Down) {
        m_table->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (watched == m_table && (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter)) {
        showChosen();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
