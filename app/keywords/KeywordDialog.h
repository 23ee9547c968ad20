#pragma once

#include "KeywordTally.h"

#include <QDialog>

class KeywordTableModel;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

// The keyword view: every keyword of the register with the number of sites that carry it, by
// name or by count, narrowed by a filter box. It only says what the user asked for about the
// chosen keyword: show its sites in the list (Enter, a double click; the view then closes), rename
// it, take it off every site; the window does it and gives the view the keywords as they then are.
class KeywordDialog : public QDialog
{
    Q_OBJECT
public:
    explicit KeywordDialog(QWidget *parent = nullptr);

    // The register's keywords as they are now; the chosen keyword stays chosen while it is there.
    void setKeywords(std::vector<KeywordCount> keywords);
    // Makes `keyword` the chosen one, where it is shown.
    void chooseKeyword(const QByteArray &keyword);

signals:
    void showRequested(const QByteArray &keyword);
    void renameRequested(const QByteArray &keyword);
    void removeRequested(const QByteArray &keyword);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QByteArray chosen() const;
    void choose(int row);
    void followChoice();
    void showChosen();
    void ask(void (KeywordDialog::*request)(const QByteArray &));

    KeywordTableModel *m_model;
    QLineEdit *m_filter;
    QComboBox *m_order;
    QTableView *m_table;
    QPushButton *m_show;
    QPushButton *m_rename;
    QPushButton *m_remove;
};
