#include "WindowFixture.h"

#include "app/Startup.h"
#include "store/Schema.h"
#include "store/SchemaUpgrade.h"

#include <QDate>
#include <QFile>
#include <QtTest>

#include <unistd.h>

namespace {

// The tables of a database made before schema versions were kept that the
// upgrade changes or needs, with rows it must keep.
const char *const versionOne[] = {
    "CREATE TABLE SiteTbl (TNo TEXT NOT NULL COLLATE NOCASE, TFDate TEXT, TKDate TEXT, TBank TEXT COLLATE NOCASE, "
    "TTo TEXT COLLATE NOCASE, TKingaku REAL, TKubun TEXT COLLATE NOCASE, TYoto TEXT COLLATE NOCASE, "
    "TCond TEXT COLLATE NOCASE, TRemarks TEXT, TKeiri TEXT COLLATE NOCASE)",
    "CREATE TABLE SireCliant (ClCode TEXT NOT NULL COLLATE NOCASE, ClName TEXT, ClPdName TEXT, ClYomigana TEXT, "
    "clAddress1 TEXT, claddress2 TEXT, claddress3 TEXT, claddress4 TEXT, clzip TEXT, cltel TEXT, clfax TEXT, "
    "ClSime TEXT, ClZan REAL, Clpay TEXT, ClTokuiKbn INTEGER)",
    "CREATE TABLE kbn1 (KbnCode TEXT NOT NULL COLLATE NOCASE, KbnName TEXT)",
    "CREATE TABLE Kbn3 (KbnCode TEXT NOT NULL COLLATE NOCASE, KbnName TEXT)",
    "CREATE TABLE kbn6 (KbnCode TEXT NOT NULL COLLATE NOCASE, KbnName TEXT, KbnZan REAL)",
    "INSERT INTO SiteTbl VALUES ('A-1', '2024-01-10', '2024-04-30', '1', '100', 500000, '1', '1', '1', 'メモ', '1')",
    "INSERT INTO SireCliant (ClCode, ClName, ClTokuiKbn) VALUES ('100', '山田製作所', 1)",
    "INSERT INTO kbn1 VALUES ('1', '約束手形')",
    "INSERT INTO Kbn3 VALUES ('1', '未決済'), ('2', '決済済み'), ('3', '書換済み'), ('4', '取消'), ('5', '不渡り'), "
    "('6', '期日到来')",
    "INSERT INTO kbn6 VALUES ('1', '中央銀行', 0)",
};

struct Folder : WindowFixture
{
    Folder()
        : WindowFixture(true)
    {
        QVERIFY(TestDataFolder::writeFile(data.databasePath(), QByteArray()));
        for (const char *sql : versionOne)
            data.exec(QString::fromUtf8(sql));
    }

    QByteArray bytes() const { return TestDataFolder::fileBytes(data.databasePath()); }
    QString backup() const { return SchemaUpgrade::backupPath(data.path(), QDate::currentDate()); }
    bool upgrade() { return Startup(context).UpgradeSchema(); }
    QString columns(const char *table) const
    {
        return data.scalar(QStringLiteral("SELECT group_concat(name, ',') FROM pragma_table_info('%1')")
                                   .arg(QLatin1String(table)))
                .toString();
    }
};

} // namespace

