#include "QueryTableModel.h"

#include "store/StatementReader.h"

QueryTableModel::QueryTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void QueryTableModel::load(Connection &connection, const QString &sql, const QVariantList &values)
{
    // Read on the engine itself: the generic query's conversions cost more
    // than the read on a list of many thousand rows.
    StatementReader query(connection, sql, values);
    QStringList names;
    names.reserve(query.columnCount());
    for (int i = 0; i < query.columnCount(); ++i)
        names.append(query.columnName(i));

    QVector<ValueColumn> columns(names.size());
    while (query.next()) {
        for (int i = 0; i < columns.size(); ++i)
            columns[i].append(query, i);
    }
    replaceColumns(names, std::move(columns));
}

void QueryTableModel::setColumns(const QStringList &names, QVector<QVariantList> columns)
{
    QVector<ValueColumn> stored(columns.size());
    for (qsizetype c = 0; c < columns.size(); ++c) {
        stored[c].reserve(columns.at(c).size());
        for (const QVariant &v : std::as_const(columns.at(c)))
            stored[c].append(v);
    }
    replaceColumns(names, std::move(stored));
}

void QueryTableModel::replaceColumns(const QStringList &names, QVector<ValueColumn> columns)
{
    beginResetModel();
    const bool shapeChanged = names.size() != m_names.size();
    m_names = names;
    m_columns = std::move(columns);
    m_rows = m_columns.isEmpty() ? 0 : int(m_columns.first().size());
    if (shapeChanged) {
        m_formatters.resize(m_names.size());
        m_alignments.resize(m_names.size());
    }
    endResetModel();
}

void QueryTableModel::clear()
{
    beginResetModel();
    for (ValueColumn &column : m_columns)
        column.clear();
    m_rows = 0;
    endResetModel();
}

void QueryTableModel::setHeaders(const QStringList &headers)
{
    m_headers = headers;
    if (!m_names.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_names.size()) - 1);
}

void QueryTableModel::setFormatter(int column, Formatter formatter)
{
    if (column >= m_formatters.size())
        m_formatters.resize(column + 1);
    m_formatters[column] = std::move(formatter);
}

void QueryTableModel::setAlignment(int column, Qt::Alignment alignment)
{
    if (column >= m_alignments.size())
        m_alignments.resize(column + 1);
    m_alignments[column] = alignment;
}

void QueryTableModel::setRowBackground(std::function<QVariant(int)> background)
{
    m_rowBackground = std::move(background);
}

int QueryTableModel::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant QueryTableModel::value(int row, int column) const
{
    if (column < 0 || column >= m_columns.size() || row < 0 || row >= m_rows)
        return QVariant();
    return m_columns.at(column).at(row);
}

QVariant QueryTableModel::value(int row, const QString &column) const
{
    return value(row, columnIndex(column));
}

QString QueryTableModel::text(int row, int column) const
{
    const QVariant stored = value(row, column);
    if (column >= 0 && column < m_formatters.size() && m_formatters.at(column))
        return m_formatters.at(column)(stored);
    return stored.isNull() ? QString() : stored.toString();
}

int QueryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int QueryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant QueryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::EditRole:
        return value(index.row(), index.column());
    case Qt::TextAlignmentRole:
        if (index.column() < m_alignments.size() && m_alignments.at(index.column()))
            return QVariant(m_alignments.at(index.column()) | Qt::AlignVCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return m_rowBackground ? m_rowBackground(index.row()) : QVariant();
    default:
        return QVariant();
    }
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section >= 0 && section < m_headers.size())
        return m_headers.at(section);
    if (section >= 0 && section < m_names.size())
        return m_names.at(section);
    return QVariant();
}
