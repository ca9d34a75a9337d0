#include "ServerResult.h"

#include "ServerTypes.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QMetaObject>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QTime>

#include <libpq-fe.h>

#include <vector>

namespace {

using namespace ServerTypes;

QMetaType metaTypeOf(Oid type)
{
    switch (type) {
    case boolOid:
        return QMetaType::fromType<bool>();
    case int8Oid:
        return QMetaType::fromType<qlonglong>();
    case int2Oid:
    case int4Oid:
    case oidOid:
        return QMetaType::fromType<int>();
    case numericOid:
    case float4Oid:
    case float8Oid:
        return QMetaType::fromType<double>();
    case dateOid:
        return QMetaType::fromType<QDate>();
    case timeOid:
    case timeTzOid:
        return QMetaType::fromType<QTime>();
    case timestampOid:
    case timestampTzOid:
        return QMetaType::fromType<QDateTime>();
    case byteaOid:
        return QMetaType::fromType<QByteArray>();
    default:
        return QMetaType::fromType<QString>();
    }
}

} // namespace

ServerResult::ServerResult(const QSqlDriver *driver, PGconn *connection)
    : QSqlResult(driver)
    , m_connection(connection)
{
}

ServerResult::~ServerResult()
{
    clearResult();
}

QByteArray ServerResult::numbered(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + 16);
    QChar quote;
    int mark = 0;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            out += c;
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('$') + QString::number(++mark);
        } else {
            if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
                quote = c;
            out += c;
        }
    }
    return out.toUtf8();
}

QByteArray ServerResult::parameterText(const QVariant &value)
{
    if (value.isNull())
        return QByteArray();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return value.toByteArray();
    case QMetaType::Double:
    case QMetaType::Float:
        // The shortest text that reads back the same double, as the driver
        // writes it: an amount reaches the exact numeric unchanged.
        return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QTime:
        return value.toTime().toString(Qt::ISODateWithMs).toUtf8();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODateWithMs).toUtf8();
    case QMetaType::QByteArray:
        return value.toByteArray();
    default:
        return value.toString().toUtf8();
    }
}

PGresult *ServerResult::execute(const QSqlDriver *driver, PGconn *connection, const QByteArray &sql,
                                const QVariantList &values)
{
    // A driver's query left unread gives up its rows here, as it would at the
    // driver's own next statement.
    if (PQtransactionStatus(connection) == PQTRANS_ACTIVE) {
        while (PGresult *pending = PQgetResult(connection))
            PQclear(pending);
    }
    const int count = int(values.size());
    const auto n = size_t(count);
    std::vector<QByteArray> texts(n);
    std::vector<const char *> pointers(n, nullptr);
    std::vector<int> lengths(n, 0);
    std::vector<int> formats(n, 0);
    for (int i = 0; i < count; ++i) {
        const QVariant &v = values.at(i);
        if (v.isNull())
            continue;
        texts[size_t(i)] = parameterText(v);
        pointers[size_t(i)] = texts[size_t(i)].constData();
        lengths[size_t(i)] = int(texts[size_t(i)].size());
        formats[size_t(i)] = v.typeId() == QMetaType::QByteArray ? 1 : 0;
    }
    PGresult *result = PQexecParams(connection, sql.constData(), count, nullptr, pointers.data(), lengths.data(),
                                    formats.data(), 0);
    // The driver hands on the server's notifications after its own
    // statements; those that came with this one are handed on the same way.
    if (driver && !driver->subscribedToNotifications().isEmpty())
        QMetaObject::invokeMethod(const_cast<QSqlDriver *>(driver), "_q_handleNotification", Qt::QueuedConnection);
    return result;
}

QSqlError ServerResult::error(PGconn *connection, const PGresult *result)
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString message = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(connection));
    const bool lost = PQstatus(connection) == CONNECTION_BAD;
    return QSqlError(QStringLiteral("QPSQL: Unable to create query"), message,
                     lost ? QSqlError::ConnectionError : QSqlError::StatementError,
                     QString::fromLatin1(state ? state : ""));
}

