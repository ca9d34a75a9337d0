#include "ModelExportSource.h"

#include <QAbstractItemModel>

ModelExportSource::ModelExportSource(const QAbstractItemModel &model, KindOf kindOf, int rows)
    : m_model(model)
    , m_kindOf(std::move(kindOf))
    , m_rows(rows)
{
    for (int c = 0; c < model.columnCount(); ++c)
        m_kinds << (m_kindOf ? m_kindOf(c) : Kind::Text);
}

QList<ExportSource::Column> ModelExportSource::columns() const
{
    QList<Column> result;
    for (int c = 0; c < m_model.columnCount(); ++c) {
        const QString shown = m_model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        result.append({m_headings.value(c, shown), m_kinds.value(c, Kind::Text)});
    }
    return result;
}

ExportSource::Cell ModelExportSource::cell(int row, int column) const
{
    const QString shown = m_model.data(m_model.index(row, column), Qt::DisplayRole).toString();
    const Kind kind = m_kinds.value(column, Kind::Text);
    return kind == Kind::Text ? textCell(shown) : parsed(shown, kind);
}
