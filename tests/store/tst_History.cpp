#include "TestDataFolder.h"

#include "store/ChangeSource.h"
#include "store/Connection.h"
#include "store/HistoryCheck.h"
#include "store/HistoryFunctions.h"
#include "store/Schema.h"
#include "store/StatementReader.h"
#include "store/DatabaseBackup.h"
#include "store/SchemaUpgrade.h"
#include "store/StoreError.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QtTest>

namespace {

// Runs the data-folder tool; its exit status and what it printed.
QPair<int, QString> tool(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(RIBODO_DATAFOLDER_TOOL), arguments);
    if (!p.waitForFinished(60000))
        return {-1, QString()};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed()};
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void noteChangesLeaveRows();
    void historyRefusesChange_data();
    void historyRefusesChange();
    void verifyFindsWhatIsWrong_data();
    void verifyFindsWhatIsWrong();
    void upgradeGivesRegisterThatVerifies();
    void exportAllHandsOverEveryTable();
};

// A note's registration, correction of its number and deletion, each one
// row holding the values before in the note's own columns.
void TestHistory::noteChangesLeaveRows()
{
    TestDataFolder data;
    const qint64 start = data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl")).toLongLong();
    {
        const ChangeSource::Scope source(QStringLiteral("手形入力"));
        data.addNote(QStringLiteral("A-1"), QStringLiteral("2025-03-31"), QStringLiteral("1"), 5000);
        data.exec(QStringLiteral("UPDATE SiteTbl SET TNo = 'A-2', TKingaku = 7000 WHERE TNo = 'A-1'"));
        data.exec(QStringLiteral("DELETE FROM SiteTbl WHERE TNo = 'A-2'"));
    }

    Connection c;
    c.open(Schema::connectionText(data.path()));
    StatementReader rows(c, QStringLiteral("SELECT RAction, RTable, RKey, RUser, RSource, RTNo, RTKingaku, "
                                           "json_extract(RBefore, '$.TNo'), json_extract(RAfter, '$.TKingaku') "
                                           "FROM RirekiTbl WHERE RNo > ? ORDER BY RNo"),
                         {start});
    const QStringList expected = {
        QStringLiteral("登録|SiteTbl|A-1||||5000.0"),
        QStringLiteral("訂正|SiteTbl|A-2|A-1|5000.0|A-1|7000.0"),
        QStringLiteral("削除|SiteTbl|A-2|A-2|7000.0|A-2|"),
    };
    QStringList found;
    while (rows.next()) {
        QCOMPARE(rows.value(3).toString().toUtf8(), HistoryFunctions::user());
        QCOMPARE(rows.value(4).toString(), QStringLiteral("手形入力"));
        QStringList fields;
        for (int i : {0, 1, 2, 5, 6, 7, 8}) {
            const QVariant v = rows.value(i);
            fields << (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 1) : v.toString());
        }
        found << fields.join(u'|');
    }
    QCOMPARE(found, expected);
}

void TestHistory::historyRefusesChange_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("update") << QStringLiteral("UPDATE RirekiTbl SET RKey = 'x'");
    QTest::newRow("delete") << QStringLiteral("DELETE FROM RirekiTbl");
}

