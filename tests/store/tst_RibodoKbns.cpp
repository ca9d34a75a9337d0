#include "TestDataFolder.h"

#include "store/RibodoKbns.h"
#include "store/StoreError.h"

#include <QtTest>

class TestRibodoKbns : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tableNumberSelectsTheTable_data();
    void tableNumberSelectsTheTable();
    void tableNumberOutOfRangeOpensNoTable_data();
    void tableNumberOutOfRangeOpensNoTable();
    void saveAppendsARow();
    void markers_data();
    void markers();
    void secondSearchStartsWhereTheFirstStopped_data();
    void secondSearchStartsWhereTheFirstStopped();
    void editRewritesOrRecodes_data();
    void editRewritesOrRecodes();
    void refusedChangesWriteNothing_data();
    void refusedChangesWriteNothing();
    void deleteRemovesOnlyThatRow();
    void nullNameReadsAsEmpty();

private:
    std::unique_ptr<RibodoKbns> connected(qint16 table = 0) const;
    QString rows() const;
    std::unique_ptr<TestDataFolder> m_folder;
};

void TestRibodoKbns::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    m_folder->exec(QStringLiteral("DELETE FROM kbn1"));
    for (const auto &[code, name] : {std::pair{"A", "Alpha"}, {"B", "X"}, {"C", "Gamma"}, {"O'K", "Quote"}})
        m_folder->exec(QStringLiteral("INSERT INTO kbn1 (KbnCode, KbnName) VALUES (?, ?)"),
                       {QLatin1String(code), QLatin1String(name)});
}

void TestRibodoKbns::cleanup()
{
    m_folder.reset();
}

std::unique_ptr<RibodoKbns> TestRibodoKbns::connected(qint16 table) const
{
    auto k = std::make_unique<RibodoKbns>();
    k->setDirPath(m_folder->path());
    k->setKbnTblNo(table);
    k->CntDb();
    return k;
}

QString TestRibodoKbns::rows() const
{
    return m_folder->scalar(QStringLiteral("SELECT group_concat(KbnCode || '=' || IFNULL(KbnName, ''), ';') FROM (SELECT * FROM kbn1 ORDER BY rowid)"))
            .toString();
}

void TestRibodoKbns::tableNumberSelectsTheTable_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("table");
    QTest::newRow("0 note kind") << 0 << "kbn1";
    QTest::newRow("1 purpose") << 1 << "kbn2";
    QTest::newRow("2 note state") << 2 << "Kbn3";
    QTest::newRow("3 accounting") << 3 << "Kbn4";
    QTest::newRow("4 supplier kind") << 4 << "Kbn5";
}

void TestRibodoKbns::tableNumberSelectsTheTable()
{
    QFETCH(int, number);
    QFETCH(QString, table);
    m_folder->exec(QStringLiteral("INSERT INTO %1 (KbnCode, KbnName) VALUES ('T%2', 'in %1')").arg(table).arg(number));
    QCOMPARE(connected(qint16(number))->DispName(QStringLiteral("T%1").arg(number)).toString(), QStringLiteral("in ") + table);
}

void TestRibodoKbns::tableNumberOutOfRangeOpensNoTable_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("-1") << -1;
    QTest::newRow("5") << 5;
}

void TestRibodoKbns::tableNumberOutOfRangeOpensNoTable()
{
    QFETCH(int, number);
    auto k = connected(qint16(number));
    QVERIFY(!k->RsEd().isOpen());
    k->setKCode(QStringLiteral("A"));
    QVERIFY_THROWS_EXCEPTION(StoreError, k->McEDsearch());
    QVERIFY_THROWS_EXCEPTION(StoreError, k->Mcsave());
    QVERIFY_THROWS_EXCEPTION(StoreError, k->DuplicateCodeCheck(QStringLiteral("A")));
}

void TestRibodoKbns::saveAppendsARow()
{
    auto k = connected();
    k->setKCode(QStringLiteral("D"));
    k->setKName(QStringLiteral("Delta"));
    k->Mcsave();
    QCOMPARE(rows(), QStringLiteral("A=Alpha;B=X;C=Gamma;O'K=Quote;D=Delta"));
}

