#pragma once

#include "ValueColumn.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <functional>

class Connection;

// A read-only table over the rows of one statement. The rows are read once,
// straight from the engine into compact columns, so that a list of many
// thousand notes costs one pass over the result and no widget item per cell.
class QueryTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Turns a stored value into the text shown in a cell.
    using Formatter = std::function<QString(const QVariant &)>;

    explicit QueryTableModel(QObject *parent = nullptr);

    // Runs the statement (SQLite text) with its bound values and replaces
    // every row. Raises StoreError, leaving the rows shown before unchanged.
    void load(Connection &connection, const QString &sql, const QVariantList &values = {});

    // Replaces every row with the given columns (each of the same length).
    void setColumns(const QStringList &names, QVector<QVariantList> columns);
    void clear();

    // Captions of the header; columns without one show the column name.
    void setHeaders(const QStringList &headers);
    void setFormatter(int column, Formatter formatter);
    void setAlignment(int column, Qt::Alignment alignment);
    // Colours a whole row, decided from the row's stored values.
    void setRowBackground(std::function<QVariant(int row)> background);

    QStringList columnNames() const { return m_names; }
    int columnIndex(const QString &name) const;
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &column) const;
    QString text(int row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void replaceColumns(const QStringList &names, QVector<ValueColumn> columns);

    QStringList m_names;
    QStringList m_headers;
    QVector<ValueColumn> m_columns;
    int m_rows = 0;
    QVector<Formatter> m_formatters;
    QVector<Qt::Alignment> m_alignments;
    std::function<QVariant(int)> m_rowBackground;
};
