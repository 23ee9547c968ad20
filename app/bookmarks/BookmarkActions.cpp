#include "BookmarkActions.h"

#include "BookmarkTransfer.h"
#include "FileDialogs.h"
#include "ImportSummaryDialog.h"
#include "MessageBoxes.h"
#include "RegistrationOperations.h"
#include "SiteRegister.h"
#include "UndoHistory.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <atomic>

namespace {

const QString kFilter = QStringLiteral("ブックマーク ファイル (*.html *.htm);;すべてのファイル (*)");

DesktopFileDialogs &desktopDialogs()
{
    static DesktopFileDialogs dialogs;
    return dialogs;
}

DialogMessageBoxes &desktopBoxes()
{
    static DialogMessageBoxes boxes;
    return boxes;
}

const QString kImportTitle = QStringLiteral("ブックマークの取り込み");

QAction *makeAction(const QString &text, const QKeySequence &key, const char *name, QWidget *window)
{
    auto *action = new QAction(text, window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(text + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    window->addAction(action);
    return action;
}

// The progress bar counts in thousandths of the file.
constexpr int kSteps = 1000;
constexpr int kPollMs = 100;

// Lets an action's key through a text field that would take it as an editing key (a line
// field reads Ctrl+E as "to the end of the line" on Linux desktops).
class KeyPassage : public QObject
{
public:
    KeyPassage(QAction *action, QObject *parent) : QObject(parent), m_action(action) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ShortcutOverride || !qobject_cast<QLineEdit *>(watched))
            return false;
        return m_action->shortcut() == QKeySequence(static_cast<QKeyEvent *>(event)->keyCombination());
    }

private:
    QAction *m_action;
};

} // namespace

// What the reading thread and the window share: the thread writes `bytesRead` and, once done,
// `planned`; the window sets `cancelled`. `planned` is read only after the thread has finished.
struct BookmarkActions::Reading
{
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> bytesRead{0};
    qint64 size = 0;
    BookmarkImport planned;
};

BookmarkActions::BookmarkActions(SiteRegister &siteRegister, QWidget *window, UndoHistory *history)
    : QObject(window)
    , m_register(siteRegister)
    , m_history(history)
    , m_window(window)
    , m_dialogs(&desktopDialogs())
    , m_boxes(&desktopBoxes())
    , m_import(makeAction(QStringLiteral("ブックマークの取り込み..."), QKeySequence(Qt::CTRL | Qt::Key_I),
                          "importBookmarksAction", window))
    , m_export(makeAction(QStringLiteral("ブックマークの書き出し..."), QKeySequence(Qt::CTRL | Qt::Key_E),
                          "exportBookmarksAction", window))
{
    connect(m_import, &QAction::triggered, this, &BookmarkActions::importBookmarks);
    connect(m_export, &QAction::triggered, this, &BookmarkActions::exportBookmarks);
    auto *passage = new KeyPassage(m_export, this);
    for (QLineEdit *field : window->findChildren<QLineEdit *>())
        field->installEventFilter(passage);
}

BookmarkActions::~BookmarkActions()
{
    // The thread reads a copy of the register's URLs and a state of its own; it only has to end.
    if (m_worker) {
        m_reading->cancelled = true;
        m_worker->wait();
    }
}

QToolButton *BookmarkActions::makeButton(QWidget *parent) const
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QStringLiteral("bookmarkButton"));
    button->setText(QStringLiteral("ブックマーク"));
    button->setAccessibleName(QStringLiteral("ブックマークの取り込みと書き出し"));
    button->setToolTip(m_import->toolTip() + QLatin1Char('\n') + m_export->toolTip());
    button->setPopupMode(QToolButton::InstantPopup);
    button->setFocusPolicy(Qt::StrongFocus);
    auto *menu = new QMenu(button);
    menu->addAction(m_import);
    menu->addAction(m_export);
    button->setMenu(menu);
    return button;
}

