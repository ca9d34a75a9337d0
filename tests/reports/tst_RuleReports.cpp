#include "ReportTestData.h"
#include "TestDataFolder.h"

#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "store/DataFolderBuilder.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Reports 14 (stamp duties) and 15 (notes that need attention).
class TestRuleReports : public QObject
{
    Q_OBJECT

private:
    // Note kind 3 is the electronic record; payee 110 is covered by the
    // subcontract law.
    static void addNotes(const TestDataFolder &folder, std::initializer_list<const char *> rows)
    {
        folder.exec(QStringLiteral("UPDATE kbn1 SET KbnDenshi = (KbnCode = '3')"));
        folder.exec(QStringLiteral("UPDATE SireCliant SET ClTekiho = (ClCode = '110')"));
        for (const char *row : rows) {
            const QStringList v = QString::fromUtf8(row).split(QLatin1Char(' '));
            folder.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TKingaku, TKubun, TTo, TCond, TBank, "
                                       "TYoto, TKeiri) VALUES (?, ?, ?, ?, ?, ?, ?, '1', '1', '1')"),
                        {v.at(0), v.at(1), v.at(2), v.at(3).toDouble(), v.at(4), v.at(5), v.at(6)});
        }
    }

private slots:
    void stampDutiesPerMonth()
    {
        TestDataFolder folder;
        ReportTestData::addMasters(folder);
        addNotes(folder, {"S3 2026-04-30 2026-06-30 1000001 1 100 1", "S1 2026-04-03 2026-05-29 99999 1 110 3",
                          "S2 2026-04-15 2026-06-15 100000 2 120 1", "E1 2026-04-10 2026-06-10 5000000 3 100 1",
                          "S4 2026-05-01 2026-06-30 50000000 1 100 1", "S5 2026-03-31 2026-05-29 300000 1 100 1",
                          "S6 2026-06-01 2026-07-31 300000 1 100 1"});
        const auto d = ReportEngine::build(ReportEngine::catalogueRequest(
                14, ReportTestData::reportFolder(), folder.path(), u"2026/04/01"_s, QString(), u"2026/05/31"_s));
        QCOMPARE(d->page(0).title, u"印紙税額一覧"_s);
        QCOMPARE(d->page(0).subtitle, u"振出日　2026/04/01 ～ 2026/05/31"_s);
        QCOMPARE(ReportTestData::headings(d->page(0)), ReportTestData::texts({"振出日", "手形番号", "振出先", "決済日", "金額", "印紙税額"}));
        // The electronic record and the notes drawn outside the period are left out.
        QCOMPARE(ReportTestData::render(*d),
                 ReportTestData::texts({"H:振出月　2026/04", "2026/04/03|S1|佐藤工業|2026/05/29|99,999|0",
                                        "2026/04/15|S2|鈴木金属|2026/06/15|100,000|200",
                                        "2026/04/30|S3|山田製作所|2026/06/30|1,000,001|400",
                                        "F:2026/04　小計　3 件|||||1,200,000|600", "H:振出月　2026/05",
                                        "2026/05/01|S4|山田製作所|2026/06/30|50,000,000|10,000",
                                        "F:2026/05　小計　1 件|||||50,000,000|10,000",
                                        "T:合計　4 件|||||51,200,000|10,600"}));
    }

    void warningsWithReasons()
    {
        TestDataFolder folder;
        ReportTestData::addMasters(folder);
        addNotes(folder, {"W1 2026-01-05 2026-03-31 1000 1 100 1", "W2 2027-02-01 2027-04-01 2000 1 100 2",
                          "W3 2026-01-01 2026-02-28 3000 1 110 1", "W4 2026-02-01 2027-04-30 4000 2 110 1",
                          "X1 2026-01-05 2026-06-30 1000 1 100 3", "X2 2026-01-05 2027-06-30 1000 3 110 1",
                          "X3 2025-12-31 2026-02-27 1000 1 110 1", "X4 2026-03-02 2026-05-01 1000 1 100 1"});
        const auto d = ReportEngine::build(ReportTestData::request(15, folder));
        QCOMPARE(d->page(0).title, u"要注意手形一覧"_s);
        QCOMPARE(ReportTestData::headings(d->page(0)).join(QLatin1Char('|')),
                 u"手形番号|振出日|決済日|サイト(日)|振出先|金額|状態|注意する理由"_s);
        // Settled, electronic, drawn before the law, 60 days: no warning.
        QCOMPARE(ReportTestData::render(*d),
                 ReportTestData::texts({"W3|2026/01/01|2026/02/28|58|佐藤工業|3,000|未決済|取適法対象先",
                                        "W1|2026/01/05|2026/03/31|85|山田製作所|1,000|未決済|60日超",
                                        "W2|2027/02/01|2027/04/01|59|山田製作所|2,000|期日到来|2027年4月以降期日",
                                        "W4|2026/02/01|2027/04/30|453|佐藤工業|4,000|未決済|"
                                        "60日超、2027年4月以降期日、取適法対象先",
                                        "T:合計　4 件||||||10,000||"}));
    }

    void rendersDemoData()
    {
        TestDataFolder folder;
        DataFolderBuilder::addDemoData(folder.path(), 400, QDate(2026, 12, 6));
        // Electronic records, each numbered as such.
        QVERIFY(folder.scalar(u"SELECT count(*) FROM SiteTbl WHERE TKubun = '3'"_s).toInt() >= 40);
        QCOMPARE(folder.scalar(u"SELECT count(*) FROM SiteTbl WHERE TKubun = '3' AND (length(TNo) <> 20 "
                                 "OR TNo GLOB '*[^0-9A-Z]*')"_s).toInt(), 0);
        const auto duties = ReportEngine::build(ReportEngine::catalogueRequest(
                14, ReportTestData::reportFolder(), folder.path(), u"2026/01/01"_s, QString(), u"2026/12/31"_s));
        QVERIFY(duties->rowCount() > 100);
        QVERIFY(duties->pageCount() > 1);
        const QString watched = ReportTestData::render(*ReportEngine::build(ReportTestData::request(15, folder)))
                                        .join(QLatin1Char('\n'));
        for (const char *reason : {"60日超", "2027年4月以降期日", "取適法対象先"})
            QVERIFY2(watched.contains(QString::fromUtf8(reason)), reason);
    }
};

QTEST_MAIN(TestRuleReports)
#include "tst_RuleReports.moc"
