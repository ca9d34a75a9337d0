#include "ServerDatabase.h"

#include "ServerResult.h"
#include "StoreError.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-fe.h>

#include <memory>

namespace {

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("ribodo-server-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

ServerDatabase::ServerDatabase(const ServerConnectionText &server)
    : m_server(server)
    , m_name(nextConnectionName())
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        throw StoreError(QStringLiteral("PostgreSQL のドライバー (libqt6sql6-psql) が入っていません。"));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    m_db.setHostName(server.host());
    m_db.setPort(server.port());
    m_db.setDatabaseName(server.database());
    if (!server.user().isEmpty())
        m_db.setUserName(server.user());
    // An unreachable server is reported after a short wait, not the default
    // of waiting indefinitely.
    m_db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=QXRibodo"));
    if (!m_db.open()) {
        const QString engine = m_db.lastError().text();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw StoreError(QStringLiteral("サーバー %1 のデータベース %2 に接続できません。")
                                 .arg(server.serverName(), server.database()),
                         engine);
    }
}

ServerDatabase::~ServerDatabase()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

PGconn *ServerDatabase::libpq()
{
    // The driver names the type PGconn* or, through its typedef, pg_conn*.
    const QVariant handle = m_db.driver()->handle();
    if (!handle.isValid()
        || (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"),
                         QStringLiteral("PostgreSQL driver without a libpq connection"));
    return *static_cast<PGconn *const *>(handle.constData());
}

QSqlQuery ServerDatabase::directQuery()
{
    auto result = std::make_unique<ServerResult>(m_db.driver(), libpq());
    // The query owns its result.
    return QSqlQuery(result.release());
}

QSqlQuery ServerDatabase::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    // The server prepares only reading and writing statements, not the
    // definitions; those run as they are.
    bool ok = false;
    if (values.isEmpty()) {
        ok = q.exec(sql);
    } else if (q.prepare(sql)) {
        for (const QVariant &v : values)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok)
        throw failure(QStringLiteral("サーバーのデータベースを読み書きできません。"), q.lastError(), sql);
    return q;
}

QSqlQuery ServerDatabase::prepare(const QString &sql)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw failure(QStringLiteral("サーバーのデータベースを読み書きできません。"), q.lastError(), sql);
    return q;
}

void ServerDatabase::run(QSqlQuery &query, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec())
        throw failure(QStringLiteral("サーバーのデータベースを読み書きできません。"), query.lastError(), query.lastQuery());
    query.finish();
}

bool ServerDatabase::isLost(const QSqlError &error) const
{
    // 57P01-57P03: the server was shut down or is starting; 57P05: an idle
    // session ended by the server.
    const QString state = error.nativeErrorCode();
    return error.type() == QSqlError::ConnectionError || state.startsWith(QLatin1String("08"))
            || state == QLatin1String("57P01") || state == QLatin1String("57P02") || state == QLatin1String("57P03")
            || state == QLatin1String("57P05") || isLost();
}

bool ServerDatabase::isLost() const
{
    const QSqlDriver *driver = m_db.driver();
    // Not isOpen(): the driver answers that from the same status.
    if (!driver)
        return false;
    const QVariant handle = driver->handle();
    if (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return false;
    PGconn *connection = *static_cast<PGconn *const *>(handle.constData());
    return connection && PQstatus(connection) == CONNECTION_BAD;
}

QString ServerDatabase::lostMessage(bool writtenUnknown) const
{
    const QString lost = QStringLiteral("サーバー %1 との接続が切れました。").arg(m_server.serverName());
    return lost + (writtenUnknown ? QStringLiteral("変更が書き込まれたかどうかを確かめてから、もう一度操作してください。")
                                  : QStringLiteral("変更は書き込まれていません。もう一度操作してください。"));
}

StoreError ServerDatabase::failure(const QString &explanation, const QSqlError &error, const QString &detail) const
{
    const QString engine = detail.isEmpty() ? error.text() : error.text() + QLatin1Char('\n') + detail;
    return StoreError(isLost(error) ? lostMessage() : explanation, engine);
}