// A register of an earlier version brought to the current schema at start,
// one of a newer version refused, and a failed upgrade that changes nothing.
class TestSchemaUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void upgradesVersionOne()
    {
        Folder f;
        QCOMPARE(SchemaUpgrade::version(f.data.path()), 1);
        QVERIFY(f.upgrade());
        QCOMPARE(f.data.scalar(QStringLiteral("PRAGMA user_version")).toInt(), Schema::version());
        // The states get their meanings from their names, and the closing
        // message says which were marked and which were left waiting.
        QCOMPARE(f.data.scalar(QStringLiteral("SELECT group_concat(KbnCode || KbnKesai, ',') FROM Kbn3")).toString(),
                 QStringLiteral("10,21,32,42,53,60"));
        QCOMPARE(f.data.scalar(QStringLiteral("SELECT KbnKyokudo FROM kbn6")).toDouble(), 0.0);
        QCOMPARE(f.dialogs.messages().size(), 1);
        const auto closing = f.dialogs.messages().first();
        QCOMPARE(closing.icon, DialogService::Icon::Information);
        QVERIFY2(closing.text.contains(QStringLiteral("2 決済済み: 決済済み\n  3 書換済み: 無効\n  4 取消: 無効\n"
                                                      "  5 不渡り: 不渡り\n未決済のままにした状態:\n  1 未決済\n  6 期日到来\n")),
                 qPrintable(closing.text));
        QVERIFY(f.columns("SireCliant").endsWith(QLatin1String(",ClTekiho,ClTouroku")));
        QVERIFY(f.columns("kbn1").endsWith(QLatin1String(",KbnDenshi")));
        QVERIFY(f.columns("kbn6").endsWith(QLatin1String(",KbnFuriEnd,KbnKesaiEnd")));
        QCOMPARE(f.data.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master "
                                              "WHERE name IN ('BankBalance', 'ShiwakeKamoku')")).toInt(), 2);
        QCOMPARE(f.data.scalar(QStringLiteral("SELECT ClName || ClTekiho || (SELECT KbnName || KbnDenshi FROM kbn1) "
                                              "|| (SELECT TNo || TRemarks || TKingaku FROM SiteTbl) FROM SireCliant"))
                         .toString(),
                 QStringLiteral("山田製作所0約束手形0A-1メモ500000.0"));

        // The copy is the database as it was.
        QCOMPARE(TestDataFolder::scalarAt(f.backup(), QStringLiteral("SELECT ClName || (SELECT user_version FROM "
                                                                     "pragma_user_version) || (SELECT count(*) FROM "
                                                                     "pragma_table_info('SireCliant')) FROM SireCliant"))
                         .toString(),
                 QStringLiteral("山田製作所015"));

        // Upgraded once: the next start leaves it alone.
        QVERIFY(QFile::remove(f.backup()));
        QVERIFY(f.upgrade());
        QVERIFY(!QFile::exists(f.backup()));
    }

    // Nothing is written; a read-only register can still be read.
    void refusedOrFailed_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QString>("message");
        const int v = Schema::version();
        QTest::newRow("newer version") << "newer" << false
                                       << QStringLiteral("データベースの版: %1　このプログラムが扱える版: %2").arg(v + 1).arg(v);
        // The first step goes through, the second finds its column taken.
        const QString failed = QStringLiteral("データベースを新しい版 (版 %1) に更新できませんでした。").arg(v);
        QTest::newRow("a step fails") << "step" << false << failed;
        QTest::newRow("read-only file") << "read-only" << true << failed;
    }

    void refusedOrFailed()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        Folder f;
        if (fault == QLatin1String("newer")) {
            f.data.exec(QStringLiteral("PRAGMA user_version = %1").arg(Schema::version() + 1));
        } else if (fault == QLatin1String("step")) {
            f.data.exec(QStringLiteral("ALTER TABLE kbn1 ADD COLUMN KbnDenshi INTEGER"));
        } else {
            if (geteuid() == 0)
                QSKIP("root writes to a read-only file");
            QVERIFY(QFile::setPermissions(f.data.databasePath(), QFile::ReadOwner | QFile::ReadUser));
        }
        const QByteArray before = f.bytes();
        const QString version = f.data.scalar(QStringLiteral("PRAGMA user_version")).toString();
        QTEST(f.upgrade(), "goesOn");
        QCOMPARE(f.dialogs.messages().size(), 1);
        QCOMPARE(f.dialogs.messages().first().title, QStringLiteral("警告"));
        QVERIFY2(f.dialogs.messages().first().text.contains(message), qPrintable(f.dialogs.messages().first().text));
        QCOMPARE(f.bytes(), before);
        QVERIFY(!f.columns("SireCliant").contains(QLatin1String("ClTekiho")));
        QCOMPARE(f.data.scalar(QStringLiteral("PRAGMA user_version")).toString(), version);
    }
};

QTEST_MAIN(TestSchemaUpgrade)
#include "tst_SchemaUpgrade.moc"
