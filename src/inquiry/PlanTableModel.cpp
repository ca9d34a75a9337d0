#include "PlanTableModel.h"

#include "store/DisplayFormat.h"

PlanTableModel::PlanTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void PlanTableModel::setTable(CrossTabTable table)
{
    beginResetModel();
    m_table = std::move(table);
    m_headings = m_table.columnNames();
    m_firstNumber = -1;
    endResetModel();
}

void PlanTableModel::setHeading(int column, const QString &heading)
{
    if (column < 0 || column >= m_headings.size())
        return;
    m_headings[column] = heading;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void PlanTableModel::setNumberColumns(int first, const QString &format)
{
    m_firstNumber = first;
    m_format = format;
    if (columnCount() > 0 && rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

QString PlanTableModel::text(int row, int column) const
{
    const QVariant value = m_table.value(row, column);
    if (value.isNull())
        return QString();
    if (m_firstNumber >= 0 && column >= m_firstNumber)
        return DisplayFormat::text(value, m_format);
    return value.toString();
}

int PlanTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.rowCount();
}

int PlanTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.columnCount();
}

QVariant PlanTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    // The tip shows an amount in full where the narrow column cuts it.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const bool right = m_firstNumber >= 0 && index.column() >= m_firstNumber;
        return QVariant((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant PlanTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headings.size())
        return m_headings.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
