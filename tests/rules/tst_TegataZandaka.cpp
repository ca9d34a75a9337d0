#include "ServerRegister.h"
#include "TestDataFolder.h"

#include "calendar/BankCalendar.h"
#include "rules/TegataZandaka.h"

#include <QtTest>

// The balance of notes payable at a date around Sunday 31 March 2024, when
// notes due on Saturday 30 and Sunday 31 March are paid on Monday 1 April.
class TestTegataZandaka : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void balance_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("outstanding");
        QTest::addColumn<double>("paper");
        QTest::addColumn<double>("electronic");
        QTest::addColumn<QString>("reminders");
        QTest::newRow("Friday 29 March") << QDate(2024, 3, 29) << "A|C|D|R|V|X" << 600.0 << 200.0 << "B";
        QTest::newRow("Sunday 31 March") << QDate(2024, 3, 31) << "A|C|D|R|V|X" << 600.0 << 200.0 << "B";
        QTest::newRow("Monday 1 April") << QDate(2024, 4, 1) << "E|R|V" << 160.0 << 0.0 << "A|B|C|D|X";
        QTest::newRow("in the future") << QDate(2030, 1, 1) << "" << 0.0 << 0.0 << "A|B|C|D|E|X";
    }

    void balance()
    {
        QFETCH(QDate, date);
        TestDataFolder data;
        // Number, drawn, due, state (4 不渡り, 5 書換え, 3 決済済み), amount, kind (3 electronic).
        const QList<QList<const char *>> notes{
                {"A", "2024-01-31", "2024-03-31", "1", "100", "1"}, // due Sunday
                {"B", "2024-01-29", "2024-03-29", "1", "70", "1"},  // due Friday
                {"C", "2024-01-30", "2024-03-30", "1", "80", "1"},  // due Saturday
                {"D", "2024-02-01", "2024-04-01", "1", "300", "1"}, // due Monday
                {"X", "2024-02-01", "2024-04-01", "1", "200", "3"}, // electronic record
                {"E", "2024-04-01", "2024-05-31", "1", "40", "1"},  // drawn on Monday
                {"R", "2024-02-15", "2024-04-30", "4", "20", "1"},  // dishonoured: still owed
                {"V", "2024-02-15", "2024-05-10", "3", "100", "1"}, // marked settled early: the bank's day counts
                {"W", "2024-02-15", "2024-05-10", "5", "900", "1"}, // renewed: void
        };
        for (const QList<const char *> &n : notes)
            data.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, "
                                     "TCond, TRemarks, TKeiri) VALUES (?, ?, ?, '1', '100', ?, ?, '1', ?, '', '1')"),
                      {QString::fromUtf8(n.at(0)), QString::fromUtf8(n.at(1)), QString::fromUtf8(n.at(2)), QString::fromUtf8(n.at(4)).toDouble(), QString::fromUtf8(n.at(5)), QString::fromUtf8(n.at(3))});

        const TegataZandaka z = TegataZandaka::at(data.path(), date, BankCalendar(data.path()));
        QStringList numbers;
        for (const TegataZandaka::Note &n : z.notes) {
            numbers << n.number;
            QCOMPARE(n.dishonoured, n.number == QLatin1String("R"));
        }
        numbers.sort();
        QTEST(numbers.join(u'|'), "outstanding");
        QTEST(z.paperTotal(), "paper");
        QTEST(z.electronicTotal(), "electronic");
        QStringList reminders;
        for (const TegataZandaka::Note &n : z.reminders)
            reminders << n.number;
        reminders.sort();
        QTEST(reminders.join(u'|'), "reminders");
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestTegataZandaka)
#include "tst_TegataZandaka.moc"
