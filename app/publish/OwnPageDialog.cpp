#include "OwnPageDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "CodePage.h"
#include "LinkCodeDocument.h"

namespace {

QString words(const char *text)
{
    return QString::fromUtf8(text);
}

const QString kHtmlFiles = QString::fromUtf8("HTML ファイル (*.html *.htm);;すべてのファイル (*)");
const QString kFeedFiles = QString::fromUtf8("Atom フィード (*.xml *.atom);;すべてのファイル (*)");
const QString kOpmlFiles = QString::fromUtf8("OPML ファイル (*.opml *.xml);;すべてのファイル (*)");

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
    const bool page = entry.kind == PageEntry::Kind::OwnPage;
    setWindowTitle(page ? words("リンク集のページ")
                        : entry.kind == PageEntry::Kind::Feed ? words("Atom フィード") : words("ブログロール（OPML）"));
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

    const RegionOptions &defaults = entry.settings.defaults;
    m_newDays = new QSpinBox(this);
    m_newDays->setRange(0, NewSiteMark::kMaxDays);
    m_newDays->setSpecialValueText(words("付けない"));
    m_newDays->setSuffix(words(" 日以内に加えたサイト"));
    m_newDays->setValue(defaults.newDays);
    m_newMark = new QLineEdit(CodePage::toText(defaults.newMark), this);
    m_newMark->setPlaceholderText(words("HTML（例: NEW! や <img src=\"new.gif\" alt=\"NEW\">）"));
    m_recent = new QSpinBox(this);
    m_recent->setRange(page ? 0 : 1, RegionOptions::kMaxRecentCount);
    m_recent->setSpecialValueText(words("載せない"));
    m_recent->setSuffix(words(" 件"));
    m_recent->setValue(std::max(defaults.recentCount, m_recent->minimum()));
    m_dateStyle = new QComboBox(this);
    m_dateStyle->addItem(words("2026年12月9日"), int(DateStyle::Kanji));
    m_dateStyle->addItem(words("2026/12/09"), int(DateStyle::Slashes));
    m_dateStyle->setCurrentIndex(m_dateStyle->findData(int(defaults.dateStyle)));

    auto *form = new QFormLayout;
    form->addRow(words("書き込むファイル"), pathRow(m_path, choosePath));
    form->addRow(words("題名"), m_title);
    if (page) {
        form->addRow(words("生成する項目"), m_mode);
        form->addRow(QString(), m_skipDead);
        form->addRow(words("新着の印"), m_newDays);
        form->addRow(words("印の HTML"), m_newMark);
        form->addRow(words("最近加えたサイト"), m_recent);
        form->addRow(words("日付の書き方"), m_dateStyle);
        form->addRow(words("ひな形"), pathRow(m_template, chooseTemplate));
    } else if (entry.kind == PageEntry::Kind::Feed) {
        form->addRow(words("載せるサイト（最近加えた順）"), m_recent);
    }
    // What a feed or blogroll has no use for stays out of sight (kept, so that entry() reads alike).
    for (QWidget *unused : std::initializer_list<QWidget *>{m_mode, m_skipDead, m_newDays, m_newMark, m_recent, m_dateStyle, m_template, chooseTemplate}) {
        if (unused->parentWidget() == this && form->indexOf(unused) < 0)
            unused->hide();
    }
    const auto markFollowsDays = [this] { m_newMark->setEnabled(m_newDays->value() > 0); };
    connect(m_newDays, &QSpinBox::valueChanged, this, markFollowsDays);
    markFollowsDays();
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
    entry.path = m_path->text().trimmed();
    entry.templatePath = m_template->text().trimmed();
    entry.settings.title = m_title->text().simplified();
    entry.settings.defaults.mode = LinkCodeMode(m_mode->currentData().toInt());
    entry.settings.defaults.skipDead = m_skipDead->isChecked();
    entry.settings.defaults.newDays = m_newDays->value();
    const QString mark = m_newMark->text().trimmed();
    entry.settings.defaults.newMark = mark.isEmpty() ? NewSiteMark::DefaultHtml() : LinkCodeFromText(mark);
    entry.settings.defaults.recentCount = m_recent->value();
    entry.settings.defaults.dateStyle = DateStyle(m_dateStyle->currentData().toInt());
    return entry;
}

void OwnPageDialog::choosePath()
{
    const QString &filter = m_entry.kind == PageEntry::Kind::Feed       ? kFeedFiles
                            : m_entry.kind == PageEntry::Kind::Blogroll ? kOpmlFiles
                                                                        : kHtmlFiles;
    const QString path = QFileDialog::getSaveFileName(this, words("書き込むファイル"), m_path->text(), filter, nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        m_path->setText(path);
}

void OwnPageDialog::chooseTemplate()
{
    const QString path = QFileDialog::getOpenFileName(this, words("ひな形"), m_template->text(), kHtmlFiles);
    if (!path.isEmpty())
        m_template->setText(path);
}
