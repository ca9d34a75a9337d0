#include "RawSqlite.h"

#include "store/HistoryFunctions.h"

#include <sqlite3.h>

#include <stdexcept>

RawSqlite::RawSqlite(const QString &path, bool readOnly)
{
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open database");
    }
    sqlite3_busy_timeout(m_db, 5000);
    // A register's history triggers call these on every write.
    HistoryFunctions::install(m_db);
}

RawSqlite::~RawSqlite()
{
    sqlite3_close(m_db);
}

int RawSqlite::run(const char *sql, std::initializer_list<QByteArray> params, bool readColumns)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_db));
    int i = 1;
    for (const QByteArray &p : params)
        sqlite3_bind_text(stmt, i++, p.constData(), int(p.size()), SQLITE_TRANSIENT);
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (readColumns) {
            for (int c = 0, n = sqlite3_column_count(stmt); c < n; ++c)
                sqlite3_column_text(stmt, c);
        }
        ++rows;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(m_db));
    return rows;
}

void RawSqlite::addSuppliersAndBanks()
{
    for (int i = 0; i < 200; ++i)
        run("INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)",
            {QByteArray::number(100 + i), "仕入先 " + QByteArray::number(i)});
    for (int i = 1; i <= 5; ++i)
        run("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES (?, ?, 0)",
            {QByteArray::number(i), "銀行 " + QByteArray::number(i)});
}

int RawSqlite::changes() const
{
    return sqlite3_changes(m_db);
}

void RawSqlite::backupTo(const QString &target)
{
    sqlite3 *to = nullptr;
    if (sqlite3_open_v2(target.toUtf8().constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(to);
        throw std::runtime_error("cannot create the copy");
    }
    sqlite3_backup *backup = sqlite3_backup_init(to, "main", m_db, "main");
    const int rc = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    sqlite3_backup_finish(backup);
    sqlite3_close(to);
    if (rc != SQLITE_DONE)
        throw std::runtime_error("backup failed");
}

int RawSqlite::once(const QString &path, const char *sql, std::initializer_list<QByteArray> params)
{
    return RawSqlite(path).run(sql, params);
}
