#include "CrossTabTable.h"

#include <algorithm>

QVariant CrossTabTable::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return QVariant();
    const int leading = leadingColumnCount();
    if (column < leading)
        return m_leading.at(column).at(row);
    const auto first = m_cellColumn.cbegin() + m_rowStart.at(row);
    const auto last = m_cellColumn.cbegin() + m_rowStart.at(row + 1);
    const auto at = std::lower_bound(first, last, qint32(column - leading));
    if (at == last || *at != column - leading)
        return QVariant();
    return m_cellValue.at(at - m_cellColumn.cbegin());
}
