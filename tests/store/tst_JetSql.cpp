#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/Recordset.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QtTest>

class TestJetSql : public QObject
{
    Q_OBJECT

private slots:
    void translates_data();
    void translates();
    void refusesMalformed_data();
    void refusesMalformed();
    void quotedValueRoundTrips_data();
    void quotedValueRoundTrips();
    void statementsSelectTheSameRows_data();
    void statementsSelectTheSameRows();
};

void TestJetSql::translates_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");

    QTest::newRow("state update") << "SELECT * FROM SiteTbl WHERE TCond = '1' AND TKdate <= #2024/04/30#"
                                  << "SELECT * FROM SiteTbl WHERE TCond = '1' AND TKdate <= '2024-04-30'";
    QTest::newRow("due-date sums") << "SELECT TKDate, Sum(TKingaku) AS TKSum FROM SiteTbl GROUP BY TKDate"
                                   << "SELECT TKDate, Sum(TKingaku) AS TKSum FROM SiteTbl GROUP BY TKDate";
    QTest::newRow("notes of a date") << "SELECT * FROM QRYRibodo WHERE TKDate = #2024/04/01#"
                                     << "SELECT * FROM QRYRibodo WHERE TKDate = '2024-04-01'";
    QTest::newRow("period") << "SELECT * FROM QRYRibodo WHERE TTo = '12' AND TBank = '3' AND TKDate BETWEEN #2024/04/01# AND #2024/04/30#"
                            << "SELECT * FROM QRYRibodo WHERE TTo = '12' AND TBank = '3' AND TKDate BETWEEN '2024-04-01' AND '2024-04-30'";
    QTest::newRow("category") << "SELECT * FROM QRYRibodo WHERE TTo = '12' AND TKDate >= #2024/04/01# AND TYoto = '2'"
                              << "SELECT * FROM QRYRibodo WHERE TTo = '12' AND TKDate >= '2024-04-01' AND TYoto = '2'";
    QTest::newRow("settlement list") << "SELECT * FROM QRYKesai WHERE TKDate =#2024/04/30# AND Ginko = '中央銀行'"
                                     << "SELECT * FROM QRYKesai WHERE TKDate ='2024-04-30' AND Ginko = '中央銀行'";
    QTest::newRow("bang reference") << "SELECT SUM(QRYkesai!TKingaku) AS gokei FROM QRYKesai WHERE TKDate =#2024/04/30#"
                                    << "SELECT SUM(QRYkesai.TKingaku) AS gokei FROM QRYKesai WHERE TKDate ='2024-04-30'";
    QTest::newRow("short date parts") << "SELECT * FROM SiteTbl WHERE TKDate = #2024/4/3#"
                                      << "SELECT * FROM SiteTbl WHERE TKDate = '2024-04-03'";
    QTest::newRow("hash and bang inside text stay") << "SELECT * FROM kbn6 WHERE KbnName = '#1 銀行!本店'"
                                                    << "SELECT * FROM kbn6 WHERE KbnName = '#1 銀行!本店'";
    QTest::newRow("doubled quote inside text") << "SELECT * FROM QRYKesai WHERE Ginko = 'O''Neil #2024/01/01#'"
                                               << "SELECT * FROM QRYKesai WHERE Ginko = 'O''Neil #2024/01/01#'";
    QTest::newRow("double-quoted text") << "SELECT * FROM kbn6 WHERE KbnName = \"a'b\"\"c\""
                                        << "SELECT * FROM kbn6 WHERE KbnName = 'a''b\"c'";
    QTest::newRow("trailing semicolon") << "SELECT * FROM kbn1;" << "SELECT * FROM kbn1";
}

void TestJetSql::translates()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(JetSql::toSqlite(jet), sqlite);
}

void TestJetSql::refusesMalformed_data()
{
    QTest::addColumn<QString>("jet");
    QTest::newRow("unterminated quote") << "SELECT * FROM kbn1 WHERE KbnCode = 'a";
    QTest::newRow("injected by an unescaped quote") << "SELECT * FROM kbn6 WHERE KbnName = 'x' OR '1'='1";
    QTest::newRow("second statement") << "SELECT * FROM kbn1; DELETE FROM kbn1";
    QTest::newRow("comment") << "SELECT * FROM kbn1 WHERE KbnCode = '1' -- '";
    QTest::newRow("unterminated date") << "SELECT * FROM SiteTbl WHERE TKDate = #2024/04/30";
    QTest::newRow("no such date") << "SELECT * FROM SiteTbl WHERE TKDate = #2024/02/30#";
}

void TestJetSql::refusesMalformed()
{
    QFETCH(QString, jet);
    QVERIFY_THROWS_EXCEPTION(StoreError, JetSql::toSqlite(jet));
}

void TestJetSql::quotedValueRoundTrips_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "中央銀行";
    QTest::newRow("one quote") << "O'Neil";
    QTest::newRow("quote and or") << "x' OR '1'='1";
    QTest::newRow("hash and bang") << "#2024/01/01# !x";
}

// A value put between quotes by the system is matched exactly, never read as SQL.
void TestJetSql::quotedValueRoundTrips()
{
    QFETCH(QString, value);
    TestDataFolder folder;
    folder.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', ?), ('2', 'other')"), {value});
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM kbn6 WHERE KbnName = ") + JetSql::quote(value), c);
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.value(QStringLiteral("KbnName")).toString(), value);
}

void TestJetSql::statementsSelectTheSameRows_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("rows");
    QTest::newRow("due on or before") << "SELECT * FROM SiteTbl WHERE TCond = '1' AND TKdate <= #2024/04/30#" << 2;
    QTest::newRow("one date") << "SELECT * FROM QRYRibodo WHERE TKDate = #2024/04/30#" << 2;
    QTest::newRow("between") << "SELECT * FROM QRYRibodo WHERE TKDate BETWEEN #2024/04/01# AND #2024/04/30#" << 3;
    QTest::newRow("from a date") << "SELECT * FROM QRYRibodo WHERE TKDate >= #2024/05/01#" << 1;
    QTest::newRow("bank by name") << "SELECT * FROM QRYKesai WHERE TKDate =#2024/04/30# AND Ginko = '中央銀行'" << 1;
    QTest::newRow("grouped") << "SELECT TKDate, Sum(TKingaku) AS TKSum FROM SiteTbl GROUP BY TKDate" << 3;
}

void TestJetSql::statementsSelectTheSameRows()
{
    QFETCH(QString, statement);
    QFETCH(int, rows);
    TestDataFolder folder;
    folder.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', '中央銀行'), ('2', 'みなと銀行')"));
    folder.addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("3"));
    folder.addNote(QStringLiteral("A2"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 1000, QStringLiteral("100"), QStringLiteral("1"));
    folder.addNote(QStringLiteral("A3"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 1000, QStringLiteral("100"), QStringLiteral("2"));
    folder.addNote(QStringLiteral("A4"), QStringLiteral("2024-05-01"), QStringLiteral("1"));
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    Recordset rs;
    rs.open(statement, c);
    QCOMPARE(rs.recordCount(), rows);
}

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_JetSql.moc"
