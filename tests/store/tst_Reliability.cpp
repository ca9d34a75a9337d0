#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/DatabaseBackup.h"
#include "store/DataFolderBuilder.h"
#include "store/JetSql.h"
#include "store/Recordset.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/SchemaIndexes.h"
#include "store/StoreError.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QtTest>

#include <functional>
#include <limits>
#include <thread>

namespace {

const QString tool = QStringLiteral(RIBODO_DATAFOLDER_TOOL);

QString notes(const TestDataFolder &folder)
{
    return folder.scalar(QStringLiteral("SELECT group_concat(TNo || ':' || TCond) FROM (SELECT * FROM SiteTbl ORDER BY TNo)"))
            .toString();
}

// Runs `work` on a fresh note object of `folder`; the explanation of the
// StoreError it raised, or the empty text.
QString refusal(const TestDataFolder &folder, const std::function<void(RibodoClass &)> &work)
{
    try {
        RibodoClass note;
        note.setDirPath(folder.path());
        note.CntDb();
        work(note);
    } catch (const StoreError &e) {
        return e.explanation();
    }
    return QString();
}

} // namespace

// The faults the store was put through: a build cut short, a brief lock, a
// read-only medium, texts the engine misreads, statements that slip past the
// translation, amounts beyond exact doubles, and the daily copy and its restore.
class TestReliability : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killDuringCreation_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("delay");
        for (int delay : {0, 10, 30, 60, 120, 250, 500})
            QTest::addRow("demo, killed after %d ms", delay) << "demo" << delay;
        QTest::newRow("create, killed at once") << "create" << 0;
    }

    // Killed at any moment, the tool leaves no database or a whole one, and a
    // later build in the same folder succeeds.
    void killDuringCreation()
    {
        QFETCH(QString, command);
        QFETCH(int, delay);
        TestDataFolder folder(false);
        QProcess child;
        child.start(tool, {command, folder.path(), QStringLiteral("30000")});
        QVERIFY(child.waitForStarted());
        QTest::qSleep(delay);
        child.kill();
        child.waitForFinished();
        if (!QFileInfo::exists(folder.databasePath()))
            DataFolderBuilder::createDatabase(folder.path());
        DatabaseBackup::check(folder.databasePath());
        QCOMPARE(folder.scalar(QStringLiteral("SELECT KbnName FROM Kbn3 WHERE KbnCode = '3'")).toString(),
                 QStringLiteral("決済済み"));
    }

    void lockIsWaitedOut_data()
    {
        QTest::addColumn<int>("heldMs");
        QTest::addColumn<QString>("after");
        QTest::newRow("held for a second: waited out") << 1000 << "L0:2,L1:2";
        QTest::newRow("held for six seconds: given up after five") << 6000 << "L0:1,L1:1";
    }

    // The state update waits for another writer's lock like any write, and
    // gives up after five seconds saying why, nothing changed.
    void lockIsWaitedOut()
    {
        QFETCH(int, heldMs);
        QFETCH(QString, after);
        TestDataFolder folder;
        folder.addNote(QStringLiteral("L1"), QStringLiteral("2024-01-31"));
        QSemaphore locked;
        std::thread holder([&] {
            Connection other;
            other.open(Schema::connectionText(folder.path()));
            other.beginTrans();
            other.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate, TCond) VALUES ('L0', '2024-01-31', '1')")).finish();
            locked.release();
            QTest::qSleep(heldMs);
            other.commitTrans();
        });
        locked.acquire();
        const QString refused = refusal(folder, [](RibodoClass &n) {
            n.setRibodoKDate(QStringLiteral("2024/02/01"));
            n.HenkoJ();
        });
        holder.join();
        QCOMPARE(notes(folder), after);
        QCOMPARE(refused.startsWith(QStringLiteral("データベースが他の処理で使用中")), after.endsWith(QLatin1String("L1:1")));
    }

    void readOnlyFolder_data()
    {
        QTest::addColumn<bool>("logBeside");
        QTest::newRow("database alone") << false;
        QTest::newRow("committed changes still in the write-ahead log") << true;
    }

    // A database on a read-only medium is read, with what its log holds, and
    // every write is refused with one message.
    void readOnlyFolder()
    {
        QFETCH(bool, logBeside);
        TestDataFolder source;
        source.addNote(QStringLiteral("R1"), QStringLiteral("2024-01-31"));
        TestDataFolder folder(false);
        {
            Connection writer; // open while copied: its log is not folded in
            writer.open(Schema::connectionText(source.path()));
            writer.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")).finish();
            if (logBeside)
                writer.exec(QStringLiteral("UPDATE SiteTbl SET TKDate = '2024-02-29'")).finish();
            for (const char *suffix : {"", "-wal", "-shm"})
                QFile::copy(source.databasePath() + QLatin1String(suffix), folder.databasePath() + QLatin1String(suffix));
        }
        const QString dir = QFileInfo(folder.databasePath()).absolutePath();
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const auto writable = qScopeGuard([&] {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        if (!Connection::isReadOnlyLocation(folder.databasePath()))
            QSKIP("this user writes into read-only folders");

        QString due;
        QCOMPARE(refusal(folder, [&](RibodoClass &n) {
                     n.setRibodoNo(QStringLiteral("R1"));
                     n.SearchRs();
                     due = n.RibodoKDate().toDate().toString(Qt::ISODate);
                 }),
                 QString());
        QCOMPARE(due, logBeside ? QStringLiteral("2024-02-29") : QStringLiteral("2024-01-31"));
        for (const auto &write : std::initializer_list<std::function<void(RibodoClass &)>>{
                     [](RibodoClass &n) { n.SaveRs(); }, [](RibodoClass &n) { n.DeleteRs(); },
                     [](RibodoClass &n) { n.setRibodoKDate(QDate(2024, 3, 1)); n.HenkoJ(); }})
            QCOMPARE(refusal(folder, [&](RibodoClass &n) { n.setRibodoNo2(QStringLiteral("R1")); write(n); }),
                     Connection::readOnlyMessage());
        QCOMPARE(notes(folder), QStringLiteral("R1:1"));
    }

    void cleanText_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("stored"); // empty: refused, naming the field
        QTest::addColumn<QString>("field");
        const QString number = QStringLiteral("手形番号");
        QTest::newRow("full-width code") << "TNo" << QStringLiteral("ＵＱ１") << "UQ1" << number;
        QTest::newRow("blanks around a code") << "TNo" << QStringLiteral("\u3000UQ1 ") << "UQ1" << number;
        QTest::newRow("NUL in a code") << "TNo" << QStringLiteral("AB1") + QChar(0) + QLatin1Char('X') << "" << number;
        QTest::newRow("byte order mark") << "TNo" << QStringLiteral("\uFEFFBOM1") << "" << number;
        QTest::newRow("lone high surrogate") << "TNo" << QStringLiteral("A") + QChar(0xD800) + QLatin1Char('B') << ""
                                             << number;
        QTest::newRow("lone low surrogate") << "TTo" << QChar(0xDC00) + QStringLiteral("1") << ""
                                            << QStringLiteral("振出先コード");
        QTest::newRow("pair kept") << "TNo" << QStringLiteral("A\U0002000B") << QStringLiteral("A\U0002000B") << number;
        QTest::newRow("line break in remarks") << "TRemarks" << "a\r\nb" << "a\r\nb" << QString();
        QTest::newRow("tab in remarks") << "TRemarks" << "a\tb" << "" << QStringLiteral("備考");
        QTest::newRow("line break in a name") << "ClName" << "a\nb" << "" << QStringLiteral("仕入先名");
    }

    // Every write and every look-up pass the same check: what is stored is
    // what a look-up of the same text finds, and what is refused is refused
    // in both, never found as a near match.
    void cleanText()
    {
        QFETCH(QString, column);
        QFETCH(QString, written);
        QFETCH(QString, stored);
        QFETCH(QString, field);
        TestDataFolder folder;
        const bool supplier = column.startsWith(QLatin1String("Cl"));
        const QString table = supplier ? QStringLiteral("SireCliant") : QStringLiteral("SiteTbl");
        const QString key = supplier ? QStringLiteral("ClCode") : QStringLiteral("TNo");
        Connection c;
        c.open(Schema::connectionText(folder.path()));
        Recordset rs;
        rs.open(table, c);
        try {
            rs.addNew();
            rs.setValue(key, QStringLiteral("K1"));
            rs.setValue(column, written);
            rs.update();
            QVERIFY2(!stored.isEmpty(), "refused text was stored");
            QCOMPARE(folder.scalar(QStringLiteral("SELECT %1 FROM %2").arg(column, table)).toString(), stored);
        } catch (const StoreError &e) {
            QVERIFY2(stored.isEmpty() && e.explanation().startsWith(field), e.what());
            folder.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES ('K1')").arg(table, key));
        }
        Recordset lookUp;
        lookUp.open(table, c);
        const QString criterion = column + QStringLiteral(" = ") + JetSql::quote(written);
        if (stored.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(StoreError, lookUp.find(criterion));
        } else {
            lookUp.find(criterion);
            QVERIFY(!lookUp.eof());
        }
    }

    void unsafeStatements_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("lone surrogate before a closing quote")
                << QStringLiteral("SELECT * FROM SiteTbl WHERE TNo = '") + QChar(0xD800) + QStringLiteral("' OR 1 = 1");
        QTest::newRow("NUL outside quotes")
                << QStringLiteral("SELECT * FROM SiteTbl WHERE TCond = '9'") + QChar(0) + QStringLiteral(" OR 1 = 1");
    }

    void unsafeStatements()
    {
        QFETCH(QString, statement);
        TestDataFolder folder;
        Connection c;
        c.open(Schema::connectionText(folder.path()));
        Recordset rs;
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.open(statement, c));
    }

    void stateUpdateCutOff_data()
    {
        QTest::addColumn<QVariant>("cutOff");
        QTest::addColumn<QString>("after");
        QTest::newRow("date text") << QVariant(QStringLiteral("2024/02/01")) << "D1:2,D2:1";
        QTest::newRow("date") << QVariant(QDate(2024, 2, 1)) << "D1:2,D2:1";
        QTest::newRow("widened by text") << QVariant(QStringLiteral("2024/01/01# OR TKDate > #2000/01/01")) << "D1:1,D2:1";
        QTest::newRow("no date") << QVariant(QStringLiteral("2024/02/30")) << "D1:1,D2:1";
        QTest::newRow("empty") << QVariant(QString()) << "D1:1,D2:1";
    }

    // Only a real date is taken as the cut-off; any other text is refused.
    void stateUpdateCutOff()
    {
        QFETCH(QVariant, cutOff);
        QFETCH(QString, after);
        TestDataFolder folder;
        folder.addNote(QStringLiteral("D1"), QStringLiteral("2024-01-31"));
        folder.addNote(QStringLiteral("D2"), QStringLiteral("2024-03-31"));
        const QString refused = refusal(folder, [&](RibodoClass &n) {
            n.setRibodoKDate(cutOff);
            n.HenkoJ();
        });
        QCOMPARE(notes(folder), after);
        QCOMPARE(refused.isEmpty(), after.contains(QLatin1String(":2")));
    }

    void amounts_data()
    {
        QTest::addColumn<QVariant>("amount"); // a text through Kingaku, a number straight to the column
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("twelve digits") << QVariant(QStringLiteral("999,999,999,999")) << "999999999999";
        QTest::newRow("negative") << QVariant(QStringLiteral("-999999999999")) << "-999999999999";
        QTest::newRow("thirteen digits") << QVariant(QStringLiteral("1000000000000")) << "";
        QTest::newRow("twenty nines") << QVariant(QStringLiteral("99999999999999999999")) << "";
        QTest::newRow("1 and 400 zeros") << QVariant(QStringLiteral("1") + QString(400, QLatin1Char('0'))) << "";
        QTest::newRow("exponent") << QVariant(QStringLiteral("1e13")) << "";
        QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << "";
        QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN()) << "";
        QTest::newRow("thirteen digits as a number") << QVariant(1e12) << "";
    }

    void amounts()
    {
        QFETCH(QVariant, amount);
        QFETCH(QString, stored);
        TestDataFolder folder;
        const QString refused = refusal(folder, [&](RibodoClass &n) {
            if (amount.typeId() == QMetaType::QString) {
                n.setRibodoNo(QStringLiteral("M1"));
                n.setKingaku(amount.toString());
                n.SaveRs();
                return;
            }
            n.RsMcds().addNew();
            n.RsMcds().setValue(QStringLiteral("TNo"), QStringLiteral("M1"));
            n.RsMcds().setValue(QStringLiteral("TKingaku"), amount);
            n.RsMcds().update();
        });
        QCOMPARE(refused.startsWith(QStringLiteral("金額")), stored.isEmpty());
        QCOMPARE(folder.scalar(QStringLiteral("SELECT printf('%.0f', TKingaku) FROM SiteTbl")).toString(), stored);
    }

    // A register made before the payee and bank indexes took the due date
    // gets the current definitions once, its notes untouched.
    void olderIndexesRebuilt()
    {
        TestDataFolder folder;
        folder.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TTo, TBank, TKDate, TCond) VALUES ('I1', '1', '2', '2024-05-01', '1')"));
        folder.exec(QStringLiteral("DROP INDEX SiteTbl_TBank"));
        folder.exec(QStringLiteral("CREATE INDEX SiteTbl_TBank ON SiteTbl (TBank)"));
        QCOMPARE(SchemaIndexes::refresh(folder.path()), QStringList{QStringLiteral("SiteTbl_TBank")});
        QCOMPARE(SchemaIndexes::refresh(folder.path()), QStringList());
        QVERIFY(folder.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'SiteTbl_TBank'"))
                        .toString()
                        .contains(QStringLiteral("TKDate")));
        QCOMPARE(notes(folder), QStringLiteral("I1:1"));
    }

    void dailyBackup()
    {
        TestDataFolder folder;
        const QDir backups(DatabaseBackup::folder(folder.path()));
        const QString first = DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1));
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("dbRibodo-20240501.sqlite"));
        QCOMPARE(DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1)), QString()); // once a day
        for (int day = 2; day <= 12; ++day)
            DatabaseBackup::daily(folder.path(), QDate(2024, 5, day));
        QCOMPARE(backups.entryList(QDir::Files).size(), 10);
        QCOMPARE(backups.entryList(QDir::Files).first(), QStringLiteral("dbRibodo-20240503.sqlite"));
        QFile ini(backups.filePath(QStringLiteral("backup.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("keep=3\n");
        ini.close();
        DatabaseBackup::daily(folder.path(), QDate(2024, 5, 13));
        QCOMPARE(backups.entryList({QStringLiteral("*.sqlite")}, QDir::Files),
                 QStringList({QStringLiteral("dbRibodo-20240511.sqlite"), QStringLiteral("dbRibodo-20240512.sqlite"),
                              QStringLiteral("dbRibodo-20240513.sqlite")}));
    }

    void restore_data()
    {
        QTest::addColumn<QByteArray>("current"); // "sound", "missing" or the bytes of a damaged file
        QTest::addColumn<bool>("damagedCopy");
        QTest::newRow("over the current database") << QByteArray("sound") << false;
        QTest::newRow("over a damaged database") << QByteArray(8192, 'x') << false;
        QTest::newRow("where there is none") << QByteArray("missing") << false;
        QTest::newRow("a damaged copy is refused") << QByteArray("sound") << true;
    }

    // Through the command, as the office would run it.
    void restore()
    {
        QFETCH(QByteArray, current);
        QFETCH(bool, damagedCopy);
        TestDataFolder folder;
        folder.addNote(QStringLiteral("C1"), QStringLiteral("2024-01-31"));
        const QString copy = DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1));
        folder.addNote(QStringLiteral("C2"), QStringLiteral("2024-01-31"));
        const QString kept = folder.databasePath() + QStringLiteral(".before-restore");
        QFile f(damagedCopy ? copy : folder.databasePath());
        if (damagedCopy || current != "sound") {
            QVERIFY(f.open(QIODevice::ReadWrite | (damagedCopy ? QIODevice::NotOpen : QIODevice::Truncate)));
            f.seek(damagedCopy ? 100 : 0);
            f.write(damagedCopy ? QByteArray(4000, 'U') : current);
            f.close();
            if (current == "missing")
                QVERIFY(f.remove());
        }
        QProcess command;
        command.start(tool, {QStringLiteral("restore"), folder.path(), copy});
        QVERIFY(command.waitForFinished());
        QCOMPARE(command.exitCode(), damagedCopy ? 1 : 0);
        QCOMPARE(notes(folder), damagedCopy ? QStringLiteral("C1:1,C2:1") : QStringLiteral("C1:1"));
        if (damagedCopy || current == "missing") {
            QVERIFY(!QFileInfo::exists(kept));
        } else if (current == "sound") {
            Connection c;
            c.open(QStringLiteral("Data Source=") + kept);
            QSqlQuery &q = c.exec(QStringLiteral("SELECT group_concat(TNo) FROM SiteTbl"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("C1,C2"));
        } else {
            QFile k(kept);
            QVERIFY(k.open(QIODevice::ReadOnly));
            QCOMPARE(k.readAll(), current);
        }
        folder.addNote(QStringLiteral("C3"), QStringLiteral("2024-01-31")); // written as before
    }
};

QTEST_GUILESS_MAIN(TestReliability)
#include "tst_Reliability.moc"