QVariant ServerResult::handle() const
{
    return QVariant::fromValue(static_cast<void *>(m_result));
}

bool ServerResult::prepare(const QString &query)
{
    clearResult();
    m_sql = numbered(query);
    return true;
}

bool ServerResult::reset(const QString &query)
{
    clearResult();
    m_sql = numbered(query);
    return exec();
}

bool ServerResult::exec()
{
    clearResult();
    return take(execute(driver(), m_connection, m_sql, boundValues()));
}

bool ServerResult::take(PGresult *result)
{
    m_result = result;
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        setLastError(error(m_connection, result));
        clearResult();
        setActive(false);
        return false;
    }
    m_rows = PQntuples(result);
    const int fields = PQnfields(result);
    for (int i = 0; i < fields; ++i) {
        QSqlField field(QString::fromUtf8(PQfname(result, i)), metaTypeOf(PQftype(result, i)));
        m_record.append(field);
    }
    setSelect(status == PGRES_TUPLES_OK);
    setActive(true);
    setAt(QSql::BeforeFirstRow);
    return true;
}

void ServerResult::clearResult()
{
    if (m_result)
        PQclear(m_result);
    m_result = nullptr;
    m_rows = 0;
    m_record.clear();
}

void ServerResult::detachFromResultSet()
{
    clearResult();
}

QVariant ServerResult::data(int field)
{
    if (!m_result || field < 0 || field >= m_record.count() || at() < 0 || at() >= m_rows)
        return QVariant();
    const Oid type = PQftype(m_result, field);
    const QMetaType meta = metaTypeOf(type);
    if (PQgetisnull(m_result, at(), field))
        return QVariant(meta, nullptr);
    const char *text = PQgetvalue(m_result, at(), field);
    const int length = PQgetlength(m_result, at(), field);
    const QByteArrayView bytes(text, length);
    switch (meta.id()) {
    case QMetaType::Bool:
        return QVariant(text[0] == 't');
    case QMetaType::LongLong:
        return bytes.toLongLong();
    case QMetaType::Int:
        return bytes.toInt();
    case QMetaType::Double: {
        if (type == numericOid && numericalPrecisionPolicy() == QSql::HighPrecision)
            return QString::fromLatin1(text, length);
        bool ok = false;
        const double value = bytes.toDouble(&ok);
        if (!ok)
            return QVariant();
        if (type == numericOid) {
            switch (numericalPrecisionPolicy()) {
            case QSql::LowPrecisionInt32:
                return int(value);
            case QSql::LowPrecisionInt64:
                return qlonglong(value);
            default:
                break;
            }
        }
        return value;
    }
    case QMetaType::QDate:
        return QDate::fromString(QString::fromLatin1(text, length), Qt::ISODate);
    case QMetaType::QTime:
        return QTime::fromString(QString::fromLatin1(text, length), Qt::ISODate);
    case QMetaType::QDateTime:
        return QDateTime::fromString(QString::fromLatin1(text, length), Qt::ISODate);
    case QMetaType::QByteArray: {
        size_t size = 0;
        unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(text), &size);
        const QByteArray value(reinterpret_cast<const char *>(raw), qsizetype(size));
        PQfreemem(raw);
        return value;
    }
    default:
        return QString::fromUtf8(text, length);
    }
}

bool ServerResult::isNull(int field)
{
    return !m_result || at() < 0 || at() >= m_rows || PQgetisnull(m_result, at(), field);
}

bool ServerResult::fetch(int index)
{
    if (!isActive() || !isSelect() || index < 0 || index >= m_rows)
        return false;
    setAt(index);
    return true;
}

bool ServerResult::fetchFirst()
{
    return fetch(0);
}

bool ServerResult::fetchLast()
{
    return fetch(m_rows - 1);
}

int ServerResult::size()
{
    return isSelect() ? m_rows : -1;
}

int ServerResult::numRowsAffected()
{
    return m_result ? QByteArray(PQcmdTuples(m_result)).toInt() : -1;
}

QSqlRecord ServerResult::record() const
{
    return m_record;
}