QString BookmarkActions::startDirectory() const
{
    if (!m_directory.isEmpty())
        return m_directory;
    // Not every home has a documents folder; a missing one would be offered as a file name.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void BookmarkActions::importBookmarks()
{
    const QString path =
        m_dialogs->openFileName(m_window, kImportTitle, startDirectory(), kFilter);
    if (!path.isEmpty())
        importFile(path);
}

void BookmarkActions::exportBookmarks()
{
    const QString suggested = QDir(startDirectory()).filePath(QStringLiteral("bookmarks.html"));
    const QString path =
        m_dialogs->saveFileName(m_window, QStringLiteral("ブックマークの書き出し"), suggested, kFilter);
    if (!path.isEmpty())
        exportFile(path);
}

void BookmarkActions::importFile(const QString &path)
{
    if (m_worker)
        return;
    m_directory = QFileInfo(path).absolutePath();
    auto reading = std::make_shared<Reading>();
    reading->size = QFileInfo(path).size();
    m_reading = reading;
    // Duplicates and keywords are judged against the register as it is now, copied for the thread;
    // the modal progress bar keeps the window from changing it meanwhile.
    const KnownSites known = RegisterKnown(m_register.sites());
    m_worker = QThread::create([reading, known, path] {
        BookmarkReadLimits limits;
        limits.keepGoing = [&reading = *reading](qint64 bytes) {
            reading.bytesRead = bytes;
            return !reading.cancelled;
        };
        reading->planned = PlanBookmarkFileImport(path, known, limits);
    });
    m_progress = new QProgressDialog(QStringLiteral("ブックマークを読み込んでいます…\n") + QFileInfo(path).fileName(),
                                     QStringLiteral("中止"), 0, kSteps, m_window);
    m_progress->setWindowTitle(kImportTitle);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(300); // a small file is read before the bar would show
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, this, &BookmarkActions::cancelImport);
    m_poll = new QTimer(this);
    connect(m_poll, &QTimer::timeout, this, [this] {
        // A modal bar's setValue turns the event loop, where the import may finish: nothing
        // of this is used after it.
        if (m_progress && m_reading && m_reading->size > 0)
            m_progress->setValue(int(std::min<qint64>(kSteps - 1, m_reading->bytesRead * kSteps / m_reading->size)));
    });
    m_poll->start(kPollMs);
    connect(m_worker, &QThread::finished, this, [this, path] { finishImport(path); });
    m_worker->start();
}

void BookmarkActions::cancelImport()
{
    if (m_reading)
        m_reading->cancelled = true;
}

void BookmarkActions::finishImport(const QString &path)
{
    m_worker->deleteLater();
    m_worker = nullptr;
    m_poll->deleteLater();
    m_poll = nullptr;
    m_progress->deleteLater();
    m_progress->hide();
    m_progress = nullptr;
    const std::shared_ptr<Reading> reading = std::move(m_reading);
    const QString nothing = QStringLiteral("何も取り込みませんでした。");
    BookmarkImport &planned = reading->planned;
    if (reading->cancelled) { // the user knows
        emit importFinished();
        return;
    }
    if (!planned.read.ok) {
        emit failed(path + QLatin1Char('\n') + planned.read.message + QLatin1Char('\n') + nothing);
        emit importFinished();
        return;
    }
    if (planned.plan.orderMatters > 0) {
        const int order = m_boxes->askChoice(
            m_window, kImportTitle,
            QStringLiteral("タグとフォルダーを合わせると 3 個を超えるブックマークが %1 件あります。キーワードにはどちらを先に入れますか？\n"
                           "入らなかったものは、取り込みの結果に出ます。").arg(planned.plan.orderMatters),
            {QStringLiteral("タグを先に"), QStringLiteral("フォルダーを先に")}, 0);
        if (order < 0) { // the user knows: nothing imported
            emit importFinished();
            return;
        }
        if (order == 1)
            planned.plan.arrangeKeywords(ImportKeywordOrder::FoldersFirst);
    }
    OperationResult added;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The list holds every record anyway, and 元に戻す the ones added.
        added = WritePlannedImport(planned, [this](const PlannedRecords &toAdd) {
            const std::vector<SiteRecord> records = toAdd.all();
            return m_history ? m_history->addMany(records) : m_register.addMany(records);
        });
        QApplication::restoreOverrideCursor();
    }
    if (!added.done()) {
        emit failed(OperationMessage(added, m_register.settingPath()) + QLatin1Char('\n') + nothing);
        emit importFinished();
        return;
    }
    // Window-modal: while it is open nothing else changes the register here, so that its
    // 元に戻す takes back this import and nothing after it.
    // 元に戻す is offered where there is something to take back and an owner to take it back.
    const bool undoable = !planned.plan.records.empty()
        && isSignalConnected(QMetaMethod::fromSignal(&BookmarkActions::undoImportRequested));
    auto *summary = new ImportSummaryDialog(planned.plan.counts(), planned.plan.details(), undoable, *m_dialogs, m_window);
    summary->setAttribute(Qt::WA_DeleteOnClose);
    connect(summary, &ImportSummaryDialog::undoRequested, this, &BookmarkActions::undoImportRequested);
    connect(summary, &ImportSummaryDialog::saveFailed, this, &BookmarkActions::failed);
    summary->open();
    emit importFinished();
}

void BookmarkActions::exportFile(const QString &path)
{
    m_directory = QFileInfo(path).absolutePath();
    if (const IoResult saved = SaveBookmarkFile(m_register.sites(), path); !saved) {
        emit failed(QStringLiteral("ブックマークを書き出せませんでした。\n") + saved.describe());
        return;
    }
    emit exported(QStringLiteral("%1 件のサイトを %2 に書き出しました。").arg(m_register.sites().size()).arg(QDir::toNativeSeparators(path)));
}
