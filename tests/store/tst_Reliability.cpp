#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/DatabaseBackup.h"
#include "store/DataFolderBuilder.h"
#include "store/JetSql.h"
#include "store/Recordset.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSemaphore>
#include <QtTest>

#include <functional>
#include <limits>
#include <thread>

// The faults the store was put through: a build cut short, a brief lock, a
// read-only medium, texts the engine misreads, statements that slip past the
// translation, amounts beyond exact doubles, and the daily copy and its restore.
class TestReliability : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killDuringCreationLeavesNoDatabase_data();
    void killDuringCreationLeavesNoDatabase();
    void stateUpdateWaitsOutABriefLock_data();
    void stateUpdateWaitsOutABriefLock();
    void readOnlyFolderIsReadNeverWritten_data();
    void readOnlyFolderIsReadNeverWritten();
    void codesAndTextsAreCleanedOrRefused_data();
    void codesAndTextsAreCleanedOrRefused();
    void statementsWithUnsafeCharactersAreRefused_data();
    void statementsWithUnsafeCharactersAreRefused();
    void stateUpdateTakesOnlyADate_data();
    void stateUpdateTakesOnlyADate();
    void amountsStayExact_data();
    void amountsStayExact();
    void dailyBackupKeepsTheNewestCopies();
    void restorePutsACopyBack_data();
    void restorePutsACopyBack();
};

namespace {

const QString tool = QStringLiteral(RIBODO_DATAFOLDER_TOOL);

QString notes(const TestDataFolder &folder)
{
    return folder.scalar(QStringLiteral("SELECT group_concat(TNo || ':' || TCond) FROM (SELECT * FROM SiteTbl ORDER BY TNo)"))
            .toString();
}

QString fromUtf16(std::initializer_list<char16_t> units)
{
    return QString(reinterpret_cast<const QChar *>(units.begin()), qsizetype(units.size()));
}

} // namespace

void TestReliability::killDuringCreationLeavesNoDatabase_data()
{
    QTest::addColumn<QStringList>("arguments");
    for (int delay : {0, 10, 30, 60, 120, 250, 500})
        QTest::addRow("demo, killed after %d ms", delay) << QStringList{QStringLiteral("demo"), QString::number(delay)};
    QTest::newRow("create, killed at once") << QStringList{QStringLiteral("create"), QStringLiteral("0")};
}

// Killed at any moment, the tool leaves either no database or a whole one,
// and a later build in the same folder succeeds.
void TestReliability::killDuringCreationLeavesNoDatabase()
{
    QFETCH(QStringList, arguments);
    TestDataFolder folder(false);
    QProcess child;
    child.start(tool, arguments.at(0) == QLatin1String("demo")
                              ? QStringList{arguments.at(0), folder.path(), QStringLiteral("30000")}
                              : QStringList{arguments.at(0), folder.path()});
    QVERIFY(child.waitForStarted());
    QTest::qSleep(arguments.at(1).toInt());
    child.kill();
    child.waitForFinished();

    if (QFileInfo::exists(folder.databasePath())) {
        DatabaseBackup::check(folder.databasePath());
        QCOMPARE(folder.scalar(QStringLiteral("SELECT KbnName FROM Kbn3 WHERE KbnCode = '3'")).toString(),
                 QStringLiteral("決済済み"));
        return;
    }
    DataFolderBuilder::createDatabase(folder.path());
    DatabaseBackup::check(folder.databasePath());
}

void TestReliability::stateUpdateWaitsOutABriefLock_data()
{
    QTest::addColumn<int>("heldMs");
    QTest::addColumn<QString>("after");
    QTest::newRow("held for a second: waited out") << 1000 << "L1:2";
    QTest::newRow("held for six seconds: given up after five") << 6000 << "L1:1";
}

// A write lock held by another connection is waited for up to five seconds,
// then the update gives up with a message saying so, nothing changed.
void TestReliability::stateUpdateWaitsOutABriefLock()
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
        locked.release();
        QTest::qSleep(heldMs);
        other.commitTrans();
    });
    locked.acquire();
    QString refused;
    try {
        RibodoClass note;
        note.setDirPath(folder.path());
        note.CntDb();
        note.setRibodoKDate(QStringLiteral("2024/02/01"));
        note.HenkoJ();
    } catch (const StoreError &e) {
        refused = e.explanation();
    }
    holder.join();
    QCOMPARE(notes(folder), after);
    QCOMPARE(refused.startsWith(QStringLiteral("データベースが他の処理で使用中")), after.endsWith(QLatin1Char('1')));
}

void TestReliability::readOnlyFolderIsReadNeverWritten_data()
{
    QTest::addColumn<bool>("logBeside");
    QTest::newRow("database alone") << false;
    QTest::newRow("committed changes still in the write-ahead log") << true;
}

