#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/Recordset.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QtTest>

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void namesResolveInAnyCase_data();
    void namesResolveInAnyCase();
    void codesAreUnique_data();
    void codesAreUnique();
    void viewsKeepNotesWithoutPayeeOrBank();
    void settlementViewColumnOrder();
    void newDatabaseHoldsTheStates();
    void dueDateSearchUsesAnIndex();
};

void TestSchema::namesResolveInAnyCase_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("sitetbl") << "SELECT tno, TKdate, TkDate, tkingaku, Tkubun, Tkeiri FROM sitetbl";
    QTest::newRow("Sitetbl") << "SELECT TNO FROM Sitetbl";
    QTest::newRow("kbn3 as kbn3") << "SELECT kbncode, KBNNAME FROM kbn3";
    QTest::newRow("kbn6 balance") << "SELECT kbnzan FROM KBN6";
    QTest::newRow("supplier") << "SELECT clcode, CLADDRESS1, ClAddress2, cltokuikbn FROM sirecliant";
    QTest::newRow("views") << "SELECT clname, GINKO, tkdate FROM qryribodo UNION ALL SELECT tno, ginko, TKDATE FROM qrykesai";
    QTest::newRow("work table") << "SELECT f1, F7 FROM tmptbl";
}

void TestSchema::namesResolveInAnyCase()
{
    QFETCH(QString, statement);
    TestDataFolder folder;
    folder.exec(statement);
}

void TestSchema::codesAreUnique_data()
{
    QTest::addColumn<QString>("insert");
    QTest::newRow("note number") << "INSERT INTO SiteTbl (TNo) VALUES ('A1'), ('a1')";
    QTest::newRow("supplier code") << "INSERT INTO SireCliant (ClCode) VALUES ('S1'), ('S1')";
    QTest::newRow("kbn1") << "INSERT INTO kbn1 (KbnCode) VALUES ('1')";
    QTest::newRow("kbn2") << "INSERT INTO kbn2 (KbnCode) VALUES ('1')";
    QTest::newRow("Kbn3") << "INSERT INTO Kbn3 (KbnCode) VALUES ('1')";
    QTest::newRow("Kbn4") << "INSERT INTO Kbn4 (KbnCode) VALUES ('1')";
    QTest::newRow("Kbn5") << "INSERT INTO Kbn5 (KbnCode) VALUES ('1')";
    QTest::newRow("bank") << "INSERT INTO kbn6 (KbnCode) VALUES ('1'), ('1')";
    QTest::newRow("16-bit category") << "INSERT INTO SireCliant (ClCode, ClTokuiKbn) VALUES ('S9', 40000)";
    QTest::newRow("date text") << "INSERT INTO SiteTbl (TNo, TKDate) VALUES ('A9', '2024/04/01')";
}

void TestSchema::codesAreUnique()
{
    QFETCH(QString, insert);
    TestDataFolder folder;
    QVERIFY_THROWS_EXCEPTION(StoreError, folder.exec(insert));
}

void TestSchema::viewsKeepNotesWithoutPayeeOrBank()
{
    TestDataFolder folder;
    folder.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '山田製作所')"));
    folder.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', '中央銀行')"));
    folder.addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("1"), 1, QStringLiteral("100"), QStringLiteral("1"));
    folder.addNote(QStringLiteral("A2"), QStringLiteral("2024-04-01"), QStringLiteral("1"), 1, QStringLiteral("999"), QStringLiteral("9"));
    QCOMPARE(folder.scalar(QStringLiteral("SELECT group_concat(TNo || ':' || ClName || ':' || Ginko, ',') FROM QRYRibodo")).toString(),
             QStringLiteral("A1:山田製作所:中央銀行,A2::"));
    QCOMPARE(folder.scalar(QStringLiteral("SELECT count(*) FROM QRYKesai")).toInt(), 2);
}

void TestSchema::settlementViewColumnOrder()
{
    TestDataFolder folder;
    folder.addNote(QStringLiteral("A1"), QStringLiteral("2024-04-30"), QStringLiteral("3"), 5000);
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    Recordset rs;
    rs.open(QStringLiteral("QRYKesai"), c);
    QCOMPARE(rs.fieldNames().size(), 6);
    QCOMPARE(rs.value(0).toString(), QStringLiteral("A1"));
    QCOMPARE(rs.value(2).toDouble(), 5000.0);
    QCOMPARE(rs.value(4).toString(), QStringLiteral("決済済み"));
    QCOMPARE(rs.value(5).toDate(), QDate(2024, 4, 30));
    QCOMPARE(rs.fieldNames().at(5), QStringLiteral("TKDate"));
    QCOMPARE(rs.fieldNames().at(3), QStringLiteral("Ginko"));
}

void TestSchema::newDatabaseHoldsTheStates()
{
    TestDataFolder folder;
    QCOMPARE(folder.scalar(QStringLiteral("SELECT count(*) FROM Kbn3 WHERE KbnCode IN ('1', '2')")).toInt(), 2);
    QCOMPARE(folder.scalar(QStringLiteral("SELECT count(*) FROM Kbn3 WHERE KbnName = '決済済み'")).toInt(), 1);
    for (const char *t : {"kbn1", "kbn2", "Kbn4", "Kbn5"})
        QVERIFY(folder.scalar(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(t)).toInt() > 0);
}

void TestSchema::dueDateSearchUsesAnIndex()
{
    TestDataFolder folder;
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    for (const char *sql : {"EXPLAIN QUERY PLAN SELECT * FROM SiteTbl WHERE TCond = '1' AND TKdate <= '2024-04-30'",
                            "EXPLAIN QUERY PLAN SELECT * FROM QRYRibodo WHERE TKDate = '2024-04-30'",
                            "EXPLAIN QUERY PLAN SELECT rowid FROM SiteTbl WHERE TNo = 'A' AND +rowid >= 0 ORDER BY rowid LIMIT 1"}) {
        QSqlQuery &q = c.exec(QLatin1String(sql));
        QString details;
        while (q.next())
            details += q.value(3).toString() + QLatin1Char(';');
        q.finish();
        QVERIFY2(details.contains(QLatin1String("INDEX")) && !details.contains(QLatin1String("SCAN")), qPrintable(details));
    }
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_Schema.moc"
