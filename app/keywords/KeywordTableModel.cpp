#include "KeywordTableModel.h"

#include "CodePage.h"
#include "ScriptFont.h"
#include "TextFolding.h"

KeywordTableModel::KeywordTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void KeywordTableModel::setKeywords(std::vector<KeywordCount> keywords)
{
    beginResetModel();
    m_keywords = std::move(keywords);
    SortKeywords(m_keywords, m_order);
    m_folded.clear();
    m_folded.reserve(m_keywords.size());
    for (const KeywordCount &keyword : m_keywords)
        m_folded.push_back(TextFolding::fold(CodePage::toTypedText(keyword.keyword)));
    arrange();
    endResetModel();
}

void KeywordTableModel::setOrder(KeywordOrder order)
{
    if (order == m_order)
        return;
    m_order = order;
    setKeywords(std::move(m_keywords));
}

void KeywordTableModel::setFilter(const QString &typed)
{
    beginResetModel();
    m_filter = TextFolding::fold(typed);
    arrange();
    endResetModel();
}

void KeywordTableModel::arrange()
{
    m_rows.clear();
    for (std::size_t i = 0; i < m_keywords.size(); ++i) {
        if (m_folded[i].contains(m_filter))
            m_rows.push_back(int(i));
    }
}

int KeywordTableModel::rowOf(const QByteArray &keyword) const
{
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (at(int(row)).keyword == keyword)
            return int(row);
    }
    return -1;
}

int KeywordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int KeywordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KeywordTableModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::FontRole) {
        const QString text = data(index, Qt::DisplayRole).toString();
        return ScriptFont::needsWesternFont(text) ? QVariant(ScriptFont::westernFont()) : QVariant();
    }
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::TextAlignmentRole))
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == SitesColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    const KeywordCount &keyword = at(index.row());
    switch (index.column()) {
    case KeywordColumn:
        return CodePage::toTypedText(keyword.keyword);
    case SitesColumn:
        return keyword.sites;
    default: {
        QStringList alike;
        for (const QByteArray &other : keyword.alike)
            alike << CodePage::toTypedText(other);
        return alike.join(QStringLiteral("、"));
    }
    }
}

QVariant KeywordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const headers[] = {"キーワード", "サイト数", "ほかの表記"};
    return QString::fromUtf8(headers[section]);
}