void TestRibodoKbns::markers_data()
{
    QTest::addColumn<bool>("emptyTable");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("kCode");
    QTest::addColumn<QString>("kName");
    QTest::addColumn<QString>("duplicate");
    QTest::addColumn<QString>("dispName");
    QTest::newRow("exists") << false << "C" << "C" << "Gamma" << "x" << "Gamma";
    QTest::newRow("other letter case") << false << "c" << "C" << "Gamma" << "x" << "Gamma";
    QTest::newRow("missing") << false << "Q" << "X" << "before" << "" << "X";
    QTest::newRow("named X") << false << "B" << "B" << "X" << "x" << "X";
    QTest::newRow("code with a quote") << false << "O'K" << "O'K" << "Quote" << "x" << "Quote";
    QTest::newRow("quote never matches all") << false << "Q' OR 'a'='a" << "X" << "before" << "" << "X";
    QTest::newRow("empty table") << true << "A" << "X" << "before" << "" << "X";
}

void TestRibodoKbns::markers()
{
    QFETCH(bool, emptyTable);
    QFETCH(QString, code);
    if (emptyTable)
        m_folder->exec(QStringLiteral("DELETE FROM kbn1"));
    auto k = connected();
    QCOMPARE(k->RsEd().eof(), emptyTable);
    k->setKCode(code);
    k->setKName(QStringLiteral("before"));
    k->McEDsearch();
    QTEST(k->KCode(), "kCode");
    QTEST(k->KName(), "kName");
    QTEST(connected()->DuplicateCodeCheck(code).toString(), "duplicate");
    QTEST(connected()->DispName(code).toString(), "dispName");
}

void TestRibodoKbns::secondSearchStartsWhereTheFirstStopped_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("secondName");
    QTest::newRow("later row") << "A" << "C" << "Gamma";
    QTest::newRow("same row again") << "C" << "C" << "Gamma";
    QTest::newRow("earlier row") << "C" << "A" << "X";
    QTest::newRow("after a miss") << "Q" << "A" << "X";
}

void TestRibodoKbns::secondSearchStartsWhereTheFirstStopped()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    auto k = connected();
    k->DispName(first);
    QTEST(k->DispName(second).toString(), "secondName");
}

void TestRibodoKbns::editRewritesOrRecodes_data()
{
    QTest::addColumn<QString>("newCode");
    QTest::addColumn<QString>("after");
    QTest::newRow("name only") << "B" << "A=Alpha;B=Beta;C=Gamma;O'K=Quote";
    QTest::newRow("new code") << "D" << "A=Alpha;D=Beta;C=Gamma;O'K=Quote";
}

void TestRibodoKbns::editRewritesOrRecodes()
{
    QFETCH(QString, newCode);
    auto k = connected();
    k->setKCode2(QStringLiteral("B"));
    k->setKCode(newCode);
    k->setKName(QStringLiteral("Beta"));
    k->Mcedit();
    QTEST(rows(), "after");
}

void TestRibodoKbns::refusedChangesWriteNothing_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("code2");
    QTest::addColumn<QString>("code");
    QTest::newRow("edit to a taken code") << true << "B" << "a";
    QTest::newRow("edit of a missing code") << true << "Q" << "Q";
    QTest::newRow("delete of a missing code") << false << "Q" << "Q";
}

void TestRibodoKbns::refusedChangesWriteNothing()
{
    QFETCH(bool, edit);
    QFETCH(QString, code2);
    QFETCH(QString, code);
    const QString before = rows();
    auto k = connected();
    k->setKCode2(code2);
    k->setKCode(code);
    if (edit)
        QVERIFY_THROWS_EXCEPTION(StoreError, k->Mcedit());
    else
        QVERIFY_THROWS_EXCEPTION(StoreError, k->Mcdelete());
    QCOMPARE(rows(), before);
}

void TestRibodoKbns::deleteRemovesOnlyThatRow()
{
    auto k = connected();
    k->setKCode(QStringLiteral("A")); // only KCode2 chooses the row
    k->setKCode2(QStringLiteral("O'K"));
    k->Mcdelete();
    QCOMPARE(rows(), QStringLiteral("A=Alpha;B=X;C=Gamma"));
}

void TestRibodoKbns::nullNameReadsAsEmpty()
{
    m_folder->exec(QStringLiteral("INSERT INTO kbn1 (KbnCode, KbnName) VALUES ('N', NULL)"));
    auto k = connected();
    k->setKCode(QStringLiteral("N"));
    k->setKName(QStringLiteral("before"));
    k->McEDsearch();
    QCOMPARE(k->KCode(), QStringLiteral("N"));
    QCOMPARE(k->KName(), QString());
    QCOMPARE(connected()->DispName(QStringLiteral("N")).toString(), QString());
}

QTEST_GUILESS_MAIN(TestRibodoKbns)
#include "tst_RibodoKbns.moc"
