#pragma once

#include <QByteArray>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>
#include <QVariantList>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

// A statement of the program run straight through libpq on the Qt driver's
// own connection: one round trip, its values bound apart from the text. The
// driver's prepared query costs three (PREPARE, EXECUTE and, when the query
// goes, DEALLOCATE), which is most of a one-note change on a new connection.
// Rows are read whole and values come as the driver gives them (numeric as
// its exact text under QSql::HighPrecision).
class ServerResult final : public QSqlResult
{
public:
    ServerResult(const QSqlDriver *driver, PGconn *connection);
    ~ServerResult() override;
    ServerResult(const ServerResult &) = delete;
    ServerResult &operator=(const ServerResult &) = delete;

    // The statement with its `?` marks numbered as the server takes them
    // ($1, $2, ...); marks inside quotes are left alone.
    static QByteArray numbered(const QString &sql);
    // Runs `sql` (already numbered) with `values` bound as text (a byte array
    // as binary) on the driver's connection; the caller clears the result.
    // Results still pending on the connection are read off first, as the
    // driver does before a statement.
    static PGresult *execute(const QSqlDriver *driver, PGconn *connection, const QByteArray &sql,
                             const QVariantList &values);
    // The failure of a statement as the driver reports one: the server's
    // message and SQLSTATE, a connection error when libpq finds the
    // connection dead.
    static QSqlError error(PGconn *connection, const PGresult *result);
    // The value's text as the server reads it, null for a null value.
    static QByteArray parameterText(const QVariant &value);

    QVariant handle() const override;

protected:
    bool prepare(const QString &query) override;
    bool reset(const QString &query) override;
    bool exec() override;
    QVariant data(int field) override;
    bool isNull(int field) override;
    bool fetch(int index) override;
    bool fetchFirst() override;
    bool fetchLast() override;
    int size() override;
    int numRowsAffected() override;
    QSqlRecord record() const override;
    void detachFromResultSet() override;

private:
    bool take(PGresult *result);
    void clearResult();

    PGconn *m_connection;
    PGresult *m_result = nullptr;
    QByteArray m_sql;
    QSqlRecord m_record;
    int m_rows = 0;
};
