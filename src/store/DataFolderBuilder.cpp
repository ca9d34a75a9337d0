#include "DataFolderBuilder.h"

#include "Connection.h"
#include "DatabaseBackup.h"
#include "HistoryTriggers.h"
#include "Schema.h"
#include "StateMeaning.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <functional>

namespace {

struct CodeName
{
    const char *code;
    const char *name;
};

const CodeName noteKinds[] = {{"1", "約束手形"}, {"2", "為替手形"}, {"3", "電子記録債務"}};
const CodeName purposes[] = {{"1", "仕入代金"}, {"2", "外注加工費"}, {"3", "設備代金"}, {"4", "諸経費"}};
const CodeName states[] = {{"1", "未決済"}, {"2", "期日到来"}, {"3", "決済済み"}, {"4", "不渡り"}, {"5", "書換え"}};
const CodeName accounting[] = {{"1", "短期"}, {"2", "長期"}};
const CodeName supplierKinds[] = {{"1", "仕入先"}, {"2", "外注先"}, {"3", "設備業者"}};

void insertCodes(Connection &c, const char *table, const CodeName *rows, size_t count)
{
    const QString sql = QStringLiteral("INSERT INTO %1 (KbnCode, KbnName) VALUES (?, ?)").arg(QLatin1String(table));
    for (size_t i = 0; i < count; ++i)
        c.exec(sql, {QString::fromUtf8(rows[i].code), QString::fromUtf8(rows[i].name)}).finish();
}

template<size_t N>
void insertCodes(Connection &c, const char *table, const CodeName (&rows)[N])
{
    insertCodes(c, table, rows, N);
}

void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

// Builds the database under a temporary name in the data folder and renames
// it into place once its schema, standard rows and `fill` are committed, so
// that a build cut short leaves no file that a later start would take for
// the database.
void build(const QString &dataFolder, const std::function<void(Connection &)> &fill, bool standardRows = true)
{
    const QString path = Schema::databasePath(dataFolder);
    if (QFileInfo::exists(path))
        throw StoreError(QStringLiteral("データベースが既にあります。"), path);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw StoreError(QStringLiteral("データ フォルダを作れません。"), folder);
    const QString building = DatabaseBackup::newFileBeside(path);
    try {
        {
            Connection c;
            c.open(QStringLiteral("Provider=SQLite;Data Source=") + building);
            // Write-ahead logging lets screens read while another connection writes.
            c.exec(QStringLiteral("PRAGMA journal_mode=WAL")).finish();
            c.beginTrans();
            const QStringList statements = Schema::createStatements();
            for (const QString &sql : statements)
                c.exec(sql).finish();
            HistoryTriggers::install(c);
            if (standardRows) {
                insertCodes(c, "kbn1", noteKinds);
                c.exec(QStringLiteral("UPDATE kbn1 SET KbnDenshi = 1 WHERE KbnName = '電子記録債務'")).finish();
                insertCodes(c, "kbn2", purposes);
                insertCodes(c, "Kbn3", states);
                StateMeaning::markFromNames(c);
                insertCodes(c, "Kbn4", accounting);
                insertCodes(c, "Kbn5", supplierKinds);
            }
            if (fill)
                fill(c);
            c.commitTrans();
        }
        // Closing the last connection folded the log into the file.
        if (!QFile::rename(building, path))
            throw StoreError(QStringLiteral("データベース ファイルを作れません。"), path);
    } catch (...) {
        removeDatabaseFiles(building);
        throw;
    }
}

} // namespace

void DataFolderBuilder::createDatabase(const QString &dataFolder, const std::function<void(Connection &)> &fill)
{
    build(dataFolder, fill);
}

void DataFolderBuilder::createFilled(const QString &dataFolder, const std::function<void(Connection &)> &fill)
{
    build(dataFolder, fill, false);
}
