#include "ReportTestData.h"

#include "reports/ReportCatalogue.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportError.h"
#include "reports/SelectionFormula.h"

#include <QtTest>

// Definition files and the record-selection formulas given with them. The
// shipped definitions are read through the engine's tests; here, what they
// leave unused and the mistakes a file or a formula may hold.
class TestReportDefinition : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatShippedFilesLeaveOut()
    {
        const ReportDefinition d = ReportDefinition::parse(
                QStringLiteral("# a comment\n[Report]\ntitle = 見本\nSource=QRYRibodo\nSort=TKDate desc, TNo numeric\n"
                               "Paper=B4\nOrientation=Landscape\nMargins=10\nFontSize=8.5\n\n"
                               "[Column]\nField=TNo\nWidth=60\n[Column]\nField=TKingaku\nWidth=30\nAlign=right\n"
                               "[Group]\nField=TBank numeric\n"),
                QStringLiteral("sample.rpt"));
        QCOMPARE(d.title, QStringLiteral("見本"));
        QCOMPARE(d.sort.size(), 2);
        QVERIFY(d.sort.at(0).descending && !d.sort.at(0).numeric && d.sort.at(1).numeric && !d.sort.at(1).descending);
        QCOMPARE(d.paper, QPageSize::JisB4);
        QCOMPARE(d.paperSizeMm(), QSizeF(364, 257));
        QCOMPARE(QPointF(d.marginMm, d.fontSizePt), QPointF(10.0, 8.5));
        QCOMPARE(d.columns.first().alignment, Qt::AlignLeft);
        QCOMPARE(d.columns.last().alignment, Qt::AlignRight);
        const auto &group = d.groups.first();
        QCOMPARE(QStringList({group.key.field, group.heading, group.footer}).join(u'|'), QStringLiteral("TBank|{TBank}|小計"));
    }

    void refusesMistakes_data()
    {
        const QString head = QStringLiteral("[Report]\nTitle=T\nSource=kbn1\n");
        const QString column = QStringLiteral("[Column]\nField=KbnCode\nWidth=20\n");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << "" << "[Report]";
        QTest::newRow("column first") << column + head << "[Report]";
        QTest::newRow("unknown key") << head + QStringLiteral("Colour=red\n") + column << "4 行目";
        QTest::newRow("unknown section") << head + column + QStringLiteral("[Footer]\n") << "[Footer]";
        QTest::newRow("no title") << QStringLiteral("[Report]\nSource=kbn1\n") + column << "Title";
        QTest::newRow("source not a name") << QStringLiteral("[Report]\nTitle=T\nSource=kbn1; DROP\n") + column
                                           << "kbn1; DROP";
        QTest::newRow("no equals") << head + QStringLiteral("Paper\n") + column << "4 行目";
        QTest::newRow("no width") << head + QStringLiteral("[Column]\nField=KbnCode\n") << "Width";
        QTest::newRow("negative width") << head + QStringLiteral("[Column]\nField=KbnCode\nWidth=-3\n") << "-3";
        QTest::newRow("field not a name") << head + QStringLiteral("[Column]\nField=Kbn\"Code\nWidth=3\n") << "Kbn\"Code";
        QTest::newRow("alignment") << head + column + QStringLiteral("Align=Middle\n") << "Align";
        QTest::newRow("paper") << head + QStringLiteral("Paper=A0\n") + column << "A0";
        QTest::newRow("sum") << head + column + QStringLiteral("Sum=maybe\n") << "Sum";
        QTest::newRow("save as") << head + column + QStringLiteral("SaveAs=Money\n") << "SaveAs";
        QTest::newRow("saved column without value") << head + column + QStringLiteral("[SavedColumn]\nHeading=銀行\n") << "Value";
        QTest::newRow("sort") << head + QStringLiteral("Sort=KbnCode sideways\n") + column << "sideways";
        QTest::newRow("no columns") << head << "[Column]";
        QTest::newRow("too wide") << head + QStringLiteral("[Column]\nField=KbnCode\nWidth=150\n[Column]\nField=KbnName\nWidth=50\n")
                                  << "200.0 mm";
        QTest::newRow("cross and columns") << head + column
                        + QStringLiteral("[CrossTab]\nRows=ClName\nColumns=TKDate\nValues=TKingaku\n")
                                           << "[CrossTab]";
        QTest::newRow("two reports") << head + column + head << "[Report]";
    }

    void refusesMistakes()
    {
        QFETCH(QString, text);
        QFETCH(QString, reason);
        try {
            ReportDefinition::parse(text, QStringLiteral("bad.rpt"));
            QFAIL("a mistaken definition was accepted");
        } catch (const ReportError &e) {
            QCOMPARE(e.file(), QStringLiteral("bad.rpt"));
            QVERIFY2(e.reason().contains(reason), qPrintable(e.reason()));
            QVERIFY(e.text().contains(QStringLiteral("bad.rpt")));
        }
    }

    // The formulas given with reports 11 and 12; their translation is
    // formulaBecomesBoundCondition's.
    void reportFormulas_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reportDate");
        QTest::addColumn<QString>("reportKeiri");
        QTest::addColumn<QString>("formula");
        QTest::newRow("11") << 11 << "2024/04/30" << "" << "{QRYKesai.TKDate} = #2024/04/30#";
        QTest::newRow("12") << 12 << "2024/04/01" << "2" << "{QRYRibodo.TKeiri}= '2' AND {QRYRibodo.TKDate} >= #2024/04/01#";
        QTest::newRow("12 quote doubled") << 12 << "2024/04/01" << "2'"
                                          << "{QRYRibodo.TKeiri}= '2''' AND {QRYRibodo.TKDate} >= #2024/04/01#";
        QTest::newRow("8 has none") << 8 << "2024/04/01" << "2" << "";
        QTest::newRow("10 has none") << 10 << "" << "" << "";
    }

    void reportFormulas()
    {
        QFETCH(int, number);
        QFETCH(QString, reportDate);
        QFETCH(QString, reportKeiri);
        QTEST(ReportCatalogue::selectionFormula(number, reportDate, reportKeiri), "formula");
    }

    void reportDateMustBeADate()
    {
        for (const QString &date : ReportTestData::texts(
                     {"", "2024/02/30", "today", "2024/04/01# AND {QRYKesai.TNo} <> #2000/01/01"})) {
            for (const int number : {11, 12}) {
                try {
                    ReportCatalogue::selectionFormula(number, date, QStringLiteral("1"));
                    QFAIL(qPrintable(QStringLiteral("report %1 took the date \"%2\"").arg(number).arg(date)));
                } catch (const ReportError &e) {
                    QVERIFY(e.reason().contains(date));
                }
            }
        }
    }

    void formulaBecomesBoundCondition_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("values");
        QTest::newRow("query in any case") << "{qryribodo.TKingaku} > 1000" << "\"TKingaku\" > ?" << QVariantList{1000.0};
        QTest::newRow("double quotes, parentheses") << "({QRYRibodo.TCond} <> \"3\")" << "(\"TCond\" <> ?)"
                                                    << QVariantList{QStringLiteral("3")};
        QTest::newRow("doubled quote") << "{QRYRibodo.TRemarks} = 'it''s'" << "\"TRemarks\" = ?"
                                       << QVariantList{QStringLiteral("it's")};
        QTest::newRow("value first") << "'1' <= {QRYRibodo.TKeiri}" << "? <= \"TKeiri\"" << QVariantList{QStringLiteral("1")};
        QTest::newRow("date with single digits") << "{QRYRibodo.TKDate}<#2024/4/3#" << "\"TKDate\" < ?"
                                                 << QVariantList{QStringLiteral("2024-04-03")};
        QTest::newRow("blank") << "  " << "" << QVariantList{};
        // Refused, naming the file and quoting the formula.
        for (const char *malformed :
             {"{QRYRibodo.TKeiri} = '2", "{QRYRibodo.TKeiri} '2'", "{QRYRibodo.TKDate} = #2024/02/30#",
              "{QRYRibodo.TKDate} = #2024/02/03", "{SiteTbl.TNo} = 'A'", "{QRYRibodo.T Keiri} = '1'",
              "{QRYRibodo.TKeiri} = '1' OR 1 = 1", "{QRYRibodo.TKeiri} = '1'; DROP TABLE SiteTbl",
              "{QRYRibodo.TKeiri} = '1' -- x", "{QRYRibodo.TKeiri} =", "AND", "({QRYRibodo.TKeiri} = '1'"})
            QTest::addRow("refused: %s", malformed) << QString::fromUtf8(malformed) << "refused" << QVariantList{};
    }

    void formulaBecomesBoundCondition()
    {
        QFETCH(QString, formula);
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        try {
            const SqlCondition c = SelectionFormula::toSql(formula, QStringLiteral("QRYRibodo"), QStringLiteral("X.rpt"));
            QCOMPARE(c.sql, sql);
            QCOMPARE(c.values, values);
        } catch (const ReportError &e) {
            QCOMPARE(sql, QStringLiteral("refused"));
            QCOMPARE(e.file(), QStringLiteral("X.rpt"));
            QVERIFY(e.reason().contains(formula));
        }
    }
};

QTEST_MAIN(TestReportDefinition)
#include "tst_ReportDefinition.moc"
