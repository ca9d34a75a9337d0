#include "ReportTestData.h"
#include "TestDataFolder.h"

#include "reports/ReportCatalogue.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportError.h"
#include "reports/SelectionFormula.h"

#include <QtTest>

class TestSelectionFormula : public QObject
{
    Q_OBJECT

private slots:
    void catalogueFindsReportByNumber_data();
    void catalogueFindsReportByNumber();
    void catalogueFormulas_data();
    void catalogueFormulas();
    void reportDateMustBeADate_data();
    void reportDateMustBeADate();
    void formulaBecomesBoundCondition_data();
    void formulaBecomesBoundCondition();
    void malformedFormulaIsRefused_data();
    void malformedFormulaIsRefused();
    void keiriWithQuoteStaysAValue_data();
    void keiriWithQuoteStaysAValue();
};

void TestSelectionFormula::catalogueFindsReportByNumber_data()
{
    QTest::addColumn<QString>("modeFlag");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("1") << "1" << 1 << "FridasiSaki1.rpt";
    QTest::newRow("2") << "2" << 2 << "RBBank1.rpt";
    QTest::newRow("3") << "3" << 3 << "RBKubun1.rpt";
    QTest::newRow("4") << "4" << 4 << "RBYoto1.rpt";
    QTest::newRow("5") << "5" << 5 << "RBJyotai1.rpt";
    QTest::newRow("6") << "6" << 6 << "RBKeiriKbn.rpt";
    QTest::newRow("7") << "7" << 7 << "RBClKbn1.rpt";
    QTest::newRow("8") << "8" << 8 << "Ribodo1.rpt";
    QTest::newRow("9") << "9" << 9 << "RBEX1.rpt";
    QTest::newRow("10") << "10" << 10 << "RBNote.rpt";
    QTest::newRow("11") << "11" << 11 << "RBKesai.rpt";
    QTest::newRow("12") << "12" << 12 << "RBCross.rpt";
    QTest::newRow("empty") << "" << 0 << "";
    QTest::newRow("0") << "0" << 0 << "";
    QTest::newRow("13") << "13" << 0 << "";
    QTest::newRow("leading zero") << "01" << 0 << "";
    QTest::newRow("blank before") << " 1" << 0 << "";
    QTest::newRow("save mode") << "R" << 0 << "";
}

void TestSelectionFormula::catalogueFindsReportByNumber()
{
    QFETCH(QString, modeFlag);
    QFETCH(int, number);
    QFETCH(QString, fileName);
    const auto entry = ReportCatalogue::find(modeFlag);
    QCOMPARE(entry.has_value(), number != 0);
    if (entry) {
        QCOMPARE(entry->number, number);
        QCOMPARE(entry->fileName, fileName);
    }
}

void TestSelectionFormula::catalogueFormulas_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("reportDate");
    QTest::addColumn<QString>("reportKeiri");
    QTest::addColumn<QString>("formula");
    QTest::newRow("11") << 11 << "2024/04/30" << "" << "{QRYKesai.TKDate} = #2024/04/30#";
    QTest::newRow("12") << 12 << "2024/04/01" << "2"
                        << "{QRYRibodo.TKeiri}= '2' AND {QRYRibodo.TKDate} >= #2024/04/01#";
    QTest::newRow("12 quote doubled") << 12 << "2024/04/01" << "2'"
                                      << "{QRYRibodo.TKeiri}= '2''' AND {QRYRibodo.TKDate} >= #2024/04/01#";
    QTest::newRow("8 has none") << 8 << "2024/04/01" << "2" << "";
    QTest::newRow("10 has none") << 10 << "" << "" << "";
}

void TestSelectionFormula::catalogueFormulas()
{
    QFETCH(int, number);
    QFETCH(QString, reportDate);
    QFETCH(QString, reportKeiri);
    QFETCH(QString, formula);
    QCOMPARE(ReportCatalogue::selectionFormula(number, reportDate, reportKeiri), formula);
}

void TestSelectionFormula::reportDateMustBeADate_data()
{
    QTest::addColumn<QString>("reportDate");
    QTest::newRow("empty") << "";
    QTest::newRow("no such day") << "2024/02/30";
    QTest::newRow("words") << "today";
    QTest::newRow("more formula") << "2024/04/01# AND {QRYKesai.TNo} <> #2000/01/01";
}

void TestSelectionFormula::reportDateMustBeADate()
{
    QFETCH(QString, reportDate);
    for (const int number : {11, 12}) {
        try {
            ReportCatalogue::selectionFormula(number, reportDate, QStringLiteral("1"));
            QFAIL("a text that is no date was accepted");
        } catch (const ReportError &e) {
            QVERIFY(e.reason().contains(reportDate));
        }
    }
}

