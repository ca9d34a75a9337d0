#include "SchemaIndexes.h"

#include "Connection.h"
#include "Schema.h"
#include "StoreError.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace {

QString simplified(const QString &sql)
{
    return sql.simplified().toLower();
}

// The index's name in "CREATE [UNIQUE] INDEX name ON ...".
QString indexName(const QString &statement)
{
    static const QRegularExpression pattern(QStringLiteral("^CREATE\\s+(?:UNIQUE\\s+)?INDEX\\s+(\\S+)\\s+ON\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(statement);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

QStringList SchemaIndexes::refresh(const QString &dataFolder)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));

    // Tables added since the database was made are created now.
    for (const QString &statement : Schema::createStatements()) {
        if (statement.startsWith(QLatin1String("CREATE TABLE IF NOT EXISTS ")))
            connection.exec(statement).finish();
    }

    QStringList stale;
    QStringList statements;
    for (const QString &statement : Schema::createStatements()) {
        const QString name = indexName(statement);
        if (name.isEmpty())
            continue;
        QSqlQuery &q = connection.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?"), {name});
        const QString stored = q.next() ? q.value(0).toString() : QString();
        q.finish();
        if (simplified(stored) != simplified(statement)) {
            stale << name;
            statements << statement;
        }
    }
    if (stale.isEmpty())
        return stale;

    connection.beginTrans();
    try {
        for (qsizetype i = 0; i < stale.size(); ++i) {
            connection.exec(QStringLiteral("DROP INDEX IF EXISTS ") + stale.at(i));
            connection.exec(statements.at(i));
        }
        connection.commitTrans();
    } catch (const StoreError &) {
        connection.rollbackTrans();
        throw;
    }
    return stale;
}
