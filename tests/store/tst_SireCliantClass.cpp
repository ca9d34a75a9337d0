#include "TestDataFolder.h"

#include "store/SireCliantClass.h"
#include "store/StoreError.h"

#include <QtTest>

class TestSireCliantClass : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveThenSearchGivesEveryColumnBack();
    void searchMarksAMissingCode_data();
    void searchMarksAMissingCode();
    void searchSkipsNullAndUnreadableColumns();
    void secondSearchStartsWhereTheFirstStopped();
    void codeCheckAndNameDisplay_data();
    void codeCheckAndNameDisplay();
    void editRecodesFromAllProperties();
    void refusedChangesWriteNothing_data();
    void refusedChangesWriteNothing();
    void deleteRemovesOnlyThatRow();
    void rowsetReadsTheTableInOrder();

private:
    std::unique_ptr<SireCliantClass> connected() const;
    void addSupplier(const QString &code, const QString &name) const;
    QString codes() const;
    std::unique_ptr<TestDataFolder> m_folder;
};

void TestSireCliantClass::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    addSupplier(QStringLiteral("100"), QStringLiteral("山田製作所"));
    addSupplier(QStringLiteral("110"), QStringLiteral("X"));
    addSupplier(QStringLiteral("O'B"), QStringLiteral("オブライエン商会"));
}

void TestSireCliantClass::cleanup()
{
    m_folder.reset();
}

std::unique_ptr<SireCliantClass> TestSireCliantClass::connected() const
{
    auto s = std::make_unique<SireCliantClass>();
    s->setDirPath(m_folder->path());
    s->CntDb();
    return s;
}

void TestSireCliantClass::addSupplier(const QString &code, const QString &name) const
{
    m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName, ClPdName, ClYomigana, clAddress1, claddress2, "
                                  "claddress3, claddress4, clzip, cltel, clfax, ClSime, ClZan, Clpay, ClTokuiKbn) "
                                  "VALUES (?, ?, 'boss', 'yomi', 'a1', 'a2', 'a3', 'a4', 'zip', 'tel', 'fax', '20', 500, '31', 2)"),
                   {code, name});
}

QString TestSireCliantClass::codes() const
{
    return m_folder->scalar(QStringLiteral("SELECT group_concat(ClCode, ',') FROM (SELECT ClCode FROM SireCliant ORDER BY rowid)")).toString();
}

void TestSireCliantClass::saveThenSearchGivesEveryColumnBack()
{
    {
        auto s = connected();
        s->setCliantCode(QStringLiteral("200"));
        s->setCliantname(QStringLiteral("鈴木金属"));
        s->setCliantPdName(QStringLiteral("鈴木 一郎"));
        s->setCliantYomigana(QStringLiteral("すずききんぞく"));
        s->setAds1(QStringLiteral("埼玉県"));
        s->setAds2(QStringLiteral("川口市"));
        s->setAds3(QStringLiteral("本町"));
        s->setAds4(QStringLiteral("2-8-10"));
        s->setZipCd(QStringLiteral("332-0012"));
        s->setClTelNo(QStringLiteral("048-222-0003"));
        s->setClFaxNo(QStringLiteral("048-222-0903"));
        s->setClSimeBi(QStringLiteral("31"));
        s->setClSeikyuZan(1234567.5);
        s->setClKaisyuYotei(QStringLiteral("10"));
        s->setSClKbn(3);
        s->SaveRs();
    }
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT ClTokuiKbn FROM SireCliant WHERE ClCode = '200'")).toInt(), 3);
    auto s = connected();
    s->setCliantCode(QStringLiteral("200"));
    s->SearchRs();
    const QStringList texts{s->CliantCode(), s->Cliantname(), s->CliantPdName(), s->CliantYomigana(), s->Ads1(),
                            s->Ads2(), s->Ads3(), s->Ads4(), s->ZipCd(), s->ClTelNo(), s->ClFaxNo(),
                            s->ClSimeBi(), s->ClKaisyuYotei()};
    QCOMPARE(texts.join(QLatin1Char('|')),
             QStringLiteral("200|鈴木金属|鈴木 一郎|すずききんぞく|埼玉県|川口市|本町|2-8-10|332-0012|048-222-0003|048-222-0903|31|10"));
    QCOMPARE(s->ClSeikyuZan(), 1234567.5);
    QCOMPARE(s->SClKbn(), qint16(3));
}

void TestSireCliantClass::searchMarksAMissingCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("name");
    QTest::newRow("exists") << "O'B" << "O'B" << "オブライエン商会";
    QTest::newRow("missing") << "999" << "X" << "kept";
    QTest::newRow("a quote never loads the first row") << "9' OR '1'='1" << "X" << "kept";
    QTest::newRow("empty code") << "" << "X" << "kept";
}

