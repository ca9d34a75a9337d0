#pragma once

#include "RowReader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantList>

#include <vector>

class ServerDatabase;
class QSqlQuery;

// Reads a statement on the server in batches through a cursor of the open
// transaction (see ServerSnapshot), each batch copied before its rows are
// handed out, so that other statements may run on the same connection
// between rows: the driver would drop the rest of a query still open.
// A statement with bound values is a lookup of a few rows and is read at
// once. Amounts come as the server's exact text, never through a double.
class ServerReader final : public RowReader
{
public:
    ServerReader(ServerDatabase &server, const QString &sql, const QVariantList &values = {});
    ~ServerReader() override;
    ServerReader(const ServerReader &) = delete;
    ServerReader &operator=(const ServerReader &) = delete;

    bool next() override;
    Type type(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QByteArrayView utf8(int column) const override;

private:
    void take(QSqlQuery &query);

    ServerDatabase &m_server;
    QString m_cursor;
    bool m_fetched = false;
    int m_columns = 0;
    QList<Type> m_types;
    // The batch row by row, a null value marked in m_null.
    std::vector<QByteArray> m_cells;
    std::vector<char> m_null;
    qsizetype m_row = -1;
    qsizetype m_rows = 0;
};
