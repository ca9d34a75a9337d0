#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Copies of the database in the data folder's "backup" folder, made with the
// engine's online backup: a consistent copy even while another connection
// writes. Every copy is checked before it counts, and a restore keeps the
// file it replaces.
class DatabaseBackup
{
public:
    // The folder of the copies: data folder + "backup".
    static QString folder(const QString &dataFolder);
    // "dbRibodo-yyyymmdd.sqlite".
    static QString fileName(const QDate &day);
    // How many copies are kept: the "keep" value of backup/backup.ini, 10
    // when it is not set or not a count from 1 to 365.
    static int keepCount(const QString &dataFolder);
    // The "keep" value as written when it is set but not a count from 1 to
    // 365; otherwise the empty text.
    static QString invalidKeep(const QString &dataFolder);
    // The newest daily copy that passes the check; empty when there is none.
    static QString latest(const QString &dataFolder);

    // Makes the copy of `today` unless it is there already, then removes the
    // oldest copies beyond keepCount. The path of the new copy, or the empty
    // text when there was one. Raises StoreError when no sound copy could be
    // made; an unfinished copy is removed. The explanation is damagedText()
    // when the database itself is damaged, diskFullText() when the disk is full.
    static QString daily(const QString &dataFolder, const QDate &today);

    // An online copy of the database at `source` written to `target`: built
    // under a temporary name, checked, then renamed over `target`.
    static void copy(const QString &source, const QString &target);

    // A new, empty file with a unique name beside `target`, made with the
    // folder's usual permissions, in which a database is built before it is
    // renamed to `target`. Raises StoreError when none can be made.
    static QString newFileBeside(const QString &target);

    // Raises StoreError unless `path` is a sound database of this system
    // (the engine's quick check passes and the notes table is there).
    static void check(const QString &path);

    static QString damagedText();
    static QString diskFullText();

    // Puts `backupFile` back as the data folder's database. Refused, nothing
    // changed, while a program holds the register or when the copy is not a
    // sound register this program can open. The current database is kept
    // first, byte for byte with its -wal and -shm, as
    // dbRibodo.sqlite.before-restore-yyyyMMdd-HHmmss beside it; the copy is
    // then built complete as dbRibodo.sqlite.restoring and renamed over the
    // database. The path of the kept file, or empty when there was none.
    static QString restore(const QString &dataFolder, const QString &backupFile);

    // Completes a restore cut short after its copy was complete (the
    // .restoring file is there). True when it did.
    static bool finishRestore(const QString &dataFolder);

    // The kept files of earlier restores, oldest first.
    static QStringList keptBeforeRestore(const QString &dataFolder);
};
