#pragma once

#include <QModelIndexList>

class QItemSelectionModel;

// The rows chosen in a view that chooses whole rows, as indexes of their first column, each once,
// from the top. QItemSelectionModel::selectedRows() asks of every row in every range whether all
// its columns are chosen, which grows with the square of the rows chosen apart from one another
// (every tenth of a hundred thousand: seconds); this reads each range once.
QModelIndexList ChosenRows(const QItemSelectionModel &selection);