void TestReliability::readOnlyFolderIsReadNeverWritten()
{
    QFETCH(bool, logBeside);
    TestDataFolder source;
    source.addNote(QStringLiteral("R1"), QStringLiteral("2024-01-31"));
    TestDataFolder folder(false);
    {
        // Copied while a writer that never folds its log into the file is open.
        Connection writer;
        writer.open(Schema::connectionText(source.path()));
        writer.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")).finish();
        if (logBeside)
            writer.exec(QStringLiteral("UPDATE SiteTbl SET TKDate = '2024-02-29'")).finish();
        for (const char *suffix : {"", "-wal", "-shm"}) {
            const QString name = source.databasePath() + QLatin1String(suffix);
            if (QFileInfo::exists(name))
                QVERIFY(QFile::copy(name, folder.databasePath() + QLatin1String(suffix)));
        }
    }
    const QString dir = QFileInfo(folder.databasePath()).absolutePath();
    QFile::setPermissions(folder.databasePath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(folder.databasePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    });
    if (!Connection::isReadOnlyLocation(folder.databasePath()))
        QSKIP("this user writes into read-only folders");

    RibodoClass note;
    note.setDirPath(folder.path());
    note.CntDb();
    note.setRibodoNo(QStringLiteral("R1"));
    note.SearchRs();
    QCOMPARE(note.RibodoKDate().toDate(), logBeside ? QDate(2024, 2, 29) : QDate(2024, 1, 31));
    note.setRibodoNo2(QStringLiteral("R1"));
    note.setRibodoKDate(QStringLiteral("2024/02/01"));
    const std::function<void()> writes[] = {[&] { note.SaveRs(); }, [&] { note.EditRsJ(); }, [&] { note.DeleteRs(); },
                                            [&] { note.HenkoJ(); }};
    for (const auto &write : writes) {
        try {
            write();
            QFAIL("a read-only database was written");
        } catch (const StoreError &e) {
            QCOMPARE(e.explanation(), Connection::readOnlyMessage());
        }
    }
    QCOMPARE(notes(folder), QStringLiteral("R1:1"));
}

void TestReliability::codesAndTextsAreCleanedOrRefused_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("stored"); // empty: refused, naming the field
    QTest::addColumn<QString>("field");
    const QString number = QStringLiteral("手形番号");
    QTest::newRow("full-width code") << "TNo" << QStringLiteral("ＵＱ１") << "UQ1" << number;
    QTest::newRow("blanks around a code") << "TNo" << QStringLiteral("\u3000UQ1 ") << "UQ1" << number;
    QTest::newRow("NUL in a code") << "TNo" << fromUtf16({u'A', u'B', u'1', 0, u'X'}) << "" << number;
    QTest::newRow("byte order mark") << "TNo" << QStringLiteral("\uFEFFBOM1") << "" << number;
    QTest::newRow("lone high surrogate") << "TNo" << fromUtf16({u'A', 0xD800, u'B'}) << "" << number;
    QTest::newRow("lone low surrogate") << "TTo" << fromUtf16({0xDC00, u'1'}) << "" << QStringLiteral("振出先コード");
    QTest::newRow("pair kept") << "TNo" << QStringLiteral("A\U0002000B") << QStringLiteral("A\U0002000B") << number;
    QTest::newRow("line break in remarks") << "TRemarks" << "a\r\nb" << "a\r\nb" << QString();
    QTest::newRow("tab in remarks") << "TRemarks" << "a\tb" << "" << QStringLiteral("備考");
    QTest::newRow("line break in a name") << "ClName" << "a\nb" << "" << QStringLiteral("仕入先名");
}

// Every write and every look-up goes through the same check: what is stored
// is what a look-up of the same text finds.
void TestReliability::codesAndTextsAreCleanedOrRefused()
{
    QFETCH(QString, column);
    QFETCH(QString, written);
    QFETCH(QString, stored);
    QFETCH(QString, field);
    TestDataFolder folder;
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    Recordset rs;
    const QString table = column.startsWith(QLatin1String("Cl")) ? QStringLiteral("SireCliant") : QStringLiteral("SiteTbl");
    const QString key = table == QLatin1String("SireCliant") ? QStringLiteral("ClCode") : QStringLiteral("TNo");
    rs.open(table, c);
    try {
        rs.addNew();
        if (column != key)
            rs.setValue(key, QStringLiteral("K1"));
        rs.setValue(column, written);
        rs.update();
        QVERIFY2(!stored.isEmpty(), "refused text was stored");
    } catch (const StoreError &e) {
        QVERIFY2(stored.isEmpty(), e.what());
        QVERIFY2(e.explanation().startsWith(field), e.what());
        QCOMPARE(folder.scalar(QStringLiteral("SELECT count(*) FROM ") + table).toInt(), 0);
        // A look-up with the same text is refused as well, never a near match.
        folder.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES ('K1')").arg(table, key));
        Recordset lookUp;
        lookUp.open(table, c);
        QVERIFY_THROWS_EXCEPTION(StoreError, lookUp.find(column + QStringLiteral(" = ") + JetSql::quote(written)));
        return;
    }
    QCOMPARE(folder.scalar(QStringLiteral("SELECT %1 FROM %2").arg(column, table)).toString(), stored);
    Recordset lookUp;
    lookUp.open(table, c);
    lookUp.find(column + QStringLiteral(" = ") + JetSql::quote(written));
    QVERIFY(!lookUp.eof());
}

