#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/Recordset.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QtTest>

// The statements of the system, the database's definition and the recordset
// every record class and screen reads through.
class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<TestDataFolder>();
        m_c = std::make_unique<Connection>();
        m_c->open(Schema::connectionText(m_folder->path()));
    }

    void cleanup()
    {
        m_c.reset();
        m_folder.reset();
    }

    void statements_data()
    {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("sqlite"); // empty: not compared
        QTest::addColumn<int>("rows"); // of the notes below; -1: not run
        QTest::newRow("state update") << "SELECT * FROM SiteTbl WHERE TCond = '1' AND TKdate <= #2024/04/30#"
                                      << "SELECT * FROM SiteTbl WHERE TCond = '1' AND TKdate <= '2024-04-30'" << 2;
        QTest::newRow("bang reference") << "SELECT SUM(QRYkesai!TKingaku) AS gokei FROM QRYKesai WHERE TKDate =#2024/04/30#"
                                        << "SELECT SUM(QRYkesai.TKingaku) AS gokei FROM QRYKesai WHERE TKDate ='2024-04-30'" << 1;
        QTest::newRow("short date parts") << "SELECT * FROM SiteTbl WHERE TKDate = #2024/5/1#"
                                          << "SELECT * FROM SiteTbl WHERE TKDate = '2024-05-01'" << 1;
        QTest::newRow("hash and bang inside text stay") << "SELECT * FROM kbn6 WHERE KbnName = '#1 銀行!本店'"
                                                        << "SELECT * FROM kbn6 WHERE KbnName = '#1 銀行!本店'" << 0;
        QTest::newRow("doubled quote inside text") << "SELECT * FROM QRYKesai WHERE Ginko = 'O''Neil #2024/01/01#'"
                                                   << "SELECT * FROM QRYKesai WHERE Ginko = 'O''Neil #2024/01/01#'" << 0;
        QTest::newRow("double-quoted text") << "SELECT * FROM kbn6 WHERE KbnName = \"a'b\"\"c\""
                                            << "SELECT * FROM kbn6 WHERE KbnName = 'a''b\"c'" << 0;
        QTest::newRow("trailing semicolon") << "SELECT * FROM kbn1;" << "SELECT * FROM kbn1" << -1;
        // A value quoted by the system is matched exactly, never read as SQL.
        for (const auto &[code, name] : {std::pair{"3", "O'Neil"}, {"4", "x' OR '1'='1"}, {"5", "#2024/01/01# !x"}})
            QTest::addRow("quoted %s", name) << QStringLiteral("SELECT * FROM kbn6 WHERE KbnName = %1 AND KbnCode = '%2'")
                                                        .arg(JetSql::quote(QString::fromUtf8(name)), QLatin1String(code)) << "" << 1;
    }

    // The system's statements translate, and select the same rows as they meant.
    void statements()
    {
        QFETCH(QString, jet);
        QFETCH(QString, sqlite);
        QFETCH(int, rows);
        if (!sqlite.isEmpty())
            QCOMPARE(JetSql::toSqlite(jet), sqlite);
        if (rows < 0)
            return;
        m_folder->exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', '中央銀行'), ('2', 'みなと銀行'), "
                                      "('3', 'O''Neil'), ('4', 'x'' OR ''1''=''1'), ('5', '#2024/01/01# !x')"));
        m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("3"));
        m_folder->addNote(QStringLiteral("A2"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 1000, QStringLiteral("100"), QStringLiteral("1"));
        m_folder->addNote(QStringLiteral("A3"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 1000, QStringLiteral("200"), QStringLiteral("2"));
        m_folder->addNote(QStringLiteral("A4"), QStringLiteral("2024-05-01"), QStringLiteral("1"));
        Recordset rs;
        rs.open(jet, *m_c);
        QCOMPARE(rs.recordCount(), rows);
    }

    void refusesMalformed_data()
    {
        QTest::addColumn<QString>("jet");
        QTest::newRow("unterminated quote") << "SELECT * FROM kbn1 WHERE KbnCode = 'a";
        QTest::newRow("second statement") << "SELECT * FROM kbn1; DELETE FROM kbn1";
        QTest::newRow("line comment") << "SELECT * FROM kbn1 -- all";
        QTest::newRow("block comment") << "SELECT * FROM kbn1 /* all */";
        QTest::newRow("unterminated date") << "SELECT * FROM SiteTbl WHERE TKDate = #2024/04/30";
        QTest::newRow("no such date") << "SELECT * FROM SiteTbl WHERE TKDate = #2024/02/30#";
    }

    void refusesMalformed()
    {
        QFETCH(QString, jet);
        QVERIFY_THROWS_EXCEPTION(StoreError, JetSql::toSqlite(jet));
    }

    void definition_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("unique note number") << "INSERT INTO SiteTbl (TNo) VALUES ('A1'), ('a1')";
        QTest::newRow("unique supplier code") << "INSERT INTO SireCliant (ClCode) VALUES ('S1'), ('S1')";
        QTest::newRow("unique bank code") << "INSERT INTO kbn6 (KbnCode) VALUES ('1'), ('1')";
        // A new database holds its codes, so these are taken already.
        for (const char *table : {"kbn1", "kbn2", "Kbn3", "Kbn4", "Kbn5"})
            QTest::addRow("%s holds 1", table) << QStringLiteral("INSERT INTO %1 (KbnCode) VALUES ('1')").arg(QLatin1String(table));
        QTest::newRow("Kbn3 holds 2") << "INSERT INTO Kbn3 (KbnCode) VALUES ('2')";
        QTest::newRow("16-bit category") << "INSERT INTO SireCliant (ClCode, ClTokuiKbn) VALUES ('S9', 40000)";
        QTest::newRow("date text") << "INSERT INTO SiteTbl (TNo, TKDate) VALUES ('A9', '2024/04/01')";
    }

    // Codes are unique, dates and categories kept in form.
    void definition()
    {
        QFETCH(QString, statement);
        QVERIFY_THROWS_EXCEPTION(StoreError, m_folder->exec(statement));
    }

    // Rows come in stored order, read ahead in batches; writes on the way must
    // still land on the row under the cursor (each row is stamped with its own
    // number) and be seen when it is read again. Names read in any letter case.
    void walksALargeTableWhileWriting()
    {
        m_folder->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                                      "INSERT INTO SiteTbl (TNo, TCond, TKDate, TKingaku) SELECT 'W' || i, '1', '2024-04-01', 1234.5 FROM n"));
        Recordset rs;
        rs.open(QStringLiteral("sitetbl"), *m_c);
        QCOMPARE(rs.recordCount(), 300);
        QCOMPARE(QStringLiteral("%1|%2|%3").arg(rs.value(QStringLiteral("tkingaku")).toDouble())
                         .arg(rs.value(QStringLiteral("TkDate")).toDate().toString(Qt::ISODate), rs.value(QStringLiteral("tremarks")).toString()),
                 QStringLiteral("1234.5|2024-04-01|"));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(QStringLiteral("NoSuchColumn")));
        int seen = 0;
        while (!rs.eof()) {
            ++seen;
            QCOMPARE(rs.value(QStringLiteral("tno")).toString(), QStringLiteral("W%1").arg(seen)); // not in number order
            if (seen % 7 == 0 && seen % 10 != 0) {
                rs.deleteCurrent();
            } else {
                rs.setValue(QStringLiteral("TRemarks"), rs.value(QStringLiteral("TNo")));
                if (seen % 10 == 0)
                    rs.setValue(QStringLiteral("TCond"), QStringLiteral("2"));
                rs.update();
                QCOMPARE(rs.value(QStringLiteral("TCond")).toString(), QLatin1String(seen % 10 == 0 ? "2" : "1"));
            }
            rs.moveNext();
        }
        QCOMPARE(seen, 300);
        QVERIFY(!rs.bof());
        // Settled, left after the deletions, and stamped with another row's number.
        QCOMPARE(m_folder->scalar(QStringLiteral("SELECT sum(TCond = '2') || '/' || count(*) || '/' || sum(TRemarks IS NOT TNo) "
                                                 "FROM SiteTbl")).toString(),
                 QStringLiteral("30/%1/0").arg(300 - (42 - 4)));
        rs.moveFirst();
        QCOMPARE(rs.value(QStringLiteral("TNo")).toString(), QStringLiteral("W1"));
        rs.find(QStringLiteral("TNo = 'W290'"));
        QCOMPARE(rs.value(QStringLiteral("TCond")).toString(), QStringLiteral("2"));
    }

    void findGoesForwardFromTheCurrentRow_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("table") << "SiteTbl";
        QTest::newRow("statement") << "SELECT * FROM SiteTbl WHERE TKDate >= #2024/04/01#";
        QTest::newRow("view") << "QRYRibodo";
    }

    void findGoesForwardFromTheCurrentRow()
    {
        QFETCH(QString, source);
        {
            // Empty, a source is at its beginning and its end.
            Recordset empty;
            empty.open(source, *m_c);
            QVERIFY(empty.bof() && empty.eof() && empty.recordCount() == 0);
            empty.find(QStringLiteral("TNo = 'A1'"));
            QVERIFY(empty.eof());
        }
        m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"), QStringLiteral("1"));
        m_folder->addNote(QStringLiteral("A2"), QStringLiteral("2024-04-02"), QStringLiteral("2"));
        m_folder->addNote(QStringLiteral("A'3"), QStringLiteral("2024-04-03"), QStringLiteral("1"));
        Recordset rs;
        rs.open(source, *m_c);

        rs.find(QStringLiteral("TNo = 'A2'"));
        QVERIFY(!rs.eof());
        QCOMPARE(rs.value(QStringLiteral("TCond")).toString(), QStringLiteral("2"));
        // From the row found, an earlier row is not found again.
        rs.find(QStringLiteral("TNo ='A1'"));
        QVERIFY(rs.eof());
        // With no current row nothing can be written or moved, and nothing is.
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(QStringLiteral("TNo")));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.setValue(QStringLiteral("TCond"), QStringLiteral("9")));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.deleteCurrent());
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.moveNext());
        QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(TNo || TCond) FROM SiteTbl")).toString(), QStringLiteral("A11,A22,A'31"));

        // Each step: a move ("first", "next" or none), the criterion, the note found.
        // The current row itself matches; codes compare without regard to case.
        for (const auto &[move, criterion, found] : {std::tuple{"first", "TCond = '1'", "A1"}, {"", "TCond = '1'", "A1"}, {"next", "TCond = '1'", "A'3"},
                                                     {"first", "TNo = 'A''3'", "A'3"}, {"first", "tno = 'a2'", "A2"},
                                                     {"first", "TKDate = #2024/04/02#", "A2"}}) {
            if (*move == 'f')
                rs.moveFirst();
            else if (*move == 'n')
                rs.moveNext();
            rs.find(QLatin1String(criterion));
            QCOMPARE(QLatin1String(criterion) + QLatin1String(" -> ") + rs.value(QStringLiteral("TNo")).toString(),
                     QLatin1String(criterion) + QLatin1String(" -> ") + QLatin1String(found));
        }
    }

    void findRefusesMalformedCriteria_data()
    {
        QTest::addColumn<QString>("criterion");
        QTest::newRow("unescaped quote") << "TNo = 'A'1'";
        QTest::newRow("two conditions") << "TNo = 'A1' OR TNo = 'A2'";
        QTest::newRow("no such column") << "TXyz = 'A1'";
        QTest::newRow("no value") << "TNo =";
    }

    void findRefusesMalformedCriteria()
    {
        QFETCH(QString, criterion);
        m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
        Recordset rs;
        rs.open(QStringLiteral("SiteTbl"), *m_c);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.find(criterion));
    }

    // A row just added stays the current one: a second update changes it, and
    // every write reaches the database at once.
    void addedRowStaysCurrent()
    {
        Recordset rs;
        rs.open(QStringLiteral("SiteTbl"), *m_c);
        rs.addNew();
        rs.setValue(QStringLiteral("TNo"), QStringLiteral("B1"));
        rs.update();
        rs.setValue(QStringLiteral("TNo"), QStringLiteral("B2"));
        rs.update();
        QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(TNo) FROM SiteTbl")).toString(), QStringLiteral("B2"));
        rs.deleteCurrent();
        QCOMPARE(m_folder->scalar(QStringLiteral("SELECT count(*) FROM SiteTbl")).toInt(), 0);
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.value(QStringLiteral("TNo")));
    }

private:
    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_Database.moc"
