#include "TestDataFolder.h"

#include "store/BankClass.h"
#include "store/StoreError.h"

#include <QtTest>

class TestBankClass : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void anyTableNumberOpensTheBankTable_data();
    void anyTableNumberOpensTheBankTable();
    void saveThenSearchGivesTheBankBack();
    void markers_data();
    void markers();
    void missLeavesTheEarlierLookUpInPlace();
    void editRecodesAndRewritesTheBalance_data();
    void editRecodesAndRewritesTheBalance();
    void changesOfAMissingCodeFailDeleteRemovesOne();
    void storedBalance_data();
    void storedBalance();
    void bZanText_data();
    void bZanText();

private:
    std::unique_ptr<BankClass> connected() const;
    QString rows() const;
    std::unique_ptr<TestDataFolder> m_folder;
};

void TestBankClass::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    m_folder->exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES "
                                  "('1', '中央銀行', 1500), ('2', 'X', 0), ('3', 'みなと銀行', 250.5)"));
}

void TestBankClass::cleanup()
{
    m_folder.reset();
}

std::unique_ptr<BankClass> TestBankClass::connected() const
{
    auto b = std::make_unique<BankClass>();
    b->setDirPath(m_folder->path());
    b->CntDb();
    return b;
}

QString TestBankClass::rows() const
{
    return m_folder->scalar(QStringLiteral("SELECT group_concat(KbnCode || '=' || KbnName || '=' || KbnZan, ';') "
                                           "FROM (SELECT * FROM kbn6 ORDER BY rowid)"))
            .toString();
}

void TestBankClass::anyTableNumberOpensTheBankTable_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("0") << 0;
    QTest::newRow("3") << 3;
    QTest::newRow("9") << 9;
    QTest::newRow("-1") << -1;
}

void TestBankClass::anyTableNumberOpensTheBankTable()
{
    QFETCH(int, number);
    BankClass b;
    b.setDirPath(m_folder->path());
    b.setKbnTblNo(qint16(number));
    b.CntDb();
    QCOMPARE(b.RsEd().recordCount(), 3);
    QCOMPARE(b.RsEd().value(QStringLiteral("KbnName")).toString(), QStringLiteral("中央銀行"));
}

void TestBankClass::saveThenSearchGivesTheBankBack()
{
    {
        auto b = connected();
        b->setKCode(QStringLiteral("9"));
        b->setKName(QStringLiteral("北関東銀行 高崎支店"));
        b->setBZan(QStringLiteral("1,234,567.5"));
        b->Mcsave();
    }
    QVERIFY(rows().endsWith(QStringLiteral(";9=北関東銀行 高崎支店=1234567.5")));
    auto b = connected();
    b->setKCode(QStringLiteral("9"));
    b->McEDsearch();
    QCOMPARE(b->KName(), QStringLiteral("北関東銀行 高崎支店"));
    QCOMPARE(b->BZan(), QStringLiteral("1234567.5"));
}

void TestBankClass::markers_data()
{
    QTest::addColumn<bool>("emptyTable");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("duplicate");
    QTest::addColumn<QString>("dispName");
    QTest::newRow("exists") << false << "3" << "x" << "みなと銀行";
    QTest::newRow("missing") << false << "4" << "" << "X";
    QTest::newRow("named X") << false << "2" << "x" << "X";
    QTest::newRow("quote") << false << "1' OR '1'='1" << "" << "X";
    QTest::newRow("empty table") << true << "1" << "" << "X";
}

void TestBankClass::markers()
{
    QFETCH(bool, emptyTable);
    QFETCH(QString, code);
    if (emptyTable)
        m_folder->exec(QStringLiteral("DELETE FROM kbn6"));
    QTEST(connected()->DuplicateCodeCheck(code).toString(), "duplicate");
    QTEST(connected()->DispName(code).toString(), "dispName");
}

