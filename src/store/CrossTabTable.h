#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The result of a cross-tab query: the leading columns (row headings and row
// totals) for every row, then one column per pivot heading. Pivot cells are
// kept sparse, row by row, so the table costs memory in proportion to the
// cells that hold a value, not to rows times headings.
class CrossTabTable
{
public:
    int rowCount() const { return int(m_rowStart.size()) - 1; }
    int columnCount() const { return int(m_names.size()); }
    int leadingColumnCount() const { return int(m_leading.size()); }
    int cellCount() const { return int(m_cellColumn.size()); }

    // Names of the leading columns, then the pivot headings.
    const QStringList &columnNames() const { return m_names; }

    // A null QVariant where a row has no value under a heading.
    QVariant value(int row, int column) const;

private:
    friend class JetCrossTab;

    QStringList m_names;
    QVector<QVariantList> m_leading;
    // Cells of row r are [m_rowStart[r], m_rowStart[r + 1]), ordered by
    // their pivot column (counted from the first pivot column).
    QVector<qint32> m_rowStart {0};
    QVector<qint32> m_cellColumn;
    QVector<double> m_cellValue;
};
