#include "ServerRegister.h"
#include "TestDataFolder.h"

#include "calendar/BankCalendar.h"
#include "exchange/UchiwakeCsv.h"
#include "rules/TegataZandaka.h"

#include <QtTest>

// The e-Tax CSV of the schedule of notes payable of a small register, byte
// for byte against files written by hand from the tax office's layout.
class TestUchiwakeCsv : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void schedule_data()
    {
        QTest::addColumn<bool>("electronic");
        QTest::addColumn<QString>("expected");
        QTest::newRow("paper notes") << false << "paper.csv";
        QTest::newRow("with electronic records") << true << "denshi.csv";
    }

    void schedule()
    {
        QFETCH(bool, electronic);
        QFETCH(QString, expected);
        TestDataFolder data;
        data.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', '中央銀行 本店'), ('2', 'みなと銀行駅前支店')"));
        const QList<QList<const char *>> suppliers{
                {"100", "株式会社山田製作所", "T7000012050002"}, {"110", "ｻﾄｳ商事", "4011001098993"},
                {"120", "鈴木金属", ""}, {"130", "高橋商事", "7000012050003"}, {"140", "山本,塗装", ""},
                {"150", "小林建設", ""}, {"160", "加藤紙工", ""}};
        for (const QList<const char *> &s : suppliers)
            data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName, ClTouroku) VALUES (?, ?, ?)"),
                      {QString::fromUtf8(s.at(0)), QString::fromUtf8(s.at(1)), QString::fromUtf8(s.at(2))});
        // Number, drawn, due, bank, payee, amount, kind ("3" an electronic record).
        const QList<QList<const char *>> notes{
                {"A1", "2025-01-31", "2025-04-30", "1", "100", "1500000", "1"},
                {"A2", "2025-02-28", "2025-05-30", "2", "100", "700000", "1"},
                {"B1", "2019-04-26", "2025-06-30", "1", "110", "900000", "1"},
                {"C1", "2025-03-10", "2025-05-09", "1", "120", "300000", "1"},
                {"D1", "2025-03-10", "2025-05-09", "2", "130", "200000", "1"},
                {"E1", "2025-03-14", "2025-05-14", "1", "140", "150000", "1"},
                {"F1", "2025-03-14", "2025-05-14", "1", "150", "100000", "1"},
                {"G1", "2025-03-21", "2025-05-21", "1", "160", "50000", "1"},
                {"X1", "2025-03-03", "2025-04-30", "1", "100", "1000000", "3"},
                {"P1", "2025-01-10", "2025-03-31", "1", "100", "800000", "1"},
                {"Q1", "2025-04-01", "2025-06-02", "1", "100", "600000", "1"}};
        for (const QList<const char *> &n : notes)
            data.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, "
                                     "TCond, TRemarks, TKeiri) VALUES (?, ?, ?, ?, ?, ?, ?, '1', '1', '', '1')"),
                      {QString::fromUtf8(n.at(0)), QString::fromUtf8(n.at(1)), QString::fromUtf8(n.at(2)), QString::fromUtf8(n.at(3)), QString::fromUtf8(n.at(4)), QString::fromUtf8(n.at(5)).toDouble(), QString::fromUtf8(n.at(6))});

        const TegataZandaka balance = TegataZandaka::at(data.path(), QDate(2025, 3, 31), BankCalendar(data.path()));
        const QString written = data.path() + UchiwakeCsv::fileName();
        QCOMPARE(UchiwakeCsv::write(UchiwakeSchedule::lines(balance.notes, electronic), written), 0);

        QCOMPARE(TestDataFolder::fileBytes(written),
                 TestDataFolder::fileBytes(QStringLiteral(RIBODO_UCHIWAKE_FILES "/") + expected));
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestUchiwakeCsv)
#include "tst_UchiwakeCsv.moc"
