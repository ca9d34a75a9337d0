#include "register/DateTextBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

class TestDateTextBox : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typing_data();
    void typing();
    void backspaceMovesBack();
    void partsAsTexts();

private:
    std::unique_ptr<DateTextBox> m_box;
};

void TestDateTextBox::init()
{
    m_box = std::make_unique<DateTextBox>();
    m_box->show();
    m_box->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_box.get()));
    m_box->setFocus();
    QCOMPARE(QApplication::focusWidget(), m_box->yearPart());
}

void TestDateTextBox::cleanup()
{
    m_box.reset();
}

void TestDateTextBox::typing_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");

    QTest::newRow("full parts move on") << "20240415" << "2024" << "04" << "15";
    QTest::newRow("separators move on") << "2024/4/5" << "2024" << "4" << "5";
    QTest::newRow("only digits") << "2a0b2x4q" << "2024" << "" << "";
    QTest::newRow("day stays full") << "202412319" << "2024" << "12" << "31";
}

void TestDateTextBox::typing()
{
    QFETCH(QString, keys);
    QTest::keyClicks(static_cast<QWidget *>(nullptr), keys);
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QCOMPARE(m_box->Year(), year);
    QCOMPARE(m_box->Month(), month);
    QCOMPARE(m_box->Day(), day);
}

void TestDateTextBox::backspaceMovesBack()
{
    QTest::keyClicks(static_cast<QWidget *>(nullptr), QStringLiteral("20240415"));
    QCOMPARE(QApplication::focusWidget(), m_box->dayPart());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Backspace);
    QCOMPARE(m_box->Day(), QString());
    QCOMPARE(QApplication::focusWidget(), m_box->monthPart());
    QCOMPARE(m_box->Month(), QStringLiteral("04"));
    QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Backspace);
    QCOMPARE(m_box->Month(), QStringLiteral("0"));
    QTest::keyClicks(static_cast<QWidget *>(nullptr), QStringLiteral("9"));
    QCOMPARE(QApplication::focusWidget(), m_box->dayPart());
}

void TestDateTextBox::partsAsTexts()
{
    m_box->setDate(QDate(2025, 1, 6));
    QCOMPARE(m_box->Year(), QStringLiteral("2025"));
    QCOMPARE(m_box->Month(), QStringLiteral("1"));
    QCOMPARE(m_box->Day(), QStringLiteral("6"));
    m_box->setMonth(QStringLiteral("13"));
    QCOMPARE(m_box->Month(), QStringLiteral("13"));
    m_box->clear();
    QVERIFY(m_box->Year().isEmpty() && m_box->Month().isEmpty() && m_box->Day().isEmpty());
}

QTEST_MAIN(TestDateTextBox)
#include "tst_DateTextBox.moc"
