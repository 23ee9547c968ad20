#include "OwnPageDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

const QString kHtmlFiles = QString::fromUtf8("HTML ファイル (*.html *.htm);;すべてのファイル (*)");

// A line for a path with a button that chooses it.
QWidget *pathRow(QLineEdit *line, QPushButton *choose)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(line, 1);
    layout->addWidget(choose);
    return row;
}

} // namespace

OwnPageDialog::OwnPageDialog(const PageEntry &entry, QWidget *parent)
    : QDialog(parent), m_entry(entry)
{
    setWindowTitle(words("リンク集のページ"));
    m_path = new QLineEdit(entry.path, this);
    m_title = new QLineEdit(entry.settings.title.isEmpty() ? DefaultPageTitle() : entry.settings.title, this);
    m_mode = new QComboBox(this);
    m_mode->addItem(words("サイト名"), int(LinkCodeMode::Name));
    m_mode->addItem(words("内容"), int(LinkCodeMode::Content));
    m_mode->addItem(words("サイト名＆内容"), int(LinkCodeMode::NameAndContent));
    m_mode->setCurrentIndex(m_mode->findData(int(entry.settings.defaults.mode)));
    m_skipDead = new QCheckBox(words("リンク切れを除く"), this);
    m_skipDead->setChecked(entry.settings.defaults.skipDead);
    m_template = new QLineEdit(entry.templatePath, this);
    m_template->setPlaceholderText(words("（サイト管理のひな形）"));
    auto *choosePath = new QPushButton(words("参照…"), this);
    auto *chooseTemplate = new QPushButton(words("参照…"), this);
    connect(choosePath, &QPushButton::clicked, this, &OwnPageDialog::choosePath);
    connect(chooseTemplate, &QPushButton::clicked, this, &OwnPageDialog::chooseTemplate);

    auto *form = new QFormLayout;
    form->addRow(words("書き込むファイル"), pathRow(m_path, choosePath));
    form->addRow(words("題名"), m_title);
    form->addRow(words("生成する項目"), m_mode);
    form->addRow(QString(), m_skipDead);
    form->addRow(words("ひな形"), pathRow(m_template, chooseTemplate));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(words("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A page needs a file to be written to.
    const auto allowOk = [this, buttons] { buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_path->text().trimmed().isEmpty()); };
    connect(m_path, &QLineEdit::textChanged, this, allowOk);
    allowOk();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(520, sizeHint().height());
}

PageEntry OwnPageDialog::entry() const
{
    PageEntry entry = m_entry;
    entry.kind = PageEntry::Kind::OwnPage;
    entry.path = m_path->text().trimmed();
    entry.templatePath = m_template->text().trimmed();
    entry.settings.title = m_title->text().simplified();
    entry.settings.defaults.mode = LinkCodeMode(m_mode->currentData().toInt());
    entry.settings.defaults.skipDead = m_skipDead->isChecked();
    return entry;
}

void OwnPageDialog::choosePath()
{
    const QString path = QFileDialog::getSaveFileName(this, words("リンク集を書き込むファイル"), m_path->text(), kHtmlFiles,
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        m_path->setText(path);
}

void OwnPageDialog::chooseTemplate()
{
    const QString path = QFileDialog::getOpenFileName(this, words("ひな形"), m_template->text(), kHtmlFiles);
    if (!path.isEmpty())
        m_template->setText(path);
}
