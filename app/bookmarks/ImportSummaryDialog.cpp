#include "ImportSummaryDialog.h"

#include "FileDialogs.h"
#include "SaveFailure.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QStringListModel>

#include <algorithm>

ImportSummaryDialog::ImportSummaryDialog(const QStringList &counts, const QStringList &details, bool anyAdded,
                                         FileDialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_counts(counts)
    , m_details(details)
    , m_dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("ブックマークの取り込み"));
    auto *countsLabel = new QLabel(counts.join(QLatin1Char('\n')), this);
    countsLabel->setObjectName(QStringLiteral("summaryCounts"));
    countsLabel->setTextFormat(Qt::PlainText);
    countsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("importDetails"));
    // One text line per row, all alike: the view measures none of them.
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setModel(new QStringListModel(details, m_list));
    m_list->setVisible(!details.isEmpty());
    m_list->setAccessibleName(QStringLiteral("取り込まなかったブックマークなど"));

    auto *buttons = new QDialogButtonBox(this);
    auto *undo = buttons->addButton(QStringLiteral("元に戻す"), QDialogButtonBox::ResetRole);
    undo->setObjectName(QStringLiteral("undoImport"));
    undo->setEnabled(anyAdded);
    undo->setToolTip(QStringLiteral("この取り込みで追加したサイトを削除します"));
    auto *copyButton = buttons->addButton(QStringLiteral("コピー"), QDialogButtonBox::ActionRole);
    copyButton->setObjectName(QStringLiteral("copySummary"));
    auto *saveButton = buttons->addButton(QStringLiteral("保存..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("saveSummary"));
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(countsLabel);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(640, details.isEmpty() ? sizeHint().height() : 420);

    connect(undo, &QPushButton::clicked, this, [this] {
        emit undoRequested();
        accept();
    });
    connect(copyButton, &QPushButton::clicked, this, &ImportSummaryDialog::copy);
    connect(saveButton, &QPushButton::clicked, this, &ImportSummaryDialog::save);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // Ctrl+C in the list copies the rows chosen there.
    auto *copyKey = new QShortcut(QKeySequence(QKeySequence::Copy), m_list);
    copyKey->setContext(Qt::WidgetShortcut);
    connect(copyKey, &QShortcut::activated, this, [this] {
        QStringList chosen;
        QModelIndexList rows = m_list->selectionModel()->selectedRows();
        std::sort(rows.begin(), rows.end());
        for (const QModelIndex &row : rows)
            chosen << row.data().toString();
        if (!chosen.isEmpty())
            QGuiApplication::clipboard()->setText(chosen.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    });
}

QString ImportSummaryDialog::text() const
{
    return (m_counts + m_details).join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void ImportSummaryDialog::copy()
{
    QGuiApplication::clipboard()->setText(text());
}

void ImportSummaryDialog::save()
{
    const QString path = m_dialogs.saveFileName(this, QStringLiteral("取り込みの結果を保存"),
                                                QDir::home().filePath(QStringLiteral("取り込みの結果.txt")),
                                                QStringLiteral("テキスト ファイル (*.txt);;すべてのファイル (*)"));
    if (path.isEmpty())
        return;
    const IoResult saved = SaveWhole(path, text().toUtf8());
    if (!saved)
        emit saveFailed(QStringLiteral("取り込みの結果を保存できませんでした。\n") + path + QStringLiteral(": ")
                        + saved.reason);
}
