#include "CodeNameRecord.h"

#include "JetSql.h"
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

void CodeNameRecord::rewriteRow(const QString &code, const std::function<void()> &setColumns)
{
    findForChange(code);
    writeRow(setColumns);
}

void CodeNameRecord::deleteRow(const QString &code)
{
    findForChange(code);
    m_rs.deleteCurrent();
}

bool CodeNameRecord::hasColumn(const QString &column) const
{
    return m_rs.fieldNames().contains(column, Qt::CaseInsensitive);
}

void CodeNameRecord::setText(const QString &column, const QString &value)
{
    m_rs.setValue(column, value.isNull() ? QStringLiteral("") : value);
}
