#include "SchemaUpgrade.h"

#include "Connection.h"
#include "ChangeSource.h"
#include "DatabaseBackup.h"
#include "HistoryTriggers.h"
#include "Schema.h"
#include "StoreError.h"

#include <QSqlQuery>

namespace {

// The notes table is there: an empty file (one cut to nothing) reads as a
// database without tables.
bool isRegister(Connection &connection)
{
    QSqlQuery &q = connection.exec(
            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'SiteTbl'"));
    const bool found = q.next();
    q.finish();
    return found;
}

int storedVersion(Connection &connection)
{
    QSqlQuery &q = connection.exec(QStringLiteral("PRAGMA user_version"));
    const int stored = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return qMax(1, stored);
}

} // namespace

int SchemaUpgrade::version(const QString &dataFolder)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    return storedVersion(connection);
}

QString SchemaUpgrade::backupPath(const QString &dataFolder, const QDate &day)
{
    return Schema::databasePath(dataFolder) + QStringLiteral(".bak-") + day.toString(QStringLiteral("yyyyMMdd"));
}

SchemaUpgrade::Result SchemaUpgrade::run(const QString &dataFolder, const QDate &today)
{
    Result result;
    Connection connection;
    try {
        connection.open(Schema::connectionText(dataFolder));
        result.found = storedVersion(connection);
        if (!isRegister(connection)) {
            result.outcome = Outcome::Unreadable;
            return result;
        }
    } catch (const StoreError &) {
        result.outcome = Outcome::Unreadable;
        return result;
    }
    if (result.found == Schema::version())
        return result;
    if (result.found > Schema::version()) {
        result.outcome = Outcome::TooNew;
        return result;
    }

    // Refused before the copy: a file that cannot be written stays alone.
    connection.requireWritable();
    result.backup = backupPath(dataFolder, today);
    DatabaseBackup::copy(Schema::databasePath(dataFolder), result.backup);

    connection.beginTrans();
    try {
        for (int from = result.found; from < Schema::version(); ++from) {
            for (const QString &statement : Schema::upgradeStatements(from))
                connection.exec(statement).finish();
            if (from == 2)
                result.states = StateMeaning::markFromNames(connection);
            if (from + 1 == Schema::historyVersion()) {
                const ChangeSource::Scope source(QStringLiteral("バージョン更新"));
                HistoryTriggers::writeOpeningRows(connection);
            }
        }
        // Made again from the columns every step has left.
        HistoryTriggers::install(connection);
        connection.exec(QStringLiteral("PRAGMA user_version = %1").arg(Schema::version())).finish();
        connection.commitTrans();
    } catch (const StoreError &) {
        connection.rollbackTrans();
        throw;
    }
    result.outcome = Outcome::Upgraded;
    return result;
}
