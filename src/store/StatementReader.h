#pragma once

#include "RowReader.h"

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <memory>

class Connection;
class ServerReader;
struct sqlite3;
struct sqlite3_stmt;

// Steps one statement straight on the connection's engine handle: the read
// of a long list or report, where the generic query's conversions per value
// show. Values come as the generic query gives them: whole numbers as
// qlonglong, reals as double, text as QString, null as a null QString.
// On a server register the statement is translated and read through
// ServerReader, whose rows stay readable while other statements run.
class StatementReader final : public RowReader
{
public:
    // Prepares the statement (SQLite text) and binds the values; raises
    // StoreError when the engine refuses it.
    StatementReader(Connection &connection, const QString &sql, const QVariantList &values = {});
    ~StatementReader() override;
    StatementReader(const StatementReader &) = delete;
    StatementReader &operator=(const StatementReader &) = delete;

    int columnCount() const;
    QString columnName(int column) const;

    bool next() override;
    QVariant value(int column) const;

    // The same value without a QVariant, for readers that keep many.
    Type type(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QByteArrayView utf8(int column) const override;

private:
    [[noreturn]] void fail(const QString &explanation) const;

    std::unique_ptr<ServerReader> m_server;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    QString m_sql;
};
