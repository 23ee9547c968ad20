#include "UploadPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

// The progress bar counts thousandths of a file, so that a long file moves it too.
constexpr int kSteps = 1000;

const QColor kFailed(200, 40, 40); // read in light and dark schemes alike

} // namespace

UploadPanel::UploadPanel(QWidget *parent)
    : QWidget(parent)
{
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setAccessibleName(words("サーバーへの送信"));
    m_cancel = new QPushButton(words("中止"), this);
    m_cancel->setEnabled(false);
    connect(m_cancel, &QPushButton::clicked, this, &UploadPanel::cancelRequested);
    m_lines = new QListWidget(this);
    m_lines->setAccessibleName(words("送ったファイル"));
    auto *bar = new QHBoxLayout;
    bar->addWidget(m_progress, 1);
    bar->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    layout->addLayout(bar);
    layout->addWidget(m_lines, 1);
    m_progress->hide();
    m_cancel->hide();
    m_lines->hide();
}

void UploadPanel::showPlan(const QString &text, bool problem)
{
    m_text->setText(text);
    QPalette palette = m_text->palette();
    if (problem)
        palette.setColor(QPalette::WindowText, kFailed);
    m_text->setPalette(problem ? palette : QPalette());
    m_lines->clear();
    m_progress->hide();
    m_cancel->hide();
    m_lines->hide();
}

void UploadPanel::started(int files)
{
    m_files = files;
    m_text->setText(words("サーバーに送っています…"));
    m_progress->setRange(0, std::max(1, files) * kSteps);
    m_progress->setValue(0);
    m_progress->setFormat(words("%1 / %2 ファイル").arg(0).arg(files));
    m_lines->clear();
    for (QWidget *part : {static_cast<QWidget *>(m_progress), static_cast<QWidget *>(m_cancel), static_cast<QWidget *>(m_lines)})
        part->show();
    m_cancel->setEnabled(true);
}

void UploadPanel::addLine(const QString &text, bool failed)
{
    auto *line = new QListWidgetItem(text, m_lines);
    line->setToolTip(text);
    if (failed)
        line->setForeground(kFailed);
    m_lines->scrollToItem(line);
}

void UploadPanel::progressed(int done, qint64 sent, qint64 total)
{
    const int part = total > 0 ? int(std::min<qint64>(kSteps, sent * kSteps / total)) : 0;
    m_progress->setValue(std::min(m_files, done) * kSteps + (done < m_files ? part : 0));
    m_progress->setFormat(words("%1 / %2 ファイル").arg(done).arg(m_files));
}

void UploadPanel::finished(const QString &summary, bool succeeded)
{
    m_cancel->setEnabled(false);
    m_text->setText(succeeded ? words("サーバーに送りました（%1）。").arg(summary)
                              : words("送れなかったファイルがあります（%1）。").arg(summary));
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, kFailed);
    m_text->setPalette(succeeded ? QPalette() : palette);
}

QString UploadPanel::text() const
{
    return m_text->text();
}

QStringList UploadPanel::lines() const
{
    QStringList all;
    for (int i = 0; i < m_lines->count(); ++i)
        all << m_lines->item(i)->text();
    return all;
}

bool UploadPanel::cancellable() const
{
    return m_cancel->isVisible() && m_cancel->isEnabled();
}
