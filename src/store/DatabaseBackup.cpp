#include "DatabaseBackup.h"

#include "RegisterLock.h"
#include "Schema.h"
#include "StoreError.h"
#include "TemporaryFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <sqlite3.h>

namespace {

// The engine's error is a disk without room: full, over quota, or a file
// grown beyond what the file system or the account allows.
bool noRoom(sqlite3 *db, int rc)
{
    const int code = rc & 0xff;
    const int system = sqlite3_system_errno(db);
    return code == SQLITE_FULL || (code == SQLITE_IOERR && (system == ENOSPC || system == EFBIG));
}

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
        const int code = sqlite3_errcode(m_db) & 0xff;
        const QString why = noRoom(m_db, code) ? DatabaseBackup::diskFullText()
                : code == SQLITE_CORRUPT || code == SQLITE_NOTADB ? DatabaseBackup::damagedText()
                                                                  : explanation;
        throw StoreError(why, path + QLatin1Char('\n') + QString::fromUtf8(sqlite3_errmsg(m_db)));
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
        const int code = rc & 0xff;
        const QString reason = QLatin1Char('\n') + QString::fromUtf8(sqlite3_errstr(rc));
        if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
            throw StoreError(DatabaseBackup::damagedText(), fromPath + reason);
        if (sqlite3_errcode(from.db()) != SQLITE_OK)
            from.fail(QStringLiteral("データベースを複写できません。"), fromPath);
        throw StoreError(noRoom(to.db(), rc) ? DatabaseBackup::diskFullText()
                                             : QStringLiteral("データベースを複写できません。"),
                         toPath + reason);
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

// The daily copies, newest first (the names sort by date).
QStringList dailyCopies(const QDir &dir)
{
    QStringList copies = dir.entryList({QStringLiteral("dbRibodo-*.sqlite")}, QDir::Files, QDir::Name | QDir::Reversed);
    copies.removeIf([](const QString &name) { return !copyName().match(name).hasMatch(); });
    return copies;
}

// Pages of `source` into the new file `building`, as one file without a log,
// checked.
void copyInto(const QString &source, const QString &building)
{
    {
        const Handle from(source, SQLITE_OPEN_READONLY);
        const Handle to(building, SQLITE_OPEN_READWRITE);
        backupPages(from, source, to, building);
        // A copy is one file: it keeps no write-ahead log beside it.
        to.scalar("PRAGMA journal_mode=DELETE", building);
    }
    DatabaseBackup::check(building);
}

// Replaces `to` by `from` in one step (MoveFileEx with replacement on Windows).
bool replace(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            error);
    return !error;
}

// A byte copy of `from` put in place as `to` only when complete.
void copyBytes(const QString &from, const QString &to)
{
    const QString building = DatabaseBackup::newFileBeside(to);
    QFile in(from);
    QFile out(building);
    bool done = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    while (done && !in.atEnd()) {
        const QByteArray block = in.read(1 << 20);
        done = !block.isEmpty() && out.write(block) == block.size();
    }
    done = done && out.flush();
    out.close();
    if (!done || !replace(building, to)) {
        QFile::remove(building);
        const QString reason = out.error() != QFileDevice::NoError ? out.errorString() : in.errorString();
        throw StoreError(QStringLiteral("現在のデータベースを保存できません。"), to + QLatin1Char('\n') + reason);
    }
}

const char *const logSuffixes[] = {"-wal", "-shm", "-journal"};

// The database `live` as it lies, with its log and index, copied to `kept`:
// the log holds the last committed work when the file was left by a crash.
void keepAsItLies(const QString &live, const QString &kept)
{
    for (const char *suffix : logSuffixes) {
        if (QFileInfo::exists(live + QLatin1String(suffix)))
            copyBytes(live + QLatin1String(suffix), kept + QLatin1String(suffix));
    }
    // The file itself last: its name tells that the set is complete.
    copyBytes(live, kept);
}

