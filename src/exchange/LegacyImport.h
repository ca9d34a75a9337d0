#pragma once

#include "LegacyTable.h"
#include "store/StateMeaning.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Carries the register of the earlier version (its Access database) into a
// new data folder: every row of every table, dates as the store keeps them,
// amounts unchanged, and codes, names and remarks through the gate typed
// input passes (codes trimmed and full-width letters and digits made
// half-width; control characters left out of names and remarks, whose line
// breaks stay), each change listed. Nothing is written while a row would
// break a rule of the new database: rows whose codes coincide (once folded,
// letter case aside) are named, and imported under new codes only when
// asked to. The database
// is built under a temporary name, and a folder that did not exist under a
// temporary folder name, so that a failure leaves nothing half made.
class LegacyImport
{
public:
    struct Duplicate
    {
        QString table;
        QString column;
        QString key;
        QList<int> rows; // 1-based, in the file's order
        QStringList texts; // each row's code as the file writes it
    };
    struct Rename
    {
        QString table;
        QString column;
        QString from; // as the file writes it
        QString to;
        int row = 0;
    };
    struct Result
    {
        bool written = false;
        QList<Duplicate> duplicates;
        QList<Rename> renames;
        // Values that fit no column of the new database; they stop the import.
        QStringList problems;
        // Columns the new database has no place for.
        QStringList skippedColumns;
        // Codes folded or trimmed, characters left out: one line each.
        QStringList adjusted;
        QList<QPair<QString, int>> counts; // rows written, per table
        StateMeaning::Marked states;       // the note states given a meaning
    };

    // Reads `mdbPath` (read-only) and imports it into `dataFolder`. Raises
    // StoreError when the file cannot be read or the database not written.
    static Result importFile(const QString &mdbPath, const QString &dataFolder, bool renameDuplicates);

    // The same from tables already read.
    static Result importTables(const QList<LegacyTable> &tables, const QString &dataFolder, bool renameDuplicates);

    // The file of the earlier version in `dataFolder` (its name in any
    // letter case), or the empty text.
    static QString legacyFileIn(const QString &dataFolder);

    // Japanese texts for the user.
    static QString countsText(const Result &result);
    static QString duplicatesText(const Result &result);
    static QString renamesText(const Result &result);
    static QString adjustedText(const Result &result);
    static QString problemsText(const Result &result);
};
