#include "rules/NoteRules.h"

#include <QtTest>

// The stamp duty and the warnings of a note at the edges of their bands.
class TestNoteRules : public QObject
{
    Q_OBJECT

private slots:
    void stampDuty_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("electronic");
        QTest::addColumn<qint64>("duty");
        QTest::newRow("99,999") << 99'999.0 << false << qint64(0);
        QTest::newRow("100,000") << 100'000.0 << false << qint64(200);
        QTest::newRow("1,000,000") << 1'000'000.0 << false << qint64(200);
        QTest::newRow("1,000,001") << 1'000'001.0 << false << qint64(400);
        QTest::newRow("10,000,000") << 10'000'000.0 << false << qint64(2'000);
        QTest::newRow("500,000,000") << 500'000'000.0 << false << qint64(100'000);
        QTest::newRow("1,000,000,000") << 1'000'000'000.0 << false << qint64(150'000);
        QTest::newRow("1,000,000,001") << 1'000'000'001.0 << false << qint64(200'000);
        QTest::newRow("electronic record") << 5'000'000.0 << true << qint64(0);
    }

    void stampDuty()
    {
        QFETCH(double, amount);
        QFETCH(bool, electronic);
        QTEST(NoteRules::stampDuty(amount, electronic), "duty");
    }

    void warnings_data()
    {
        QTest::addColumn<QDate>("drawn");
        QTest::addColumn<QDate>("due");
        QTest::addColumn<bool>("electronic");
        QTest::addColumn<bool>("covered");
        QTest::addColumn<int>("term");
        QTest::addColumn<QString>("reasons");
        const QDate may(2025, 5, 1);
        QTest::newRow("term 60") << may << may.addDays(60) << false << false << 60 << "";
        QTest::newRow("term 61") << may << may.addDays(61) << false << false << 61 << "60日超";
        // The 60-day guidance of November 2024 covers electronic records too.
        QTest::newRow("electronic, term 61") << may << may.addDays(61) << true << false << 61 << "60日超";
        QTest::newRow("term 61, drawn 2024-10-31") << QDate(2024, 10, 31) << QDate(2024, 12, 31) << false << false << 61
                                                   << "";
        QTest::newRow("term 61, drawn 2024-11-01") << QDate(2024, 11, 1) << QDate(2025, 1, 1) << false << false << 61
                                                   << "60日超";
        // A covered supplier may take an electronic record it can turn into
        // cash within 60 days.
        QTest::newRow("electronic, covered, term 60") << QDate(2026, 1, 5) << QDate(2026, 3, 6) << true << true << 60
                                                      << "";
        QTest::newRow("electronic, covered, term 61") << QDate(2026, 1, 5) << QDate(2026, 3, 7) << true << true << 61
                                                      << "60日超|取適法対象先: 60日超";
        QTest::newRow("due 2027-03-31") << QDate(2027, 2, 1) << QDate(2027, 3, 31) << false << false << 58 << "";
        QTest::newRow("due 2027-04-01") << QDate(2027, 2, 1) << QDate(2027, 4, 1) << false << false << 59
                                        << "2027年4月以降期日";
        QTest::newRow("electronic, due 2027-04-01") << QDate(2027, 2, 1) << QDate(2027, 4, 1) << true << true << 59 << "";
        QTest::newRow("covered, drawn 2025-12-31") << QDate(2025, 12, 31) << QDate(2026, 2, 27) << false << true << 58
                                                   << "";
        QTest::newRow("covered, drawn 2026-01-01") << QDate(2026, 1, 1) << QDate(2026, 2, 27) << false << true << 57
                                                   << "取適法対象先";
        QTest::newRow("all three") << QDate(2027, 1, 4) << QDate(2027, 4, 30) << false << true << 116
                                   << "60日超|2027年4月以降期日|取適法対象先";
        QTest::newRow("no drawing date") << QDate() << QDate(2027, 4, 30) << false << true << 0 << "2027年4月以降期日";
    }

    void warnings()
    {
        QFETCH(QDate, drawn);
        QFETCH(QDate, due);
        QFETCH(bool, electronic);
        QFETCH(bool, covered);
        QTEST(NoteRules::termDays(drawn, due), "term");
        QStringList reasons;
        for (const NoteRules::Warning &w : NoteRules::warnings(drawn, due, electronic, covered))
            reasons << w.reason;
        QTEST(reasons.join(u'|'), "reasons");
    }
};

QTEST_MAIN(TestNoteRules)
#include "tst_NoteRules.moc"
