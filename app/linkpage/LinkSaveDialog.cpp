#include "LinkSaveDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

LinkSaveDialog::PathChooser &pathChooser()
{
    static LinkSaveDialog::PathChooser chooser;
    return chooser;
}

QString chooseWithFileDialog(QWidget *parent, const QString &suggested)
{
    return QFileDialog::getSaveFileName(parent, QString::fromUtf8("ファイルに保存"), suggested,
                                        QString::fromUtf8("HTML ファイル (*.html *.htm);;すべてのファイル (*)"));
}

} // namespace

LinkSaveDialog::LinkSaveDialog(const LinkCodeFormat &format, QWidget *parent)
    : QDialog(parent)
    , m_codePage(new QRadioButton(QString::fromUtf8("Shift_JIS（CP932、登録データのまま）"), this))
    , m_utf8(new QRadioButton(QStringLiteral("UTF-8"), this))
    , m_asPage(new QCheckBox(QString::fromUtf8("ページとして保存"), this))
    , m_title(new QLineEdit(format.title, this))
{
    setWindowTitle(QString::fromUtf8("ファイルに保存"));
    (format.encoding == LinkCodeEncoding::Utf8 ? m_utf8 : m_codePage)->setChecked(true);
    m_asPage->setChecked(format.asPage);
    m_title->setEnabled(format.asPage);
    connect(m_asPage, &QCheckBox::toggled, m_title, &QWidget::setEnabled);

    auto *encodings = new QVBoxLayout;
    encodings->addWidget(m_codePage);
    encodings->addWidget(m_utf8);
    auto *form = new QFormLayout;
    form->addRow(QString::fromUtf8("文字コード"), encodings);
    form->addRow(m_asPage);
    form->addRow(QString::fromUtf8("タイトル"), m_title);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

LinkCodeFormat LinkSaveDialog::format() const
{
    LinkCodeFormat format;
    format.encoding = m_utf8->isChecked() ? LinkCodeEncoding::Utf8 : LinkCodeEncoding::RegisterCodePage;
    format.asPage = m_asPage->isChecked();
    format.title = m_title->text();
    return format;
}

QString LinkSaveDialog::run(const QString &suggested)
{
    if (exec() != QDialog::Accepted)
        return {};
    const QString start = !suggested.isEmpty() ? suggested
        : QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(QString::fromUtf8("リンク集.html"));
    const PathChooser &chooser = pathChooser();
    return chooser ? chooser(this, start) : chooseWithFileDialog(this, start);
}

void LinkSaveDialog::setPathChooser(PathChooser chooser)
{
    pathChooser() = std::move(chooser);
}
