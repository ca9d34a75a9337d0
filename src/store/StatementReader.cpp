#include "StatementReader.h"

#include "Connection.h"
#include "ServerReader.h"
#include "ServerSchema.h"
#include "StoreError.h"

#include <QRegularExpression>
#include <QSqlDriver>

#include <sqlite3.h>

StatementReader::StatementReader(Connection &connection, const QString &sql, const QVariantList &values)
    : m_sql(sql)
{
    if (!connection.isOpen())
        throw StoreError(QStringLiteral("データベースに接続していません。"));
    connection.ensureSession();
    if (ServerDatabase *server = connection.serverDatabase()) {
        // A cursor lives only inside a transaction; outside one the rows are
        // taken whole.
        m_server = std::make_unique<ServerReader>(*server, connection.statement(sql), values,
                                                  connection.inTransaction() ? ServerReader::Fetch::Cursor
                                                                             : ServerReader::Fetch::Whole);
        return;
    }
    const QVariant handle = connection.database().driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_db = *static_cast<sqlite3 *const *>(handle.constData());
    if (!m_db)
        throw StoreError(QStringLiteral("データベースに接続していません。"));
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
        fail(QStringLiteral("SQL 文を実行できません。"));
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values.at(i);
        int rc;
        switch (v.isNull() ? QMetaType::UnknownType : v.typeId()) {
        case QMetaType::UnknownType:
            rc = sqlite3_bind_null(m_statement, i + 1);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(m_statement, i + 1, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_statement, i + 1, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            rc = sqlite3_bind_blob(m_statement, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QString s = v.toString();
            rc = sqlite3_bind_text16(m_statement, i + 1, s.utf16(), int(s.size() * sizeof(QChar)), SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK)
            fail(QStringLiteral("SQL 文を実行できません。"));
    }
}

StatementReader::~StatementReader()
{
    if (m_statement)
        sqlite3_finalize(m_statement);
}

void StatementReader::fail(const QString &explanation) const
{
    throw StoreError(explanation, QString::fromUtf8(sqlite3_errmsg(m_db)) + QLatin1Char('\n') + m_sql);
}

int StatementReader::columnCount() const
{
    if (m_server)
        return m_server->columnCount();
    return sqlite3_column_count(m_statement);
}

QString StatementReader::columnName(int column) const
{
    if (m_server) {
        // The server gives unquoted names in lower case: the name as the
        // statement spells it, or else as the register's tables do.
        const QString name = m_server->columnName(column);
        const QRegularExpression word(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(name)),
                                      QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = word.match(m_sql);
        return m.hasMatch() ? m.captured() : ServerSchema::spelling(name);
    }
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

bool StatementReader::next()
{
    if (m_server)
        return m_server->next();
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("データベースの操作に失敗しました。"));
    return false;
}

QVariant StatementReader::value(int column) const
{
    if (m_server) {
        switch (m_server->type(column)) {
        case Type::Integer:
            return qlonglong(m_server->integer(column));
        case Type::Real:
            return m_server->real(column);
        case Type::Null:
            return QVariant(QMetaType::fromType<QString>());
        case Type::Blob:
            return m_server->utf8(column).toByteArray();
        case Type::Text:
            break;
        }
        return QString::fromUtf8(m_server->utf8(column));
    }
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(m_statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_statement, column);
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_statement, column)),
                          sqlite3_column_bytes(m_statement, column));
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
    }
    }
}

StatementReader::Type StatementReader::type(int column) const
{
    if (m_server)
        return m_server->type(column);
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Real;
    case SQLITE_NULL:
        return Type::Null;
    case SQLITE_BLOB:
        return Type::Blob;
    default:
        return Type::Text;
    }
}

qint64 StatementReader::integer(int column) const
{
    if (m_server)
        return m_server->integer(column);
    return sqlite3_column_int64(m_statement, column);
}

double StatementReader::real(int column) const
{
    if (m_server)
        return m_server->real(column);
    return sqlite3_column_double(m_statement, column);
}

QByteArrayView StatementReader::utf8(int column) const
{
    if (m_server)
        return m_server->utf8(column);
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(text, sqlite3_column_bytes(m_statement, column));
}
