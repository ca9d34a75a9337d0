#pragma once

#include "Connection.h"
#include "Recordset.h"

#include <QString>
#include <QVariant>

#include <functional>

// What the category, bank and supplier record classes share: an object's own
// connection and rowset over one code/name table, the forward search by code,
// and the add, rewrite and delete of one row. Each class keeps its own
// properties, markers and messages. A caller creates an object for one piece
// of work: setDirPath, CntDb, properties and one operation, then lets the
// object go, which closes its recordset and connection. Searches run forward
// from the current row, so only a fresh object searches the whole table.
class CodeNameRecord
{
public:
    CodeNameRecord(const CodeNameRecord &) = delete;
    CodeNameRecord &operator=(const CodeNameRecord &) = delete;

    void setDirPath(const QString &DirPath) { m_dirPath = DirPath; }

    // The version (RowVersion) of the row last called up by code, or
    // RowVersion::unknown. A rewrite or delete given a known version is
    // refused, nothing written, when the row has changed since.
    qint64 Version() const { return m_version; }
    void setVersion(qint64 version) { m_version = version; }

protected:
    // How one table is searched and what its failures say.
    struct Table
    {
        QString codeColumn;
        QString nameColumn;
        QString missingMessage;
        QString duplicateMessage;
    };

    explicit CodeNameRecord(const Table &table);
    ~CodeNameRecord();

    // Opens the connection and, unless the name is empty, the table.
    void connectTo(const QString &tableName);

    // Finds the next row, the current one included, whose code column meets
    // "<column> = 'code'"; `equals` is the text between the column and the
    // quoted code, as the caller writes its condition.
    bool search(const QString &code, const QString &equals = QStringLiteral(" = "));
    // foundMarker when a row has the code, "" when none has.
    QVariant codeCheck(const QVariant &code, const QString &foundMarker,
                       const QString &equals = QStringLiteral(" = "));
    // The row's name, or "X" when no row has the code.
    QVariant nameOf(const QVariant &code);
    // Searches the row coded `code` and, when found, runs `load` and
    // remembers the row's version, both from one state of the database.
    // False when no row has the code.
    bool callUp(const QString &code, const std::function<void()> &load);

    // Adds a row, or rewrites or deletes the row coded `code` (StoreError
    // when there is none). setColumns sets the columns with setText and
    // Recordset::setValue; a taken code is reported with the duplicate message.
    void addRow(const std::function<void()> &setColumns);
    void rewriteRow(const QString &code, const std::function<void()> &setColumns);
    void deleteRow(const QString &code);
    // Unset text is written as empty text, not as null.
    void setText(const QString &column, const QString &value);

    Recordset &recordset() { return m_rs; }
    // False for a column that a database of an earlier version, read where
    // it could not be upgraded, does not have yet.
    bool hasColumn(const QString &column) const;

private:
    void findForChange(const QString &code);
    void writeRow(const std::function<void()> &setColumns);
    void changeChecked(const QString &code, const std::function<void()> &change, bool deleting = false);

    QString m_dirPath;
    QString m_tableName;
    qint64 m_version = -1;
    Connection m_connection;
    Recordset m_rs;
    QString m_criteria;
    const Table m_table;
};
