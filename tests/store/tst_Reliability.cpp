#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/DatabaseBackup.h"
#include "store/DataFolderBuilder.h"
#include "store/JetCrossTab.h"
#include "store/JetSql.h"
#include "store/Recordset.h"
#include "store/RegisterLock.h"
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
#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString tool = QStringLiteral(RIBODO_DATAFOLDER_TOOL);
const QString plan = u"TRANSFORM Sum(QRYRibodo.TKingaku) AS 値 SELECT QRYRibodo.ClName, Sum(QRYRibodo.TKingaku) "
                     "AS SSum_ From QRYRibodo WHERE TKDate >= #2024/04/01# AND Tkeiri = '2' GROUP BY "
                     "QRYRibodo.ClName  PIVOT Format([TKDate],'Short Date')"_s;

// The plan with `from` replaced by `to`.
QString planWith(const QString &from, const QString &to)
{
    return QString(plan).replace(from, to);
}

QString notes(const TestDataFolder &folder)
{
    return folder.scalar(u"SELECT group_concat(TNo || ':' || TCond) FROM (SELECT * FROM SiteTbl ORDER BY TNo)"_s).toString();
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

// The notes of the database at `path` (opened with its log), in number order.
QString notesIn(const QString &path)
{
    return TestDataFolder::scalarAt(path, u"SELECT count(*) || ':' || ifnull(group_concat(TNo), '') "
                                          "FROM (SELECT TNo FROM SiteTbl ORDER BY TNo)"_s).toString();
}

// Note C1 is in the day's copy of 2024-05-01, C2 (if asked for) only after it.
QString withCopy(const TestDataFolder &folder, bool later = true)
{
    folder.addNote(u"C1"_s, u"2024-01-31"_s);
    const QString copy = DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1));
    if (later)
        folder.addNote(u"C2"_s, u"2024-01-31"_s);
    return copy;
}

// Runs the restore command; its exit code, and its error output in `said`.
int restoreCommand(const TestDataFolder &folder, const QString &copy, QString *said = nullptr)
{
    QProcess command;
    command.start(tool, {u"restore"_s, folder.path(), copy});
    command.waitForFinished();
    if (said)
        *said = QString::fromUtf8(command.readAllStandardError());
    return command.exitCode();
}

// Adds `count` notes N00000… in one transaction.
void addNotes(const TestDataFolder &folder, int count)
{
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    c.beginTrans();
    for (int i = 0; i < count; ++i)
        c.exec(u"INSERT INTO SiteTbl (TNo, TKDate, TCond, TRemarks) VALUES (?, '2024-05-31', '1', ?)"_s,
               {u"N%1"_s.arg(i, 5, 10, QLatin1Char('0')), QString(200, u'x')})
                .finish();
    c.commitTrans();
}

} // namespace

