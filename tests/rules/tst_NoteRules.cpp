#include "rules/NoteRules.h"
#include "rules/TourokuBangou.h"

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

    // A paying bank's own last dates: the day itself is still fine.
    void bankDates_data()
    {
        QTest::addColumn<QDate>("drawn");
        QTest::addColumn<QDate>("due");
        QTest::addColumn<bool>("electronic");
        QTest::addColumn<QString>("reasons");
        QTest::newRow("on both days") << QDate(2026, 9, 30) << QDate(2026, 11, 27) << false << "";
        QTest::newRow("drawn the day after") << QDate(2026, 10, 1) << QDate(2026, 11, 27) << false << "銀行の最終振出日後";
        QTest::newRow("due the day after") << QDate(2026, 9, 30) << QDate(2026, 11, 28) << false << "銀行の決済最終日後";
        QTest::newRow("electronic record") << QDate(2026, 10, 1) << QDate(2026, 10, 30) << true << "";
    }

    void bankDates()
    {
        QFETCH(QDate, drawn);
        QFETCH(QDate, due);
        QFETCH(bool, electronic);
        const NoteRules::BankDates bank{QDate(2026, 9, 30), QDate(2026, 11, 27)};
        QStringList reasons;
        for (const NoteRules::Warning &w : NoteRules::warnings(drawn, due, electronic, false, bank))
            reasons << w.reason;
        QTEST(reasons.join(u'|'), "reasons");
    }

    // Published corporate numbers (the NTA's own first) and numbers one
    // slip away from them; typed forms are normalized first.
    void touroku_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("valid");
        QTest::newRow("NTA") << "7000012050002" << "7000012050002" << true;
        QTest::newRow("NTA, registration number") << "T7000012050002" << "T7000012050002" << true;
        QTest::newRow("full width, hyphens") << "Ｔ７０００-０１２０-５０００２" << "T7000012050002" << true;
        QTest::newRow("small t, spaces") << "t 7000 0120 50002" << "T7000012050002" << true;
        QTest::newRow("published 4011001098993") << "4011001098993" << "4011001098993" << true;
        QTest::newRow("published 2120901007402") << "2120901007402" << "2120901007402" << true;
        QTest::newRow("wrong check digit") << "6000012050002" << "6000012050002" << false;
        QTest::newRow("one digit changed") << "7000012050003" << "7000012050003" << false;
        QTest::newRow("two digits swapped") << "7000021050002" << "7000021050002" << false;
        QTest::newRow("12 digits") << "700001205000" << "700001205000" << false;
        QTest::newRow("14 digits") << "70000120500020" << "70000120500020" << false;
        QTest::newRow("letter inside") << "70000120A0002" << "70000120A0002" << false;
        QTest::newRow("check digit 0") << "0000012050002" << "0000012050002" << false;
    }

    void touroku()
    {
        QFETCH(QString, typed);
        QFETCH(QString, number);
        QCOMPARE(TourokuBangou::normalized(typed), number);
        QTEST(TourokuBangou::isValid(number), "valid");
    }
};

QTEST_MAIN(TestNoteRules)
#include "tst_NoteRules.moc"