void TestReliability::statementsWithUnsafeCharactersAreRefused_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("lone surrogate before a closing quote")
            << fromUtf16({u'S', u'E', u'L', u'E', u'C', u'T', u' ', u'*', u' ', u'F', u'R', u'O', u'M', u' ', u'S', u'i',
                          u't', u'e', u'T', u'b', u'l', u' ', u'W', u'H', u'E', u'R', u'E', u' ', u'T', u'N', u'o', u'=',
                          u'\'', 0xD800, u'\'', u' ', u'O', u'R', u' ', u'1', u'=', u'1'});
    QTest::newRow("NUL outside quotes") << QStringLiteral("SELECT * FROM SiteTbl WHERE TCond = '9'") + QChar(0)
                    + QStringLiteral(" OR 1 = 1");
}

void TestReliability::statementsWithUnsafeCharactersAreRefused()
{
    QFETCH(QString, statement);
    QVERIFY_THROWS_EXCEPTION(StoreError, JetSql::toSqlite(statement));
    TestDataFolder folder;
    folder.addNote(QStringLiteral("S1"), QStringLiteral("2024-01-31"));
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    Recordset rs;
    QVERIFY_THROWS_EXCEPTION(StoreError, rs.open(statement, c));
}

void TestReliability::stateUpdateTakesOnlyADate_data()
{
    QTest::addColumn<QVariant>("cutOff");
    QTest::addColumn<QString>("after"); // empty: refused
    QTest::newRow("date text") << QVariant(QStringLiteral("2024/02/01")) << "D1:2,D2:1";
    QTest::newRow("date") << QVariant(QDate(2024, 2, 1)) << "D1:2,D2:1";
    QTest::newRow("widened by text") << QVariant(QStringLiteral("2024/01/01# OR TKDate > #2000/01/01")) << "";
    QTest::newRow("no date") << QVariant(QStringLiteral("2024/02/30")) << "";
    QTest::newRow("empty") << QVariant(QString()) << "";
}

void TestReliability::stateUpdateTakesOnlyADate()
{
    QFETCH(QVariant, cutOff);
    QFETCH(QString, after);
    TestDataFolder folder;
    folder.addNote(QStringLiteral("D1"), QStringLiteral("2024-01-31"));
    folder.addNote(QStringLiteral("D2"), QStringLiteral("2024-03-31"));
    RibodoClass note;
    note.setDirPath(folder.path());
    note.CntDb();
    note.setRibodoKDate(cutOff);
    if (after.isEmpty())
        QVERIFY_THROWS_EXCEPTION(StoreError, note.HenkoJ());
    else
        note.HenkoJ();
    QCOMPARE(notes(folder), after.isEmpty() ? QStringLiteral("D1:1,D2:1") : after);
}

void TestReliability::amountsStayExact_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value"); // NaN: the double itself, no text
    QTest::addColumn<QString>("stored"); // empty: refused
    const double text = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("twelve digits") << "999,999,999,999" << text << "999999999999";
    QTest::newRow("negative twelve digits") << "-999999999999" << text << "-999999999999";
    QTest::newRow("thirteen digits") << "1000000000000" << text << "";
    QTest::newRow("twenty nines") << "99999999999999999999" << text << "";
    QTest::newRow("1 and 400 zeros") << QStringLiteral("1") + QString(400, QLatin1Char('0')) << text << "";
    QTest::newRow("exponent") << "1e13" << text << "";
    QTest::newRow("infinity at the store") << "" << std::numeric_limits<double>::infinity() << "";
    QTest::newRow("NaN at the store") << "" << -std::numeric_limits<double>::quiet_NaN() << "";
    QTest::newRow("thirteen digits at the store") << "" << 1e12 << "";
}