void TestHistory::historyRefusesChange()
{
    QFETCH(QString, sql);
    TestDataFolder data;
    const QVariant rows = data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl"));
    QVERIFY(rows.toInt() > 0);
    QVERIFY_THROWS_EXCEPTION(StoreError, data.exec(sql));
    QCOMPARE(data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl")), rows);
}

void TestHistory::verifyFindsWhatIsWrong_data()
{
    // "%1" is the newest history row before the change: the registration of
    // B-1. Each change outside the program first stops the trigger that
    // would have recorded it.
    QTest::addColumn<QStringList>("outside");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("report");
    QTest::newRow("intact") << QStringList() << 0 << QStringLiteral("検証結果: 正常 (手形 2 件, 履歴 %1 件)");
    QTest::newRow("note changed")
            << QStringList {QStringLiteral("DROP TRIGGER Rireki_SiteTbl_Upd"),
                            QStringLiteral("UPDATE SiteTbl SET TKingaku = 1 WHERE TNo = 'B-1'")}
            << 1
            << QStringLiteral("表 SiteTbl のキー B-1 の行が変更履歴 No.%1 と異なります "
                              "(列 TKingaku (金額) が 100000 から 1 になっています)。");
    QTest::newRow("note added")
            << QStringList {QStringLiteral("DROP TRIGGER Rireki_SiteTbl_Ins"),
                            QStringLiteral("INSERT INTO SiteTbl (TNo, TKingaku) VALUES ('Z-1', 1)")}
            << 1 << QStringLiteral("表 SiteTbl のキー Z-1 の行が変更履歴にありません。");
    QTest::newRow("note deleted")
            << QStringList {QStringLiteral("DROP TRIGGER Rireki_SiteTbl_Del"),
                            QStringLiteral("DELETE FROM SiteTbl WHERE TNo = 'B-1'")}
            << 1 << QStringLiteral("表 SiteTbl のキー B-1 の行がありません (変更履歴 No.%1 では残っています)。");
    QTest::newRow("history row edited")
            << QStringList {QStringLiteral("DROP TRIGGER RirekiTbl_NoUpdate"),
                            QStringLiteral("UPDATE RirekiTbl SET RAfter = replace(RAfter, '100000', '900000') "
                                           "WHERE RKey = 'B-1'")}
            << 1 << QStringLiteral("履歴 No.%1 (表 SiteTbl, キー B-1) の内容が書き換えられています。");
    QTest::newRow("middle row removed")
            << QStringList {QStringLiteral("DROP TRIGGER RirekiTbl_NoDelete"),
                            QStringLiteral("DELETE FROM RirekiTbl WHERE RNo = (SELECT max(RNo) - 1 FROM RirekiTbl)")}
            << 1 << QStringLiteral("履歴 No.%2 の次が No.%1 です。間の履歴が失われています。");
    // After the day's copy: the note and its newest row both gone, the rest
    // consistent. Only the head kept beside the copy tells.
    QTest::newRow("newest rows removed")
            << QStringList {QStringLiteral("backup"), QStringLiteral("DROP TRIGGER RirekiTbl_NoDelete"),
                            QStringLiteral("DROP TRIGGER Rireki_SiteTbl_Del"),
                            QStringLiteral("DELETE FROM SiteTbl WHERE TNo = 'B-1'"),
                            QStringLiteral("DELETE FROM RirekiTbl WHERE RKey = 'B-1'")}
            << 1 << QStringLiteral("バックアップ %3 の時点にあった履歴 No.%1 がありません。最新の履歴が失われています。");
}

void TestHistory::verifyFindsWhatIsWrong()
{
    QFETCH(QStringList, outside);
    QFETCH(int, status);
    QFETCH(QString, report);
    TestDataFolder data;
    data.addNote(QStringLiteral("A-1"), QStringLiteral("2025-03-31"));
    data.addNote(QStringLiteral("B-1"), QStringLiteral("2025-04-30"));
    const qint64 newest = data.scalar(QStringLiteral("SELECT max(RNo) FROM RirekiTbl")).toLongLong();
    for (const QString &sql : outside) {
        if (sql == QLatin1String("backup"))
            DatabaseBackup::daily(data.path(), QDate::currentDate());
        else
            data.exec(sql);
    }
    const QPair<int, QString> run = tool({QStringLiteral("verify"), data.path()});
    QCOMPARE(run.first, status);
    const QString expected = QString(report)
                                     .replace(QStringLiteral("%1"), QString::number(newest))
                                     .replace(QStringLiteral("%2"), QString::number(newest - 2))
                                     .replace(QStringLiteral("%3"), DatabaseBackup::fileName(QDate::currentDate()));
    QCOMPARE(run.second, status == 0 ? expected : QStringLiteral("検証結果: 異常\n") + expected);
}

// A register kept before the history gets one opening row per row, made
// after the dated copy, and verifies from then on.
void TestHistory::upgradeGivesRegisterThatVerifies()
{
    TestDataFolder data;
    data.addNote(QStringLiteral("A-1"), QStringLiteral("2025-03-31"));
    data.exec(QStringLiteral("INSERT INTO BankBalance (BbBank, BbDate, BbZan) VALUES ('1', '2025-01-31', 500)"));
    Connection c;
    c.open(Schema::connectionText(data.path()));
    QStringList triggers;
    QSqlQuery &q = c.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger'"));
    while (q.next())
        triggers << q.value(0).toString();
    q.finish();
    for (const QString &name : triggers)
        c.exec(QStringLiteral("DROP TRIGGER ") + name).finish();
    c.exec(QStringLiteral("DROP TABLE RirekiTbl")).finish();
    c.exec(QStringLiteral("PRAGMA user_version = %1").arg(Schema::historyVersion() - 1)).finish();
    c.close();

    const SchemaUpgrade::Result result = SchemaUpgrade::run(data.path(), QDate(2026, 12, 6));
    QCOMPARE(result.outcome, SchemaUpgrade::Outcome::Upgraded);
    QVERIFY(QFileInfo::exists(result.backup));
    qint64 rows = 0;
    for (const QString &table : Schema::historyTables())
        rows += data.scalar(QStringLiteral("SELECT count(*) FROM ") + table).toLongLong();
    QCOMPARE(data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl WHERE RAction = '開始' "
                                        "AND RSource = 'バージョン更新'")).toLongLong(),
             rows);
    data.exec(QStringLiteral("UPDATE SiteTbl SET TCond = '2'"));
    const HistoryCheck::Result check = HistoryCheck::verify(data.path());
    QVERIFY2(check.sound, qPrintable(check.problem));
    QCOMPARE(check.rows, rows + 1);
}

