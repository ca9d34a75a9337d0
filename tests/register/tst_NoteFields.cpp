#include "register/CodeItem.h"
#include "register/DateSerial.h"
#include "register/DateTextBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

#include <array>

// The date box as it is typed into, and the rules the note's dates and list
// items are read by.
class TestNoteFields : public QObject
{
    Q_OBJECT

private slots:
    void typing_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("parts");
        QTest::addColumn<int>("focus"); // 0 year, 1 month, 2 day

        QTest::newRow("full parts move on") << "20240415" << "2024/04/15" << 2;
        QTest::newRow("separators move on") << "2024/4/5" << "2024/4/5" << 2;
        QTest::newRow("only digits") << "2a0b2x4q" << "2024//" << 1;
        QTest::newRow("day stays full") << "202412319" << "2024/12/31" << 2;
        // Backspace in an empty day goes back to the month without deleting there.
        QTest::newRow("backspace goes back") << "20240415\b\b\b" << "2024/04/" << 1;
        QTest::newRow("backspace then retype") << "20240415\b\b\b\b9" << "2024/09/" << 2;
    }

    void typing()
    {
        QFETCH(QString, keys);
        QFETCH(int, focus);

        DateTextBox box;
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        box.setFocus();
        QTest::keyClicks(static_cast<QWidget *>(nullptr), keys);
        QTEST(QStringList({box.Year(), box.Month(), box.Day()}).join(QLatin1Char('/')), "parts");
        const std::array<QLineEdit *, 3> part {box.yearPart(), box.monthPart(), box.dayPart()};
        QCOMPARE(QApplication::focusWidget(), part.at(focus));
    }

    void dateFromParts_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QDate>("expected");

        QTest::newRow("leading zeros") << "2024" << "04" << "05" << QDate(2024, 4, 5);
        QTest::newRow("month 0 is December before") << "2024" << "0" << "1" << QDate(2023, 12, 1);
        QTest::newRow("day beyond the month carries") << "2023" << "2" << "30" << QDate(2023, 3, 2);
        QTest::newRow("day 0 is the last day before") << "2024" << "3" << "0" << QDate(2024, 2, 29);
        QTest::newRow("two-digit year, 2000s") << "24" << "1" << "1" << QDate(2024, 1, 1);
        QTest::newRow("two-digit year, 1900s") << "85" << "1" << "1" << QDate(1985, 1, 1);
        QTest::newRow("surrounding spaces") << " 2024 " << "1" << "1" << QDate(2024, 1, 1);
        QTest::newRow("letters") << "2024" << "1a" << "1" << QDate();
        QTest::newRow("beyond 16 bits") << "2024" << "1" << "40000" << QDate();
        QTest::newRow("before year 100") << "100" << "1" << "0" << QDate();
    }

    void dateFromParts()
    {
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(QString, day);
        QTEST(DateSerial::fromParts(year, month, day), "expected");
    }

    void itemCodes()
    {
        // Saved: the text before the first space, or all of it; positioned on: none without a space.
        const QString item = CodeItem::text(QStringLiteral("01"), QStringLiteral("中央銀行 本店"));
        QCOMPARE(CodeItem::cutAtFirstSpace(item), QStringLiteral("01"));
        QCOMPARE(CodeItem::positioningCode(item).value_or(QString()), QStringLiteral("01"));
        QCOMPARE(CodeItem::cutAtFirstSpace(QStringLiteral("07")), QStringLiteral("07"));
        QVERIFY(!CodeItem::positioningCode(QStringLiteral("07")));
        QCOMPARE(CodeItem::cutAtFirstSpace(QStringLiteral(" 1 : x")), QString());
        QCOMPARE(CodeItem::positioningCode(QStringLiteral(" 1 : x")).value_or(QStringLiteral("none")), QString());
    }
};

QTEST_MAIN(TestNoteFields)
#include "tst_NoteFields.moc"
