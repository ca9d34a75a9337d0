#include "TestDataFolder.h"

#include "store/RibodoClass.h"
#include "store/StoreError.h"

#include <QtTest>

class TestRibodoClass : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveThenSearchGivesTheNoteBack();
    void searchMarksAMissingNote_data();
    void searchMarksAMissingNote();
    void searchSkipsNullColumns();
    void bangoCheck_data();
    void bangoCheck();
    void editRewritesOrRenames_data();
    void editRewritesOrRenames();
    void editToATakenNumberWritesNothing();
    void editRsJChangesOnlyTheState();
    void changesOfAMissingNumberFail_data();
    void changesOfAMissingNumberFail();
    void deleteRemovesTheCalledUpNote();
    void henkoJMovesOnlyDueNotesInStateOne();
    void kingakuText_data();
    void kingakuText();
    void missingDatabaseFailsToConnect();

private:
    std::unique_ptr<RibodoClass> connected() const;
    QString stored(const QString &column, const QString &number) const;
    std::unique_ptr<TestDataFolder> m_folder;
};

void TestRibodoClass::init()
{
    m_folder = std::make_unique<TestDataFolder>();
}

void TestRibodoClass::cleanup()
{
    m_folder.reset();
}

std::unique_ptr<RibodoClass> TestRibodoClass::connected() const
{
    auto r = std::make_unique<RibodoClass>();
    r->setDirPath(m_folder->path());
    r->CntDb();
    return r;
}

QString TestRibodoClass::stored(const QString &column, const QString &number) const
{
    return m_folder->scalar(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM SiteTbl WHERE TNo = ?"), {number}).toString();
}

void TestRibodoClass::saveThenSearchGivesTheNoteBack()
{
    {
        auto r = connected();
        r->setRibodoNo(QStringLiteral("AB123"));
        r->setRibodoFDate(QDate(2024, 1, 31));
        r->setRibodoKDate(QStringLiteral("2024/04/30"));
        r->setGinkou(QStringLiteral("2"));
        r->setCliantCode(QStringLiteral("110"));
        r->setKingaku(QStringLiteral("1,234,567"));
        r->setSyurui(QStringLiteral("1"));
        r->setMokuteki(QStringLiteral("3"));
        r->setJyotai(QStringLiteral("1"));
        r->setBiko(QStringLiteral("4月分"));
        r->setKeiri(QStringLiteral("2"));
        r->SaveRs();
    }
    QCOMPARE(stored(QStringLiteral("TKDate"), QStringLiteral("AB123")), QStringLiteral("2024-04-30"));
    auto r = connected();
    r->setRibodoNo(QStringLiteral("AB123"));
    r->SearchRs();
    QCOMPARE(r->RibodoNo(), QStringLiteral("AB123"));
    QCOMPARE(r->RibodoFDate().toDate(), QDate(2024, 1, 31));
    QCOMPARE(r->RibodoKDate().toDate(), QDate(2024, 4, 30));
    QCOMPARE(r->Ginkou(), QStringLiteral("2"));
    QCOMPARE(r->CliantCode(), QStringLiteral("110"));
    QCOMPARE(r->Kingaku(), QStringLiteral("1234567"));
    QCOMPARE(r->Syurui(), QStringLiteral("1"));
    QCOMPARE(r->Mokuteki(), QStringLiteral("3"));
    QCOMPARE(r->Jyotai(), QStringLiteral("1"));
    QCOMPARE(r->Biko(), QStringLiteral("4月分"));
    QCOMPARE(r->Keiri(), QStringLiteral("2"));
}

void TestRibodoClass::searchMarksAMissingNote_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("after");
    QTest::newRow("exists") << "A1" << "A1";
    QTest::newRow("exists, other letter case") << "a1" << "A1";
    QTest::newRow("missing") << "A9" << "X";
    QTest::newRow("a note numbered X reads as missing") << "X" << "X";
    QTest::newRow("a quote never finds the first row") << "A1' OR '1'='1" << "X";
}

void TestRibodoClass::searchMarksAMissingNote()
{
    QFETCH(QString, number);
    QFETCH(QString, after);
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
    m_folder->addNote(QStringLiteral("X"), QStringLiteral("2024-04-02"));
    auto r = connected();
    r->setRibodoNo(number);
    r->SearchRs();
    QCOMPARE(r->RibodoNo(), after);
}

