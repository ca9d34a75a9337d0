#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/Recordset.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QtTest>

class TestRecordset : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void emptyTableIsAtBeginningAndEnd_data();
    void emptyTableIsAtBeginningAndEnd();
    void navigatesInRowOrder();
    void walksALargeTableWhileWriting();
    void findGoesForwardFromTheCurrentRow_data();
    void findGoesForwardFromTheCurrentRow();
    void findRefusesMalformedCriteria_data();
    void findRefusesMalformedCriteria();
    void columnsReadByNameInAnyCase();
    void writesGoToTheDatabaseAtOnce();
    void noCurrentRowIsAnError();
    void statementRowsCanBeWrittenBack();
    void viewIsReadOnly();
    void missingDatabaseIsAnError();

private:
    QList<QString> numbersInDatabase() const;
    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<Connection> m_connection;
};

void TestRecordset::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    m_connection = std::make_unique<Connection>();
    m_connection->open(Schema::connectionText(m_folder->path()));
}

void TestRecordset::cleanup()
{
    m_connection.reset();
    m_folder.reset();
}

QList<QString> TestRecordset::numbersInDatabase() const
{
    Connection other;
    other.open(Schema::connectionText(m_folder->path()));
    QSqlQuery &q = other.exec(QStringLiteral("SELECT TNo FROM SiteTbl ORDER BY rowid"));
    QList<QString> numbers;
    while (q.next())
        numbers << q.value(0).toString();
    q.finish();
    return numbers;
}

void TestRecordset::emptyTableIsAtBeginningAndEnd_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("table") << "SiteTbl";
    QTest::newRow("view") << "QRYRibodo";
    QTest::newRow("statement") << "SELECT * FROM SiteTbl WHERE TCond = '1'";
}

void TestRecordset::emptyTableIsAtBeginningAndEnd()
{
    QFETCH(QString, source);
    Recordset rs;
    rs.open(source, *m_connection);
    QVERIFY(rs.bof());
    QVERIFY(rs.eof());
    QCOMPARE(rs.recordCount(), 0);
    rs.find(QStringLiteral("TNo = 'A1'"));
    QVERIFY(rs.eof());
}

void TestRecordset::navigatesInRowOrder()
{
    for (const char *n : {"N3", "N1", "N2"})
        m_folder->addNote(QLatin1String(n), QStringLiteral("2024-04-01"));
    Recordset rs;
    rs.open(QStringLiteral("sitetbl"), *m_connection);
    QCOMPARE(rs.recordCount(), 3);
    QStringList seen;
    while (!rs.eof()) {
        seen << rs.value(QStringLiteral("TNo")).toString();
        rs.moveNext();
    }
    QCOMPARE(seen, QStringList({QStringLiteral("N3"), QStringLiteral("N1"), QStringLiteral("N2")}));
    QVERIFY(!rs.bof());
    rs.moveFirst();
    QCOMPARE(rs.value(QStringLiteral("TNo")).toString(), QStringLiteral("N3"));
}

// A walk reads rows ahead in batches; writes on the way must still land on
// the row under the cursor and be seen when it is read again.
void TestRecordset::walksALargeTableWhileWriting()
{
    m_folder->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                                  "INSERT INTO SiteTbl (TNo, TCond) SELECT 'W' || i, '1' FROM n"));
    Recordset rs;
    rs.open(QStringLiteral("SiteTbl"), *m_connection);
    int seen = 0;
    while (!rs.eof()) {
        ++seen;
        if (seen % 10 == 0) {
            rs.setValue(QStringLiteral("TCond"), QStringLiteral("2"));
            rs.update();
            QCOMPARE(rs.value(QStringLiteral("TCond")).toString(), QStringLiteral("2"));
        } else if (seen % 7 == 0) {
            rs.deleteCurrent();
        }
        rs.moveNext();
    }
    QCOMPARE(seen, 300);
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT count(*) FROM SiteTbl WHERE TCond = '2'")).toInt(), 30);
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT count(*) FROM SiteTbl")).toInt(), 300 - (42 - 4));
    rs.moveFirst();
    rs.find(QStringLiteral("TNo = 'W290'"));
    QCOMPARE(rs.value(QStringLiteral("TCond")).toString(), QStringLiteral("2"));
}

void TestRecordset::findGoesForwardFromTheCurrentRow_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("table") << "SiteTbl";
    QTest::newRow("statement") << "SELECT * FROM SiteTbl";
    QTest::newRow("view") << "QRYRibodo";
}

