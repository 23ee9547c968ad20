#pragma once

#include <QDialog>
#include <QStringList>

class FileDialogs;
class QListView;
class QPushButton;

// What an import did, in a window of its own: the counts first (added, already there, passed
// over, keywords cut), then one row for each bookmark that was not added as it stood (the
// duplicates by name and URL, those left out and why, those whose keywords were cut). The list
// can be copied and saved as a text file; a list view draws only the rows in sight, so a file
// of a hundred thousand duplicates opens as fast as one of ten. 「元に戻す」 asks for the import
// to be taken back, which the owner does.
class ImportSummaryDialog : public QDialog
{
    Q_OBJECT
public:
    ImportSummaryDialog(const QStringList &counts, const QStringList &details, bool anyAdded,
                        FileDialogs &dialogs, QWidget *parent = nullptr);

    // Counts and list as one text, a line each: what コピー puts on the clipboard and 保存 writes.
    QString text() const;

signals:
    // 元に戻す was pressed: the import is to be taken back (the window closes).
    void undoRequested();
    // The summary could not be saved; why, for the owner to show.
    void saveFailed(const QString &message);

private:
    void copy();
    void save();

    QStringList m_counts;
    QStringList m_details;
    FileDialogs &m_dialogs;
    QListView *m_list = nullptr;
};