void TestRibodoClass::searchSkipsNullColumns()
{
    m_folder->exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate, TKingaku) VALUES ('N1', '2024-04-01', NULL)"));
    auto r = connected();
    r->setBiko(QStringLiteral("kept"));
    r->setRibodoNo(QStringLiteral("N1"));
    r->SearchRs();
    QCOMPARE(r->RibodoNo(), QStringLiteral("N1"));
    QCOMPARE(r->Biko(), QStringLiteral("kept"));
    QCOMPARE(r->Kingaku(), QStringLiteral("0"));
    QVERIFY(r->RibodoFDate().isNull());
    QCOMPARE(r->RibodoKDate().toDate(), QDate(2024, 4, 1));
}

void TestRibodoClass::bangoCheck_data()
{
    QTest::addColumn<bool>("withNotes");
    QTest::addColumn<QString>("bango");
    QTest::addColumn<QString>("answer");
    QTest::newRow("exists") << true << "A1" << "X";
    QTest::newRow("missing") << true << "A2" << "";
    QTest::newRow("empty table") << false << "A1" << "";
    QTest::newRow("quote") << true << "A1'" << "";
}

void TestRibodoClass::bangoCheck()
{
    QFETCH(bool, withNotes);
    QFETCH(QString, bango);
    QFETCH(QString, answer);
    if (withNotes)
        m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
    auto r = connected();
    QCOMPARE(r->RibodoBangoCheck(bango).toString(), answer);
}

void TestRibodoClass::editRewritesOrRenames_data()
{
    QTest::addColumn<QString>("newNumber");
    QTest::newRow("in place") << "A2";
    QTest::newRow("renamed") << "B7";
}

void TestRibodoClass::editRewritesOrRenames()
{
    QFETCH(QString, newNumber);
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
    m_folder->addNote(QStringLiteral("A2"), QStringLiteral("2024-04-02"));
    m_folder->addNote(QStringLiteral("A3"), QStringLiteral("2024-04-03"));
    auto r = connected();
    r->setRibodoNo2(QStringLiteral("A2"));
    r->setRibodoNo(newNumber);
    r->setRibodoKDate(QDate(2025, 1, 6));
    r->setKingaku(QStringLiteral("500"));
    r->setJyotai(QStringLiteral("3"));
    r->EditRs();
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(TNo) FROM (SELECT TNo FROM SiteTbl ORDER BY rowid)")).toString(),
             QStringLiteral("A1,%1,A3").arg(newNumber));
    QCOMPARE(stored(QStringLiteral("TKDate"), newNumber), QStringLiteral("2025-01-06"));
    QCOMPARE(stored(QStringLiteral("TKingaku"), newNumber).toDouble(), 500.0);
}

void TestRibodoClass::editToATakenNumberWritesNothing()
{
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("1"), 10);
    m_folder->addNote(QStringLiteral("A2"), QStringLiteral("2024-04-02"), QStringLiteral("1"), 20);
    auto r = connected();
    r->setRibodoNo2(QStringLiteral("A2"));
    r->setRibodoNo(QStringLiteral("A1"));
    r->setKingaku(QStringLiteral("99"));
    QVERIFY_THROWS_EXCEPTION(StoreError, r->EditRs());
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(TNo || '=' || CAST(TKingaku AS INTEGER)) FROM (SELECT * FROM SiteTbl ORDER BY rowid)")).toString(),
             QStringLiteral("A1=10,A2=20"));
}

void TestRibodoClass::editRsJChangesOnlyTheState()
{
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("1"), 10);
    auto r = connected();
    r->setRibodoNo2(QStringLiteral("A1"));
    r->setJyotai(QStringLiteral("3"));
    r->EditRsJ();
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT TNo || TKDate || TCond || TKingaku FROM SiteTbl")).toString(),
             QStringLiteral("A12024-04-01310.0"));
}

void TestRibodoClass::changesOfAMissingNumberFail_data()
{
    QTest::addColumn<int>("operation");
    QTest::newRow("EditRs") << 0;
    QTest::newRow("EditRsJ") << 1;
    QTest::newRow("DeleteRs") << 2;
}