void TestSelectionFormula::formulaBecomesBoundCondition_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("report 11") << "QRYKesai" << "{QRYKesai.TKDate} = #2024/04/30#" << "\"TKDate\" = ?"
                               << QVariantList{QStringLiteral("2024-04-30")};
    QTest::newRow("report 12") << "QRYRibodo" << "{QRYRibodo.TKeiri}= '2' AND {QRYRibodo.TKDate} >= #2024/04/01#"
                               << "\"TKeiri\" = ? AND \"TKDate\" >= ?"
                               << QVariantList{QStringLiteral("2"), QStringLiteral("2024-04-01")};
    QTest::newRow("query in any case") << "QRYRibodo" << "{qryribodo.TKingaku} > 1000" << "\"TKingaku\" > ?"
                                       << QVariantList{1000.0};
    QTest::newRow("double quotes, parentheses") << "QRYRibodo" << "({QRYRibodo.TCond} <> \"3\")"
                                                << "(\"TCond\" <> ?)" << QVariantList{QStringLiteral("3")};
    QTest::newRow("doubled quote") << "QRYRibodo" << "{QRYRibodo.TRemarks} = 'it''s'" << "\"TRemarks\" = ?"
                                   << QVariantList{QStringLiteral("it's")};
    QTest::newRow("value first") << "QRYRibodo" << "'1' <= {QRYRibodo.TKeiri}" << "? <= \"TKeiri\""
                                 << QVariantList{QStringLiteral("1")};
    QTest::newRow("date with single digits") << "QRYKesai" << "{QRYKesai.TKDate}<#2024/4/3#" << "\"TKDate\" < ?"
                                             << QVariantList{QStringLiteral("2024-04-03")};
    QTest::newRow("empty") << "QRYKesai" << "  " << "" << QVariantList{};
}

void TestSelectionFormula::formulaBecomesBoundCondition()
{
    QFETCH(QString, source);
    QFETCH(QString, formula);
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    const SqlCondition c = SelectionFormula::toSql(formula, source, QStringLiteral("X.rpt"));
    QCOMPARE(c.sql, sql);
    QCOMPARE(c.values, values);
}

void TestSelectionFormula::malformedFormulaIsRefused_data()
{
    QTest::addColumn<QString>("formula");
    QTest::newRow("open quote") << "{QRYRibodo.TKeiri} = '2";
    QTest::newRow("no operator") << "{QRYRibodo.TKeiri} '2'";
    QTest::newRow("no such date") << "{QRYRibodo.TKDate} = #2024/02/30#";
    QTest::newRow("open date") << "{QRYRibodo.TKDate} = #2024/02/03";
    QTest::newRow("other query") << "{SiteTbl.TNo} = 'A'";
    QTest::newRow("field not a name") << "{QRYRibodo.T Keiri} = '1'";
    QTest::newRow("OR") << "{QRYRibodo.TKeiri} = '1' OR 1 = 1";
    QTest::newRow("second statement") << "{QRYRibodo.TKeiri} = '1'; DROP TABLE SiteTbl";
    QTest::newRow("comment") << "{QRYRibodo.TKeiri} = '1' -- x";
    QTest::newRow("ends early") << "{QRYRibodo.TKeiri} =";
    QTest::newRow("AND alone") << "AND";
    QTest::newRow("open parenthesis") << "({QRYRibodo.TKeiri} = '1'";
}

void TestSelectionFormula::malformedFormulaIsRefused()
{
    QFETCH(QString, formula);
    try {
        SelectionFormula::toSql(formula, QStringLiteral("QRYRibodo"), QStringLiteral("RBCross.rpt"));
        QFAIL("a malformed formula was accepted");
    } catch (const ReportError &e) {
        QCOMPARE(e.file(), QStringLiteral("RBCross.rpt"));
        QVERIFY(e.reason().contains(formula));
    }
}

void TestSelectionFormula::keiriWithQuoteStaysAValue_data()
{
    QTest::addColumn<QString>("keiri");
    QTest::newRow("or true") << "1' OR '1'='1";
    QTest::newRow("more formula") << "1' AND {QRYRibodo.TKDate} >= #1900/01/01# AND '1'='1";
    QTest::newRow("lone quote") << "'";
    QTest::newRow("statement") << "1'; DELETE FROM SiteTbl; --";
}

void TestSelectionFormula::keiriWithQuoteStaysAValue()
{
    QFETCH(QString, keiri);
    const QString formula = ReportCatalogue::selectionFormula(12, QStringLiteral("2024/04/01"), keiri);
    const SqlCondition c = SelectionFormula::toSql(formula, QStringLiteral("QRYRibodo"), QString());
    QCOMPARE(c.sql, QStringLiteral("\"TKeiri\" = ? AND \"TKDate\" >= ?"));
    QCOMPARE(c.values.first().toString(), keiri);

    // On a database, only the note whose category is that very text is read.
    TestDataFolder folder;
    ReportTestData::addMasters(folder);
    ReportTestData::addNote(folder, QStringLiteral("A1"), QStringLiteral("2024-05-10"), 1000, QStringLiteral("1"),
                            QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("1"));
    ReportTestData::addNote(folder, QStringLiteral("A2"), QStringLiteral("2024-05-10"), 2000, QStringLiteral("1"),
                            QStringLiteral("110"), QStringLiteral("1"), keiri);
    const auto document = ReportEngine::build(ReportTestData::request(12, folder, QStringLiteral("2024/04/01"), keiri));
    QCOMPARE(document->rowCount(), 1);
    const ReportPage page = document->page(0);
    QCOMPARE(page.lines.first().cells.first(), QStringLiteral("佐藤工業"));
    QCOMPARE(folder.scalar(QStringLiteral("SELECT COUNT(*) FROM SiteTbl")).toInt(), 2);
}

QTEST_MAIN(TestSelectionFormula)
#include "tst_SelectionFormula.moc"
