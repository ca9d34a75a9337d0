#include "CrossTable.h"

#include "store/DisplayFormat.h"

#include <algorithm>

void CrossTable::add(const QString &row, const QString &columnKey, double value)
{
    if (m_rows.isEmpty() || m_rows.last() != row) {
        m_rows.append(row);
        m_cells.append(QList<Cell>());
        m_rowTotals.append(0);
    }
    auto found = m_columnIndex.constFind(columnKey);
    if (found == m_columnIndex.constEnd()) {
        found = m_columnIndex.insert(columnKey, int(m_columnKeys.size()));
        m_columnKeys.append(columnKey);
        m_columnTotals.append(0);
    }
    const int column = found.value();
    QList<Cell> &cells = m_cells.last();
    const auto cell = std::find_if(cells.begin(), cells.end(), [column](const Cell &c) { return c.column == column; });
    if (cell == cells.end())
        cells.append({column, value});
    else
        cell->value += value;
    m_rowTotals.last() += value;
    m_columnTotals[column] += value;
    m_total += value;
}

void CrossTable::finish(const QString &headingFormat)
{
    QList<int> order(m_columnKeys.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [this](int a, int b) { return m_columnKeys.at(a) < m_columnKeys.at(b); });
    QList<int> newIndex(order.size());
    QStringList keys;
    QList<double> totals;
    for (int i = 0; i < order.size(); ++i) {
        newIndex[order.at(i)] = i;
        keys.append(m_columnKeys.at(order.at(i)));
        totals.append(m_columnTotals.at(order.at(i)));
    }
    m_columnKeys = keys;
    m_columnTotals = totals;
    m_columnIndex.clear();
    for (QList<Cell> &cells : m_cells) {
        for (Cell &c : cells)
            c.column = newIndex.at(c.column);
        std::sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) { return a.column < b.column; });
    }
    m_headings.clear();
    for (const QString &key : std::as_const(m_columnKeys))
        m_headings.append(DisplayFormat::text(key, headingFormat));
}

double CrossTable::value(int row, int column, bool *present) const
{
    const QList<Cell> &cells = m_cells.at(row);
    const auto it = std::lower_bound(cells.begin(), cells.end(), column,
                                     [](const Cell &c, int col) { return c.column < col; });
    const bool found = it != cells.end() && it->column == column;
    if (present)
        *present = found;
    return found ? it->value : 0;
}
