#pragma once

#include "RowReader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class ServerDatabase;
typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

// Reads a statement on the server in batches through a cursor of the open
// transaction (see ServerSnapshot), each batch a whole result of its own, so
// that other statements may run on the same connection between rows: the
// driver would drop the rest of a query still open. A statement with bound
// values is a lookup of a few rows and is read at once, and so is one outside
// a transaction, where a cursor cannot live. The statements go through libpq
// on the driver's connection (see ServerResult) and the values are read where
// libpq holds them, without a copy. Amounts come as the server's exact text,
// never through a double.
class ServerReader final : public RowReader
{
public:
    enum class Fetch { Cursor, Whole };
    ServerReader(ServerDatabase &server, const QString &sql, const QVariantList &values = {},
                 Fetch fetch = Fetch::Cursor);
    ~ServerReader() override;
    ServerReader(const ServerReader &) = delete;
    ServerReader &operator=(const ServerReader &) = delete;

    int columnCount() const { return m_columns; }
    QString columnName(int column) const { return m_names.at(column); }

    bool next() override;
    Type type(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QByteArrayView utf8(int column) const override;

private:
    void take(PGresult *result, const QString &sql);
    void fetchBatch();

    ServerDatabase &m_server;
    PGconn *m_connection;
    QString m_cursor;
    bool m_fetched = false;
    int m_columns = 0;
    QList<Type> m_types;
    // Yes/no columns read as the driver writes them, "true" and "false".
    QList<bool> m_yesNo;
    QStringList m_names;
    PGresult *m_result = nullptr;
    // A binary value unescaped for the current row.
    mutable QByteArray m_blob;
    int m_row = -1;
    int m_rows = 0;
};
