#pragma once

#include "ServerConnectionText.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

class QSqlError;
class QSqlQuery;
typedef struct pg_conn PGconn;
class StoreError;

// One open connection to the office register's server through Qt's
// PostgreSQL driver, under a name of its own; closed and removed with the
// object.
class ServerDatabase
{
public:
    // Raises StoreError naming the server and its port when it cannot be
    // reached or refuses the login.
    explicit ServerDatabase(const ServerConnectionText &server);
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase &) = delete;
    ServerDatabase &operator=(const ServerDatabase &) = delete;

    const ServerConnectionText &server() const { return m_server; }
    QSqlDatabase &database() { return m_db; }

    // The driver's own libpq connection, for statements run past the driver
    // in the same session (COPY, ServerResult, ServerReader); raises
    // StoreError when the driver has none.
    PGconn *libpq();
    // A query whose statements run as ServerResult, a round trip each,
    // without the driver's server-side PREPARE and DEALLOCATE.
    QSqlQuery directQuery();

    // Runs one statement with bound values; raises StoreError on failure.
    // The query is read to its end by the caller before the next statement:
    // the driver drops the rows of a query still open.
    QSqlQuery exec(const QString &sql, const QVariantList &values = {});
    // A statement prepared once for many runs (run() binds and runs it).
    QSqlQuery prepare(const QString &sql);
    void run(QSqlQuery &query, const QVariantList &values);

    // True when the session is gone: the failure says the connection broke
    // (SQLSTATE class 08, the server ended the session), or libpq finds the
    // connection dead after it. The server has then rolled back whatever
    // transaction was open.
    bool isLost(const QSqlError &error) const;
    bool isLost() const;
    // For a statement that failed because the session is gone;
    // `writtenUnknown` when it was a commit, which may have reached the
    // server before the connection broke.
    QString lostMessage(bool writtenUnknown = false) const;
    // The error to raise for a failed statement: the lost message when the
    // session is gone, else `explanation` with the driver's text.
    StoreError failure(const QString &explanation, const QSqlError &error, const QString &detail = QString()) const;

private:
    ServerConnectionText m_server;
    QString m_name;
    QSqlDatabase m_db;
};
