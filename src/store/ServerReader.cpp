#include "ServerReader.h"

#include "ServerDatabase.h"
#include "ServerResult.h"
#include "ServerTypes.h"
#include "StoreError.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>

#include <libpq-fe.h>

namespace {

// Rows per round trip: few enough to keep in memory, many enough that the
// trips do not show.
constexpr int batchRows = 5000;

using namespace ServerTypes;

QString nextCursorName()
{
    static QAtomicInt counter;
    return QStringLiteral("ribodo_read_%1").arg(counter.fetchAndAddRelaxed(1));
}

RowReader::Type typeOf(Oid type)
{
    switch (type) {
    case int2Oid:
    case int4Oid:
    case int8Oid:
    case oidOid:
        return RowReader::Type::Integer;
    case float4Oid:
    case float8Oid:
    case numericOid:
        return RowReader::Type::Real;
    case byteaOid:
        return RowReader::Type::Blob;
    default:
        return RowReader::Type::Text;
    }
}

} // namespace

ServerReader::ServerReader(ServerDatabase &server, const QString &sql, const QVariantList &values, Fetch fetch)
    : m_server(server)
    , m_connection(server.libpq())
{
    const QSqlDriver *driver = server.database().driver();
    if (!values.isEmpty() || fetch == Fetch::Whole) {
        QVariantList bound;
        bound.reserve(values.size());
        for (const QVariant &v : values) {
            // The register keeps yes/no as 0 and 1.
            bound << (v.typeId() == QMetaType::Bool ? QVariant(int(v.toBool())) : v);
        }
        take(ServerResult::execute(driver, m_connection, ServerResult::numbered(sql), bound), sql);
        m_fetched = true;
        return;
    }
    m_cursor = nextCursorName();
    const QString declare = QStringLiteral("DECLARE %1 NO SCROLL CURSOR FOR %2").arg(m_cursor, sql);
    PGresult *declared = ServerResult::execute(driver, m_connection, declare.toUtf8(), {});
    const bool ok = PQresultStatus(declared) == PGRES_COMMAND_OK;
    const QSqlError error = ServerResult::error(m_connection, declared);
    PQclear(declared);
    if (!ok)
        throw server.failure(QStringLiteral("サーバーのデータベースを読み書きできません。"), error, declare);
    // The first batch at once, so that the columns are known before the
    // first row is asked for.
    fetchBatch();
}

ServerReader::~ServerReader()
{
    if (m_result)
        PQclear(m_result);
    if (!m_cursor.isEmpty() && !m_server.isLost()) {
        // A transaction that failed, or a session lost, has closed its
        // cursors already.
        PQclear(ServerResult::execute(nullptr, m_connection, QByteArray("CLOSE ") + m_cursor.toUtf8(), {}));
    }
}

void ServerReader::take(PGresult *result, const QString &sql)
{
    if (m_result)
        PQclear(m_result);
    m_result = result;
    m_rows = 0;
    m_row = -1;
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        const QSqlError error = ServerResult::error(m_connection, result);
        PQclear(result);
        m_result = nullptr;
        throw m_server.failure(QStringLiteral("サーバーのデータベースを読み書きできません。"), error, sql);
    }
    if (m_types.isEmpty()) {
        m_columns = PQnfields(result);
        for (int i = 0; i < m_columns; ++i) {
            const Oid type = PQftype(result, i);
            m_types << typeOf(type);
            m_yesNo << (type == boolOid);
            m_names << QString::fromUtf8(PQfname(result, i));
        }
    }
    m_rows = PQntuples(result);
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
    const QString fetch = QStringLiteral("FETCH FORWARD %1 FROM %2").arg(batchRows).arg(m_cursor);
    take(ServerResult::execute(m_server.database().driver(), m_connection, fetch.toUtf8(), {}), fetch);
    m_fetched = m_rows < batchRows;
}

RowReader::Type ServerReader::type(int column) const
{
    return PQgetisnull(m_result, m_row, column) ? Type::Null : m_types.at(column);
}

qint64 ServerReader::integer(int column) const
{
    return utf8(column).toLongLong();
}

double ServerReader::real(int column) const
{
    return utf8(column).toDouble();
}

QByteArrayView ServerReader::utf8(int column) const
{
    const char *text = PQgetvalue(m_result, m_row, column);
    const int length = PQgetlength(m_result, m_row, column);
    if (m_yesNo.at(column))
        return *text == 't' ? QByteArrayView("true") : QByteArrayView("false");
    if (m_types.at(column) == Type::Blob) {
        size_t size = 0;
        unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &size);
        m_blob = QByteArray(reinterpret_cast<const char *>(raw), qsizetype(size));
        PQfreemem(raw);
        return m_blob;
    }
    return QByteArrayView(text, length);
}
