#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/JetCrossTab.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString plan = QStringLiteral("TRANSFORM Sum(QRYRibodo.TKingaku) AS 値 SELECT QRYRibodo.ClName, Sum(QRYRibodo.TKingaku) "
                                    "AS SSum_ From QRYRibodo WHERE TKDate >= #2024/04/01# AND Tkeiri = '2' GROUP BY "
                                    "QRYRibodo.ClName  PIVOT Format([TKDate],'Short Date')");
}

class TestJetCrossTab : public QObject
{
    Q_OBJECT

private slots:
    void translation_data();
    void translation();
    void refused_data();
    void refused();
    void pivot();
};

void TestJetCrossTab::translation_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QStringList>("leading");
    QTest::addColumn<QString>("byPayeeCode");
    QTest::newRow("payment plan") << plan
                                  << R"(SELECT "ClName", "TKDate", SUM("TKingaku") FROM "QRYRibodo" WHERE TKDate >= '2024-04-01' AND Tkeiri = '2' GROUP BY 1, 2 ORDER BY 1, 2)"
                                  << QStringList {u"ClName"_s, u"SSum_"_s}
                                  << R"(SELECT "TTo", CAST(REPLACE("TKDate", '-', '') AS INTEGER), SUM("TKingaku") FROM "SiteTbl" AS "QRYRibodo" WHERE TKDate >= '2024-04-01' AND Tkeiri = '2' GROUP BY "TTo", "TKDate")";
    QTest::newRow("two row fields, another sum, plain pivot")
            << "transform sum(TKingaku) select TBank, [TTo], Sum(TFee) AS Fees from [SiteTbl] group by TTo, TBank pivot TKeiri"
            << R"(SELECT "TTo", "TBank", "TKeiri", SUM("TKingaku"), SUM("TFee") FROM "SiteTbl" GROUP BY 1, 2, 3 ORDER BY 1, 2, 3)"
            << QStringList {u"TBank"_s, u"TTo"_s, u"Fees"_s} << QString();
}

void TestJetCrossTab::translation()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QFETCH(QStringList, leading);
    QFETCH(QString, byPayeeCode);
    const JetCrossTab crossTab(jet);
    QCOMPARE(crossTab.sqlite(), sqlite);
    QCOMPARE(crossTab.leadingColumns(), leading);
    QCOMPARE(crossTab.byPayeeCodeSql(), byPayeeCode);
}

void TestJetCrossTab::refused_data()
{
    QTest::addColumn<QString>("jet");
    QTest::newRow("not a cross-tab") << "SELECT * FROM QRYRibodo";
    QTest::newRow("no pivot") << "TRANSFORM Sum(TKingaku) SELECT ClName FROM QRYRibodo GROUP BY ClName";
    QTest::newRow("pivot list") << QString(plan).replace(QStringLiteral("'Short Date')"), QStringLiteral("'Short Date') IN ('a')"));
    QTest::newRow("other aggregate") << QString(plan).replace(QStringLiteral("TRANSFORM Sum"), QStringLiteral("TRANSFORM Avg"));
    QTest::newRow("other format") << QString(plan).replace(QStringLiteral("Short Date"), QStringLiteral("Long Date"));
    QTest::newRow("join") << QString(plan).replace(QStringLiteral("From QRYRibodo"), QStringLiteral("From QRYRibodo, SiteTbl"));
    QTest::newRow("field outside GROUP BY") << QString(plan).replace(QStringLiteral("SELECT QRYRibodo.ClName"), QStringLiteral("SELECT TNo"));
    QTest::newRow("other source") << QString(plan).replace(QStringLiteral("Sum(QRYRibodo.TKingaku) AS 値"), QStringLiteral("Sum(X.TKingaku)"));
    QTest::newRow("second statement") << plan + QStringLiteral("; DROP TABLE SiteTbl");
    QTest::newRow("open date") << QString(plan).replace(QStringLiteral("#2024/04/01#"), QStringLiteral("#2024/04/01"));
}

void TestJetCrossTab::refused()
{
    QFETCH(QString, jet);
    QVERIFY_THROWS_EXCEPTION(StoreError, JetCrossTab {jet});
}

void TestJetCrossTab::pivot()
{
    // Sparse cells, columns in heading order, sums per row, payees of one
    // name in one row; a null amount leaves its cell empty. Summed per payee
    // code first or straight from the query, the plan is the same.
    TestDataFolder folder;
    folder.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('1', 'B'), ('2', 'A'), ('3', 'B')"));
    folder.addNote(QStringLiteral("1"), QStringLiteral("2024-05-20"), QStringLiteral("1"), 50, QStringLiteral("1"));
    folder.addNote(QStringLiteral("2"), QStringLiteral("2024-05-10"), QStringLiteral("1"), 20, QStringLiteral("2"));
    folder.addNote(QStringLiteral("3"), QStringLiteral("2024-05-10"), QStringLiteral("1"), 30, QStringLiteral("3"));
    folder.addNote(QStringLiteral("4"), QStringLiteral("2024-05-10"), QStringLiteral("1"), 5, QStringLiteral("1"));
    folder.exec(QStringLiteral("UPDATE SiteTbl SET TKingaku = NULL WHERE TNo = '2'"));
    Connection connection;
    connection.open(Schema::connectionText(folder.path()));
    for (const QString &condition : {QString(), QStringLiteral(" AND Ginko IS NOT NULL")}) {
        const JetCrossTab crossTab(QString(plan).replace(QStringLiteral(" AND Tkeiri = '2'"), condition));
        QCOMPARE(crossTab.byPayeeCodeSql().isEmpty(), !condition.isEmpty());
        const CrossTabTable table = crossTab.run(connection);
        QCOMPARE(table.columnNames(), (QStringList {u"ClName"_s, u"SSum_"_s, u"2024/05/10"_s, u"2024/05/20"_s}));
        QCOMPARE(table.rowCount(), 2);
        QCOMPARE(table.cellCount(), 2);
        QCOMPARE(table.value(0, 0).toString(), QStringLiteral("A"));
        QVERIFY(table.value(0, 1).isNull() && table.value(0, 2).isNull());
        QCOMPARE(table.value(1, 1).toDouble(), 85.0);
        QCOMPARE(table.value(1, 2).toDouble(), 35.0);
        QCOMPARE(table.value(1, 3).toDouble(), 50.0);
    }
}

QTEST_MAIN(TestJetCrossTab)
#include "tst_JetCrossTab.moc"
