#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

class Connection;

// A recordset with the operations and meanings of the system's database access
// layer: open on a table name or a statement, navigate forward, find forward
// from the current row, read and write columns by name (any letter case),
// add, update and delete, each write going to the database at once.
//
// A table opened by name is never loaded: the position is a row id and every
// operation is one indexed statement. A statement that selects all columns of
// one table reads the row ids it selects and can be written to; any other
// statement or a view is read whole, as a client-side static cursor.
class Recordset
{
public:
    Recordset() = default;
    ~Recordset() = default;
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // A statement may hold "?" marks for `values`, bound in order.
    void open(const QString &source, Connection &connection, const QVariantList &values = {});
    void close();
    bool isOpen() const { return m_connection != nullptr; }

    int recordCount() const;
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    void moveFirst();
    void moveNext();

    // Criterion: column, "=" and a value ('text' with doubled quotes inside,
    // #yyyy/mm/dd# or a number). Searches from the current row forward; when
    // no row matches, the position is at the end.
    void find(const QString &criterion);

    QStringList fieldNames() const { return m_fields; }
    QVariant value(const QString &column) const;
    QVariant value(int index) const;
    void setValue(const QString &column, const QVariant &value);

    void addNew();
    void update();
    // Sets the columns of the new or current row and writes it. On failure the
    // recordset is closed, so that a refused row is never written by a later
    // move; a taken code is reported with duplicateMessage.
    void writeRow(const std::function<void()> &setColumns, const QString &duplicateMessage);
    void deleteCurrent();

private:
    enum class Mode { Table, Static };

    int fieldIndex(const QString &column) const;
    void requireCurrentRow() const;
    void positionOn(qint64 rowId);
    void positionAtEnd();
    void readAhead();
    const QVector<QVariant> &currentRow() const;
    QVector<QVariant> fetchRow(qint64 rowId) const;
    QVariant readValue(int index, const QVariant &stored) const;
    QVariant storedValue(int index, const QVariant &value) const;
    qint64 currentRowId() const;
    void writeTableRow();
    bool staticRowMatches(int row, int column, const QVariant &wanted) const;
    void openStatement(const QString &statement, const QVariantList &values);
    void setTableFields();

    Connection *m_connection = nullptr;
    Mode m_mode = Mode::Table;
    QString m_table; // the table written to; empty for a read-only statement
    QStringList m_fields;
    QString m_columnList; // the table's columns, quoted and joined
    QHash<QString, int> m_fieldIndex; // lower-case name -> index

    bool m_bof = true;
    bool m_eof = true;
    bool m_deleted = false;
    bool m_adding = false;
    QHash<int, QVariant> m_pending;

    // The current row's columns, read on demand by row id.
    qint64 m_rowId = 0;
    mutable QVector<QVariant> m_rowCache;
    mutable bool m_rowCached = false;

    // Table mode: rows read ahead of the current one by moveNext.
    QVector<QPair<qint64, QVector<QVariant>>> m_ahead;
    int m_aheadPos = -1;
    int m_aheadBatch = 16;

    // Static mode: the row ids of an updatable selection, else every row.
    QVector<QVector<QVariant>> m_rows;
    QVector<qint64> m_rowIds;
    QVector<bool> m_rowDeleted;
    qsizetype m_pos = -1;
};