void TestRibodoClass::changesOfAMissingNumberFail()
{
    QFETCH(int, operation);
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
    auto r = connected();
    r->setRibodoNo2(QStringLiteral("A9"));
    r->setRibodoNo(QStringLiteral("A9"));
    r->setJyotai(QStringLiteral("3"));
    switch (operation) {
    case 0:
        QVERIFY_THROWS_EXCEPTION(StoreError, r->EditRs());
        break;
    case 1:
        QVERIFY_THROWS_EXCEPTION(StoreError, r->EditRsJ());
        break;
    default:
        QVERIFY_THROWS_EXCEPTION(StoreError, r->DeleteRs());
    }
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT TNo || TCond FROM SiteTbl")).toString(), QStringLiteral("A11"));
}

void TestRibodoClass::deleteRemovesTheCalledUpNote()
{
    for (const char *n : {"A1", "A2", "A3"})
        m_folder->addNote(QLatin1String(n), QStringLiteral("2024-04-01"));
    auto r = connected();
    r->setRibodoNo(QStringLiteral("A1")); // only RibodoNo2 chooses the note
    r->setRibodoNo2(QStringLiteral("A2"));
    r->DeleteRs();
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(TNo) FROM (SELECT TNo FROM SiteTbl ORDER BY rowid)")).toString(), QStringLiteral("A1,A3"));
}

void TestRibodoClass::henkoJMovesOnlyDueNotesInStateOne()
{
    m_folder->addNote(QStringLiteral("due earlier"), QStringLiteral("2024-03-31"), QStringLiteral("1"));
    m_folder->addNote(QStringLiteral("due on the day"), QStringLiteral("2024-04-30"), QStringLiteral("1"));
    m_folder->addNote(QStringLiteral("due the day after"), QStringLiteral("2024-05-01"), QStringLiteral("1"));
    m_folder->addNote(QStringLiteral("settled"), QStringLiteral("2024-03-01"), QStringLiteral("3"));
    m_folder->addNote(QStringLiteral("other state later"), QStringLiteral("2024-06-01"), QStringLiteral("4"));
    {
        auto r = connected();
        r->setRibodoKDate(QStringLiteral("2024/04/30"));
        r->HenkoJ();
    }
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(TNo || '=' || TCond, ';') FROM (SELECT * FROM SiteTbl ORDER BY rowid)")).toString(),
             QStringLiteral("due earlier=2;due on the day=2;due the day after=1;settled=3;other state later=4"));
    {
        auto r = connected(); // nothing left to move: nothing changes, nothing fails
        r->setRibodoKDate(QDate(2024, 4, 30));
        r->HenkoJ();
    }
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT count(*) FROM SiteTbl WHERE TCond = '2'")).toInt(), 2);
}

void TestRibodoClass::kingakuText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("plain") << "1234" << true << "1234";
    QTest::newRow("grouped") << "1,234" << true << "1234";
    QTest::newRow("decimals") << "1234.5" << true << "1234.5";
    QTest::newRow("sign and spaces") << " -20 " << true << "-20";
    QTest::newRow("letters") << "12a" << false << "";
    QTest::newRow("two points") << "1.2.3" << false << "";
    QTest::newRow("inner space") << "1 000" << false << "";
    QTest::newRow("empty") << "" << false << "";
}

void TestRibodoClass::kingakuText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, readBack);
    RibodoClass r;
    if (!valid) {
        QVERIFY_THROWS_EXCEPTION(StoreError, r.setKingaku(text));
        QCOMPARE(r.Kingaku(), QStringLiteral("0"));
        return;
    }
    r.setKingaku(text);
    QCOMPARE(r.Kingaku(), readBack);
}

void TestRibodoClass::missingDatabaseFailsToConnect()
{
    TestDataFolder empty(false);
    RibodoClass r;
    r.setDirPath(empty.path());
    try {
        r.CntDb();
        QFAIL("connected to a missing database");
    } catch (const StoreError &e) {
        QVERIFY(e.text().contains(empty.databasePath()));
    }
}

QTEST_GUILESS_MAIN(TestRibodoClass)
#include "tst_RibodoClass.moc"
