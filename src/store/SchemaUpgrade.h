#pragma once

#include "StateMeaning.h"

#include <QDate>
#include <QString>

// Brings the database of a data folder made by an earlier version of the
// program to the current schema: first a copy of the file beside it, then the
// upgrade steps in one transaction, so that the file is either upgraded whole
// or left as it was.
class SchemaUpgrade
{
public:
    enum class Outcome {
        Current, // already at this program's version; nothing done
        Upgraded, // upgraded; the copy is at `backup`
        TooNew, // made by a newer program; nothing written
        Unreadable, // no register that can be read (an empty or damaged file); nothing written
    };
    struct Result
    {
        Outcome outcome = Outcome::Current;
        int found = 0; // the database's version before the upgrade
        QString backup;
        // The note states given a meaning from their names on the way to
        // version 3; empty when that step was not taken.
        StateMeaning::Marked states;
    };

    // The database's schema version; 1 for one made before versions were kept.
    static int version(const QString &dataFolder);

    // "dbRibodo.sqlite.bak-yyyymmdd" beside the database.
    static QString backupPath(const QString &dataFolder, const QDate &day);

    // Raises StoreError when the copy or an upgrade step fails (a read-only
    // file among them); the database is then as it was.
    static Result run(const QString &dataFolder, const QDate &today);
};
