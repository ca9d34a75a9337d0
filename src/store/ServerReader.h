#pragma once

#include "RowReader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <vector>

class ServerDatabase;
class QSqlQuery;

// Reads a statement on the server in batches through a cursor of the open
// transaction (see ServerSnapshot), each batch copied before its rows are
// handed out, so that other statements may run on the same connection
// between rows: the driver would drop the rest of a query still open.
// A statement with bound values is a lookup of a few rows and is read at
// once, and so is one outside a transaction, where a cursor cannot live.
// Amounts come as the server's exact text, never through a double.
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
    void take(QSqlQuery &query);
    void fetchBatch();

    ServerDatabase &m_server;
    QString m_cursor;
    bool m_fetched = false;
    int m_columns = 0;
    QList<Type> m_types;
    QStringList m_names;
    // The batch row by row, a null value marked in m_null.
    std::vector<QByteArray> m_cells;
    std::vector<char> m_null;
    qsizetype m_row = -1;
    qsizetype m_rows = 0;
};
