#include "DatabaseBackup.h"

#include "Schema.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>

#include <sqlite3.h>

namespace {

// One handle of the SQLite library, closed when it goes.
class Handle
{
public:
    Handle(const QString &path, int flags)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            const QString reason = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_close(m_db);
            throw StoreError(QStringLiteral("データベースを開けません。"), path + QLatin1Char('\n') + reason);
        }
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Handle() { sqlite3_close(m_db); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    sqlite3 *db() const { return m_db; }

    [[noreturn]] void fail(const QString &explanation, const QString &path) const
    {
        throw StoreError(explanation, path + QLatin1Char('\n') + QString::fromUtf8(sqlite3_errmsg(m_db)));
    }

    // The first column of the first row of `sql`, as text.
    QString scalar(const char *sql, const QString &path) const
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            fail(QStringLiteral("データベースを読めません。"), path);
        QString result;
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            fail(QStringLiteral("データベースを読めません。"), path);
        return result;
    }

private:
    sqlite3 *m_db = nullptr;
};

void removeWithCompanions(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

// Copies every page of `from` into `to` in one step, so the copy is one
// consistent state of the source.
void backupPages(const Handle &from, const QString &fromPath, const Handle &to, const QString &toPath)
{
    sqlite3_backup *backup = sqlite3_backup_init(to.db(), "main", from.db(), "main");
    if (!backup)
        to.fail(QStringLiteral("バックアップを始められません。"), toPath);
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        if (sqlite3_errcode(from.db()) != SQLITE_OK)
            from.fail(QStringLiteral("データベースを複写できません。"), fromPath);
        throw StoreError(QStringLiteral("データベースを複写できません。"),
                         toPath + QLatin1Char('\n') + QString::fromUtf8(sqlite3_errstr(rc)));
    }
}

void useWriteAheadLog(const QString &path)
{
    Handle db(path, SQLITE_OPEN_READWRITE);
    db.scalar("PRAGMA journal_mode=WAL", path);
}

const QRegularExpression &copyName()
{
    static const QRegularExpression re(QStringLiteral(R"(^dbRibodo-\d{8}\.sqlite$)"));
    return re;
}

} // namespace

QString DatabaseBackup::folder(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("backup");
}

QString DatabaseBackup::fileName(const QDate &day)
{
    return QStringLiteral("dbRibodo-%1.sqlite").arg(day.toString(QStringLiteral("yyyyMMdd")));
}

int DatabaseBackup::keepCount(const QString &dataFolder)
{
    const QSettings settings(QDir(folder(dataFolder)).filePath(QStringLiteral("backup.ini")), QSettings::IniFormat);
    bool ok = false;
    const int keep = settings.value(QStringLiteral("keep")).toInt(&ok);
    return ok && keep > 0 ? keep : 10;
}

void DatabaseBackup::check(const QString &path)
{
    if (!QFileInfo(path).isFile())
        throw StoreError(QStringLiteral("データベース ファイルが見つかりません。"), path);
    const Handle db(path, SQLITE_OPEN_READONLY);
    const QString result = db.scalar("PRAGMA quick_check", path);
    if (result != QLatin1String("ok"))
        throw StoreError(QStringLiteral("データベース ファイルが壊れています。"), path + QLatin1Char('\n') + result);
    if (db.scalar("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'SiteTbl'", path)
        != QLatin1String("1"))
        throw StoreError(QStringLiteral("このプログラムのデータベースではありません。"), path);
}

QString DatabaseBackup::newFileBeside(const QString &target)
{
    QString error;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = QStringLiteral("%1.%2.new").arg(target).arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                       QLatin1Char('0'));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        error = file.errorString();
    }
    throw StoreError(QStringLiteral("データベース ファイルを作れません。"), target + QLatin1Char('\n') + error);
}

void DatabaseBackup::copy(const QString &source, const QString &target)
{
    const QString building = newFileBeside(target);
    try {
        {
            const Handle from(source, SQLITE_OPEN_READONLY);
            const Handle to(building, SQLITE_OPEN_READWRITE);
            backupPages(from, source, to, building);
            // A copy is one file: it keeps no write-ahead log beside it.
            to.scalar("PRAGMA journal_mode=DELETE", building);
        }
        check(building);
        QFile::remove(target);
        if (!QFile::rename(building, target))
            throw StoreError(QStringLiteral("バックアップ ファイルを作れません。"), target);
    } catch (...) {
        removeWithCompanions(building);
        throw;
    }
}

QString DatabaseBackup::daily(const QString &dataFolder, const QDate &today)
{
    const QDir dir(folder(dataFolder));
    const QString target = dir.filePath(fileName(today));
    if (QFileInfo::exists(target))
        return QString();
    if (!QDir().mkpath(dir.path()))
        throw StoreError(QStringLiteral("バックアップ フォルダを作れません。"), dir.path());
    copy(Schema::databasePath(dataFolder), target);

    // The names sort by date: the newest copies are kept.
    QStringList copies = dir.entryList({QStringLiteral("dbRibodo-*.sqlite")}, QDir::Files, QDir::Name | QDir::Reversed);
    copies.removeIf([](const QString &name) { return !copyName().match(name).hasMatch(); });
    const int keep = keepCount(dataFolder);
    for (qsizetype i = keep; i < copies.size(); ++i)
        QFile::remove(dir.filePath(copies.at(i)));
    return target;
}

void DatabaseBackup::restore(const QString &dataFolder, const QString &backupFile)
{
    check(backupFile);
    const QString live = Schema::databasePath(dataFolder);
    const QString kept = live + QStringLiteral(".before-restore");
    bool sound = false;
    if (QFileInfo::exists(live)) {
        try {
            check(live);
            sound = true;
        } catch (const StoreError &) {
            // A damaged database is kept byte for byte and replaced whole.
        }
        if (sound) {
            copy(live, kept);
        } else {
            QFile::remove(kept);
            if (!QFile::copy(live, kept))
                throw StoreError(QStringLiteral("現在のデータベースを保存できません。"), kept);
        }
    }
    if (sound) {
        // Written into the live file as one transaction, so a program that
        // has it open sees either the old data or the restored data.
        const Handle from(backupFile, SQLITE_OPEN_READONLY);
        const Handle to(live, SQLITE_OPEN_READWRITE);
        backupPages(from, backupFile, to, live);
    } else {
        // Staged complete beside the damaged file, which goes with its log
        // only then: a stale log must never be applied to the restored file.
        const QString staged = live + QStringLiteral(".restoring");
        copy(backupFile, staged);
        removeWithCompanions(live);
        if (!QFile::rename(staged, live))
            throw StoreError(QStringLiteral("データベースを戻せません。"), live);
        useWriteAheadLog(live);
    }
    check(live);
}
