#include "CodeNameRecord.h"

#include "JetSql.h"
#include "ReadSnapshot.h"
#include "RowVersion.h"
#include "Schema.h"
#include "StoreError.h"


CodeNameRecord::CodeNameRecord(const Table &table)
    : m_table(table)
{
}

CodeNameRecord::~CodeNameRecord()
{
    m_rs.close();
    m_connection.close();
}

void CodeNameRecord::connectTo(const QString &tableName)
{
    m_connection.open(Schema::connectionText(m_dirPath));
    m_tableName = tableName;
    if (!tableName.isEmpty())
        m_rs.open(tableName, m_connection);
}

bool CodeNameRecord::search(const QString &code, const QString &equals)
{
    m_criteria = m_table.codeColumn + equals + JetSql::quote(code);
    m_rs.find(m_criteria);
    return !m_rs.eof();
}

QVariant CodeNameRecord::codeCheck(const QVariant &code, const QString &foundMarker, const QString &equals)
{
    return search(code.toString(), equals) ? foundMarker : QString();
}

QVariant CodeNameRecord::nameOf(const QVariant &code)
{
    if (!search(code.toString()))
        return QStringLiteral("X");
    return m_rs.value(m_table.nameColumn).toString();
}

bool CodeNameRecord::callUp(const QString &code, const std::function<void()> &load)
{
    m_version = RowVersion::unknown;
    const ReadSnapshot snapshot(m_connection);
    if (!search(code))
        return false;
    load();
    try {
        m_version = RowVersion::newest(m_connection, m_tableName, m_rs.value(m_table.codeColumn).toString()).number;
    } catch (const StoreError &) {
        // A register whose history cannot be read gives no version to check.
    }
    return true;
}

void CodeNameRecord::findForChange(const QString &code)
{
    if (!search(code))
        throw StoreError(m_table.missingMessage, code);
}

void CodeNameRecord::writeRow(const std::function<void()> &setColumns)
{
    m_rs.writeRow(setColumns, m_table.duplicateMessage);
}

void CodeNameRecord::addRow(const std::function<void()> &setColumns)
{
    m_rs.addNew();
    writeRow(setColumns);
}

// The version is checked under the write lock, so that no other program can
// change the row between the check and the write. The object's own change
// becomes the version it holds.
void CodeNameRecord::changeChecked(const QString &code, const std::function<void()> &change, bool deleting)
{
    m_connection.beginTrans();
    try {
        RowVersion::require(m_connection, m_tableName, code, m_version);
        findForChange(code);
        change();
        if (m_version != RowVersion::unknown) {
            const QString key = deleting ? code : m_rs.value(m_table.codeColumn).toString();
            m_version = RowVersion::newest(m_connection, m_tableName, key).number;
        }
        m_connection.commitTrans();
    } catch (...) {
        m_connection.rollbackTrans();
        throw;
    }
}

void CodeNameRecord::rewriteRow(const QString &code, const std::function<void()> &setColumns)
{
    changeChecked(code, [&] { writeRow(setColumns); });
}

void CodeNameRecord::deleteRow(const QString &code)
{
    changeChecked(code, [this] { m_rs.deleteCurrent(); }, true);
}

bool CodeNameRecord::hasColumn(const QString &column) const
{
    return m_rs.fieldNames().contains(column, Qt::CaseInsensitive);
}

void CodeNameRecord::setText(const QString &column, const QString &value)
{
    m_rs.setValue(column, value.isNull() ? QStringLiteral("") : value);
}
