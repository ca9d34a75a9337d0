#include "ServerRegister.h"
#include "TestDataFolder.h"

#include "store/BankClass.h"
#include "store/ChangeSource.h"
#include "store/Connection.h"
#include "store/RibodoClass.h"
#include "store/RowVersion.h"
#include "store/RibodoKbns.h"
#include "store/Schema.h"
#include "store/SireCliantClass.h"
#include "store/StatementReader.h"
#include "store/StoreError.h"
#include "store/WorkTable.h"

#include <QtTest>

#include <thread>
#include <type_traits>

namespace {

// The supplier class under the names the category and bank classes share, so
// that one test body serves all three.
struct Supplier : SireCliantClass
{
    void setKbnTblNo(qint16) {}
    void setKCode(const QString &c) { setCliantCode(c); }
    void setKCode2(const QString &c) { setCliantCode2(c); }
    void setKName(const QString &n) { setCliantname(n); }
    QString KCode() const { return CliantCode(); }
    QString KName() const { return Cliantname(); }
    void Mcsave() { SaveRs(); }
    void Mcedit() { EditRs(); }
    void Mcdelete() { DeleteRs(); }
    void McEDsearch() { SearchRs(); }
    QVariant DuplicateCodeCheck(const QVariant &c) { return CliantCodeCheck(c); }
    QVariant DispName(const QVariant &c) { return CliantNameDisplay(c); }
    Recordset &RsEd() { return RsMcds(); }
};

// The "found" markers differ between the classes on purpose.
struct Kind
{
    const char *name, *table, *code, *nameColumn, *found, *codeWord;
};
const Kind kinds[] = {{"category", "kbn1", "KbnCode", "KbnName", "x", "区分"},
                      {"bank", "kbn6", "KbnCode", "KbnName", "x", "銀行"},
                      {"supplier", "SireCliant", "ClCode", "ClName", "X", "仕入先"}};

template <class F>
void forKind(int kind, F body)
{
    if (kind == 0)
        body(std::type_identity<RibodoKbns>());
    else if (kind == 1)
        body(std::type_identity<BankClass>());
    else
        body(std::type_identity<Supplier>());
}

} // namespace

