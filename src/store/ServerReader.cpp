#include "ServerReader.h"

#include "ServerDatabase.h"
#include "StoreError.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Rows per round trip: few enough to keep in memory, many enough that the
// trips do not show.
constexpr int batchRows = 5000;

QString nextCursorName()
{
    static QAtomicInt counter;
    return QStringLiteral("ribodo_read_%1").arg(counter.fetchAndAddRelaxed(1));
}

RowReader::Type typeOf(const QSqlField &field)
{
    switch (field.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return RowReader::Type::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return RowReader::Type::Real;
    case QMetaType::QByteArray:
        return RowReader::Type::Blob;
    default:
        return RowReader::Type::Text;
    }
}

[[noreturn]] void fail(const ServerDatabase &server, const QSqlQuery &query, const QString &sql)
{
    throw server.failure(QStringLiteral("サーバーのデータベースを読み書きできません。"), query.lastError(), sql);
}

} // namespace

ServerReader::ServerReader(ServerDatabase &server, const QString &sql, const QVariantList &values, Fetch fetch)
    : m_server(server)
{
    QSqlQuery q(server.database());
    q.setForwardOnly(true);
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!values.isEmpty() || fetch == Fetch::Whole) {
        if (!q.prepare(sql))
            fail(server, q, sql);
        for (const QVariant &v : values) {
            // The register keeps yes/no as 0 and 1.
            q.addBindValue(v.typeId() == QMetaType::Bool ? QVariant(int(v.toBool())) : v);
        }
        if (!q.exec())
            fail(server, q, sql);
        take(q);
        m_fetched = true;
        return;
    }
    m_cursor = nextCursorName();
    const QString declare = QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR %2").arg(m_cursor, sql);
    if (!q.exec(declare))
        fail(server, q, declare);
    // The first batch at once, so that the columns are known before the
    // first row is asked for.
    fetchBatch();
}

ServerReader::~ServerReader()
{
    if (!m_cursor.isEmpty() && !m_server.isLost()) {
        // A transaction that failed, or a session lost, has closed its
        // cursors already.
        QSqlQuery q(m_server.database());
        q.exec(QStringLiteral("CLOSE ") + m_cursor);
    }
}

void ServerReader::take(QSqlQuery &query)
{
    const QSqlRecord record = query.record();
    if (m_types.isEmpty()) {
        m_columns = record.count();
        for (int i = 0; i < m_columns; ++i) {
            m_types << typeOf(record.field(i));
            m_names << record.fieldName(i);
        }
    }
    m_cells.clear();
    m_null.clear();
    m_rows = 0;
    m_row = -1;
    while (query.next()) {
        for (int i = 0; i < m_columns; ++i) {
            const QVariant v = query.value(i);
            m_null.push_back(v.isNull() ? 1 : 0);
            m_cells.push_back(v.isNull() ? QByteArray() : v.toString().toUtf8());
        }
        ++m_rows;
    }
    if (query.lastError().isValid())
        fail(m_server, query, query.lastQuery());
    query.finish();
}

bool ServerReader::next()
{
    if (m_row + 1 < m_rows) {
        ++m_row;
        return true;
    }
    if (m_fetched)
        return false;
    fetchBatch();
    if (m_rows == 0)
        return false;
    m_row = 0;
    return true;
}

void ServerReader::fetchBatch()
{
    QSqlQuery q(m_server.database());
    q.setForwardOnly(true);
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    const QString fetch = QStringLiteral("FETCH FORWARD %1 FROM %2").arg(batchRows).arg(m_cursor);
    if (!q.exec(fetch))
        fail(m_server, q, fetch);
    take(q);
    m_fetched = m_rows < batchRows;
}

RowReader::Type ServerReader::type(int column) const
{
    return m_null[size_t(m_row * m_columns + column)] ? Type::Null : m_types.at(column);
}

qint64 ServerReader::integer(int column) const
{
    return m_cells[size_t(m_row * m_columns + column)].toLongLong();
}

double ServerReader::real(int column) const
{
    return m_cells[size_t(m_row * m_columns + column)].toDouble();
}

QByteArrayView ServerReader::utf8(int column) const
{
    return m_cells[size_t(m_row * m_columns + column)];
}