void TestRecordset::findGoesForwardFromTheCurrentRow()
{
    QFETCH(QString, source);
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("1"));
    m_folder->addNote(QStringLiteral("A2"), QStringLiteral("2024-04-02"), QStringLiteral("2"));
    m_folder->addNote(QStringLiteral("A'3"), QStringLiteral("2024-04-03"), QStringLiteral("1"));
    Recordset rs;
    rs.open(source, *m_connection);

    rs.find(QStringLiteral("TNo = 'A2'"));
    QVERIFY(!rs.eof());
    QCOMPARE(rs.value(QStringLiteral("TCond")).toString(), QStringLiteral("2"));
    // From the row found, an earlier row is not found again.
    rs.find(QStringLiteral("TNo ='A1'"));
    QVERIFY(rs.eof());

    rs.moveFirst();
    rs.find(QStringLiteral("TCond = '1'"));
    QCOMPARE(rs.value(QStringLiteral("TNo")).toString(), QStringLiteral("A1"));
    rs.find(QStringLiteral("TCond = '1'"));
    QCOMPARE(rs.value(QStringLiteral("TNo")).toString(), QStringLiteral("A1")); // the current row itself matches
    rs.moveNext();
    rs.find(QStringLiteral("TCond = '1'"));
    QCOMPARE(rs.value(QStringLiteral("TNo")).toString(), QStringLiteral("A'3"));

    rs.moveFirst();
    rs.find(QStringLiteral("TNo = 'A''3'"));
    QCOMPARE(rs.value(QStringLiteral("TKDate")).toDate(), QDate(2024, 4, 3));
    rs.moveFirst();
    rs.find(QStringLiteral("tno = 'a2'")); // codes compare without regard to case
    QCOMPARE(rs.value(QStringLiteral("TNo")).toString(), QStringLiteral("A2"));
    rs.moveFirst();
    rs.find(QStringLiteral("TKDate = #2024/04/02#"));
    QCOMPARE(rs.value(QStringLiteral("TNo")).toString(), QStringLiteral("A2"));
}

void TestRecordset::findRefusesMalformedCriteria_data()
{
    QTest::addColumn<QString>("criterion");
    QTest::newRow("unescaped quote") << "TNo = 'A'1'";
    QTest::newRow("two conditions") << "TNo = 'A1' OR TNo = 'A2'";
    QTest::newRow("no such column") << "TXyz = 'A1'";
    QTest::newRow("no value") << "TNo =";
}

void TestRecordset::findRefusesMalformedCriteria()
{
    QFETCH(QString, criterion);
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
    Recordset rs;
    rs.open(QStringLiteral("SiteTbl"), *m_connection);
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.find(criterion));
}

void TestRecordset::columnsReadByNameInAnyCase()
{
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("1"), 1234.5);
    Recordset rs;
    rs.open(QStringLiteral("Sitetbl"), *m_connection);
    QCOMPARE(rs.value(QStringLiteral("tkingaku")).toDouble(), 1234.5);
    QCOMPARE(rs.value(QStringLiteral("TKdate")).toDate(), QDate(2024, 4, 1));
    QCOMPARE(rs.value(QStringLiteral("TkDate")).toDate(), QDate(2024, 4, 1));
    QCOMPARE(rs.value(QStringLiteral("tremarks")).toString(), QString());
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(QStringLiteral("NoSuchColumn")));
}

void TestRecordset::writesGoToTheDatabaseAtOnce()
{
    Recordset rs;
    rs.open(QStringLiteral("SiteTbl"), *m_connection);
    rs.addNew();
    rs.setValue(QStringLiteral("TNo"), QStringLiteral("B1"));
    rs.setValue(QStringLiteral("TKDate"), QStringLiteral("2024/5/7"));
    rs.update();
    QCOMPARE(numbersInDatabase(), QList<QString>({QStringLiteral("B1")}));
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT TKDate FROM SiteTbl")).toString(), QStringLiteral("2024-05-07"));

    rs.setValue(QStringLiteral("TNo"), QStringLiteral("B2"));
    rs.update();
    QCOMPARE(numbersInDatabase(), QList<QString>({QStringLiteral("B2")}));

    rs.addNew();
    rs.setValue(QStringLiteral("TNo"), QStringLiteral("b2")); // the same number in other letters
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.update());
    QCOMPARE(numbersInDatabase(), QList<QString>({QStringLiteral("B2")}));

    rs.moveFirst();
    rs.deleteCurrent();
    QCOMPARE(numbersInDatabase(), QList<QString>());
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(QStringLiteral("TNo")));
}

void TestRecordset::noCurrentRowIsAnError()
{
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
    Recordset rs;
    rs.open(QStringLiteral("SiteTbl"), *m_connection);
    rs.find(QStringLiteral("TNo = 'none'"));
    QVERIFY(rs.eof());
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.setValue(QStringLiteral("TCond"), QStringLiteral("9")));
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.deleteCurrent());
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.moveNext());
    QCOMPARE(numbersInDatabase(), QList<QString>({QStringLiteral("A1")}));
}

void TestRecordset::statementRowsCanBeWrittenBack()
{
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("1"));
    m_folder->addNote(QStringLiteral("A2"), QStringLiteral("2024-05-01"), QStringLiteral("1"));
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM SiteTbl WHERE TKDate <= #2024/04/30#"), *m_connection);
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.fieldNames().first(), QStringLiteral("TNo"));
    rs.setValue(QStringLiteral("TCond"), QStringLiteral("2"));
    rs.update();
    QCOMPARE(rs.value(QStringLiteral("TCond")).toString(), QStringLiteral("2"));
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(TNo || TCond) FROM SiteTbl")).toString(),
             QStringLiteral("A12,A21"));
}

void TestRecordset::viewIsReadOnly()
{
    m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
    Recordset rs;
    rs.open(QStringLiteral("QRYRibodo"), *m_connection);
    QCOMPARE(rs.recordCount(), 1);
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.setValue(QStringLiteral("TCond"), QStringLiteral("2")));
}

void TestRecordset::missingDatabaseIsAnError()
{
    TestDataFolder empty(false);
    Connection c;
    QVERIFY_THROWS_EXCEPTION(StoreError, c.open(Schema::connectionText(empty.path())));
    QVERIFY(!QFile::exists(empty.databasePath())); // nothing was created
}

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_Recordset.moc"
