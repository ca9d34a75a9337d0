#pragma once

#include <QByteArray>
#include <QString>

#include <initializer_list>

struct sqlite3;

// The baseline of every benchmark: the SQLite C library with nothing between
// it and the database file.
class RawSqlite
{
public:
    explicit RawSqlite(const QString &path, bool readOnly = false);
    ~RawSqlite();
    RawSqlite(const RawSqlite &) = delete;
    RawSqlite &operator=(const RawSqlite &) = delete;

    // Runs one statement with text parameters; the number of rows read. With
    // readColumns, every column of every row is read as text too.
    int run(const char *sql, std::initializer_list<QByteArray> params = {}, bool readColumns = false);

    // The masters the notes of several benchmarks refer to: 200 suppliers
    // coded 100 to 299 and 5 banks coded 1 to 5.
    void addSuppliersAndBanks();

    // Rows changed by the last statement.
    int changes() const;

    // Every page copied into a new database file at `target` with the
    // engine's online backup, in one step.
    void backupTo(const QString &target);

    // A connection opened and closed around one statement, as a record
    // object opens and closes its own.
    static int once(const QString &path, const char *sql, std::initializer_list<QByteArray> params = {});

private:
    sqlite3 *m_db = nullptr;
};
