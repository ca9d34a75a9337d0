#include "ReportTestData.h"
#include "TestDataFolder.h"

#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportError.h"
#include "reports/SelectionFormula.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QtTest>

// Selection formulas are read strictly: a misspelt column is refused, the
// empty text is a value, and nesting has a limit.
class TestStrictFormula : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void misspeltFieldIsRefused_data()
    {
        QTest::addColumn<int>("report");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("field"); // empty: the report is made
        QTest::newRow("misspelt state") << 11 << "{QRYKesai.Jyoutai} = '決済済み'" << "{QRYKesai.Jyoutai}";
        QTest::newRow("misspelt, second term") << 10 << "{QRYRibodo.TCond} = '1' AND {QRYRibodo.TKingak} > 0"
                                               << "{QRYRibodo.TKingak}";
        QTest::newRow("spelt right") << 11 << "{QRYKesai.Jyotai} = '決済済み'" << "";
        QTest::newRow("any letter case") << 10 << "{QRYRibodo.tcond} = '1'" << "";
    }

    void misspeltFieldIsRefused()
    {
        QFETCH(int, report);
        QFETCH(QString, formula);
        QFETCH(QString, field);
        TestDataFolder folder;
        ReportTestData::addSampleData(folder);
        ReportRequest request = ReportTestData::request(report, folder, QStringLiteral("2024/04/30"), QStringLiteral("1"));
        request.selectionFormula = formula;
        try {
            ReportEngine::build(request);
            QVERIFY2(field.isEmpty(), "a misspelt field was read as a text");
        } catch (const ReportError &e) {
            QVERIFY2(!field.isEmpty(), qPrintable(e.reason()));
            QCOMPARE(QFileInfo(e.file()).fileName(), QFileInfo(request.definitionPath).fileName());
            QVERIFY2(e.reason().contains(field), qPrintable(e.reason()));
        }
    }

    void emptyTextSelectsEmptyColumns_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("selected");
        QTest::newRow("= ''") << "{QRYRibodo.TRemarks} = ''" << "E1,N1";
        QTest::newRow("= \"\"") << "{QRYRibodo.TRemarks} = \"\"" << "E1,N1";
        QTest::newRow("'' first") << "'' = {QRYRibodo.TRemarks}" << "E1,N1";
        QTest::newRow("<> ''") << "{QRYRibodo.TRemarks} <> ''" << "X1";
    }

    void emptyTextSelectsEmptyColumns()
    {
        QFETCH(QString, formula);
        QFETCH(QString, selected);
        TestDataFolder folder;
        ReportTestData::addNotes(folder, {{QStringLiteral("E1"), QStringLiteral("2024-05-10")},
                                          {QStringLiteral("X1"), QStringLiteral("2024-05-10"), 1000, QStringLiteral("1"),
                                           QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("x")},
                                          {QStringLiteral("N1"), QStringLiteral("2024-05-10")}});
        folder.exec(QStringLiteral("UPDATE SiteTbl SET TRemarks = NULL WHERE TNo = 'N1'"));
        const SqlCondition c = SelectionFormula::toSql(formula, QStringLiteral("QRYRibodo"), QStringLiteral("X.rpt"));
        Connection connection;
        connection.open(Schema::connectionText(folder.path()));
        QSqlQuery &q = connection.exec(QStringLiteral("SELECT group_concat(TNo) FROM (SELECT TNo FROM QRYRibodo WHERE ")
                                               + c.sql + QStringLiteral(" ORDER BY TNo)"),
                                       c.values);
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), selected);
    }

    void nestingHasALimit_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("taken");
        QTest::newRow("200 deep") << 200 << true;
        QTest::newRow("201 deep") << 201 << false;
        QTest::newRow("100,000 deep") << 100000 << false;
    }

    void nestingHasALimit()
    {
        QFETCH(int, depth);
        QFETCH(bool, taken);
        const QString formula = QString(depth, QLatin1Char('(')) + QStringLiteral("{QRYRibodo.TCond} = '1'")
                + QString(depth, QLatin1Char(')'));
        try {
            SelectionFormula::toSql(formula, QStringLiteral("QRYRibodo"), QStringLiteral("X.rpt"));
            QVERIFY(taken);
        } catch (const ReportError &e) {
            QVERIFY2(!taken, qPrintable(e.reason().left(200)));
            QCOMPARE(e.file(), QStringLiteral("X.rpt"));
        }
    }
};

QTEST_GUILESS_MAIN(TestStrictFormula)
#include "tst_StrictFormula.moc"