void TestReliability::amountsStayExact()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, stored);
    TestDataFolder folder;
    RibodoClass note;
    note.setDirPath(folder.path());
    note.CntDb();
    note.setRibodoNo(QStringLiteral("M1"));
    try {
        if (!text.isEmpty()) {
            note.setKingaku(text);
            note.SaveRs();
        } else {
            Recordset &rs = note.RsMcds();
            rs.addNew();
            rs.setValue(QStringLiteral("TNo"), QStringLiteral("M1"));
            rs.setValue(QStringLiteral("TKingaku"), value);
            rs.update();
        }
        QVERIFY2(!stored.isEmpty(), "an amount beyond twelve digits was taken");
    } catch (const StoreError &e) {
        QVERIFY2(stored.isEmpty(), e.what());
        QVERIFY2(e.explanation().startsWith(QStringLiteral("金額")), e.what());
        QCOMPARE(folder.scalar(QStringLiteral("SELECT count(*) FROM SiteTbl")).toInt(), 0);
        return;
    }
    QCOMPARE(folder.scalar(QStringLiteral("SELECT printf('%.0f', TKingaku) FROM SiteTbl")).toString(), stored);
}

void TestReliability::dailyBackupKeepsTheNewestCopies()
{
    TestDataFolder folder;
    folder.addNote(QStringLiteral("B1"), QStringLiteral("2024-01-31"));
    const QDir backups(DatabaseBackup::folder(folder.path()));
    const auto copies = [&] { return backups.entryList({QStringLiteral("*")}, QDir::Files, QDir::Name); };

    const QString first = DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1));
    QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("dbRibodo-20240501.sqlite"));
    // The second start of the day makes no copy.
    QCOMPARE(DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1)), QString());
    DatabaseBackup::check(first);

    for (int day = 2; day <= 12; ++day)
        DatabaseBackup::daily(folder.path(), QDate(2024, 5, day));
    QCOMPARE(copies().size(), 10);
    QCOMPARE(copies().first(), QStringLiteral("dbRibodo-20240503.sqlite"));

    QFile ini(backups.filePath(QStringLiteral("backup.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("keep=3\n");
    ini.close();
    DatabaseBackup::daily(folder.path(), QDate(2024, 5, 13));
    QCOMPARE(copies(), QStringList({QStringLiteral("backup.ini"), QStringLiteral("dbRibodo-20240511.sqlite"),
                                    QStringLiteral("dbRibodo-20240512.sqlite"), QStringLiteral("dbRibodo-20240513.sqlite")}));
}

void TestReliability::restorePutsACopyBack_data()
{
    QTest::addColumn<QString>("current"); // "sound", "damaged" or "missing"
    QTest::addColumn<bool>("damagedCopy");
    QTest::newRow("over the current database") << "sound" << false;
    QTest::newRow("over a damaged database") << "damaged" << false;
    QTest::newRow("where there is none") << "missing" << false;
    QTest::newRow("a damaged copy is refused") << "sound" << true;
}

// Through the command, as the office would run it.
void TestReliability::restorePutsACopyBack()
{
    QFETCH(QString, current);
    QFETCH(bool, damagedCopy);
    TestDataFolder folder;
    folder.addNote(QStringLiteral("C1"), QStringLiteral("2024-01-31"));
    const QString copy = DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1));
    folder.addNote(QStringLiteral("C2"), QStringLiteral("2024-01-31"));
    if (damagedCopy) {
        QFile f(copy);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(100);
        f.write(QByteArray(4000, '\x55'));
    }
    QByteArray before;
    if (current != QLatin1String("sound")) {
        QVERIFY(QFile::remove(folder.databasePath()));
        if (current == QLatin1String("damaged")) {
            QFile f(folder.databasePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            before = QByteArray(8192, 'x');
            f.write(before);
        }
    }

    QProcess restore;
    restore.start(tool, {QStringLiteral("restore"), folder.path(), copy});
    QVERIFY(restore.waitForFinished());
    const QString kept = folder.databasePath() + QStringLiteral(".before-restore");
    if (damagedCopy) {
        QCOMPARE(restore.exitCode(), 1);
        QVERIFY(!QFileInfo::exists(kept));
        QCOMPARE(notes(folder), QStringLiteral("C1:1,C2:1"));
        return;
    }
    QCOMPARE(restore.exitCode(), 0);
    QCOMPARE(notes(folder), QStringLiteral("C1:1"));
    if (current == QLatin1String("sound")) {
        Connection c;
        c.open(QStringLiteral("Data Source=") + kept);
        QSqlQuery &q = c.exec(QStringLiteral("SELECT group_concat(TNo) FROM SiteTbl"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("C1,C2"));
    } else if (current == QLatin1String("damaged")) {
        QFile f(kept);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    } else {
        QVERIFY(!QFileInfo::exists(kept));
    }
    // The restored database is written as before.
    folder.addNote(QStringLiteral("C3"), QStringLiteral("2024-01-31"));
    QCOMPARE(notes(folder), QStringLiteral("C1:1,C3:1"));
}

QTEST_GUILESS_MAIN(TestReliability)
#include "tst_Reliability.moc"
