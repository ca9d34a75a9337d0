#include "Recordset.h"

#include "Connection.h"
#include "JetSql.h"
#include "Schema.h"
#include "StoreError.h"
#include "StoreText.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

[[noreturn]] void noCurrentRow()
{
    throw StoreError(QStringLiteral("BOF と EOF のいずれかが True になっているか、"
                                    "または現在のレコードが削除されています。"));
}

QString quoteIdentifier(const QString &name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

struct Criterion
{
    QString column;
    QVariant value;
};

// column = 'text' | column = #date# | column = number
Criterion parseCriterion(const QString &text)
{
    static const QRegularExpression re(QStringLiteral(
            R"(^\s*\[?([A-Za-z_][A-Za-z0-9_]*)\]?\s*=\s*(?:'((?:[^']|'')*)'|#([^#]*)#|([+-]?\d+(?:\.\d+)?))\s*$)"),
            QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        throw StoreError(QStringLiteral("検索条件が正しくありません。"), text);
    Criterion c;
    c.column = m.captured(1);
    if (m.capturedStart(2) >= 0) {
        QString value = m.captured(2);
        value.replace(QLatin1String("''"), QLatin1String("'"));
        c.value = value;
    } else if (m.capturedStart(3) >= 0) {
        const QDate date = JetSql::parseDate(m.captured(3));
        if (!date.isValid())
            throw StoreError(QStringLiteral("検索条件の日付が正しくありません。"), text);
        c.value = date;
    } else {
        c.value = m.captured(4).toDouble();
    }
    return c;
}

} // namespace

void Recordset::open(const QString &source, Connection &connection, const QVariantList &values)
{
    close();
    m_connection = &connection;
    try {
        static const QRegularExpression bareName(QStringLiteral(R"(^\s*\[?([A-Za-z_][A-Za-z0-9_]*)\]?\s*$)"));
        const QRegularExpressionMatch name = bareName.match(source);
        if (name.hasMatch() && connection.isTable(name.captured(1))) {
            m_mode = Mode::Table;
            m_table = name.captured(1);
            setTableFields();
            moveFirst();
        } else if (name.hasMatch()) {
            openStatement(QStringLiteral("SELECT * FROM ") + name.captured(1), values);
        } else {
            openStatement(source, values);
        }
    } catch (...) {
        close();
        throw;
    }
}

void Recordset::openStatement(const QString &statement, const QVariantList &values)
{
    m_mode = Mode::Static;
    QString sql = JetSql::toSqlite(statement);

    // "SELECT * FROM <table> ..." reads one table whole: only its row ids are
    // read here, its rows when they are looked at, so that the rows can be
    // written back and a large selection costs little to open.
    static const QRegularExpression allOfTable(QStringLiteral(R"(^\s*SELECT\s+(\*)\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*)\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression join(QStringLiteral(R"(\bJOIN\b|,)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = allOfTable.match(sql);
    if (m.hasMatch()
        && !join.match(sql.mid(m.capturedEnd(0)).section(QStringLiteral(" WHERE "), 0, 0, QString::SectionCaseInsensitiveSeps)).hasMatch()
        && m_connection->isTable(m.captured(2))) {
        m_table = m.captured(2);
        sql.replace(m.capturedStart(1), 1, QStringLiteral("rowid"));
        setTableFields();
    }

    QSqlQuery query(m_connection->database());
    // Read whole at once: the server's driver would drop the rest of a
    // forward-only result at the next statement on the connection.
    query.setForwardOnly(!m_connection->isServer());
    bool ran = query.prepare(m_connection->statement(sql));
    for (int i = 0; ran && i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (ran)
        ran = query.exec();
    if (!ran)
        throw m_connection->failure(QStringLiteral("SQL 文を実行できません。"), query.lastError(), statement);
    if (m_table.isEmpty()) {
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            m_fields << record.fieldName(i);
    }
    for (int i = 0; i < m_fields.size(); ++i)
        m_fieldIndex.insert(m_fields.at(i).toLower(), i);
    const int count = int(m_fields.size());
    while (query.next()) {
        if (!m_table.isEmpty()) {
            m_rowIds << query.value(0).toLongLong();
            continue;
        }
        QVector<QVariant> row;
        row.reserve(count);
        for (int i = 0; i < count; ++i)
            row << query.value(i);
        m_rows << row;
    }
    m_rowDeleted.fill(false, m_table.isEmpty() ? m_rows.size() : m_rowIds.size());
    moveFirst();
}

void Recordset::setTableFields()
{
    m_fields = m_connection->columns(m_table);
    QStringList quoted;
    for (int i = 0; i < m_fields.size(); ++i) {
        m_fieldIndex.insert(m_fields.at(i).toLower(), i);
        quoted << quoteIdentifier(m_fields.at(i));
    }
    // Named, not "*": a server table has its row identity as a column too.
    m_columnList = quoted.join(QStringLiteral(", "));
}

void Recordset::close()
{
    m_connection = nullptr;
    m_table.clear();
    m_fields.clear();
    m_columnList.clear();
    m_fieldIndex.clear();
    m_bof = m_eof = true;
    m_deleted = m_adding = false;
    m_pending.clear();
    m_rowId = 0;
    m_rowCache.clear();
    m_rowCached = false;
    m_ahead.clear();
    m_aheadPos = -1;
    m_aheadBatch = 16;
    m_rows.clear();
    m_rowIds.clear();
    m_rowDeleted.clear();
    m_pos = -1;
}

int Recordset::recordCount() const
{
    if (!m_connection)
        return 0;
    if (m_mode == Mode::Static)
        return int(m_rowDeleted.count(false));
    QSqlQuery &q = m_connection->exec(QStringLiteral("SELECT count(*) FROM ") + quoteIdentifier(m_table));
    const int count = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return count;
}

void Recordset::positionOn(qint64 rowId)
{
    m_ahead.clear();
    m_aheadPos = -1;
    m_rowId = rowId;
    m_bof = m_eof = false;
    m_deleted = false;
    m_rowCached = false;
}

void Recordset::positionAtEnd()
{
    m_ahead.clear();
    m_aheadPos = -1;
    m_eof = true;
    m_deleted = false;
    m_rowCached = false;
    if (m_mode == Mode::Static)
        m_pos = m_rowDeleted.size();
}

void Recordset::moveFirst()
{
    if (!m_connection)
        throw StoreError(QStringLiteral("レコードセットが開いていません。"));
    if (!m_pending.isEmpty())
        update();
    m_adding = false;
    if (m_mode == Mode::Static) {
        m_pos = m_rowDeleted.indexOf(false);
        m_deleted = false;
        m_rowCached = false;
        m_bof = m_eof = (m_pos < 0);
        if (m_pos < 0)
            m_pos = m_rowDeleted.size();
        return;
    }
    QSqlQuery &q = m_connection->exec(QStringLiteral("SELECT rowid FROM ") + quoteIdentifier(m_table)
                                      + QStringLiteral(" ORDER BY rowid LIMIT 1"));
    if (q.next()) {
        positionOn(q.value(0).toLongLong());
    } else {
        m_bof = true;
        positionAtEnd();
    }
    q.finish();
}

void Recordset::moveNext()
{
    if (!m_connection)
        throw StoreError(QStringLiteral("レコードセットが開いていません。"));
    if (m_eof)
        noCurrentRow();
    if (!m_pending.isEmpty())
        update();
    if (m_bof) {
        moveFirst();
        return;
    }
    if (m_mode == Mode::Static) {
        qsizetype next = m_pos + 1;
        while (next < m_rowDeleted.size() && m_rowDeleted.at(next))
            ++next;
        m_pos = next;
        m_deleted = false;
        m_rowCached = false;
        m_eof = (next >= m_rowDeleted.size());
        return;
    }
    if (m_aheadPos + 1 < m_ahead.size()) {
        ++m_aheadPos;
        m_rowId = m_ahead.at(m_aheadPos).first;
        m_rowCache = m_ahead.at(m_aheadPos).second;
        m_rowCached = true;
        m_deleted = false;
        return;
    }
    readAhead();
}

// Walking a table reads the rows ahead in growing batches: a single look-up
// stays one row, a whole-table walk costs one statement per batch.
void Recordset::readAhead()
{
    QSqlQuery &q = m_connection->exec(QStringLiteral("SELECT rowid, ") + m_columnList + QStringLiteral(" FROM ") + quoteIdentifier(m_table)
                                      + QStringLiteral(" WHERE rowid > ? ORDER BY rowid LIMIT ?"),
                                      {m_rowId, m_aheadBatch});
    QVector<QPair<qint64, QVector<QVariant>>> rows;
    rows.reserve(m_aheadBatch);
    while (q.next()) {
        QVector<QVariant> row(m_fields.size());
        for (int i = 0; i < m_fields.size(); ++i)
            row[i] = q.value(i + 1);
        rows.append({q.value(0).toLongLong(), row});
    }
    q.finish();
    m_aheadBatch = qMin(m_aheadBatch * 4, 1024);
    if (rows.isEmpty()) {
        positionAtEnd();
        return;
    }
    positionOn(rows.first().first);
    m_ahead = std::move(rows);
    m_aheadPos = 0;
    m_rowCache = m_ahead.first().second;
    m_rowCached = true;
}

void Recordset::find(const QString &criterion)
{
    if (!m_connection)
        throw StoreError(QStringLiteral("レコードセットが開いていません。"));
    Criterion c = parseCriterion(criterion);
    const int column = fieldIndex(c.column);
    // The value is cleaned as it would be stored, so that a look-up finds
    // what a write of the same text wrote and refuses what it refuses.
    if (c.value.typeId() == QMetaType::QString && !Schema::isDateColumn(m_fields.at(column)))
        c.value = storedValue(column, c.value);
    if (!m_pending.isEmpty())
        update();
    m_adding = false;
    if (m_eof)
        return;

    if (m_mode == Mode::Static) {
        qsizetype row = m_bof ? 0 : m_pos;
        for (; row < m_rowDeleted.size(); ++row) {
            if (!m_rowDeleted.at(row) && staticRowMatches(int(row), column, c.value))
                break;
        }
        m_bof = false;
        m_deleted = false;
        m_rowCached = false;
        m_pos = row;
        m_eof = (row >= m_rowDeleted.size());
        return;
    }

    // The unary + keeps the planner on the column's index: the row id only
    // filters the few rows the index yields.
    const QVariant wanted = storedValue(column, c.value);
    QSqlQuery &q = m_connection->exec(QStringLiteral("SELECT rowid FROM ") + quoteIdentifier(m_table)
                                      + QStringLiteral(" WHERE ") + quoteIdentifier(m_fields.at(column))
                                      + QStringLiteral(" = ? AND +rowid >= ? ORDER BY rowid LIMIT 1"),
                                      {wanted, m_bof ? qint64(0) : m_rowId});
    if (q.next())
        positionOn(q.value(0).toLongLong());
    else
        positionAtEnd();
    q.finish();
}

bool Recordset::staticRowMatches(int row, int column, const QVariant &wanted) const
{
    const QVariant have = m_table.isEmpty() ? m_rows.at(row).at(column) : fetchRow(m_rowIds.at(row)).at(column);
    if (have.isNull())
        return false;
    if (wanted.typeId() == QMetaType::QDate)
        return JetSql::parseDate(have.toString()) == wanted.toDate();
    if (wanted.typeId() == QMetaType::Double)
        return have.toDouble() == wanted.toDouble();
    bool isNumber = false;
    const double number = wanted.toString().toDouble(&isNumber);
    if (have.typeId() == QMetaType::Double || have.typeId() == QMetaType::LongLong || have.typeId() == QMetaType::Int)
        return isNumber && have.toDouble() == number;
    return have.toString().compare(wanted.toString(), Qt::CaseInsensitive) == 0;
}

int Recordset::fieldIndex(const QString &column) const
{
    const auto it = m_fieldIndex.constFind(column.toLower());
    if (it == m_fieldIndex.constEnd())
        throw StoreError(QStringLiteral("項目が見つかりません。"), column);
    return it.value();
}

void Recordset::requireCurrentRow() const
{
    if (!m_connection || m_bof || m_eof || m_deleted)
        noCurrentRow();
}

qint64 Recordset::currentRowId() const
{
    return m_mode == Mode::Table ? m_rowId : m_rowIds.at(m_pos);
}

QVector<QVariant> Recordset::fetchRow(qint64 rowId) const
{
    QSqlQuery &q = m_connection->exec(QStringLiteral("SELECT ") + m_columnList + QStringLiteral(" FROM ") + quoteIdentifier(m_table)
                                      + QStringLiteral(" WHERE rowid = ?"),
                                      {rowId});
    if (!q.next()) {
        q.finish();
        noCurrentRow();
    }
    QVector<QVariant> row(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i)
        row[i] = q.value(i);
    q.finish();
    return row;
}

const QVector<QVariant> &Recordset::currentRow() const
{
    if (m_mode == Mode::Static && m_table.isEmpty())
        return m_rows.at(m_pos);
    if (!m_rowCached) {
        m_rowCache = fetchRow(currentRowId());
        m_rowCached = true;
    }
    return m_rowCache;
}

QVariant Recordset::readValue(int index, const QVariant &stored) const
{
    if (stored.isNull() || !Schema::isDateColumn(m_fields.at(index)))
        return stored;
    const QDate date = JetSql::parseDate(stored.toString());
    return date.isValid() ? QVariant(date) : stored;
}

QVariant Recordset::storedValue(int index, const QVariant &value) const
{
    const QString &column = m_fields.at(index);
    if (Schema::isDateColumn(column))
        return JetSql::toStoredDate(value);
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    const Schema::ColumnKind kind = Schema::columnKind(column);
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (kind == Schema::ColumnKind::Code)
            return StoreText::clean(text, StoreText::Kind::Code, Schema::columnCaption(column));
        StoreText::check(text, kind == Schema::ColumnKind::Remark ? StoreText::Kind::Remark : StoreText::Kind::Name,
                         Schema::columnCaption(column));
        return value;
    }
    if (kind == Schema::ColumnKind::Amount && !value.isNull()
        && (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float
            || value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int))
        StoreText::checkAmount(value.toDouble(), Schema::columnCaption(column));
    return value;
}

QVariant Recordset::value(int index) const
{
    if (index < 0 || index >= m_fields.size())
        throw StoreError(QStringLiteral("項目が見つかりません。"), QString::number(index));
    if (m_adding) {
        return readValue(index, m_pending.value(index));
    }
    requireCurrentRow();
    const auto pending = m_pending.constFind(index);
    if (pending != m_pending.constEnd())
        return readValue(index, pending.value());
    return readValue(index, currentRow().at(index));
}

QVariant Recordset::value(const QString &column) const
{
    return value(fieldIndex(column));
}

void Recordset::setValue(const QString &column, const QVariant &value)
{
    const int index = fieldIndex(column);
    if (!m_adding)
        requireCurrentRow();
    if (m_table.isEmpty())
        throw StoreError(QStringLiteral("このレコードセットは更新できません。"));
    m_connection->requireWritable();
    m_pending.insert(index, storedValue(index, value));
}

void Recordset::addNew()
{
    if (!m_connection)
        throw StoreError(QStringLiteral("レコードセットが開いていません。"));
    if (m_table.isEmpty())
        throw StoreError(QStringLiteral("このレコードセットは更新できません。"));
    m_connection->requireWritable();
    if (!m_pending.isEmpty())
        update();
    m_adding = true;
    m_pending.clear();
}

void Recordset::update()
{
    if (!m_adding)
        requireCurrentRow();
    if (m_pending.isEmpty() && !m_adding)
        return;
    // Pending values are dropped whether the write succeeds or not, so that a
    // refused row is not written again by the next move.
    const QHash<int, QVariant> pending = std::exchange(m_pending, {});
    const bool adding = std::exchange(m_adding, false);

    QStringList columns;
    QVariantList values;
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        columns << quoteIdentifier(m_fields.at(it.key()));
        values << it.value();
    }
    if (adding) {
        QStringList marks;
        marks.fill(QStringLiteral("?"), columns.size());
        const QString sql = columns.isEmpty()
                ? QStringLiteral("INSERT INTO ") + quoteIdentifier(m_table) + QStringLiteral(" DEFAULT VALUES")
                : QStringLiteral("INSERT INTO ") + quoteIdentifier(m_table) + QStringLiteral(" (")
                        + columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (")
                        + marks.join(QStringLiteral(", ")) + QStringLiteral(")");
        // The server tells the new row's identity by RETURNING; SQLite by
        // the last row id.
        const bool server = m_connection->isServer();
        QSqlQuery &q = m_connection->exec(server ? sql + QStringLiteral(" RETURNING rowid") : sql, values);
        const qint64 rowId = server ? (q.next() ? q.value(0).toLongLong() : 0) : q.lastInsertId().toLongLong();
        q.finish();
        if (m_mode == Mode::Table) {
            positionOn(rowId);
        } else {
            m_rowIds << rowId;
            m_rowDeleted << false;
            m_pos = m_rowIds.size() - 1;
            m_bof = m_eof = m_deleted = false;
            m_rowCached = false;
        }
        return;
    }

    for (QString &c : columns)
        c += QStringLiteral(" = ?");
    values << currentRowId();
    QSqlQuery &q = m_connection->exec(QStringLiteral("UPDATE ") + quoteIdentifier(m_table) + QStringLiteral(" SET ")
                                      + columns.join(QStringLiteral(", ")) + QStringLiteral(" WHERE rowid = ?"),
                                      values);
    q.finish();
    m_rowCached = false;
}

void Recordset::writeRow(const std::function<void()> &setColumns, const QString &duplicateMessage)
{
    try {
        setColumns();
        update();
    } catch (const StoreError &e) {
        close();
        if (e.isUniqueViolation())
            throw StoreError(duplicateMessage, e.engineMessage());
        throw;
    }
}

void Recordset::deleteCurrent()
{
    requireCurrentRow();
    if (m_table.isEmpty())
        throw StoreError(QStringLiteral("このレコードセットは更新できません。"));
    m_connection->requireWritable();
    m_pending.clear();
    QSqlQuery &q = m_connection->exec(QStringLiteral("DELETE FROM ") + quoteIdentifier(m_table)
                                      + QStringLiteral(" WHERE rowid = ?"),
                                      {currentRowId()});
    q.finish();
    if (m_mode == Mode::Static)
        m_rowDeleted[m_pos] = true;
    m_deleted = true;
    m_rowCached = false;
}