// The notes class RibodoClass and the three master classes (categories,
// banks, suppliers), which follow one pattern and share most tests. Every
// case runs on a SQLite register and on a server register filled alike.
class TestRecordClasses : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("sqlite") << false;
        QTest::newRow("postgresql") << true;
    }

    void initTestCase()
    {
        if (!m_register.isStarted())
            QVERIFY2(m_register.start(), qPrintable(m_register.error()));
    }

    void cleanupTestCase()
    {
        m_register.stop();
    }

    void init()
    {
        QFETCH_GLOBAL(bool, server);
        m_server = server;
        m_folder = std::make_unique<TestDataFolder>();
        if (m_server) {
            QVERIFY2(m_register.reset(), qPrintable(m_register.error()));
            m_register.use(*m_folder);
        }
        for (const Kind &k : kinds) {
            m_folder->exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(k.table)));
            m_folder->exec(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ('A', 'Alpha'), ('B', 'X'), ('C', 'Gamma'), ('O''K', 'Quote')")
                                   .arg(QLatin1String(k.table), QLatin1String(k.code), QLatin1String(k.nameColumn)));
        }
    }

    void cleanup()
    {
        m_folder.reset();
    }

    // The history names where each change came from, one write or a
    // transaction of many.
    void historySource_data()
    {
        QTest::addColumn<bool>("transaction");
        QTest::newRow("one write") << false;
        QTest::newRow("a transaction") << true;
    }

    void historySource()
    {
        QFETCH(bool, transaction);
        m_folder->addNote(QStringLiteral("S1"), QStringLiteral("2024-04-01"));
        {
            const ChangeSource::Scope scope(QStringLiteral("期日到来の更新"));
            auto r = open<RibodoClass>();
            if (transaction) {
                r->setRibodoKDate(QDate(2024, 4, 30));
                r->HenkoJ();
            } else {
                r->setRibodoNo2(QStringLiteral("S1"));
                r->setJyotai(QStringLiteral("2"));
                r->EditRsJ();
            }
        }
        QCOMPARE(rows(QStringLiteral("SiteTbl"), QStringLiteral("TNo, TCond")), QStringLiteral("S1|2"));
        QCOMPARE(m_folder->scalar(QStringLiteral("SELECT RSource FROM RirekiTbl ORDER BY RNo DESC LIMIT 1")).toString(),
                 QStringLiteral("期日到来の更新"));
        QCOMPARE(m_folder->scalar(QStringLiteral("SELECT RSource FROM RirekiTbl WHERE RAction = '登録' ORDER BY RNo DESC LIMIT 1")).toString(),
                 ChangeSource::current());
    }

    // A null column leaves its property as the last note set it.
    void nullColumnKeepsProperty()
    {
        m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-03-31"), QStringLiteral("1"), 1234567);
        m_folder->exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate, TKingaku) VALUES ('N1', '2024-04-01', NULL)"));
        auto r = open<RibodoClass>();
        for (const char *number : {"A1", "N1"}) {
            r->setRibodoNo(QLatin1String(number));
            r->SearchRs();
        }
        QCOMPARE(r->RibodoKDate().toDate(), QDate(2024, 4, 1));
        QCOMPARE(r->RibodoFDate().toDate(), QDate(2024, 1, 10));
        QCOMPARE(r->Kingaku(), QStringLiteral("1234567"));
    }

    void noteLookUps_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("searched"); // RibodoNo after SearchRs
        QTest::addColumn<QString>("check");
        QTest::newRow("exists") << false << "A1" << "A1" << "X";
        QTest::newRow("exists, other letter case") << false << "a1" << "A1" << "X";
        QTest::newRow("missing") << false << "A9" << "X" << "";
        QTest::newRow("a note numbered X reads as missing") << false << "X" << "X" << "X";
        QTest::newRow("a quote never finds the first row") << false << "A1' OR '1'='1" << "X" << "";
        QTest::newRow("empty table") << true << "A1" << "X" << "";
    }

    void noteLookUps()
    {
        QFETCH(bool, empty);
        QFETCH(QString, number);
        if (!empty) {
            m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
            m_folder->addNote(QStringLiteral("X"), QStringLiteral("2024-04-02"));
        }
        auto r = open<RibodoClass>();
        r->setRibodoNo(number);
        r->SearchRs();
        QTEST(r->RibodoNo(), "searched");
        QTEST(open<RibodoClass>()->RibodoBangoCheck(number).toString(), "check");
    }

    void noteChanges_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("number2");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("after"); // empty: refused, nothing written
        QTest::newRow("EditRs in place") << "EditRs" << "A2" << "A2" << "A1|2024-04-01|10|1;A2|2025-01-06|500|3;A3|2024-04-03|30|1";
        QTest::newRow("EditRs renames") << "EditRs" << "A2" << "B7" << "A1|2024-04-01|10|1;B7|2025-01-06|500|3;A3|2024-04-03|30|1";
        QTest::newRow("EditRsJ changes only the state") << "EditRsJ" << "A2" << "B7" << "A1|2024-04-01|10|1;A2|2024-04-02|20|3;A3|2024-04-03|30|1";
        QTest::newRow("DeleteRs by RibodoNo2 only") << "DeleteRs" << "A2" << "A1" << "A1|2024-04-01|10|1;A3|2024-04-03|30|1";
        QTest::newRow("EditRs to a taken number") << "EditRs" << "A2" << "a1" << "";
        QTest::newRow("EditRs of a missing number") << "EditRs" << "A9" << "A9" << "";
        QTest::newRow("EditRsJ of a missing number") << "EditRsJ" << "A9" << "A9" << "";
        QTest::newRow("DeleteRs of a missing number") << "DeleteRs" << "A9" << "A9" << "";
    }

    void noteChanges()
    {
        QFETCH(QString, operation);
        QFETCH(QString, number2);
        QFETCH(QString, number);
        QFETCH(QString, after);
        for (int i = 1; i <= 3; ++i)
            m_folder->addNote(QStringLiteral("A%1").arg(i), QStringLiteral("2024-04-0%1").arg(i), QStringLiteral("1"), 10 * i);
        const QString before = rows(QStringLiteral("SiteTbl"), QStringLiteral("TNo, TKDate, CAST(TKingaku AS INTEGER), TCond"));
        {
            auto r = open<RibodoClass>();
            r->setRibodoNo2(number2);
            r->setRibodoNo(number);
            r->setRibodoKDate(QDate(2025, 1, 6));
            r->setKingaku(QStringLiteral("500"));
            r->setJyotai(QStringLiteral("3"));
            const auto change = [&] {
                operation == QLatin1String("EditRs") ? r->EditRs() : operation == QLatin1String("EditRsJ") ? r->EditRsJ() : r->DeleteRs();
            };
            if (after.isEmpty())
                QVERIFY_THROWS_EXCEPTION(StoreError, change());
            else
                change();
        }
        // Checked after the object is gone: a refused note must not be written late.
        QCOMPARE(rows(QStringLiteral("SiteTbl"), QStringLiteral("TNo, TKDate, CAST(TKingaku AS INTEGER), TCond")), after.isEmpty() ? before : after);
    }

    void henkoJ_data()
    {
        QTest::addColumn<QVariant>("cutOff");
        QTest::addColumn<QString>("refused"); // a note whose update the database refuses
        QTest::addColumn<QString>("states");
        QTest::newRow("due on or before the day, as text") << QVariant(QStringLiteral("2024/04/30")) << "" << "2;2;1;3;4";
        QTest::newRow("nothing due") << QVariant(QDate(2024, 3, 30)) << "" << "1;1;1;3;4";
        QTest::newRow("all or nothing") << QVariant(QDate(2024, 4, 30)) << "due on the day" << "1;1;1;3;4";
    }

    void henkoJ()
    {
        QFETCH(QVariant, cutOff);
        QFETCH(QString, refused);
        for (const auto &[number, due, state] : {std::tuple{"due earlier", "2024-03-31", "1"}, {"due on the day", "2024-04-30", "1"},
                                                 {"due the day after", "2024-05-01", "1"}, {"settled", "2024-03-01", "3"},
                                                 {"other state due", "2024-04-15", "4"}})
            m_folder->addNote(QLatin1String(number), QLatin1String(due), QLatin1String(state));
        if (!refused.isEmpty() && m_server)
            QVERIFY2(m_register.exec({QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                                                     "$$BEGIN RAISE EXCEPTION 'refused'; END$$"),
                                      QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON SiteTbl FOR EACH ROW "
                                                     "WHEN (NEW.TNo = '%1') EXECUTE FUNCTION refuse()").arg(refused)},
                                     QStringLiteral("DROP FUNCTION refuse() CASCADE")),
                     qPrintable(m_register.error()));
        else if (!refused.isEmpty())
            m_folder->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON SiteTbl WHEN NEW.TNo = '%1' "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END").arg(refused));
        {
            auto r = open<RibodoClass>();
            r->setRibodoKDate(cutOff);
            if (refused.isEmpty())
                r->HenkoJ();
            else
                QVERIFY_THROWS_EXCEPTION(StoreError, r->HenkoJ());
        }
        QTEST(rows(QStringLiteral("SiteTbl"), QStringLiteral("TCond")), "states");
    }

    // Two PCs starting at once: the second one's state update waits for the
    // first PC's change of a due note and then leaves it as that PC left it.
    void henkoJOnTwoPCs()
    {
        if (!m_server)
            QSKIP("one SQLite file takes one writer at a time");
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        m_folder->addNote(QStringLiteral("P1"), today);
        m_folder->addNote(QStringLiteral("P2"), today);
        Connection first;
        first.open(Schema::connectionText(m_folder->path()));
        first.beginTrans();
        first.exec(QStringLiteral("UPDATE SiteTbl SET TCond = '3' WHERE TNo = 'P1'")).finish();
        QString failure;
        std::thread second([&] {
            try {
                RibodoClass r;
                r.setDirPath(m_folder->path());
                r.CntDb();
                r.setRibodoKDate(QDate::currentDate());
                r.HenkoJ();
            } catch (const StoreError &e) {
                failure = e.text();
            }
        });
        Connection watch;
        watch.open(Schema::connectionText(m_folder->path()));
        const bool waiting = QTest::qWaitFor([&] {
            QSqlQuery &q = watch.exec(QStringLiteral("SELECT count(*) FROM pg_locks WHERE NOT granted"));
            const bool found = q.next() && q.value(0).toInt() > 0;
            q.finish();
            return found;
        });
        first.commitTrans();
        second.join();
        QVERIFY(waiting);
        QCOMPARE(failure, QString());
        QCOMPARE(rows(QStringLiteral("SiteTbl"), QStringLiteral("TNo, TCond")), QStringLiteral("P1|3;P2|2"));
    }

    void missingDatabaseFailsToConnect()
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
        QVERIFY(!QFile::exists(empty.databasePath())); // nothing was created
    }

    void lookUps_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("setup"); // %1 the table, %2 its code column
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("found"); // the stored code, empty when none matches
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("loaded"); // KName after McEDsearch
        for (int k = 0; k < 3; ++k) {
            const char *n = kinds[k].name;
            QTest::addRow("%s other letter case", n) << k << "" << "c" << "C" << "Gamma" << "Gamma";
            QTest::addRow("%s named X", n) << k << "" << "B" << "B" << "X" << "X";
            QTest::addRow("%s code with a quote", n) << k << "" << "O'K" << "O'K" << "Quote" << "Quote";
            QTest::addRow("%s quote never matches all", n) << k << "" << "Q' OR 'a'='a" << "" << "" << "";
            QTest::addRow("%s empty table", n) << k << "DELETE FROM %1 WHERE %2 IS NOT NULL" << "A" << "" << "" << "";
            // Only the supplier class leaves a property alone for a null column.
            QTest::addRow("%s null name", n) << k << "INSERT INTO %1 (%2) VALUES ('N')" << "N" << "N" << ""
                                              << (k == 2 ? "before" : "");
        }
    }

    void lookUps()
    {
        QFETCH(int, kind);
        QFETCH(QString, setup);
        QFETCH(QString, code);
        QFETCH(QString, found);
        QFETCH(QString, name);
        QFETCH(QString, loaded);
        if (!setup.isEmpty())
            m_folder->exec(setup.arg(QLatin1String(kinds[kind].table), QLatin1String(kinds[kind].code)));
        const bool hit = !found.isEmpty();
        forKind(kind, [&]<class T>(std::type_identity<T>) {
            auto m = open<T>();
            m->setKCode(code);
            m->setKName(QStringLiteral("before"));
            m->McEDsearch();
            QCOMPARE(m->KCode(), hit ? found : QStringLiteral("X"));
            QCOMPARE(m->KName(), hit ? loaded : QStringLiteral("before"));
            QCOMPARE(open<T>()->DuplicateCodeCheck(code).toString(), hit ? QLatin1String(kinds[kind].found) : QString());
            QCOMPARE(open<T>()->DispName(code).toString(), hit ? name : QStringLiteral("X"));
            // The rowset is the whole table in stored order.
            auto walker = open<T>();
            QStringList seen;
            for (Recordset &rs = walker->RsEd(); !rs.eof(); rs.moveNext())
                seen << rs.value(QLatin1String(kinds[kind].code)).toString() + QLatin1Char('|') + rs.value(QLatin1String(kinds[kind].nameColumn)).toString();
            QCOMPARE(seen.join(QLatin1Char(';')), rows(kind));
        });
    }

    void changes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("code2");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("after"); // empty: refused, nothing written
        for (int k = 0; k < 3; ++k) {
            const char *n = kinds[k].name;
            QTest::addRow("%s save appends", n) << k << "save" << "" << "D" << "A|Alpha;B|X;C|Gamma;O'K|Quote;D|Delta";
            QTest::addRow("%s edit in place", n) << k << "edit" << "B" << "B" << "A|Alpha;B|Delta;C|Gamma;O'K|Quote";
            QTest::addRow("%s edit recodes", n) << k << "edit" << "B" << "D" << "A|Alpha;D|Delta;C|Gamma;O'K|Quote";
            QTest::addRow("%s delete by the second code only", n) << k << "delete" << "O'K" << "A" << "A|Alpha;B|X;C|Gamma";
            QTest::addRow("%s save of a taken code", n) << k << "save" << "" << "c" << "";
            QTest::addRow("%s edit to a taken code", n) << k << "edit" << "B" << "a" << "";
            QTest::addRow("%s edit of a missing code", n) << k << "edit" << "Q" << "Q" << "";
            QTest::addRow("%s delete of a missing code", n) << k << "delete" << "Q" << "Q" << "";
        }
    }

    void changes()
    {
        QFETCH(int, kind);
        QFETCH(QString, operation);
        QFETCH(QString, code2);
        QFETCH(QString, code);
        QFETCH(QString, after);
        const QString before = rows(kind);
        forKind(kind, [&]<class T>(std::type_identity<T>) {
            auto m = open<T>();
            m->setKCode2(code2);
            m->setKCode(code);
            m->setKName(QStringLiteral("Delta"));
            const auto change = [&] {
                operation == QLatin1String("save") ? m->Mcsave() : operation == QLatin1String("edit") ? m->Mcedit() : m->Mcdelete();
            };
            if (after.isEmpty()) {
                // A missing code is told apart from a taken one.
                const QString why = code2 == QLatin1String("Q") ? QStringLiteral("コードが見つかりません。")
                                                                : QStringLiteral("コードが重複しています。");
                try {
                    change();
                    QFAIL("the change went through");
                } catch (const StoreError &e) {
                    QCOMPARE(e.explanation(), QString::fromUtf8(kinds[kind].codeWord) + why);
                }
            } else {
                change();
            }
        });
        // Checked after the object is gone: a refused row must not be written late.
        QCOMPARE(rows(kind), after.isEmpty() ? before : after);
    }

    void bankBalance_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("text"); // given to setBZan before writing; null: never set
        QTest::addColumn<QString>("balance"); // read back; empty: refused
        QTest::newRow("number") << QVariant(250.5) << false << QString() << "250.5";
        QTest::newRow("null") << QVariant() << false << QString() << "0";
        QTest::newRow("blank text") << QVariant(QStringLiteral(" ")) << false << QString() << "0";
        QTest::newRow("grouped text") << QVariant(QStringLiteral("1,200")) << false << QString() << "1200";
        QTest::newRow("no number") << QVariant(QStringLiteral("abc")) << false << QString() << "";
        QTest::newRow("written, never set, is 0") << QVariant(1500) << true << QString() << "0";
        QTest::newRow("written with separators") << QVariant(1500) << true << "1,234,567.5" << "1234567.5";
    }

    void bankBalance()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, write);
        QFETCH(QString, text);
        QFETCH(QString, balance);
        if (m_server && stored.typeId() == QMetaType::QString)
            QSKIP("the server's amount column holds numbers only");
        m_folder->exec(QStringLiteral("UPDATE kbn6 SET KbnName = 'odd', KbnZan = ?"), {stored});
        if (write) {
            // Both writes: an edit of a bank and a new one.
            for (const char *code : {"A", "N"}) {
                auto b = open<BankClass>();
                if (!text.isNull())
                    b->setBZan(text);
                b->setKCode2(QStringLiteral("A"));
                b->setKCode(QLatin1String(code));
                b->setKName(QStringLiteral("odd"));
                *code == 'A' ? b->Mcedit() : b->Mcsave();
            }
            QCOMPARE(column(QStringLiteral("SELECT KbnCode FROM kbn6 WHERE KbnZan = CAST(? AS REAL) ORDER BY rowid"), {balance}),
                     QStringLiteral("A,N"));
        }
        auto b = open<BankClass>();
        b->setBZan(QStringLiteral("77"));
        b->setKCode(QStringLiteral("A"));
        if (balance.isEmpty()) {
            // Nothing of the bank is loaded, not even its name.
            QVERIFY_THROWS_EXCEPTION(StoreError, b->McEDsearch());
            QCOMPARE(b->KName(), QString());
            QCOMPARE(b->BZan(), QStringLiteral("77"));
            return;
        }
        b->McEDsearch();
        QCOMPARE(b->KName(), QStringLiteral("odd"));
        QCOMPARE(b->BZan(), balance);
    }

    // Each property has its own column both ways; the search passes over null or
    // unreadable columns; an edit writes every property, set or not.
    void supplierColumns()
    {
        using Text = std::pair<void (SireCliantClass::*)(const QString &), QString (SireCliantClass::*)() const>;
        const Text texts[] = {{&SireCliantClass::setCliantCode, &SireCliantClass::CliantCode},
                              {&SireCliantClass::setCliantname, &SireCliantClass::Cliantname},
                              {&SireCliantClass::setCliantPdName, &SireCliantClass::CliantPdName},
                              {&SireCliantClass::setCliantYomigana, &SireCliantClass::CliantYomigana},
                              {&SireCliantClass::setAds1, &SireCliantClass::Ads1}, {&SireCliantClass::setAds2, &SireCliantClass::Ads2},
                              {&SireCliantClass::setAds3, &SireCliantClass::Ads3}, {&SireCliantClass::setAds4, &SireCliantClass::Ads4},
                              {&SireCliantClass::setZipCd, &SireCliantClass::ZipCd}, {&SireCliantClass::setClTelNo, &SireCliantClass::ClTelNo},
                              {&SireCliantClass::setClFaxNo, &SireCliantClass::ClFaxNo}, {&SireCliantClass::setClSimeBi, &SireCliantClass::ClSimeBi},
                              {&SireCliantClass::setClKaisyuYotei, &SireCliantClass::ClKaisyuYotei}};
        const QString columns = QStringLiteral("ClCode, ClName, ClPdName, ClYomigana, clAddress1, claddress2, claddress3, claddress4, "
                                               "clzip, cltel, clfax, ClSime, Clpay, ClZan, ClTokuiKbn");
        const auto row = [&](const QString &code) {
            return m_folder->scalar(QStringLiteral("SELECT %1 FROM SireCliant WHERE ClCode = ?").arg(QString(columns).replace(QLatin1String(", "), QLatin1String(" || '|' || "))), {code}).toString();
        };
        {
            auto s = open<Supplier>();
            for (int i = 0; i < 13; ++i)
                (s.get()->*texts[i].first)(QStringLiteral("w%1").arg(i));
            s->setClSeikyuZan(1234567.5);
            s->setSClKbn(3);
            s->SaveRs();
        }
        QCOMPARE(row(QStringLiteral("w0")), QStringLiteral("w0|w1|w2|w3|w4|w5|w6|w7|w8|w9|w10|w11|w12|1234567.5|3"));

        // The server's amount column refuses text: there a null balance is passed over.
        m_folder->exec(QStringLiteral("INSERT INTO SireCliant (%1) VALUES ('r0', 'r1', 'r2', 'r3', 'r4', 'r5', 'r6', 'r7', 'r8', 'r9', 'r10', 'r11', 'r12', 500, 2), "
                                      "('300', 'no phone', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, '', NULL, NULL, %2, NULL)")
                               .arg(columns, m_server ? QStringLiteral("NULL") : QStringLiteral("'abc'")));
        m_folder->exec(QStringLiteral("UPDATE SireCliant SET ClTekiho = ? WHERE ClCode = 'r0'"), {true});
        auto s = open<Supplier>();
        s->setCliantCode(QStringLiteral("r0"));
        s->SearchRs();
        QStringList seen;
        for (const Text &t : texts)
            seen << (s.get()->*t.second)();
        QCOMPARE(seen.join(QLatin1Char('|')), QStringLiteral("r0|r1|r2|r3|r4|r5|r6|r7|r8|r9|r10|r11|r12"));
        QVERIFY(s->ClTekiho());
        QCOMPARE(s->ClSeikyuZan(), 500.0);
        QCOMPARE(s->SClKbn(), qint16(2));
        s->setCliantCode(QStringLiteral("300"));
        s->SearchRs();
        QCOMPARE(s->Cliantname(), QStringLiteral("no phone"));
        QCOMPARE(s->ClTelNo(), QStringLiteral("r9"));
        QCOMPARE(s->ClFaxNo(), QString());
        QCOMPARE(s->ClSeikyuZan(), 500.0);
        QCOMPARE(s->SClKbn(), qint16(2));
        s = open<Supplier>();
        s->setCliantCode2(QStringLiteral("r0"));
        s->setCliantCode(QStringLiteral("200"));
        s->setCliantname(QStringLiteral("新社名"));
        s->EditRs();
        QCOMPARE(row(QStringLiteral("200")), stored(QStringLiteral("200|新社名||||||||||||0.0|0")));
    }

    // A row another program changed since its call-up is not overwritten,
    // also when that program gave it another key.
    void changedElsewhere_data()
    {
        QTest::addColumn<bool>("note");
        QTest::addColumn<bool>("rekeyed");
        QTest::addColumn<QString>("after");
        QTest::newRow("note") << true << false << "A1|3";
        QTest::newRow("note renumbered") << true << true << "B1|3";
        QTest::newRow("supplier") << false << false << "A|Delta;B|X;C|Gamma;O'K|Quote";
        QTest::newRow("supplier recoded") << false << true << "D|Delta;B|X;C|Gamma;O'K|Quote";
    }

    void changedElsewhere()
    {
        QFETCH(bool, note);
        QFETCH(bool, rekeyed);
        if (note) {
            m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
            auto first = open<RibodoClass>();
            first->setRibodoNo(QStringLiteral("A1"));
            first->SearchRs();
            {
                auto other = open<RibodoClass>();
                other->setRibodoNo(QStringLiteral("A1"));
                other->SearchRs();
                other->setRibodoNo2(QStringLiteral("A1"));
                other->setRibodoNo(rekeyed ? QStringLiteral("B1") : QStringLiteral("A1"));
                other->setJyotai(QStringLiteral("3"));
                other->EditRs();
            }
            first->setRibodoNo2(QStringLiteral("A1"));
            first->setJyotai(QStringLiteral("4"));
            try {
                first->EditRs();
                QFAIL("overwritten");
            } catch (const StoreError &e) {
                QCOMPARE(e.kind(), StoreError::Kind::Conflict);
            }
            QTEST(rows(QStringLiteral("SiteTbl"), QStringLiteral("TNo, TCond")), "after");
            return;
        }
        auto first = open<Supplier>();
        first->setKCode(QStringLiteral("A"));
        first->McEDsearch();
        {
            auto other = open<Supplier>();
            other->setKCode(QStringLiteral("A"));
            other->McEDsearch();
            other->setKCode2(QStringLiteral("A"));
            other->setKCode(rekeyed ? QStringLiteral("D") : QStringLiteral("A"));
            other->setKName(QStringLiteral("Delta"));
            other->Mcedit();
        }
        first->setKCode2(QStringLiteral("A"));
        first->setKName(QStringLiteral("Late"));
        try {
            first->Mcedit();
            QFAIL("overwritten");
        } catch (const StoreError &e) {
            QCOMPARE(e.kind(), StoreError::Kind::Conflict);
        }
        QTEST(rows(2), "after");
    }

    // On a server the check locks the note, so that a second PC checking
    // at the same moment waits for the first one's commit.
    void checkLocksTheRow()
    {
        if (!m_server)
            QSKIP("SQLite's write transaction holds the whole register");
        m_folder->addNote(QStringLiteral("A1"), QStringLiteral("2024-04-01"));
        Connection first;
        Connection second;
        first.open(Schema::connectionText(m_folder->path()));
        second.open(Schema::connectionText(m_folder->path()));
        const qint64 version = RowVersion::newest(first, QStringLiteral("SiteTbl"), QStringLiteral("A1")).number;
        first.beginTrans();
        RowVersion::require(first, QStringLiteral("SiteTbl"), QStringLiteral("A1"), version);
        second.exec(QStringLiteral("SELECT set_config('lock_timeout', '200ms', false)")).finish();
        second.beginTrans();
        try {
            RowVersion::require(second, QStringLiteral("SiteTbl"), QStringLiteral("A1"), version);
            QFAIL("both passed the check");
        } catch (const StoreError &) {
        }
        second.rollbackTrans();
        first.rollbackTrans();
    }

    // The work table holds the last list given, short rows padded with
    // empty text.
    void workTable()
    {
        Connection c;
        c.open(Schema::connectionText(m_folder->path()));
        WorkTable::replace(c, {{QStringLiteral("a"), QStringLiteral("b")}, {QStringLiteral("x")}});
        WorkTable::replace(c, {{QStringLiteral("1"), QString(), QStringLiteral("3")}, {QStringLiteral("4")}});
        QCOMPARE(rows(QStringLiteral("TMPTbl"), QStringLiteral("F1, F2, F3, F7")), QStringLiteral("1||3|;4|||"));
    }

    // The fast reader gives the same values on both engines, amounts exact,
    // and keeps its rows while other statements run on the connection,
    // outside a transaction and inside a read one.
    void statementReader_data()
    {
        QTest::addColumn<bool>("read");
        QTest::newRow("alone") << false;
        QTest::newRow("in a read transaction") << true;
    }

    void statementReader()
    {
        QFETCH(bool, read);
        m_folder->addNote(QStringLiteral("R1"), QStringLiteral("2024-04-01"), QStringLiteral("1"), 123456789012.0);
        m_folder->addNote(QStringLiteral("R2"), QStringLiteral("2024-04-02"), QStringLiteral("1"), 7);
        m_folder->exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate, TKingaku) VALUES ('R3', '2024-04-03', NULL)"));
        Connection c;
        c.open(Schema::connectionText(m_folder->path()));
        if (read)
            c.beginRead();
        StatementReader r(c, QStringLiteral("SELECT TNo, TKingaku, length(TNo) AS Len FROM SiteTbl WHERE TNo LIKE ? ORDER BY TNo"),
                          {QStringLiteral("R%")});
        QCOMPARE(r.columnCount(), 3);
        QCOMPARE(r.columnName(0).toLower(), QStringLiteral("tno"));
        QStringList seen;
        while (r.next()) {
            c.exec(QStringLiteral("SELECT count(*) FROM SiteTbl")).finish();
            const QVariant amount = r.value(1);
            seen << QStringLiteral("%1|%2|%3|%4")
                            .arg(r.value(0).toString(),
                                 amount.isNull() ? QStringLiteral("null") : QString::number(amount.toDouble(), 'f', 0),
                                 QString::number(r.integer(2)), QString::fromUtf8(r.utf8(0)));
            QCOMPARE(r.type(1) == StatementReader::Type::Null, amount.isNull());
        }
        if (read)
            c.commitTrans();
        QCOMPARE(seen.join(QLatin1Char(';')), QStringLiteral("R1|123456789012|2|R1;R2|7|2|R2;R3|null|2|R3"));
        if (read)
            c.beginRead();
        StatementReader all(c, QStringLiteral("SELECT TNo FROM SiteTbl WHERE TNo LIKE 'R%' ORDER BY TNo"));
        QStringList numbers;
        while (all.next()) {
            c.exec(QStringLiteral("SELECT count(*) FROM SiteTbl")).finish();
            numbers << all.value(0).toString();
        }
        if (read)
            c.commitTrans();
        QCOMPARE(numbers.join(QLatin1Char(',')), QStringLiteral("R1,R2,R3"));
    }

    // A user of the server's read-only role reads the register and is
    // refused every write with the read-only message.
    void readerRole()
    {
        if (!m_server)
            QSKIP("a read-only data folder is tested with the store's reliability");
        QVERIFY2(m_register.exec({QStringLiteral("DO $$BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'etsuran1') "
                                                 "THEN CREATE ROLE etsuran1 LOGIN IN ROLE \"閲覧\"; END IF; END$$")}),
                 qPrintable(m_register.error()));
        m_register.use(*m_folder, QStringLiteral("etsuran1"));
        auto b = open<BankClass>();
        b->setKCode(QStringLiteral("A"));
        b->McEDsearch();
        QCOMPARE(b->KName(), QStringLiteral("Alpha"));
        b->setKCode2(QStringLiteral("A"));
        b->setKName(QStringLiteral("changed"));
        try {
            b->Mcedit();
            QFAIL("a reader wrote");
        } catch (const StoreError &e) {
            QCOMPARE(e.explanation(), Connection::readOnlyMessage());
        }
        QCOMPARE(rows(1), QStringLiteral("A|Alpha;B|X;C|Gamma;O'K|Quote"));
    }

