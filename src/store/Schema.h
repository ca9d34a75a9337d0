#pragma once

#include <QString>
#include <QStringList>

class QSqlDatabase;

// The database's tables, views and indexes, defined here and nowhere else.
class Schema
{
public:
    // Name of the database file inside the data folder. Every place that
    // appends the database to the data folder uses this constant.
    static QString databaseFileName();

    // Data folder + database file name, joined without a separator: the
    // data folder carries its own trailing separator.
    static QString databasePath(const QString &dataFolder);

    // The connection text shown to the user and handed to data controls.
    static QString connectionText(const QString &dataFolder);

    // Statements that create every table, index and view, in order, and
    // mark the new database with the current version.
    static QStringList createStatements();

    // The version of the schema this program reads and writes, kept in the
    // database's user_version. A database made before versions were kept
    // reads 0 there and counts as version 1.
    static int version();
    // Statements that bring a database of version `from` to `from + 1`.
    // They add tables and columns only, so no stored row is lost; empty for
    // a version that has no next step.
    static QStringList upgradeStatements(int from);
    // The table of the journal export's account names.
    static QString journalAccountsTable();
    // The table of the banks' balances as of a date.
    static QString bankBalanceTable();

    // Columns that hold dates (stored as "yyyy-MM-dd" text so that text
    // order is date order); names compare without regard to letter case.
    static bool isDateColumn(const QString &column);

    // What a column holds, for the checks every written value passes.
    enum class ColumnKind { Code, Name, Remark, Amount, Other };
    static ColumnKind columnKind(const QString &column);
    // The column's name as the user knows it, for messages.
    static QString columnCaption(const QString &column);

    // The category tables by their number 0 to 4 (kbn1 ... Kbn5); an empty
    // name for any other number.
    static QString categoryTable(int number);

    static QString bankTable();

    // The change history: one row per insert, update and delete of the
    // tables it keeps, each chained to the one before by its hash. Only
    // triggers write it; the database refuses to change or delete a row.
    static QString historyTable();
    // The schema version that brought the history.
    static int historyVersion();
    // The history table and the triggers that guard it.
    static QStringList historyStatements();
    // The tables whose changes the history keeps.
    static QStringList historyTables();
    // The columns whose values, joined by a space, name a row of `table`.
    static QStringList historyKeyColumns(const QString &table);
    // The triggers that record every change of `table`, whose columns are
    // `columns` (their names begin with "Rireki_").
    static QStringList historyTriggers(const QString &table, const QStringList &columns);
    // Writes the opening row ("開始") of the row of `table` whose rowid is
    // bound.
    static QString historyOpeningRow(const QString &table, const QStringList &columns);
};
