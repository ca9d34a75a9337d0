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
#include <QRegularExpression>
#include <QSqlQuery>

#include <libpq-fe.h>

namespace {

// Bytes handed to the server at a time.
constexpr qsizetype sendBytes = 1024 * 1024;

int registerVersion(Connection &sqlite)
{
    QSqlQuery &q = sqlite.exec(QStringLiteral("PRAGMA user_version"));
    const int version = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return version;
}

[[noreturn]] void copyFailed(PGconn *connection, const QString &table)
{
    throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"),
                     QString::fromUtf8(PQerrorMessage(connection)) + QStringLiteral("\nCOPY ") + table);
}

// A value in COPY's text form. A real goes as the shortest text that reads
// back the same double, so that the exact numeric the server keeps gives the
// history's hash the same amount.
void appendValue(QByteArray &out, const StatementReader &reader, int column)
{
    switch (reader.type(column)) {
    case StatementReader::Type::Null:
        out.append("\\N", 2);
        break;
    case StatementReader::Type::Integer:
        out.append(QByteArray::number(reader.integer(column)));
        break;
    case StatementReader::Type::Real:
        out.append(QByteArray::number(reader.real(column), 'g', QLocale::FloatingPointShortest));
        break;
    default:
        for (const char c : reader.utf8(column)) {
            switch (c) {
            case '\\':
                out.append("\\\\", 2);
                break;
            case '\t':
                out.append("\\t", 2);
                break;
            case '\n':
                out.append("\\n", 2);
                break;
            case '\r':
                out.append("\\r", 2);
                break;
            default:
                out.append(c);
            }
        }
    }
}

// The rows stream through COPY: one statement per table instead of one
// round trip per batch of rows.
qint64 copyTable(Connection &sqlite, ServerDatabase &server, const QString &table)
{
    const QStringList columns = HistoryTriggers::columns(sqlite, table);
    // The history in its own order, so that its chain is read as written.
    StatementReader reader(sqlite, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                           .arg(columns.join(QStringLiteral(", ")), table));
    // The driver's own connection, so that COPY runs inside the copy's
    // transaction.
    PGconn *connection = server.libpq();
    const QByteArray copy = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QStringLiteral(", "))).toUtf8();
    PGresult *started = PQexec(connection, copy.constData());
    const bool copying = PQresultStatus(started) == PGRES_COPY_IN;
    PQclear(started);
    if (!copying)
        copyFailed(connection, table);
    QByteArray buffer;
    buffer.reserve(sendBytes + 64 * 1024);
    qint64 rows = 0;
    const auto send = [&] {
        if (PQputCopyData(connection, buffer.constData(), int(buffer.size())) != 1)
            copyFailed(connection, table);
        buffer.clear();
    };
    while (reader.next()) {
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0)
                buffer.append('\t');
            appendValue(buffer, reader, i);
        }
        buffer.append('\n');
        ++rows;
        if (buffer.size() >= sendBytes)
            send();
    }
    if (!buffer.isEmpty())
        send();
    if (PQputCopyEnd(connection, nullptr) != 1)
        copyFailed(connection, table);
    bool ok = true;
    QString problem;
    while (PGresult *result = PQgetResult(connection)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK) {
            ok = false;
            problem = QString::fromUtf8(PQresultErrorMessage(result));
        }
        PQclear(result);
    }
    if (!ok)
        throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"),
                         problem + QStringLiteral("\nCOPY ") + table);
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
        // Into a new register the indexes are built after the rows are in:
        // one sort each instead of an update per row.
        QStringList indexes;
        if (fresh) {
            static const QRegularExpression index(QStringLiteral("^CREATE\\s+(UNIQUE\\s+)?INDEX\\b"),
                                                  QRegularExpression::CaseInsensitiveOption);
            for (const QString &statement : ServerSchema::createStatements()) {
                if (index.match(statement).hasMatch())
                    indexes << statement;
                else
                    server.exec(statement).finish();
            }
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
        // Each index sorts its table once; with the default memory a million
        // rows spill to disk.
        server.exec(QStringLiteral("SET LOCAL maintenance_work_mem = '256MB'")).finish();
        for (const QString &statement : indexes)
            server.exec(statement).finish();
        for (const QString &table : tables)
            server.exec(QStringLiteral("ALTER TABLE %1 ENABLE TRIGGER USER").arg(table)).finish();
        // The planner's statistics at once: without them the first look-ups
        // of the history guess a scan of every row.
        for (const QString &table : tables)
            server.exec(QStringLiteral("ANALYZE %1").arg(table)).finish();
        server.exec(QStringLiteral("RESET ROLE")).finish();
    } catch (const StoreError &) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"));
    return copied;
}