// Each table a file whose rows and hash the manifest states.
void TestHistory::exportAllHandsOverEveryTable()
{
    TestDataFolder data;
    data.addNote(QStringLiteral("A-1"), QStringLiteral("2025-03-31"));
    data.exec(QStringLiteral("UPDATE SiteTbl SET TRemarks = '支払, \"至急\"'"));
    QTemporaryDir out;
    QCOMPARE(tool({QStringLiteral("export-all"), data.path(), out.path()}).first, 0);

    QFile manifest(QDir(out.path()).filePath(QStringLiteral("manifest.csv")));
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    const QByteArray listed = manifest.readAll();
    QVERIFY(listed.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(listed.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("ファイル,行数,SHA-256"));
    QStringList tables;
    for (const QString &line : lines.mid(1)) {
        const QStringList f = line.split(u',');
        const QString table = f.at(0).chopped(4);
        tables << table;
        QCOMPARE(f.at(1).toLongLong(), data.scalar(QStringLiteral("SELECT count(*) FROM ") + table).toLongLong());
        QFile file(QDir(out.path()).filePath(f.at(0)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(f.at(2).toLatin1(), QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
    }
    QCOMPARE(tables.size(), data.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")).toInt());
    QVERIFY(tables.contains(QStringLiteral("RirekiTbl")));

    QFile notes(QDir(out.path()).filePath(QStringLiteral("SiteTbl.csv")));
    QVERIFY(notes.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(notes.readAll().mid(3)),
             QStringLiteral("TNo,TFDate,TKDate,TBank,TTo,TKingaku,TKubun,TYoto,TCond,TRemarks,TKeiri\r\n"
                            "A-1,2024-01-10,2025-03-31,1,100,100000,1,1,1,\"支払, \"\"至急\"\"\",1\r\n"));
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_History.moc"