// The faults the store was put through: a build cut short, a brief lock, a
// read-only medium, texts the engine misreads, statements that slip past the
// translation, amounts beyond exact doubles, the daily copy and its restore,
// and the cross-tab statements the store runs or refuses.
class TestReliability : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killDuringCreation_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("delay");
        for (int delay : {0, 60, 250})
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
        child.start(tool, {command, folder.path(), u"30000"_s});
        QVERIFY(child.waitForStarted());
        QTest::qSleep(delay);
        child.kill();
        child.waitForFinished();
        if (!QFileInfo::exists(folder.databasePath()))
            DataFolderBuilder::createDatabase(folder.path());
        DatabaseBackup::check(folder.databasePath());
        QCOMPARE(folder.scalar(u"SELECT KbnName FROM Kbn3 WHERE KbnCode = '3'"_s).toString(), u"決済済み"_s);
    }

    void stateUpdate_data()
    {
        QTest::addColumn<QVariant>("cutOff");
        QTest::addColumn<int>("lockedMs"); // another writer holds the lock, having added L0
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("refused"); // how the explanation begins; empty: done
        const QVariant day(u"2024/02/01"_s);
        const QString noDate = u"状態を更新する基準日が日付ではありません。"_s;
        QTest::newRow("date text") << day << 0 << "D1:2,D2:1" << "";
        QTest::newRow("widened by text") << QVariant(u"2024/01/01# OR TKDate > #2000/01/01"_s) << 0 << "D1:1,D2:1" << noDate;
        QTest::newRow("no date") << QVariant(u"2024/02/30"_s) << 0 << "D1:1,D2:1" << noDate;
        QTest::newRow("locked for a second: waited out") << day << 1000 << "D1:2,D2:1,L0:2" << "";
        QTest::newRow("locked for six seconds: given up after five")
                << day << 6000 << "D1:1,D2:1,L0:1" << u"データベースが他の処理で使用中"_s;
    }

    // Only a real date is taken as the cut-off; the update waits for another
    // writer's lock like any write, and gives up after five seconds, nothing changed.
    void stateUpdate()
    {
        QFETCH(QVariant, cutOff);
        QFETCH(int, lockedMs);
        QFETCH(QString, after);
        QFETCH(QString, refused);
        TestDataFolder folder;
        folder.addNote(u"D1"_s, u"2024-01-31"_s);
        folder.addNote(u"D2"_s, u"2024-03-31"_s);
        QSemaphore locked;
        std::thread holder([&] {
            Connection other;
            if (lockedMs > 0) {
                other.open(Schema::connectionText(folder.path()));
                other.beginTrans();
                other.exec(u"INSERT INTO SiteTbl (TNo, TKDate, TCond) VALUES ('L0', '2024-01-31', '1')"_s).finish();
            }
            locked.release();
            QTest::qSleep(lockedMs);
            if (lockedMs > 0)
                other.commitTrans();
        });
        locked.acquire();
        const QString explanation = refusal(folder, [&](RibodoClass &n) {
            n.setRibodoKDate(cutOff);
            n.HenkoJ();
        });
        holder.join();
        QCOMPARE(notes(folder), after);
        QVERIFY2(refused.isEmpty() ? explanation.isEmpty() : explanation.startsWith(refused), qPrintable(explanation));
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
        source.addNote(u"R1"_s, u"2024-01-31"_s);
        TestDataFolder folder(false);
        {
            Connection writer; // open while copied: its log is not folded in
            writer.open(Schema::connectionText(source.path()));
            writer.exec(u"PRAGMA wal_autocheckpoint=0"_s).finish();
            if (logBeside)
                writer.exec(u"UPDATE SiteTbl SET TKDate = '2024-02-29'"_s).finish();
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
                     n.setRibodoNo(u"R1"_s);
                     n.SearchRs();
                     due = n.RibodoKDate().toDate().toString(Qt::ISODate);
                 }),
                 QString());
        QCOMPARE(due, logBeside ? u"2024-02-29"_s : u"2024-01-31"_s);
        for (const auto &write : std::initializer_list<std::function<void(RibodoClass &)>>{
                     [](RibodoClass &n) { n.SaveRs(); }, [](RibodoClass &n) { n.DeleteRs(); },
                     [](RibodoClass &n) { n.setRibodoKDate(QDate(2024, 3, 1)); n.HenkoJ(); }})
            QCOMPARE(refusal(folder, [&](RibodoClass &n) { n.setRibodoNo2(u"R1"_s); write(n); }),
                     Connection::readOnlyMessage());
        QCOMPARE(notes(folder), u"R1:1"_s);
    }

    void cleanText_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("stored"); // empty: refused, naming the field
        QTest::addColumn<QString>("field");
        const QString number = u"手形番号"_s;
        QTest::newRow("full-width code, blanks around") << "TNo" << u"\u3000ＵＱ１ "_s << "UQ1" << number;
        QTest::newRow("NUL in a code") << "TNo" << u"AB1"_s + QChar(0) + u"X"_s << "" << number;
        QTest::newRow("byte order mark") << "TNo" << u"\uFEFFBOM1"_s << "" << number;
        QTest::newRow("lone high surrogate") << "TNo" << u"A"_s + QChar(0xD800) + u"B"_s << "" << number;
        QTest::newRow("lone low surrogate") << "TTo" << QChar(0xDC00) + u"1"_s << "" << u"振出先コード"_s;
        QTest::newRow("pair kept") << "TNo" << u"A\U0002000B"_s << u"A\U0002000B"_s << number;
        QTest::newRow("line break in remarks") << "TRemarks" << "a\r\nb" << "a\r\nb" << QString();
        QTest::newRow("tab in remarks") << "TRemarks" << "a\tb" << "" << u"備考"_s;
        QTest::newRow("line break in a name") << "ClName" << "a\nb" << "" << u"仕入先名"_s;
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
        const QString table = supplier ? u"SireCliant"_s : u"SiteTbl"_s;
        const QString key = supplier ? u"ClCode"_s : u"TNo"_s;
        Connection c;
        c.open(Schema::connectionText(folder.path()));
        Recordset rs;
        rs.open(table, c);
        try {
            rs.addNew();
            rs.setValue(key, u"K1"_s);
            rs.setValue(column, written);
            rs.update();
            QVERIFY2(!stored.isEmpty(), "refused text was stored");
            QCOMPARE(folder.scalar(u"SELECT %1 FROM %2"_s.arg(column, table)).toString(), stored);
        } catch (const StoreError &e) {
            QVERIFY2(stored.isEmpty() && e.explanation().startsWith(field), e.what());
            folder.exec(u"INSERT INTO %1 (%2) VALUES ('K1')"_s.arg(table, key));
        }
        Recordset lookUp;
        lookUp.open(table, c);
        const QString criterion = column + u" = "_s + JetSql::quote(written);
        if (stored.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(StoreError, lookUp.find(criterion));
        } else {
            lookUp.find(criterion);
            QVERIFY(!lookUp.eof());
        }
    }

    // A lone surrogate before a closing quote, a NUL outside quotes.
    void unsafeStatements()
    {
        TestDataFolder folder;
        Connection c;
        c.open(Schema::connectionText(folder.path()));
        for (const QString &statement : {u"SELECT * FROM SiteTbl WHERE TNo = '"_s + QChar(0xD800) + u"' OR 1 = 1"_s,
                                         u"SELECT * FROM SiteTbl WHERE TCond = '9'"_s + QChar(0) + u" OR 1 = 1"_s}) {
            Recordset rs;
            QVERIFY_THROWS_EXCEPTION(StoreError, rs.open(statement, c));
        }
    }

    void amounts_data()
    {
        QTest::addColumn<QVariant>("amount"); // a text through Kingaku, a number straight to the column
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("twelve digits") << QVariant(u"999,999,999,999"_s) << "999999999999";
        QTest::newRow("negative") << QVariant(u"-999999999999"_s) << "-999999999999";
        QTest::newRow("thirteen digits") << QVariant(u"1000000000000"_s) << "";
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
                n.setRibodoNo(u"M1"_s);
                n.setKingaku(amount.toString());
                return n.SaveRs();
            }
            n.RsMcds().addNew();
            n.RsMcds().setValue(u"TNo"_s, u"M1"_s);
            n.RsMcds().setValue(u"TKingaku"_s, amount);
            n.RsMcds().update();
        });
        QCOMPARE(refused.startsWith(u"金額"_s), stored.isEmpty());
        QCOMPARE(folder.scalar(u"SELECT printf('%.0f', TKingaku) FROM SiteTbl"_s).toString(), stored);
    }

    // A register made before the payee and bank indexes took the due date
    // gets the current definitions once, its notes untouched.
    void olderIndexesRebuilt()
    {
        TestDataFolder folder;
        folder.addNote(u"I1"_s, u"2024-05-01"_s);
        folder.exec(u"DROP INDEX SiteTbl_TBank"_s);
        folder.exec(u"CREATE INDEX SiteTbl_TBank ON SiteTbl (TBank)"_s);
        QCOMPARE(SchemaIndexes::refresh(folder.path()), QStringList{u"SiteTbl_TBank"_s});
        QCOMPARE(SchemaIndexes::refresh(folder.path()), QStringList());
        QVERIFY(folder.scalar(u"SELECT sql FROM sqlite_master WHERE name = 'SiteTbl_TBank'"_s).toString().contains(u"TKDate"_s));
        QCOMPARE(notes(folder), u"I1:1"_s);
    }

    // Once a day, the last ten kept unless backup.ini says otherwise.
    void dailyBackup()
    {
        TestDataFolder folder;
        const QDir backups(DatabaseBackup::folder(folder.path()));
        QCOMPARE(QFileInfo(DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1))).fileName(), u"dbRibodo-20240501.sqlite"_s);
        QCOMPARE(DatabaseBackup::daily(folder.path(), QDate(2024, 5, 1)), QString());
        for (int day = 2; day <= 12; ++day)
            DatabaseBackup::daily(folder.path(), QDate(2024, 5, day));
        QCOMPARE(backups.entryList(QDir::Files).size(), 10);
        QCOMPARE(backups.entryList(QDir::Files).first(), u"dbRibodo-20240503.sqlite"_s);
        QVERIFY(TestDataFolder::writeFile(backups.filePath(u"backup.ini"_s), "keep=3\n"));
        DatabaseBackup::daily(folder.path(), QDate(2024, 5, 13));
        QCOMPARE(backups.entryList({u"*.sqlite"_s}, QDir::Files),
                 QStringList({u"dbRibodo-20240511.sqlite"_s, u"dbRibodo-20240512.sqlite"_s, u"dbRibodo-20240513.sqlite"_s}));
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
        const QString copy = withCopy(folder);
        QFile f(damagedCopy ? copy : folder.databasePath());
        if (damagedCopy || current != "sound") {
            QVERIFY(f.open(QIODevice::ReadWrite | (damagedCopy ? QIODevice::NotOpen : QIODevice::Truncate)));
            f.seek(damagedCopy ? 100 : 0);
            f.write(damagedCopy ? QByteArray(4000, 'U') : current);
            f.close();
            if (current == "missing")
                QVERIFY(f.remove());
        }
        QCOMPARE(restoreCommand(folder, copy), damagedCopy ? 1 : 0);
        QCOMPARE(notes(folder), damagedCopy ? u"C1:1,C2:1"_s : u"C1:1"_s);
        const QStringList keptFiles = DatabaseBackup::keptBeforeRestore(folder.path());
        QCOMPARE(keptFiles.size(), damagedCopy || current == "missing" ? 0 : 1);
        const QString kept = keptFiles.value(0);
        if (!damagedCopy && current == "sound")
            QCOMPARE(notesIn(kept), u"2:C1,C2"_s);
        else if (!damagedCopy && current != "missing")
            QCOMPARE(TestDataFolder::fileBytes(kept), current);
        folder.addNote(u"C3"_s, u"2024-01-31"_s); // written as before
    }

    void keepOutOfRange_data()
    {
        QTest::addColumn<QString>("keep");
        QTest::addColumn<int>("kept");
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("365") << "365" << 12;
        QTest::newRow("wraps around to 1 as 32 bits") << "4294967297" << 10;
        QTest::newRow("0") << "0" << 10;
        QTest::newRow("366") << "366" << 10;
        QTest::newRow("negative") << "-2" << 10;
        QTest::newRow("not a number") << "ten" << 10;
    }

    // A keep value outside 1-365 is named as wrong and the default kept.
    void keepOutOfRange()
    {
        QFETCH(QString, keep);
        TestDataFolder folder;
        QVERIFY(QDir().mkpath(DatabaseBackup::folder(folder.path())));
        QVERIFY(TestDataFolder::writeFile(QDir(DatabaseBackup::folder(folder.path())).filePath(u"backup.ini"_s),
                                          "keep=" + keep.toUtf8() + "\n"));
        for (int day = 1; day <= 12; ++day)
            DatabaseBackup::daily(folder.path(), QDate(2024, 5, day));
        QTEST(int(QDir(DatabaseBackup::folder(folder.path())).entryList({u"*.sqlite"_s}, QDir::Files).size()), "kept");
        QFETCH(int, kept);
        QCOMPARE(DatabaseBackup::invalidKeep(folder.path()), kept == 10 ? keep : QString());
    }

    // A crash leaves the day's work in the write-ahead log and may damage
    // the file: the kept file is the database with its log.
    void restoreKeepsTheLog()
    {
        TestDataFolder folder;
        const QString copy = withCopy(folder, false);
        TestDataFolder crashed(false);
        {
            Connection writer; // open while copied, as a program killed before a checkpoint
            writer.open(Schema::connectionText(folder.path()));
            writer.exec(u"PRAGMA wal_autocheckpoint=0"_s).finish();
            for (int i = 0; i < 50; ++i)
                writer.exec(u"INSERT INTO SiteTbl (TNo, TKDate, TCond) VALUES (?, '2024-05-31', '1')"_s,
                            {u"W%1"_s.arg(i, 2, 10, QLatin1Char('0'))})
                        .finish();
            for (const char *suffix : {"", "-wal", "-shm"})
                QVERIFY(QFile::copy(folder.databasePath() + QLatin1String(suffix),
                                    crashed.databasePath() + QLatin1String(suffix)));
        }
        // Two pages the log does not hold: the category tables'.
        const int pageSize = folder.scalar(u"PRAGMA page_size"_s).toInt();
        QFile damaged(crashed.databasePath());
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        for (const QString &table : {u"kbn2"_s, u"Kbn4"_s}) {
            const int page = folder.scalar(u"SELECT rootpage FROM sqlite_master WHERE name = ?"_s, {table}).toInt();
            damaged.seek(qint64(page - 1) * pageSize);
            damaged.write(QByteArray(pageSize, '\xA5'));
        }
        damaged.close();
        QVERIFY_THROWS_EXCEPTION(StoreError, DatabaseBackup::check(crashed.databasePath()));

        QCOMPARE(restoreCommand(crashed, copy), 0);
        QCOMPARE(notes(crashed), u"C1:1"_s);
        const QStringList kept = DatabaseBackup::keptBeforeRestore(crashed.path());
        QCOMPARE(kept.size(), 1);
        QVERIFY(notesIn(kept.first()).startsWith(u"51:C1,W00,W01,"_s));
    }

    // Every restore keeps its own file, never counted among the daily copies.
    void everyRestoreKept()
    {
        TestDataFolder folder;
        folder.addNote(u"C1"_s, u"2024-01-31"_s);
        const QString first = DatabaseBackup::daily(folder.path(), QDate(2024, 12, 1));
        folder.addNote(u"C2"_s, u"2024-01-31"_s);
        const QString second = DatabaseBackup::daily(folder.path(), QDate(2024, 12, 2));
        folder.addNote(u"C3"_s, u"2024-01-31"_s); // after the last backup
        QCOMPARE(restoreCommand(folder, first), 0);
        QCOMPARE(restoreCommand(folder, second), 0);
        QCOMPARE(notes(folder), u"C1:1,C2:1"_s);
        const QStringList kept = DatabaseBackup::keptBeforeRestore(folder.path());
        QCOMPARE(kept.size(), 2);
        QCOMPARE(notesIn(kept.at(0)) + u'/' + notesIn(kept.at(1)), u"3:C1,C2,C3/1:C1"_s);
        for (int day = 3; day <= 14; ++day)
            DatabaseBackup::daily(folder.path(), QDate(2024, 12, day));
        QCOMPARE(DatabaseBackup::keptBeforeRestore(folder.path()), kept);
    }

    void restoreRefused_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said");
        QTest::newRow("a copy of a newer version") << "newer" << "このバックアップは新しい版のプログラムで作られているため、戻せません";
        QTest::newRow("a database that is no register") << "foreign" << "このプログラムのデータベースではありません。";
        QTest::newRow("no database") << "text" << "データベース ファイルが壊れています。";
        QTest::newRow("a program holds the register") << "held" << "QXRibodo がこのデータ フォルダを使っているため、戻せません。";
    }

    // Refused with a message; nothing changed, nothing kept.
    void restoreRefused()
    {
        QFETCH(QString, fault);
        TestDataFolder folder;
        const QString copy = withCopy(folder);
        std::unique_ptr<RegisterLock> program;
        if (fault == u"newer"_s || fault == u"foreign"_s) {
            Connection c;
            c.open(u"Data Source="_s + copy);
            const QString changes = fault == u"newer"_s ? u"PRAGMA user_version = 9"_s
                                                        : u"DROP VIEW QRYRibodo;DROP VIEW QRYKesai;DROP TABLE SiteTbl"_s;
            for (const QString &statement : changes.split(u';'))
                c.exec(statement).finish();
        } else if (fault == u"text"_s) {
            QVERIFY(TestDataFolder::writeFile(copy, QByteArray(5000, 'x')));
        } else {
            program = std::make_unique<RegisterLock>(folder.path(), RegisterLock::Holder::Program);
            QVERIFY(program->isLocked());
        }
        const QByteArray before = TestDataFolder::fileBytes(folder.databasePath());
        QString output;
        QCOMPARE(restoreCommand(folder, copy, &output), 1);
        QFETCH(QString, said);
        QVERIFY2(output.contains(said), qPrintable(output));
        QCOMPARE(TestDataFolder::fileBytes(folder.databasePath()), before);
        QCOMPARE(notes(folder), u"C1:1,C2:1"_s);
        QVERIFY(DatabaseBackup::keptBeforeRestore(folder.path()).isEmpty());
        QVERIFY(!QFileInfo::exists(folder.databasePath() + u".restoring"_s));
    }

    void killDuringRestore_data()
    {
        QTest::addColumn<int>("delay");
        for (int delay : {0, 15, 40, 80, 150, 300})
            QTest::addRow("killed after %d ms", delay) << delay;
    }

    // Killed at any moment, the restore leaves the current database or the
    // restored one in place, and what a start completes is a whole register;
    // the current one is never lost.
    void killDuringRestore()
    {
        QFETCH(int, delay);
        TestDataFolder folder;
        const QString copy = withCopy(folder, false);
        addNotes(folder, 20000);
        const QString current = notesIn(folder.databasePath()).left(6);
        QProcess child;
        child.start(tool, {u"restore"_s, folder.path(), copy});
        QVERIFY(child.waitForStarted());
        QTest::qSleep(delay);
        child.kill();
        child.waitForFinished();
        DatabaseBackup::finishRestore(folder.path());
        DatabaseBackup::check(folder.databasePath());
        const QString now = notesIn(folder.databasePath());
        if (now != u"1:C1"_s) {
            QCOMPARE(now.left(6), current);
        } else {
            const QStringList kept = DatabaseBackup::keptBeforeRestore(folder.path());
            QCOMPARE(kept.size(), 1);
            QCOMPARE(notesIn(kept.first()).left(6), current);
        }
        QVERIFY(!RegisterLock::restoring(folder.path()));
        QCOMPARE(restoreCommand(folder, copy), 0); // and runs again
    }

    void crossTabRefused_data()
    {
        QTest::addColumn<QString>("jet");
        QTest::newRow("not a cross-tab") << "SELECT * FROM QRYRibodo";
        QTest::newRow("no pivot") << "TRANSFORM Sum(TKingaku) SELECT ClName FROM QRYRibodo GROUP BY ClName";
        QTest::newRow("pivot list") << planWith(u"'Short Date')"_s, u"'Short Date') IN ('a')"_s);
        QTest::newRow("other aggregate") << planWith(u"TRANSFORM Sum"_s, u"TRANSFORM Avg"_s);
        QTest::newRow("other format") << planWith(u"Short Date"_s, u"Long Date"_s);
        QTest::newRow("join") << planWith(u"From QRYRibodo"_s, u"From QRYRibodo, SiteTbl"_s);
        QTest::newRow("field outside GROUP BY") << planWith(u"SELECT QRYRibodo.ClName"_s, u"SELECT TNo"_s);
        QTest::newRow("other source") << planWith(u"Sum(QRYRibodo.TKingaku) AS 値"_s, u"Sum(X.TKingaku)"_s);
        QTest::newRow("second statement") << plan + u"; DROP TABLE SiteTbl"_s;
        QTest::newRow("open date") << planWith(u"#2024/04/01#"_s, u"#2024/04/01"_s);
    }

    void crossTabRefused()
    {
        QFETCH(QString, jet);
        QVERIFY_THROWS_EXCEPTION(StoreError, JetCrossTab{jet});
    }

    // Sparse cells, columns in heading order, sums per row, payees of one
    // name in one row; a null amount leaves its cell empty. Summed per payee
    // code first or straight from the query, the plan is the same.
    void crossTabPivot()
    {
        TestDataFolder folder;
        folder.exec(u"INSERT INTO SireCliant (ClCode, ClName) VALUES ('1', 'B'), ('2', 'A'), ('3', 'B')"_s);
        folder.addNote(u"1"_s, u"2024-05-20"_s, u"1"_s, 50, u"1"_s);
        folder.addNote(u"2"_s, u"2024-05-10"_s, u"1"_s, 20, u"2"_s);
        folder.addNote(u"3"_s, u"2024-05-10"_s, u"1"_s, 30, u"3"_s);
        folder.addNote(u"4"_s, u"2024-05-10"_s, u"1"_s, 5, u"1"_s);
        folder.exec(u"UPDATE SiteTbl SET TKingaku = NULL WHERE TNo = '2'"_s);
        Connection connection;
        connection.open(Schema::connectionText(folder.path()));
        for (const QString &condition : {QString(), u" AND Ginko IS NOT NULL"_s}) {
            const JetCrossTab crossTab(planWith(u" AND Tkeiri = '2'"_s, condition));
            QCOMPARE(crossTab.byPayeeCodeSql().isEmpty(), !condition.isEmpty());
            const CrossTabTable table = crossTab.run(connection);
            QCOMPARE(table.columnNames(), (QStringList{u"ClName"_s, u"SSum_"_s, u"2024/05/10"_s, u"2024/05/20"_s}));
            QCOMPARE(u"%1x%2 %3"_s.arg(table.rowCount()).arg(table.cellCount()).arg(table.value(0, 0).toString()), u"2x2 A"_s);
            QVERIFY(table.value(0, 1).isNull() && table.value(0, 2).isNull());
            QCOMPARE(QList<double>({table.value(1, 1).toDouble(), table.value(1, 2).toDouble(), table.value(1, 3).toDouble()}),
                     QList<double>({85.0, 35.0, 50.0}));
        }
    }
};

QTEST_GUILESS_MAIN(TestReliability)
#include "tst_Reliability.moc"
