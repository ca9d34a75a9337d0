#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// A cross table: one row per distinct row value, one column per distinct
// column value in ascending order, sums in the cells, and the totals of every
// row and column. Cells are kept sparse, since most payees have notes on few
// of the dates.
class CrossTable
{
public:
    // Adds `value` to the cell of the row and column. Rows arrive in their
    // final order; columns are put in ascending order of their key by finish.
    void add(const QString &row, const QString &columnKey, double value);
    // Orders the columns and gives each its heading: the key in `headingFormat`.
    void finish(const QString &headingFormat);

    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return int(m_columnKeys.size()); }
    const QString &rowName(int row) const { return m_rows.at(row); }
    const QString &columnKey(int column) const { return m_columnKeys.at(column); }
    const QString &columnHeading(int column) const { return m_headings.at(column); }

    // The cell's sum; `present` tells whether any value fell into the cell.
    double value(int row, int column, bool *present = nullptr) const;
    double rowTotal(int row) const { return m_rowTotals.at(row); }
    double columnTotal(int column) const { return m_columnTotals.at(column); }
    double total() const { return m_total; }

private:
    struct Cell
    {
        int column;
        double value;
    };
    QStringList m_rows;
    QStringList m_columnKeys;
    QStringList m_headings;
    QList<QList<Cell>> m_cells;
    QHash<QString, int> m_columnIndex;
    QList<double> m_rowTotals;
    QList<double> m_columnTotals;
    double m_total = 0;
};