private:
    template <class T>
    std::unique_ptr<T> open(qint16 table = 0) const
    {
        auto m = std::make_unique<T>();
        m->setDirPath(m_folder->path());
        if constexpr (!std::is_same_v<T, RibodoClass>)
            m->setKbnTblNo(table);
        m->CntDb();
        return m;
    }
    QString rows(const QString &table, const QString &columns) const;
    QString rows(int kind) const;
    QString column(const QString &sql, const QVariantList &values = {}, QLatin1Char separator = QLatin1Char(',')) const;
    QString stored(const QString &sqliteText) const;
    ServerRegister m_register;
    bool m_server = false;
    std::unique_ptr<TestDataFolder> m_folder;
};

// The first column of every row, null ones left out, joined.
QString TestRecordClasses::column(const QString &sql, const QVariantList &values, QLatin1Char separator) const
{
    Connection c;
    c.open(Schema::connectionText(m_folder->path()));
    QSqlQuery &q = c.exec(sql, values);
    QStringList texts;
    while (q.next()) {
        if (!q.value(0).isNull())
            texts << q.value(0).toString();
    }
    q.finish();
    return texts.join(separator);
}

// A row as SQLite's text shows it, as the server's does: a whole amount
// without the ".0" of a real number.
QString TestRecordClasses::stored(const QString &sqliteText) const
{
    if (!m_server)
        return sqliteText;
    static const QRegularExpression wholeReal(QStringLiteral(R"((\d)\.0(?=$|[|;]))"));
    return QString(sqliteText).replace(wholeReal, QStringLiteral("\\1"));
}

// Every row in stored order: the columns (split at ", ") joined by '|', rows by ';'.
QString TestRecordClasses::rows(const QString &table, const QString &columns) const
{
    const QString row = QString(columns).replace(QLatin1String(", "), QLatin1String(" || '|' || "));
    return column(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(row, table), {}, QLatin1Char(';'));
}

QString TestRecordClasses::rows(int kind) const
{
    const Kind &k = kinds[kind];
    return rows(QLatin1String(k.table), QStringLiteral("%1, IFNULL(%2,'')").arg(QLatin1String(k.code), QLatin1String(k.nameColumn)));
}

QTEST_GUILESS_MAIN(TestRecordClasses)
#include "tst_RecordClasses.moc"