void TestSireCliantClass::searchMarksAMissingCode()
{
    QFETCH(QString, code);
    auto s = connected();
    s->setCliantname(QStringLiteral("kept"));
    s->setClSeikyuZan(7);
    s->setCliantCode(code);
    s->SearchRs();
    QTEST(s->CliantCode(), "after");
    QTEST(s->Cliantname(), "name");
    QCOMPARE(s->ClSeikyuZan(), s->CliantCode() == QLatin1String("X") ? 7.0 : 500.0);
}

void TestSireCliantClass::searchSkipsNullAndUnreadableColumns()
{
    m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName, cltel, clfax, ClZan, ClTokuiKbn) "
                                  "VALUES ('300', 'no phone', NULL, '', 'abc', NULL)"));
    auto s = connected();
    s->setClSeikyuZan(9);
    s->setSClKbn(4);
    s->setCliantCode(QStringLiteral("300"));
    s->SearchRs();
    QCOMPARE(s->Cliantname(), QStringLiteral("no phone"));
    QCOMPARE(s->ClTelNo(), QString());
    QCOMPARE(s->ClFaxNo(), QString());
    QCOMPARE(s->ClSeikyuZan(), 9.0);
    QCOMPARE(s->SClKbn(), qint16(4));
}

void TestSireCliantClass::secondSearchStartsWhereTheFirstStopped()
{
    auto s = connected();
    s->setCliantCode(QStringLiteral("110"));
    s->SearchRs();
    QCOMPARE(s->Cliantname(), QStringLiteral("X"));
    s->setCliantCode(QStringLiteral("100"));
    s->SearchRs();
    QCOMPARE(s->CliantCode(), QStringLiteral("X"));
    QCOMPARE(s->CliantNameDisplay(QStringLiteral("O'B")).toString(), QStringLiteral("X")); // nothing after the end
}

void TestSireCliantClass::codeCheckAndNameDisplay_data()
{
    QTest::addColumn<bool>("emptyTable");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("name");
    QTest::newRow("exists") << false << "100" << "X" << "山田製作所";
    QTest::newRow("missing") << false << "101" << "" << "X";
    QTest::newRow("named X") << false << "110" << "X" << "X";
    QTest::newRow("quote") << false << "O'B" << "X" << "オブライエン商会";
    QTest::newRow("empty table") << true << "100" << "" << "X";
}

void TestSireCliantClass::codeCheckAndNameDisplay()
{
    QFETCH(bool, emptyTable);
    QFETCH(QString, code);
    if (emptyTable)
        m_folder->exec(QStringLiteral("DELETE FROM SireCliant"));
    QTEST(connected()->CliantCodeCheck(code).toString(), "check");
    QTEST(connected()->CliantNameDisplay(code).toString(), "name");
}

void TestSireCliantClass::editRecodesFromAllProperties()
{
    auto s = connected();
    s->setCliantCode2(QStringLiteral("100"));
    s->setCliantCode(QStringLiteral("200"));
    s->setCliantname(QStringLiteral("新社名"));
    s->EditRs();
    QCOMPARE(codes(), QStringLiteral("200,110,O'B"));
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT ClName || '|' || ClPdName || '|' || cltel || '|' || ClZan || '|' || ClTokuiKbn "
                                             "FROM SireCliant WHERE ClCode = '200'"))
                     .toString(),
             QStringLiteral("新社名|||0.0|0"));
}

void TestSireCliantClass::refusedChangesWriteNothing_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("code2");
    QTest::addColumn<QString>("code");
    QTest::newRow("edit to a taken code") << true << "100" << "110";
    QTest::newRow("edit of a missing code") << true << "999" << "999";
    QTest::newRow("delete of a missing code") << false << "999" << "999";
}

void TestSireCliantClass::refusedChangesWriteNothing()
{
    QFETCH(bool, edit);
    QFETCH(QString, code2);
    QFETCH(QString, code);
    auto s = connected();
    s->setCliantCode2(code2);
    s->setCliantCode(code);
    s->setCliantname(QStringLiteral("changed"));
    if (edit)
        QVERIFY_THROWS_EXCEPTION(StoreError, s->EditRs());
    else
        QVERIFY_THROWS_EXCEPTION(StoreError, s->DeleteRs());
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(ClCode || '=' || ClName, ',') FROM (SELECT * FROM SireCliant ORDER BY rowid)")).toString(),
             QStringLiteral("100=山田製作所,110=X,O'B=オブライエン商会"));
}

void TestSireCliantClass::deleteRemovesOnlyThatRow()
{
    auto s = connected();
    s->setCliantCode(QStringLiteral("100")); // only CliantCode2 chooses the row
    s->setCliantCode2(QStringLiteral("O'B"));
    s->DeleteRs();
    QCOMPARE(codes(), QStringLiteral("100,110"));
}

void TestSireCliantClass::rowsetReadsTheTableInOrder()
{
    auto s = connected();
    Recordset &rs = s->RsMcds();
    QStringList seen;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        seen << rs.value(QStringLiteral("ClCode")).toString();
    QCOMPARE(seen.join(QLatin1Char(',')), codes());
}

QTEST_GUILESS_MAIN(TestSireCliantClass)
#include "tst_SireCliantClass.moc"
