#pragma once

#include "LinkResults.h"

#include <QAbstractTableModel>

class SiteList;
class SiteRegister;

// The register as the rows of the site list: row i is the record at position i, in register
// order, never sorted. The model holds no copy of the texts; it decodes the cells on demand,
// so that rebuilding the list costs the same for ten records as for a hundred thousand. The
// name cell carries the mark of the URL's last link check. It
// follows the register's own announcements row by row, so that the view keeps its current row
// and scroll position when records come and go, here or in another program.
class SiteTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The six texts, then when the site was added and last changed (hidden until the user
    // chooses them, see SiteDateColumns).
    enum Column {
        NameColumn, UrlColumn, Keyword1Column, Keyword2Column, Keyword3Column, ContentColumn,
        AddedColumn, ChangedColumn, ColumnCount
    };
    static constexpr int TextColumnCount = AddedColumn;
    // The LinkVerdict of a row's URL by its last check, as an int, in every column.
    static constexpr int LinkHealthRole = Qt::UserRole + 1;
    // The row's SiteRecord as stored (the texts for searching and sorting), in every column.
    static constexpr int SiteRecordRole = Qt::UserRole + 2;

    explicit SiteTableModel(const SiteRegister &siteRegister, QObject *parent = nullptr);

    // Width in pixels the column starts with.
    static int columnWidth(int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The last check of every URL, marked before the site's name with its tooltip; whatever
    // changed, every row is announced changed.
    void setLinkResults(LinkResults results);

private:
    const SiteList &m_sites;
    LinkResults m_linkResults;
};
