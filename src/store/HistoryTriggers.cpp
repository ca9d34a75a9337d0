#include "HistoryTriggers.h"

#include "Connection.h"
#include "Schema.h"

#include <QSqlQuery>

QStringList HistoryTriggers::columns(Connection &connection, const QString &table)
{
    QStringList names;
    QSqlQuery &q = connection.exec(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table});
    while (q.next())
        names << q.value(0).toString();
    q.finish();
    return names;
}

namespace {

QStringList existingTriggers(Connection &connection)
{
    QStringList names;
    QSqlQuery &q = connection.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' "
                                                  "AND name LIKE 'Rireki\\_%' ESCAPE '\\'"));
    while (q.next())
        names << q.value(0).toString();
    q.finish();
    return names;
}

} // namespace

void HistoryTriggers::remove(Connection &connection)
{
    for (const QString &name : existingTriggers(connection))
        connection.exec(QStringLiteral("DROP TRIGGER ") + name).finish();
}

void HistoryTriggers::install(Connection &connection)
{
    remove(connection);
    for (const QString &table : Schema::historyTables()) {
        const QStringList names = columns(connection, table);
        // A table a damaged or partial register lacks has nothing to record.
        if (names.isEmpty())
            continue;
        for (const QString &statement : Schema::historyTriggers(table, names))
            connection.exec(statement).finish();
    }
}

bool HistoryTriggers::complete(Connection &connection)
{
    const QStringList present = existingTriggers(connection);
    for (const QString &table : Schema::historyTables()) {
        if (columns(connection, table).isEmpty())
            continue;
        for (const char *suffix : {"_Ins", "_Upd", "_Del"}) {
            if (!present.contains(QStringLiteral("Rireki_") + table + QLatin1String(suffix)))
                return false;
        }
    }
    return true;
}

void HistoryTriggers::writeOpeningRows(Connection &connection)
{
    for (const QString &table : Schema::historyTables()) {
        const QStringList names = columns(connection, table);
        if (names.isEmpty())
            continue;
        const QString opening = Schema::historyOpeningRow(table, names);
        QList<qint64> rows;
        QSqlQuery &q = connection.exec(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(table));
        while (q.next())
            rows << q.value(0).toLongLong();
        q.finish();
        const qsizetype parameters = opening.count(QLatin1Char('?'));
        for (const qint64 row : rows)
            connection.exec(opening, QVariantList(parameters, row)).finish();
    }
}
