#include "store/ServerSql.h"
#include "store/StoreError.h"

#include <QtTest>

// The rules that turn the program's SQLite statements into the server's.
class TestServerSql : public QObject
{
    Q_OBJECT

private slots:
    void fromSqlite_data()
    {
        QTest::addColumn<QString>("sqlite");
        QTest::addColumn<QString>("server"); // empty: refused
        QTest::newRow("unchanged") << "SELECT TNo || '|' || TCond FROM SiteTbl WHERE rowid > ? ORDER BY rowid LIMIT ?"
                                   << "SELECT TNo || '|' || TCond FROM SiteTbl WHERE rowid > ? ORDER BY rowid LIMIT ?";
        QTest::newRow("IFNULL") << "SELECT IFNULL(ClName, '') FROM SireCliant" << "SELECT COALESCE(ClName, '') FROM SireCliant";
        QTest::newRow("numbered marks") << "SELECT * FROM SiteTbl WHERE TTo = ?1 OR TBank = ?1 AND TKDate <= ?2"
                                        << "SELECT * FROM SiteTbl WHERE TTo = $1 OR TBank = $1 AND TKDate <= $2";
        QTest::newRow("quoted names fold") << "SELECT \"TNo\" FROM \"SiteTbl\"" << "SELECT \"tno\" FROM \"sitetbl\"";
        QTest::newRow("text stays as written") << "SELECT 'IFNULL(\"A\") LIKE ?1' FROM kbn1" << "SELECT 'IFNULL(\"A\") LIKE ?1' FROM kbn1";
        QTest::newRow("case-blind column") << "SELECT 1 FROM kbn1 WHERE KbnCode = ? COLLATE NOCASE" << "SELECT 1 FROM kbn1 WHERE KbnCode = CAST(? AS citext)";
        QTest::newRow("case-blind comparison of a column") << "SELECT 1 FROM SiteTbl WHERE TNo COLLATE NOCASE = ?" << "SELECT 1 FROM SiteTbl WHERE TNo = CAST(? AS citext)";
        QTest::newRow("case-blind other column") << "SELECT 1 FROM RirekiTbl r WHERE r.RKey COLLATE NOCASE = ?"
                                                 << "SELECT 1 FROM RirekiTbl r WHERE CAST(r.RKey AS citext) = CAST(? AS citext)";
        QTest::newRow("case-blind order") << "SELECT 1 FROM RirekiTbl ORDER BY RKey COLLATE NOCASE, TNo COLLATE NOCASE"
                                          << "SELECT 1 FROM RirekiTbl ORDER BY CAST(RKey AS citext), TNo";
        QTest::newRow("case-blind JSON value")
                << "SELECT 1 FROM RirekiTbl WHERE CAST(json_extract(RBefore, ?) AS TEXT) <> ? COLLATE NOCASE"
                << "SELECT 1 FROM RirekiTbl WHERE CAST(CAST(jsonb_path_query_first(CAST(RBefore AS jsonb), CAST(? AS jsonpath)) #>> '{}' AS TEXT) AS citext) <> CAST(? AS citext)";
        QTest::newRow("subquery named")
                << "SELECT max(n) FROM (SELECT max(RNo) AS n FROM RirekiTbl UNION ALL SELECT max(RNo) FROM (SELECT RNo FROM RirekiTbl) x)"
                << "SELECT max(n) FROM (SELECT max(RNo) AS n FROM RirekiTbl UNION ALL SELECT max(RNo) FROM (SELECT RNo FROM RirekiTbl) x) AS subquery1";
        QTest::newRow("LIKE ignores case") << "SELECT 1 FROM SireCliant WHERE ClName NOT LIKE ?" << "SELECT 1 FROM SireCliant WHERE ClName NOT ILIKE ?";
        QTest::newRow("casts") << "SELECT CAST(TKingaku AS INTEGER), CAST(? AS REAL), CAST(TNo AS TEXT) FROM SiteTbl"
                               << "SELECT CAST(TKingaku AS bigint), CAST(? AS numeric), CAST(TNo AS TEXT) FROM SiteTbl";
        QTest::newRow("GLOB") << "SELECT 1 FROM SiteTbl WHERE TKDate GLOB '2024-0[1-3]-*'" << "SELECT 1 FROM SiteTbl WHERE TKDate ~ '^2024-0[1-3]-.*$'";
        QTest::newRow("==") << "SELECT 1 WHERE 1 == 1" << "SELECT 1 WHERE 1 = 1";
        QTest::newRow("replace() is a function") << "SELECT replace(TNo, '-', '') FROM SiteTbl" << "SELECT replace(TNo, '-', '') FROM SiteTbl";
        QTest::newRow("a column named date") << "SELECT date FROM t" << "SELECT date FROM t";
        QTest::newRow("today from the server") << "SELECT 1 FROM SiteTbl WHERE TKDate <= date('now')" << "";
        QTest::newRow("CURRENT_DATE") << "SELECT CURRENT_DATE" << "";
        QTest::newRow("strftime") << "SELECT strftime('%Y', TKDate) FROM SiteTbl" << "";
        QTest::newRow("json_each") << "SELECT 1 WHERE x IN (SELECT value FROM json_each(?))"
                                   << "SELECT 1 WHERE x IN (SELECT value FROM json_array_elements_text(CAST(? AS json)))";
        QTest::newRow("temporary table") << "INSERT INTO temp.List VALUES (?)" << "INSERT INTO pg_temp.List VALUES (?)";
        QTest::newRow("TOTAL") << "SELECT TOTAL(TKingaku), total(x) FROM SiteTbl" << "SELECT COALESCE(SUM(TKingaku), 0), COALESCE(SUM(x), 0) FROM SiteTbl";
        QTest::newRow("group_concat") << "SELECT group_concat(TNo || '=' || TTo), group_concat(TNo, '|') FROM SiteTbl"
                                      << "SELECT string_agg(CAST(TNo || '=' || TTo AS text), ','), string_agg(CAST(TNo AS text), '|') FROM SiteTbl";
        QTest::newRow("sqlite_master") << "SELECT name FROM sqlite_master" << "";
        QTest::newRow("PRAGMA") << "PRAGMA user_version" << "";
        QTest::newRow("INSERT OR REPLACE") << "INSERT OR REPLACE INTO kbn1 VALUES (?, ?)" << "";
        QTest::newRow("REPLACE INTO") << "REPLACE INTO kbn1 VALUES (?, ?)" << "";
        QTest::newRow("GLOB of a value") << "SELECT 1 FROM SiteTbl WHERE TNo GLOB ?" << "";
        QTest::newRow("other collation") << "SELECT 1 FROM SiteTbl ORDER BY TNo COLLATE BINARY" << "";
        QTest::newRow("mixed marks") << "SELECT 1 FROM SiteTbl WHERE TNo = ? AND TTo = ?2" << "";
        QTest::newRow("second statement") << "DELETE FROM kbn1; DELETE FROM kbn2" << "";
    }

    void fromSqlite()
    {
        QFETCH(QString, sqlite);
        QFETCH(QString, server);
        if (!server.isEmpty()) {
            QCOMPARE(ServerSql::fromSqlite(sqlite), server);
            return;
        }
        try {
            ServerSql::fromSqlite(sqlite);
            QFAIL("translated");
        } catch (const StoreError &e) {
            QCOMPARE(e.engineMessage(), sqlite); // the statement is named
        }
    }
};

QTEST_GUILESS_MAIN(TestServerSql)
#include "tst_ServerSql.moc"
