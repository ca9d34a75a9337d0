#pragma once

#include "exchange/ExportSource.h"

#include <QHash>

#include <functional>

class QAbstractItemModel;

// The rows of a table model as a list to save: the headings and the texts
// the list shows, amounts and dates read back from their shown form.
class ModelExportSource : public ExportSource
{
public:
    using KindOf = std::function<Kind(int column)>;

    ModelExportSource(const QAbstractItemModel &model, KindOf kindOf, int rows);

    // A heading where the list shows none.
    void setHeading(int column, const QString &heading) { m_headings.insert(column, heading); }
    void setFrozenColumns(int columns) { m_frozenColumns = columns; }
    void setTotalsLabel(const QString &label) { m_totalsLabel = label; }

    QList<Column> columns() const override;
    int rowCount() const override { return m_rows; }
    Cell cell(int row, int column) const override;
    int frozenColumns() const override { return m_frozenColumns; }
    QString totalsLabel() const override { return m_totalsLabel; }

private:
    const QAbstractItemModel &m_model;
    KindOf m_kindOf;
    int m_rows = 0;
    QHash<int, QString> m_headings;
    QList<Kind> m_kinds;
    int m_frozenColumns = 0;
    QString m_totalsLabel;
};