void TestBankClass::missLeavesTheEarlierLookUpInPlace()
{
    auto b = connected();
    b->setKCode(QStringLiteral("1"));
    b->McEDsearch();
    QCOMPARE(b->BZan(), QStringLiteral("1500"));
    b->setKCode(QStringLiteral("3")); // stored after row 1: still found
    b->McEDsearch();
    QCOMPARE(b->BZan(), QStringLiteral("250.5"));
    b->setKCode(QStringLiteral("1")); // stored before row 3: not found any more
    b->McEDsearch();
    QCOMPARE(b->KCode(), QStringLiteral("X"));
    QCOMPARE(b->KName(), QStringLiteral("みなと銀行"));
    QCOMPARE(b->BZan(), QStringLiteral("250.5"));
}

void TestBankClass::editRecodesAndRewritesTheBalance_data()
{
    QTest::addColumn<QString>("newCode");
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("after");
    QTest::newRow("balance never set") << "1" << "" << "1=本店=0.0;2=X=0.0;3=みなと銀行=250.5";
    QTest::newRow("new code and balance") << "7" << "9,000" << "7=本店=9000.0;2=X=0.0;3=みなと銀行=250.5";
}

void TestBankClass::editRecodesAndRewritesTheBalance()
{
    QFETCH(QString, newCode);
    QFETCH(QString, balance);
    auto b = connected();
    b->setKCode2(QStringLiteral("1"));
    b->setKCode(newCode);
    b->setKName(QStringLiteral("本店"));
    if (!balance.isEmpty())
        b->setBZan(balance);
    b->Mcedit();
    QTEST(rows(), "after");
}

void TestBankClass::changesOfAMissingCodeFailDeleteRemovesOne()
{
    const QString before = rows();
    auto b = connected();
    b->setKCode2(QStringLiteral("4"));
    QVERIFY_THROWS_EXCEPTION(StoreError, b->Mcedit());
    QVERIFY_THROWS_EXCEPTION(StoreError, connected()->Mcdelete());
    QCOMPARE(rows(), before);
    b = connected();
    b->setKCode2(QStringLiteral("2"));
    b->Mcdelete();
    QCOMPARE(rows(), QStringLiteral("1=中央銀行=1500.0;3=みなと銀行=250.5"));
}

void TestBankClass::storedBalance_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("balance");
    QTest::newRow("null") << QVariant() << true << "0";
    QTest::newRow("blank text") << QVariant(QStringLiteral(" ")) << true << "0";
    QTest::newRow("grouped text") << QVariant(QStringLiteral("1,200")) << true << "1200";
    QTest::newRow("no number") << QVariant(QStringLiteral("abc")) << false << "77";
}

void TestBankClass::storedBalance()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, valid);
    m_folder->exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('5', 'odd', ?)"), {stored});
    auto b = connected();
    b->setBZan(QStringLiteral("77"));
    b->setKCode(QStringLiteral("5"));
    if (valid) {
        b->McEDsearch();
        QCOMPARE(b->KName(), QStringLiteral("odd"));
    } else {
        QVERIFY_THROWS_EXCEPTION(StoreError, b->McEDsearch());
        QCOMPARE(b->KName(), QString());
    }
    QTEST(b->BZan(), "balance");
}

void TestBankClass::bZanText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("plain") << "1234567" << true << "1234567";
    QTest::newRow("separators") << "1,234,567" << true << "1234567";
    QTest::newRow("negative decimal") << "-1,000.25" << true << "-1000.25";
    QTest::newRow("zero") << "0" << true << "0";
    QTest::newRow("empty is refused") << "" << false << "5";
    QTest::newRow("letters are refused") << "5万" << false << "5";
}

void TestBankClass::bZanText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, readBack);
    BankClass b;
    b.setBZan(QStringLiteral("5"));
    if (!valid)
        QVERIFY_THROWS_EXCEPTION(StoreError, b.setBZan(text));
    else
        b.setBZan(text);
    QCOMPARE(b.BZan(), readBack);
}

QTEST_GUILESS_MAIN(TestBankClass)
#include "tst_BankClass.moc"
