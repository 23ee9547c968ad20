#include "SiteTableModel.h"

#include "DisplayText.h"
#include "LinkHealth.h"
#include "LinkHealthIcon.h"
#include "ScriptFont.h"
#include "SiteList.h"
#include "ShownText.h"
#include "SiteDateText.h"
#include "SiteRegister.h"

namespace {

struct ColumnHeading
{
    const char *title; // UTF-8; the keyword titles are half-width katakana, as the register's readers know them
    int width;
};

const ColumnHeading kColumns[SiteTableModel::ColumnCount] = {
    {"サイト名", 120}, {"URL", 120}, {"ｷｰﾜｰﾄﾞ1", 65}, {"ｷｰﾜｰﾄﾞ2", 65}, {"ｷｰﾜｰﾄﾞ3", 65}, {"内容", 120},
    {"登録日", 80}, {"更新日", 80},
};

std::int64_t dateOf(const SiteRecord &record, int column)
{
    return column == SiteTableModel::AddedColumn ? record.GetAdded() : record.GetChanged();
}

SiteText cellText(int column)
{
    // The columns stand in the order of the record's texts.
    static_assert(SiteTableModel::TextColumnCount == int(kSiteTexts.size()));
    return kSiteTexts[std::size_t(column)];
}

} // namespace

SiteTableModel::SiteTableModel(const SiteRegister &siteRegister, QObject *parent)
    : QAbstractTableModel(parent)
    , m_sites(siteRegister.sites())
{
    const SiteRegister *source = &siteRegister;
    connect(source, &SiteRegister::recordsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(source, &SiteRegister::recordsInserted, this, [this] { endInsertRows(); });
    connect(source, &SiteRegister::recordsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows({}, first, last); });
    connect(source, &SiteRegister::recordsRemoved, this, [this] { endRemoveRows(); });
    connect(source, &SiteRegister::recordChanged, this,
            [this](int row) { emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole}); });
    connect(source, &SiteRegister::aboutToBeReset, this, [this] { beginResetModel(); });
    connect(source, &SiteRegister::wasReset, this, [this] { endResetModel(); });
}

int SiteTableModel::columnWidth(int column)
{
    return column >= 0 && column < ColumnCount ? kColumns[column].width : 0;
}

int SiteTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_sites.size());
}

int SiteTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SiteTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= m_sites.size())
        return {};
    const SiteRecord &record = m_sites.at(std::size_t(index.row()));
    if (index.column() >= TextColumnCount) {
        if (role == Qt::DisplayRole)
            return ShownDay(dateOf(record, index.column()));
        if (role == Qt::ToolTipRole)
            return ShownMoment(dateOf(record, index.column()));
        if (role == SiteRecordRole)
            return QVariant::fromValue(record);
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        // What a page shows: "Tom & Jerry" of "Tom &amp; Jerry", a URL in its characters.
        return ShownText(record, cellText(index.column()));
    case Qt::FontRole:
        if (ScriptFont::needsWesternFont(ShownText(record, cellText(index.column()))))
            return ScriptFont::westernFont();
        return {};
    case SiteRecordRole:
        return QVariant::fromValue(record);
    case LinkHealthRole:
        return int(LinkHealthMarkOf(m_linkResults.find(record.GetUrl())).verdict);
    case Qt::DecorationRole:
    case Qt::ToolTipRole: {
        if (index.column() != NameColumn || m_linkResults.size() == 0)
            return {};
        const CheckedLink *checked = m_linkResults.find(record.GetUrl());
        if (!checked)
            return {};
        const LinkHealthMark mark = LinkHealthMarkOf(checked);
        if (role == Qt::ToolTipRole)
            return DisplayText::toolTip(mark.toolTip);
        return LinkHealthIcon(mark.verdict);
    }
    default:
        return {};
    }
}

void SiteTableModel::setLinkResults(LinkResults results)
{
    m_linkResults = std::move(results);
    if (!m_sites.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
                         {Qt::DecorationRole, Qt::ToolTipRole, LinkHealthRole});
}

QVariant SiteTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(kColumns[section].title);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}
