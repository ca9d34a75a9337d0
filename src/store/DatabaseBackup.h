#pragma once

#include <QDate>
#include <QString>

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
    // when it is not set.
    static int keepCount(const QString &dataFolder);

    // Makes the copy of `today` unless it is there already, then removes the
    // oldest copies beyond keepCount. The path of the new copy, or the empty
    // text when there was one. Raises StoreError when no sound copy could be
    // made; an unfinished copy is removed.
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

    // Puts `backupFile` back as the data folder's database, after checking
    // it and keeping the current file as dbRibodo.sqlite.before-restore.
    static void restore(const QString &dataFolder, const QString &backupFile);
};
