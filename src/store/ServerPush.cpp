#include "ServerPush.h"

#include "Connection.h"
#include "HistoryCheck.h"
#include "HistoryTriggers.h"
#include "Schema.h"
#include "ServerDatabase.h"
#include "ServerSchema.h"
#include "StatementReader.h"
#include "StoreError.h"

#include <QLocale>
#include <QSqlQuery>

namespace {

// Rows per INSERT: fewer round trips to the server.
constexpr int batchRows = 200;

int registerVersion(Connection &sqlite)
{
    QSqlQuery &q = sqlite.exec(QStringLiteral("PRAGMA user_version"));
    const int version = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return version;
}

QString insertStatement(const QString &table, const QStringList &columns, int rows)
{
    const QString row = QLatin1Char('(') + QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(','))
            + QLatin1Char(')');
    return QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QStringLiteral(", ")))
            + QStringList(rows, row).join(QLatin1Char(','));
}

// A value as the server takes it. A real goes as the shortest text that
// reads back the same double, so that the exact numeric the server keeps
// gives the history's hash the same amount.
QVariant serverValue(const StatementReader &reader, int column)
{
    switch (reader.type(column)) {
    case StatementReader::Type::Null:
        return QVariant(QMetaType::fromType<QString>());
    case StatementReader::Type::Integer:
        return reader.integer(column);
    case StatementReader::Type::Real:
        return QString::number(reader.real(column), 'g', QLocale::FloatingPointShortest);
    default:
        return reader.value(column);
    }
}

qint64 copyTable(Connection &sqlite, ServerDatabase &server, const QString &table)
{
    const QStringList columns = HistoryTriggers::columns(sqlite, table);
    // The history in its own order, so that its chain is read as written.
    StatementReader reader(sqlite, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                           .arg(columns.join(QStringLiteral(", ")), table));
    QSqlQuery full = server.prepare(insertStatement(table, columns, batchRows));
    QVariantList values;
    qint64 rows = 0;
    int pending = 0;
    const auto flush = [&] {
        if (pending == 0)
            return;
        if (pending == batchRows)
            server.run(full, values);
        else
            server.exec(insertStatement(table, columns, pending), values).finish();
        values.clear();
        pending = 0;
    };
    while (reader.next()) {
        for (int i = 0; i < columns.size(); ++i)
            values << serverValue(reader, i);
        ++rows;
        if (++pending == batchRows)
            flush();
    }
    flush();
    return rows;
}

} // namespace

QList<QPair<QString, qint64>> ServerPush::push(const QString &dataFolder, ServerDatabase &server)
{
    Connection sqlite;
    sqlite.open(Schema::connectionText(dataFolder));
    if (registerVersion(sqlite) != Schema::version())
        throw StoreError(QStringLiteral("この台帳は古い版です。一度このプログラムで開いてから送ってください。"),
                         Schema::databasePath(dataFolder));
    const HistoryCheck::Result check = HistoryCheck::verify(dataFolder);
    if (!check.sound)
        throw StoreError(QStringLiteral("台帳が変更履歴と合わないため、送りませんでした。"), check.problem);

    ServerSchema::requireUtf8(server);
    const bool fresh = ServerSchema::relationCount(server) == 0;
    const QStringList tables = ServerSchema::tables();
    QSqlDatabase &db = server.database();
    if (!db.transaction())
        throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"));
    QList<QPair<QString, qint64>> copied;
    try {
        if (fresh) {
            for (const QString &statement : ServerSchema::createStatements())
                server.exec(statement).finish();
        }
        for (const QString &table : tables) {
            QSqlQuery q = server.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(table));
            const bool filled = q.next() && q.value(0).toBool();
            q.finish();
            if (filled)
                throw StoreError(QStringLiteral("サーバーの台帳 %1 には既に行があります（%2）。"
                                                "送り先は空のデータベースか、server-init で作ったばかりの台帳にしてください。")
                                         .arg(server.server().database(), table));
        }
        // The rows and their history go as they are: the history's triggers
        // stay off until the end of the copy (the owner's right, and only
        // within this transaction).
        server.exec(QStringLiteral("SET LOCAL ROLE %1").arg(ServerSchema::ownerRole())).finish();
        for (const QString &table : tables)
            server.exec(QStringLiteral("ALTER TABLE %1 DISABLE TRIGGER USER").arg(table)).finish();
        for (const QString &table : tables)
            copied << qMakePair(table, copyTable(sqlite, server, table));
        for (const QString &table : tables)
            server.exec(QStringLiteral("ALTER TABLE %1 ENABLE TRIGGER USER").arg(table)).finish();
        server.exec(QStringLiteral("RESET ROLE")).finish();
    } catch (const StoreError &) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"));
    return copied;
}
