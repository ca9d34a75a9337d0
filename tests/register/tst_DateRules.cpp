#include "register/AmountText.h"
#include "register/CodeItem.h"
#include "register/DateSerial.h"

#include <QtTest>

class TestDateRules : public QObject
{
    Q_OBJECT

private slots:
    void dateFromParts_data();
    void dateFromParts();
    void amount_data();
    void amount();
    void itemCodes_data();
    void itemCodes();
};

void TestDateRules::dateFromParts_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("plain") << "2024" << "4" << "15" << QDate(2024, 4, 15);
    QTest::newRow("leading zeros") << "2024" << "04" << "05" << QDate(2024, 4, 5);
    QTest::newRow("month 13 is January next year") << "2024" << "13" << "10" << QDate(2025, 1, 10);
    QTest::newRow("month 0 is December before") << "2024" << "0" << "1" << QDate(2023, 12, 1);
    QTest::newRow("day beyond the month carries") << "2023" << "2" << "30" << QDate(2023, 3, 2);
    QTest::newRow("day 0 is the last day before") << "2024" << "3" << "0" << QDate(2024, 2, 29);
    QTest::newRow("two-digit year, 2000s") << "24" << "1" << "1" << QDate(2024, 1, 1);
    QTest::newRow("two-digit year, 1900s") << "85" << "1" << "1" << QDate(1985, 1, 1);
    QTest::newRow("surrounding spaces") << " 2024 " << "1" << "1" << QDate(2024, 1, 1);
    QTest::newRow("empty year") << "" << "1" << "1" << QDate();
    QTest::newRow("empty day") << "2024" << "1" << "" << QDate();
    QTest::newRow("letters") << "2024" << "1a" << "1" << QDate();
    QTest::newRow("beyond 16 bits") << "2024" << "1" << "40000" << QDate();
    QTest::newRow("beyond year 9999") << "9999" << "13" << "1" << QDate();
    QTest::newRow("before year 100") << "100" << "1" << "0" << QDate();
}

void TestDateRules::dateFromParts()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QDate, expected);
    QCOMPARE(DateSerial::fromParts(year, month, day), expected);
}

void TestDateRules::amount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");

    QTest::newRow("digits") << "1234567" << true;
    QTest::newRow("digit groups") << "1,234,567" << true;
    QTest::newRow("decimals") << "1234.5" << true;
    QTest::newRow("sign") << "-500" << true;
    QTest::newRow("letters") << "12a" << false;
    QTest::newRow("only spaces") << "   " << false;
    QTest::newRow("inner space") << "1 000" << false;
    QTest::newRow("second decimal point") << "1.2.3" << false;
    QTest::newRow("exponent") << "1e5" << false;
    QTest::newRow("leading comma") << ",100" << false;
    QTest::newRow("full-width digits") << "１２３" << false;
}

void TestDateRules::amount()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QCOMPARE(AmountText::isNumber(text), isNumber);
}

void TestDateRules::itemCodes_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("savedCode");
    QTest::addColumn<bool>("positions");
    QTest::addColumn<QString>("positioningCode");

    QTest::newRow("code and name") << CodeItem::text(QStringLiteral("01"), QStringLiteral("中央銀行 本店"))
                                   << "01" << true << "01";
    QTest::newRow("no space") << "07" << "07" << false << "";
    QTest::newRow("leading space") << " 1 : x" << "" << true << "";
}

void TestDateRules::itemCodes()
{
    QFETCH(QString, item);
    QFETCH(QString, savedCode);
    QFETCH(bool, positions);
    QFETCH(QString, positioningCode);
    QCOMPARE(CodeItem::cutAtFirstSpace(item), savedCode);
    const std::optional<QString> code = CodeItem::positioningCode(item);
    QCOMPARE(code.has_value(), positions);
    if (positions)
        QCOMPARE(*code, positioningCode);
}

QTEST_APPLESS_MAIN(TestDateRules)
#include "tst_DateRules.moc"
