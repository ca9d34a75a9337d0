#include "ServerPull.h"

#include "Connection.h"
#include "DataFolderBuilder.h"
#include "HistoryTriggers.h"
#include "Schema.h"
#include "ServerConnectionText.h"
#include "ServerDatabase.h"
#include "ServerReader.h"
#include "ServerSchema.h"
#include "ServerSnapshot.h"
#include "StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

namespace {

int serverVersion(ServerDatabase &server)
{
    QSqlQuery q = server.exec(QStringLiteral("SELECT Version FROM %1").arg(ServerSchema::versionTable()));
    const int version = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return version;
}

// A value as SQLite keeps it. An amount becomes the double whose shortest
// text the server hashed, so the copied chain verifies.
QVariant sqliteValue(const RowReader &reader, int column)
{
    switch (reader.type(column)) {
    case RowReader::Type::Null:
        return QVariant();
    case RowReader::Type::Integer:
        return reader.integer(column);
    case RowReader::Type::Real:
        return reader.real(column);
    default:
        return QString::fromUtf8(reader.utf8(column));
    }
}

qint64 copyTable(ServerDatabase &server, Connection &sqlite, const QString &table)
{
    const QStringList columns = HistoryTriggers::columns(sqlite, table);
    const QString list = columns.join(QStringLiteral(", "));
    // The history in its own order, so that its chain is written as read.
    const QString order = table == Schema::historyTable() ? QStringLiteral(" ORDER BY RNo") : QString();
    ServerReader reader(server, QStringLiteral("SELECT %1 FROM %2%3").arg(list, table, order));
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(table, list, QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    QVariantList values;
    qint64 rows = 0;
    while (reader.next()) {
        values.clear();
        for (int i = 0; i < columns.size(); ++i)
            values << sqliteValue(reader, i);
        sqlite.exec(insert, values).finish();
        ++rows;
    }
    return rows;
}

} // namespace

QList<QPair<QString, qint64>> ServerPull::pull(ServerDatabase &server, const QString &dataFolder)
{
    const QString path = Schema::databasePath(dataFolder);
    if (QFileInfo::exists(path))
        throw StoreError(QStringLiteral("データ フォルダ %1 には既に台帳 (%2) があります。"
                                        "写しは台帳のないフォルダに作ってください。")
                                 .arg(QDir::toNativeSeparators(dataFolder), Schema::databaseFileName()));
    if (ServerConnectionText::existsIn(dataFolder))
        throw StoreError(QStringLiteral("データ フォルダ %1 はサーバーの台帳 (%2) を指しています。"
                                        "写しは台帳のないフォルダに作ってください。")
                                 .arg(QDir::toNativeSeparators(dataFolder), ServerConnectionText::fileName()));

    const ServerSnapshot snapshot(server);
    const int version = serverVersion(server);
    if (version != Schema::version())
        throw StoreError(QStringLiteral("サーバーの台帳の版 (%1) がこのプログラムの版 (%2) と違うため、写せません。")
                                 .arg(version)
                                 .arg(Schema::version()));
    QList<QPair<QString, qint64>> copied;
    DataFolderBuilder::createFilled(dataFolder, [&](Connection &sqlite) {
        // The rows and their history go as they are; the history's
        // triggers record only what is done to the copy from now on.
        HistoryTriggers::remove(sqlite);
        for (const QString &table : ServerSchema::tables())
            copied << qMakePair(table, copyTable(server, sqlite, table));
        HistoryTriggers::install(sqlite);
    });
    return copied;
}
