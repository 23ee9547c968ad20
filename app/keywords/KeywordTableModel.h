#pragma once

#include "KeywordTally.h"

#include <QAbstractTableModel>

#include <vector>

// The register's keywords as the keyword view lists them: each with the number of sites that
// carry it and the other spellings a reader takes for it, in the order asked for, narrowed to
// those that hold the text typed into the view's filter box (folded as the search folds).
class KeywordTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { KeywordColumn, SitesColumn, AlikeColumn, ColumnCount };

    explicit KeywordTableModel(QObject *parent = nullptr);

    // The keywords of the register as it is now (CountKeywords).
    void setKeywords(std::vector<KeywordCount> keywords);
    void setOrder(KeywordOrder order);
    void setFilter(const QString &typed);

    // The keyword of a row as register bytes, and the sites that carry it.
    const KeywordCount &at(int row) const { return m_keywords[std::size_t(m_rows[std::size_t(row)])]; }
    // The row of `keyword` among those shown; -1 when it is not shown.
    int rowOf(const QByteArray &keyword) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void arrange();

    std::vector<KeywordCount> m_keywords; // in the order in force
    std::vector<QString> m_folded;        // each keyword's text folded, for the filter
    std::vector<int> m_rows;              // the keywords shown
    KeywordOrder m_order = KeywordOrder::Name;
    QString m_filter;                     // folded
};