QString keptName(const QString &live)
{
    const QString base = live + QStringLiteral(".before-restore-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

QString stagedName(const QString &dataFolder)
{
    return Schema::databasePath(dataFolder) + QStringLiteral(".restoring");
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

QString DatabaseBackup::damagedText()
{
    return QStringLiteral("データベース ファイルが壊れています。");
}

QString DatabaseBackup::diskFullText()
{
    return QStringLiteral("ディスクの空き容量が足りません。");
}

namespace {

QString keepValue(const QString &dataFolder)
{
    const QSettings settings(QDir(DatabaseBackup::folder(dataFolder)).filePath(QStringLiteral("backup.ini")),
                             QSettings::IniFormat);
    return settings.value(QStringLiteral("keep")).toString().trimmed();
}

int parsedKeep(const QString &value)
{
    bool ok = false;
    const qlonglong keep = value.toLongLong(&ok);
    return ok && keep >= 1 && keep <= 365 ? int(keep) : 0;
}

} // namespace

int DatabaseBackup::keepCount(const QString &dataFolder)
{
    const int keep = parsedKeep(keepValue(dataFolder));
    return keep > 0 ? keep : 10;
}

QString DatabaseBackup::invalidKeep(const QString &dataFolder)
{
    const QString value = keepValue(dataFolder);
    return value.isEmpty() || parsedKeep(value) > 0 ? QString() : value;
}

QString DatabaseBackup::latest(const QString &dataFolder)
{
    const QDir dir(folder(dataFolder));
    for (const QString &name : dailyCopies(dir)) {
        try {
            check(dir.filePath(name));
            return dir.filePath(name);
        } catch (const StoreError &) {
        }
    }
    return QString();
}

void DatabaseBackup::check(const QString &path)
{
    if (!QFileInfo(path).isFile())
        throw StoreError(QStringLiteral("データベース ファイルが見つかりません。"), path);
    const Handle db(path, SQLITE_OPEN_READONLY);
    const QString result = db.scalar("PRAGMA quick_check", path);
    if (result != QLatin1String("ok"))
        throw StoreError(damagedText(), path + QLatin1Char('\n') + result);
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
        copyInto(source, building);
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

    const QStringList copies = dailyCopies(dir);
    const int keep = keepCount(dataFolder);
    for (qsizetype i = keep; i < copies.size(); ++i)
        QFile::remove(dir.filePath(copies.at(i)));
    return target;
}

QString DatabaseBackup::restore(const QString &dataFolder, const QString &backupFile)
{
    // Taken before the programs are looked for, as a program takes its own
    // before it looks for a restore: one of the two always sees the other.
    const RegisterLock lock(dataFolder, RegisterLock::Holder::Restore);
    if (!lock.isLocked())
        throw StoreError(QStringLiteral("このデータ フォルダでは、ほかの復元が実行中か、書き込みができません。"),
                         lock.path());
    const QStringList programs = RegisterLock::programs(dataFolder);
    if (!programs.isEmpty())
        throw StoreError(QStringLiteral("QXRibodo がこのデータ フォルダを使っているため、戻せません。"
                                        "QXRibodo をすべて終了してから、もう一度実行してください。"),
                         programs.join(QLatin1Char('\n')));

    check(backupFile);
    {
        const Handle copy(backupFile, SQLITE_OPEN_READONLY);
        const int version = copy.scalar("PRAGMA user_version", backupFile).toInt();
        if (version > Schema::version())
            throw StoreError(QStringLiteral("このバックアップは新しい版のプログラムで作られているため、戻せません"
                                            "（バックアップの版: %1　このプログラムが扱える版: %2）。")
                                     .arg(version)
                                     .arg(Schema::version()),
                             backupFile);
    }

    finishRestore(dataFolder);
    TemporaryFiles::removeStale(QFileInfo(Schema::databasePath(dataFolder)).absolutePath());
    TemporaryFiles::removeStale(folder(dataFolder));

    // At every step the current database or the restored one is complete
    // under the name a start looks for: the current one is kept first, the
    // copy is built whole beside it, and only then does it take its place.
    const QString live = Schema::databasePath(dataFolder);
    QString kept;
    if (QFileInfo::exists(live)) {
        kept = keptName(live);
        keepAsItLies(live, kept);
    }
    const QString staged = stagedName(dataFolder);
    const QString building = newFileBeside(staged);
    try {
        copyInto(backupFile, building);
        useWriteAheadLog(building);
        if (!replace(building, staged))
            throw StoreError(QStringLiteral("データベースを戻せません。"), staged);
    } catch (...) {
        removeWithCompanions(building);
        throw;
    }
    finishRestore(dataFolder);
    check(live);
    return kept;
}

bool DatabaseBackup::finishRestore(const QString &dataFolder)
{
    const QString staged = stagedName(dataFolder);
    if (!QFileInfo::exists(staged))
        return false;
    // The current file's log must never be applied to the restored file; it
    // is kept with the current file.
    const QString live = Schema::databasePath(dataFolder);
    for (const char *suffix : logSuffixes)
        QFile::remove(live + QLatin1String(suffix));
    if (!replace(staged, live))
        throw StoreError(QStringLiteral("データベースを戻せません。"), live);
    return true;
}

QStringList DatabaseBackup::keptBeforeRestore(const QString &dataFolder)
{
    const QFileInfo live(Schema::databasePath(dataFolder));
    static const QRegularExpression name(QStringLiteral(R"(\.before-restore-\d{8}-\d{6}(-\d+)?$)"));
    QStringList kept;
    const QStringList names = live.dir().entryList({live.fileName() + QStringLiteral(".before-restore-*")}, QDir::Files,
                                                   QDir::Name);
    for (const QString &n : names) {
        if (name.match(n).hasMatch())
            kept << live.dir().filePath(n);
    }
    return kept;
}
