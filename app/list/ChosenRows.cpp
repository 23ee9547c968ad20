#include "ChosenRows.h"

#include <QItemSelectionModel>

#include <algorithm>
#include <vector>

QModelIndexList ChosenRows(const QItemSelectionModel &selection)
{
    std::vector<int> rows;
    const QItemSelection ranges = selection.selection();
    for (const QItemSelectionRange &range : ranges) {
        if (!range.isValid() || range.parent().isValid())
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QModelIndexList chosen;
    chosen.reserve(qsizetype(rows.size()));
    if (const QAbstractItemModel *model = selection.model()) {
        for (int row : rows)
            chosen.append(model->index(row, 0));
    }
    return chosen;
}
