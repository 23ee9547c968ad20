#include "PublishDialog.h"

#include "Publication.h"
#include "UploadPanel.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

enum Column { PageColumn, StatusColumn, DetailColumn };

QString statusText(const PublishedFile &file, bool done)
{
    switch (file.status) {
    case PublishedFile::Status::Changed: return done ? words("書き込みました") : words("変わります");
    case PublishedFile::Status::Unchanged: return words("変更なし");
    case PublishedFile::Status::Refused: return words("公開できません");
    }
    return QString();
}

QString detailText(const PublishedFile &file)
{
    QStringList parts;
    if (file.status == PublishedFile::Status::Refused)
        parts << file.reason;
    else if (file.status == PublishedFile::Status::Changed)
        parts << DescribeChanges(file.changes);
    parts << file.warnings;
    return parts.join(QLatin1Char(' '));
}

} // namespace

PublishDialog::PublishDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(words("公開"));
    setObjectName(QStringLiteral("publishDialog"));
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_summary->setTextFormat(Qt::PlainText);
    m_files = new QTreeWidget(this);
    m_files->setRootIsDecorated(false);
    m_files->setHeaderLabels({words("ページ"), words("状態"), words("内容")});
    m_files->setAccessibleName(words("公開するページ"));
    m_files->header()->setSectionResizeMode(DetailColumn, QHeaderView::Stretch);
    auto *buttons = new QDialogButtonBox(this);
    m_publish = buttons->addButton(words("公開"), QDialogButtonBox::AcceptRole);
    m_pages = buttons->addButton(words("ページの設定…"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close)->setText(words("閉じる"));
    connect(m_publish, &QPushButton::clicked, this, &PublishDialog::publishRequested);
    connect(m_pages, &QPushButton::clicked, this, &PublishDialog::pagesRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_upload = new UploadPanel(this);
    m_upload->hide();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_files, 1);
    layout->addWidget(m_upload);
    layout->addWidget(buttons);
    resize(640, 320);
}

QString PublishDialog::summary() const
{
    return m_summary->text();
}

void PublishDialog::fill(const Publication &publication, bool done)
{
    m_files->clear();
    int counts[3] = {0, 0, 0};
    QList<QTreeWidgetItem *> rows;
    for (const PublishedFile &file : publication.files()) {
        ++counts[int(file.status)];
        auto *row = new QTreeWidgetItem({QFileInfo(file.path).fileName(), statusText(file, done), detailText(file)});
        row->setToolTip(PageColumn, QDir::toNativeSeparators(file.path));
        row->setToolTip(DetailColumn, row->text(DetailColumn));
        if (file.status == PublishedFile::Status::Refused)
            row->setForeground(StatusColumn, QColor(200, 40, 40)); // read in light and dark schemes alike
        rows << row;
    }
    m_files->addTopLevelItems(rows);
    m_files->resizeColumnToContents(PageColumn);
    m_files->resizeColumnToContents(StatusColumn);
    QStringList summary;
    if (counts[int(PublishedFile::Status::Changed)])
        summary << (done ? words("%1 ページを書き込みました。") : words("%1 ページが変わります。")).arg(counts[int(PublishedFile::Status::Changed)]);
    if (counts[int(PublishedFile::Status::Unchanged)])
        summary << words("%1 ページは変わりません。").arg(counts[int(PublishedFile::Status::Unchanged)]);
    if (counts[int(PublishedFile::Status::Refused)])
        summary << words("%1 ページは公開できません。").arg(counts[int(PublishedFile::Status::Refused)]);
    m_summary->setText(summary.join(QLatin1Char(' ')));
}

void PublishDialog::showPlan(const Publication &plan, bool hasPages, bool uploadPending)
{
    fill(plan, false);
    if (!hasPages)
        m_summary->setText(words("公開するページがありません。「ページの設定…」で、リンク集を書き込むページを選んでください。"));
    else if (!plan.anyChanged() && !plan.anyRefused())
        m_summary->setText(words("どのページも今のままです。書き込むものはありません。"));
    const bool something = plan.anyChanged() || (hasPages && uploadPending);
    m_publish->setEnabled(something);
    (something ? m_publish : m_pages)->setDefault(true);
}

void PublishDialog::showResult(const Publication &done)
{
    fill(done, true);
    m_publish->setEnabled(false);
}
