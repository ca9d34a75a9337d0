#include "PgCluster.h"
#include "TestDataFolder.h"

#include "store/ChangeSource.h"
#include "store/Connection.h"
#include "store/HistoryCheck.h"
#include "store/HistoryFunctions.h"
#include "store/NoteChanges.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/ServerConnectionText.h"
#include "store/ServerDatabase.h"
#include "store/ServerSchema.h"
#include "store/StatementReader.h"
#include "store/StoreError.h"
#include "store/WorkTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QtTest>

namespace {

struct ToolRun
{
    int code = -1;
    QString out;
    QString err;
};

ToolRun tool(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(RIBODO_DATAFOLDER_TOOL), arguments);
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

// The connection text of the same database for another user.
QString asUser(const QString &text, const QString &user)
{
    QString t = text;
    return t.replace(QRegularExpression(QStringLiteral("User=[^;]*")), QStringLiteral("User=") + user);
}

// A supplier with a fraction in its balance, and notes registered,
// corrected and deleted: a register whose history has every kind of row.
void addHistory(const TestDataFolder &data)
{
    data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName, ClZan) VALUES ('100', '山田商店', 0.1)"));
    data.addNote(QStringLiteral("A-1"), QStringLiteral("2026-12-31"), QStringLiteral("1"), 1000000);
    data.addNote(QStringLiteral("A-2"), QStringLiteral("2027-01-31"), QStringLiteral("1"), 1500000.5);
    data.exec(QStringLiteral("UPDATE SiteTbl SET TKingaku = 2000000 WHERE TNo = 'A-1'"));
    data.exec(QStringLiteral("DELETE FROM SiteTbl WHERE TNo = 'A-2'"));
}

// True when the statement is refused.
bool refused(ServerDatabase &db, const QString &sql)
{
    try {
        db.exec(sql).finish();
    } catch (const StoreError &) {
        return true;
    }
    return false;
}

// Names as the server folds them, in order.
QString lowerNames(const QStringList &names)
{
    QStringList lower;
    for (const QString &name : names)
        lower << name.toLower();
    lower.sort();
    return lower.join(QLatin1Char(','));
}

// The first row of the server's history whose hash is not the one the
// program computes over its stored values, or whose link to the row before
// is broken; empty when the chain is sound.
QString chainProblem(ServerDatabase &db)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT RNo, RAt, RUser, RSource, RAction, RTable, RKey, RBefore, RAfter, RTNo, "
                                         "RTFDate, RTKDate, RTTo, RTKingaku::text, RPrev, RHash FROM RirekiTbl ORDER BY RNo"));
    QString previous;
    while (q.next()) {
        HistoryFunctions::Hash hash;
        hash.addInteger(q.value(0).toLongLong());
        for (int i = 1; i < 15; ++i) {
            if (q.value(i).isNull())
                hash.addNull();
            else if (i == 13)
                hash.addReal(q.value(i).toString().toDouble());
            else
                hash.addText(q.value(i).toString().toUtf8());
        }
        if (q.value(15).toString() != QString::fromLatin1(hash.result()) || q.value(14).toString() != previous)
            return QStringLiteral("RNo %1").arg(q.value(0).toLongLong());
        previous = q.value(15).toString();
    }
    return QString();
}

// Ends the program's sessions on the register, as a restarted server or a
// broken network would, and returns once they are gone.
void endSessions(ServerDatabase &admin)
{
    admin.exec(QStringLiteral("SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity "
                              "WHERE datname = current_database() AND pid <> pg_backend_pid() "
                              "AND application_name = 'QXRibodo'"))
            .finish();
}

QVariant scalar(ServerDatabase &db, const QString &sql)
{
    QSqlQuery q = db.exec(sql);
    const QVariant value = q.next() ? q.value(0) : QVariant();
    q.finish();
    return value;
}

// The explanation of the error a step raised; empty when it succeeded.
QString failureOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const StoreError &e) {
        return e.explanation();
    }
    return QString();
}

QString lostMessage(const QString &text)
{
    return QStringLiteral("サーバー %1 との接続が切れました。変更は書き込まれていません。もう一度操作してください。")
            .arg(ServerConnectionText::parse(text).serverName());
}

} // namespace

class TestServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void connectionText_data();
    void connectionText();
    void connectionFile();
    void unreachableServer();
    void translation_data();
    void translation();
    void serverInitMakesRegister();
    void serverInitRefusesNonEmpty_data();
    void serverInitRefusesNonEmpty();
    void codesIgnoreCase();
    void boundValues_data();
    void boundValues();
    void historyHashMatchesProgram_data();
    void historyHashMatchesProgram();
    void readerCannotWrite();
    void workTableIsEachUsers();
    void historyCannotBeChanged_data();
    void historyCannotBeChanged();
    void pushCopiesRegister_data();
    void pushCopiesRegister();
    void verifyOnServer_data();
    void verifyOnServer();
    void pullCopiesRegister();
    void pullRefusesFolderWithRegister_data();
    void pullRefusesFolderWithRegister();
    void lostSessionReconnects();
    void lostSessionInRecordClass_data();
    void lostSessionInRecordClass();
    void serverTellsOfNoteChanges();

private:
    // A register pushed from a data folder, then changed on the server by
    // keiri1: its history runs on from SQLite's rows to the server's. The
    // connection text as the superuser.
    QString pushedRegister();
    // A new database made by server-init, with the users keiri1 (経理) and
    // etsuran1 (閲覧); its connection text as the superuser.
    QString initialisedDatabase();
    bool addUsers();

    PgCluster m_cluster;
    QString m_register;
};

void TestServer::initTestCase()
{
    QVERIFY2(m_cluster.start(), qPrintable(m_cluster.error()));
}

void TestServer::cleanupTestCase()
{
    m_cluster.stop();
}

QString TestServer::initialisedDatabase()
{
    const QString text = m_cluster.newDatabase();
    const ToolRun run = tool({QStringLiteral("server-init"), text});
    if (run.code != 0) {
        qWarning() << run.err;
        return QString();
    }
    return addUsers() ? text : QString();
}

bool TestServer::addUsers()
{
    return m_cluster.exec({QStringLiteral(
            "DO $$BEGIN\n"
            "IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'keiri1') THEN CREATE ROLE keiri1 LOGIN IN ROLE \"経理\"; END IF;\n"
            "IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'keiri2') THEN CREATE ROLE keiri2 LOGIN IN ROLE \"経理\"; END IF;\n"
            "IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'etsuran1') THEN CREATE ROLE etsuran1 LOGIN IN ROLE \"閲覧\"; END IF;\n"
            "END$$")});
}

void TestServer::connectionText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");

    QTest::newRow("full") << "Provider=PostgreSQL;Host=srv01;Port=5433;Database=ribodo;User=keiri1"
                          << "Provider=PostgreSQL;Host=srv01;Port=5433;Database=ribodo;User=keiri1";
    QTest::newRow("keys in any case, default port") << "provider=postgresql; HOST=srv01 ;database=ribodo;"
                                                    << "Provider=PostgreSQL;Host=srv01;Port=5432;Database=ribodo";
    QTest::newRow("socket folder, full-width port") << "Provider=PostgreSQL;Host=/run/postgresql;Port=５４３３;Database=r"
                                                    << "Provider=PostgreSQL;Host=/run/postgresql;Port=5433;Database=r";
    QTest::newRow("password") << "Provider=PostgreSQL;Host=srv01;Database=ribodo;User=k;Password=secret"
                              << "接続文字列にパスワードは書けません。パスワードはサーバーのログイン"
                                 "（~/.pgpass または PGPASSFILE の指すファイル）で設定してください。";
    QTest::newRow("SQLite") << "Provider=SQLite;Data Source=/tmp/x/dbRibodo.sqlite"
                            << "サーバーの接続文字列が正しくありません。「Data Source」は使えない項目です。";
    QTest::newRow("no provider") << "Host=srv01;Database=ribodo"
                                 << "サーバーの接続文字列が正しくありません。Provider=PostgreSQL がありません。";
    QTest::newRow("no database") << "Provider=PostgreSQL;Host=srv01"
                                 << "サーバーの接続文字列が正しくありません。Database（データベース名）がありません。";
    QTest::newRow("bad port") << "Provider=PostgreSQL;Host=srv01;Port=70000;Database=ribodo"
                              << "サーバーの接続文字列が正しくありません。ポート「70000」は 1 から 65535 までの数ではありません。";
    QTest::newRow("no equals") << "Provider=PostgreSQL;srv01;Database=ribodo"
                               << "サーバーの接続文字列が正しくありません。「srv01」に「=」がありません。";
}

void TestServer::connectionText()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    try {
        QCOMPARE(ServerConnectionText::parse(text).text(), result);
    } catch (const StoreError &e) {
        QCOMPARE(e.text(), result);
    }
}

// The data folder's file, as an editor on Windows may save it.
void TestServer::connectionFile()
{
    QTemporaryDir folder;
    QVERIFY_THROWS_EXCEPTION(StoreError, ServerConnectionText::fromDataFolder(folder.path()));
    QVERIFY(!ServerConnectionText::existsIn(folder.path()));
    QFile file(QDir(folder.path()).filePath(QStringLiteral("dbRibodo.server")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBFProvider=PostgreSQL;Host=srv01;Database=ribodo;User=keiri1\r\n");
    file.close();
    QVERIFY(ServerConnectionText::existsIn(folder.path()));
    QCOMPARE(ServerConnectionText::fromDataFolder(folder.path()).text(),
             QStringLiteral("Provider=PostgreSQL;Host=srv01;Port=5432;Database=ribodo;User=keiri1"));
}

void TestServer::unreachableServer()
{
    const QString host = m_cluster.socketFolder() + QStringLiteral("/none");
    const QString text = QStringLiteral("Provider=PostgreSQL;Host=%1;Port=5999;Database=ribodo").arg(host);
    const QString message = QStringLiteral("サーバー %1 (ポート 5999) のデータベース ribodo に接続できません。").arg(host);
    try {
        ServerDatabase db(ServerConnectionText::parse(text));
        QFAIL("connected to no server");
    } catch (const StoreError &e) {
        QCOMPARE(e.explanation(), message);
    }
    const ToolRun run = tool({QStringLiteral("server-init"), text});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.startsWith(message), qPrintable(run.err));
}

void TestServer::translation_data()
{
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QStringList>("server");

    QTest::newRow("codes, amounts, numbers")
            << "CREATE TABLE T (A TEXT NOT NULL COLLATE NOCASE, B TEXT COLLATE NOCASE, C REAL, D INTEGER, E TEXT)"
            << QStringList{QStringLiteral("CREATE TABLE T (A citext NOT NULL, B citext, C numeric, D bigint, E TEXT, "
                                          "rowid bigint GENERATED ALWAYS AS IDENTITY UNIQUE)")};
    QTest::newRow("the history keeps its own numbers")
            << "CREATE TABLE RirekiTbl (RNo INTEGER PRIMARY KEY)" << QStringList{QStringLiteral("CREATE TABLE RirekiTbl (RNo bigint PRIMARY KEY)")};
    QTest::newRow("date check")
            << "ALTER TABLE T ADD COLUMN F TEXT CHECK (F IS NULL OR F GLOB '[0-9][0-9]-?*.x')"
            << QStringList{QStringLiteral("ALTER TABLE T ADD COLUMN F TEXT CHECK (F IS NULL OR F ~ '^[0-9][0-9]-..*\\.x$')")};
    QTest::newRow("case-blind index column")
            << "CREATE INDEX I ON T (D COLLATE NOCASE, E) WHERE E IS NOT NULL"
            << QStringList{QStringLiteral("CREATE INDEX I ON T (CAST(D AS citext), E) WHERE E IS NOT NULL")};
    QTest::newRow("case-blind date index column")
            << "CREATE INDEX I ON T (TKDate COLLATE NOCASE, E)" << QStringList{QStringLiteral("CREATE INDEX I ON T (TKDate, E)")};
    QTest::newRow("view") << "CREATE VIEW V AS SELECT IFNULL(c.N, '') AS N FROM T c"
                          << QStringList{QStringLiteral("CREATE VIEW V AS SELECT COALESCE(c.N, '') AS N FROM T c")};
    QTest::newRow("version") << "PRAGMA user_version = 7"
                             << QStringList{QStringLiteral("CREATE TABLE RibodoVersion (Version integer NOT NULL)"),
                                            QStringLiteral("INSERT INTO RibodoVersion VALUES (7)")};
    QTest::newRow("guard")
            << "CREATE TRIGGER G BEFORE DELETE ON T BEGIN SELECT RAISE(ABORT, '消せません。'); END"
            << QStringList{QStringLiteral("CREATE FUNCTION G() RETURNS trigger LANGUAGE plpgsql AS "
                                          "$body$BEGIN RAISE EXCEPTION USING MESSAGE = '消せません。'; END$body$"),
                           QStringLiteral("CREATE TRIGGER G BEFORE DELETE ON T FOR EACH ROW EXECUTE FUNCTION G()")};
    QTest::newRow("unknown form") << "CREATE TRIGGER X AFTER INSERT ON T BEGIN DELETE FROM T; END" << QStringList();
}

void TestServer::translation()
{
    QFETCH(QString, sqlite);
    QFETCH(QStringList, server);
    if (server.isEmpty())
        QVERIFY_THROWS_EXCEPTION(StoreError, ServerSchema::translate(sqlite));
    else
        QCOMPARE(ServerSchema::translate(sqlite), server);
}

void TestServer::serverInitMakesRegister()
{
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    ServerDatabase db(ServerConnectionText::parse(text));

    // Every table, view and index of the SQLite register, owned by the owner.
    QStringList tables;
    QStringList views;
    QStringList indexes;
    static const QRegularExpression named(QStringLiteral("^CREATE (TABLE|VIEW|UNIQUE INDEX|INDEX) (\\w+)"));
    for (const QString &statement : Schema::createStatements()) {
        const QRegularExpressionMatch m = named.match(statement);
        if (!m.hasMatch())
            continue;
        (m.captured(1) == QLatin1String("TABLE") ? tables : m.captured(1) == QLatin1String("VIEW") ? views : indexes)
                << m.captured(2);
    }
    const auto names = [&](const QString &sql) {
        QStringList found;
        QSqlQuery q = db.exec(sql);
        while (q.next())
            found << q.value(0).toString();
        found.sort();
        return found.join(QLatin1Char(','));
    };
    tables << ServerSchema::versionTable();
    QCOMPARE(names(QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = 'public' "
                                  "AND tableowner = 'ribodo_owner'")),
             lowerNames(tables));
    QCOMPARE(names(QStringLiteral("SELECT viewname FROM pg_views WHERE schemaname = 'public' AND viewowner = 'ribodo_owner'")),
             lowerNames(views));
    QCOMPARE(names(QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname = 'public' "
                                  "AND indexname NOT LIKE '%_pkey' AND indexname NOT LIKE '%_rowid_key'")),
             lowerNames(indexes));
    QSqlQuery v = db.exec(QStringLiteral("SELECT Version FROM RibodoVersion"));
    QVERIFY(v.next());
    QCOMPARE(v.value(0).toInt(), Schema::version());
    v.finish();

    // Ten tables with their history trigger; the owner cannot log in.
    QCOMPARE(names(QStringLiteral("SELECT tgname FROM pg_trigger WHERE tgname LIKE 'rireki\\_%'")).count(QLatin1Char(',')) + 1,
             int(Schema::historyTables().size()));
    QCOMPARE(names(QStringLiteral("SELECT rolname || ':' || rolcanlogin FROM pg_roles "
                                  "WHERE rolname IN ('ribodo_owner', '経理', '閲覧')")),
             QStringLiteral("ribodo_owner:false,経理:false,閲覧:false"));
}

void TestServer::serverInitRefusesNonEmpty_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");

    QTest::newRow("a table") << "refused_table" << "CREATE DATABASE %1; CREATE TABLE other (a int)"
                             << "データベース %1 は空ではありません（表とビュー 1 個）。台帳は空のデータベースにだけ作れます。";
    QTest::newRow("not UTF-8") << "refused_ascii" << "CREATE DATABASE %1 ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0"
                               << "データベース %1 の文字コードが UTF8 ではありません（SQL_ASCII）。"
                                  "createdb -E UTF8 -T template0 で作り直してください。";
}

void TestServer::serverInitRefusesNonEmpty()
{
    QFETCH(QString, database);
    QFETCH(QString, setup);
    QFETCH(QString, message);
    const QStringList statements = setup.arg(database).split(QStringLiteral("; "));
    QVERIFY2(m_cluster.exec({statements.first()}), qPrintable(m_cluster.error()));
    QVERIFY2(m_cluster.exec(statements.mid(1), database), qPrintable(m_cluster.error()));
    const ToolRun run = tool({QStringLiteral("server-init"), m_cluster.connectionText(database)});
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err, message.arg(database));
}

// Codes compare without regard to case, as in the SQLite file; the dates
// keep their form.
void TestServer::codesIgnoreCase()
{
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    ServerDatabase db(ServerConnectionText::parse(asUser(text, QStringLiteral("keiri1"))));
    db.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate, TKingaku) VALUES ('ab-1', '2026-12-31', 1000)")).finish();
    QVERIFY(refused(db, QStringLiteral("INSERT INTO SiteTbl (TNo) VALUES ('AB-1')")));
    QVERIFY(refused(db, QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate) VALUES ('ab-2', '2026/12/31')")));
    QSqlQuery q = db.exec(QStringLiteral("SELECT TNo FROM QRYRibodo WHERE TNo = ?"), {QStringLiteral("AB-1")});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("ab-1"));
}

void TestServer::boundValues_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariant>("bound");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("amount stays exact") << "SELECT CAST(? AS REAL)" << QVariant(1234567.89) << QVariant(QStringLiteral("1234567.89"));
    QTest::newRow("whole number beyond a double")
            << "SELECT CAST(? AS INTEGER)" << QVariant(qlonglong(9007199254740993)) << QVariant(qlonglong(9007199254740993));
    QTest::newRow("mark inside quotes is text") << "SELECT 'a?' || ?" << QVariant(QStringLiteral("b'c")) << QVariant(QStringLiteral("a?b'c"));
    QTest::newRow("null") << "SELECT IFNULL(?, 'none')" << QVariant() << QVariant(QStringLiteral("none"));
    QTest::newRow("date") << "SELECT ? || ''" << QVariant(QDate(2026, 12, 7)) << QVariant(QStringLiteral("2026-12-07"));
    QTest::newRow("yes as 1") << "SELECT CAST(? AS INTEGER)" << QVariant(true) << QVariant(qlonglong(1));
}

// A statement of the program on the server: its value reaches the server as
// it is and comes back in the type the driver would give.
void TestServer::boundValues()
{
    QFETCH(QString, sql);
    QFETCH(QVariant, bound);
    QFETCH(QVariant, expected);
    // One register serves every row.
    if (m_register.isEmpty())
        m_register = initialisedDatabase();
    QVERIFY(!m_register.isEmpty());
    Connection c;
    c.open(m_register);
    QSqlQuery &q = c.exec(sql, {bound});
    QVERIFY(q.next());
    QCOMPARE(q.value(0), expected);
    q.finish();
}

void TestServer::historyHashMatchesProgram_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("corrected");

    // Amounts the program writes in exponent form, in decimal, and with a
    // fraction.
    QTest::newRow("round millions") << "1000000" << "20000000";
    QTest::newRow("tie goes decimal") << "1500000" << "1234567";
    QTest::newRow("large") << "123456789012" << "100000000000000";
    QTest::newRow("fraction") << "100000.5" << "0.25";
    // The searched fields unchanged: left empty, as on SQLite.
    QTest::newRow("remarks only") << "5000" << "5000";
}

// A note's registration, correction and deletion by a 経理 user: three
// history rows, chained, each with the hash the program itself computes over
// the stored values.
void TestServer::historyHashMatchesProgram()
{
    QFETCH(QString, amount);
    QFETCH(QString, corrected);
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    {
        ServerDatabase db(ServerConnectionText::parse(asUser(text, QStringLiteral("keiri1"))));
        db.exec(QStringLiteral("SELECT set_config('ribodo.source', '手形入力', false)")).finish();
        db.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '山田商店')")).finish();
        db.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TTo, TKingaku, TRemarks) "
                               "VALUES ('A-1', '2026-10-01', '2026-12-31', '100', %1::numeric, NULL)")
                        .arg(amount))
                .finish();
        db.exec(QStringLiteral("UPDATE SiteTbl SET TKingaku = %1::numeric, TRemarks = '訂正' WHERE TNo = 'a-1'")
                        .arg(corrected))
                .finish();
        db.exec(QStringLiteral("DELETE FROM SiteTbl WHERE TNo = 'A-1'")).finish();
    }
    ServerDatabase db(ServerConnectionText::parse(text));
    QCOMPARE(chainProblem(db), QString());
    QSqlQuery q = db.exec(QStringLiteral("SELECT RUser, RSource, RAction, RKey, RTKingaku::text FROM RirekiTbl ORDER BY RNo"));
    QStringList actions;
    while (q.next()) {
        QCOMPARE(q.value(0).toString(), QStringLiteral("keiri1"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("手形入力"));
        actions << q.value(2).toString() + QLatin1Char(' ') + q.value(3).toString() + QLatin1Char(' ')
                        + q.value(4).toString();
    }
    QCOMPARE(actions, (QStringList{QStringLiteral("登録 100 "), QStringLiteral("登録 A-1 "),
                                   QStringLiteral("訂正 A-1 ") + (amount == corrected ? QString() : amount),
                                   QStringLiteral("削除 A-1 ") + corrected}));
}

void TestServer::readerCannotWrite()
{
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    ServerDatabase db(ServerConnectionText::parse(asUser(text, QStringLiteral("etsuran1"))));
    QVERIFY(!refused(db, QStringLiteral("SELECT count(*) FROM QRYRibodo")));
    QVERIFY(refused(db, QStringLiteral("INSERT INTO SiteTbl (TNo) VALUES ('B-1')")));
    QVERIFY(refused(db, QStringLiteral("UPDATE kbn6 SET KbnName = 'x'")));
    QVERIFY(refused(db, QStringLiteral("DELETE FROM SireCliant")));
}

// Two users printing from the explorer at once each print their own list.
void TestServer::workTableIsEachUsers()
{
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    Connection first;
    Connection second;
    first.open(asUser(text, QStringLiteral("keiri1")));
    second.open(asUser(text, QStringLiteral("keiri2")));
    WorkTable::replace(first, {{QStringLiteral("A-1")}, {QStringLiteral("A-2")}});
    WorkTable::replace(second, {{QStringLiteral("B-1")}});
    WorkTable::replace(first, {{QStringLiteral("A-3")}});
    const auto listed = [](Connection &c) {
        QSqlQuery &q = c.exec(QStringLiteral("SELECT group_concat(F1, ' ') FROM TMPTbl"));
        const QString list = q.next() ? q.value(0).toString() : QString();
        q.finish();
        return list;
    };
    QCOMPARE(listed(first), QStringLiteral("A-3"));
    QCOMPARE(listed(second), QStringLiteral("B-1"));
    QCOMPARE(first.columns(QStringLiteral("TMPTbl")).join(u','), QStringLiteral("F1,F2,F3,F4,F5,F6,F7"));
}

void TestServer::historyCannotBeChanged_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("statement");

    for (const char *user : {"keiri1", "postgres"}) {
        QTest::addRow("%s update", user) << user << "UPDATE RirekiTbl SET RUser = 'x'";
        QTest::addRow("%s delete", user) << user << "DELETE FROM RirekiTbl";
        QTest::addRow("%s truncate", user) << user << "TRUNCATE RirekiTbl";
    }
    QTest::newRow("keiri1 insert") << "keiri1"
                                   << "INSERT INTO RirekiTbl (RNo, RAt, RAction, RTable, RHash) VALUES (99, 'x', 'x', 'x', 'x')";
}

// Neither the register's users nor the server's superuser change or remove
// a row of the history.
void TestServer::historyCannotBeChanged()
{
    QFETCH(QString, user);
    QFETCH(QString, statement);
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    ServerDatabase db(ServerConnectionText::parse(asUser(text, user)));
    db.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', '本店')")).finish();
    QVERIFY(refused(db, statement));
    QSqlQuery q = db.exec(QStringLiteral("SELECT count(*), min(RAction) FROM RirekiTbl"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    QCOMPARE(q.value(1).toString(), QStringLiteral("登録"));
}

void TestServer::pushCopiesRegister_data()
{
    QTest::addColumn<bool>("initialised");
    QTest::newRow("into an empty database") << false;
    QTest::newRow("into a register made by server-init") << true;
}

// A register with its history goes to the server row for row; the chain the
// program wrote goes on there, and a second push is refused.
void TestServer::pushCopiesRegister()
{
    QFETCH(bool, initialised);
    TestDataFolder data;
    addHistory(data);
    // Characters the stream to the server must escape.
    const QString remarks = QStringLiteral("1行目\n\t2行目\\円\r");
    data.exec(QStringLiteral("UPDATE SiteTbl SET TRemarks = ? WHERE TNo = 'A-1'"), {remarks});

    const QString text = initialised ? initialisedDatabase() : m_cluster.newDatabase();
    QVERIFY(!text.isEmpty());
    const ToolRun run = tool({QStringLiteral("push"), data.path(), text});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QVERIFY(addUsers());

    ServerDatabase db(ServerConnectionText::parse(text));
    for (const QString &table : ServerSchema::tables()) {
        const QString count = QStringLiteral("SELECT count(*) FROM ") + table;
        QSqlQuery q = db.exec(count);
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toLongLong(), data.scalar(count).toLongLong());
    }
    QCOMPARE(chainProblem(db), QString());
    {
        ServerDatabase keiri(ServerConnectionText::parse(asUser(text, QStringLiteral("keiri1"))));
        keiri.exec(QStringLiteral("UPDATE SiteTbl SET TKingaku = 3000000 WHERE TNo = 'a-1'")).finish();
    }
    QCOMPARE(chainProblem(db), QString());
    QSqlQuery q = db.exec(QStringLiteral("SELECT RUser, RTKingaku::text, ClZan::text FROM RirekiTbl, SireCliant "
                                         "ORDER BY RNo DESC LIMIT 1"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("keiri1"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("2000000"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("0.1"));
    q.finish();
    q = db.exec(QStringLiteral("SELECT TRemarks FROM SiteTbl"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), remarks);
    q.finish();

    const ToolRun again = tool({QStringLiteral("push"), data.path(), text});
    QCOMPARE(again.code, 1);
    QVERIFY2(again.err.contains(QStringLiteral("には既に行があります")), qPrintable(again.err));
}

QString TestServer::pushedRegister()
{
    TestDataFolder data;
    addHistory(data);
    const QString text = m_cluster.newDatabase();
    if (text.isEmpty() || tool({QStringLiteral("push"), data.path(), text}).code != 0 || !addUsers())
        return QString();
    ServerDatabase keiri(ServerConnectionText::parse(asUser(text, QStringLiteral("keiri1"))));
    keiri.exec(QStringLiteral("UPDATE SiteTbl SET TKingaku = 3000000 WHERE TNo = 'a-1'")).finish();
    keiri.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate, TTo, TKingaku) VALUES ('B-1', '2027-02-28', '100', 1234.5)"))
            .finish();
    return text;
}

void TestServer::verifyOnServer_data()
{
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<QString>("rowNo");
    QTest::addColumn<QString>("result");

    const QString sound = QStringLiteral("検証結果: 正常 (手形 2 件, 履歴 %1 件)");
    QTest::newRow("sound") << QString() << QStringLiteral("SELECT count(*) FROM RirekiTbl") << sound;
    QTest::newRow("sound, through the data folder's connection file")
            << QStringLiteral("folder") << QStringLiteral("SELECT count(*) FROM RirekiTbl") << sound;
    QTest::newRow("a note changed with the triggers off")
            << QStringLiteral("SET session_replication_role = replica; UPDATE SiteTbl SET TKingaku = 1 WHERE TNo = 'A-1'")
            << QStringLiteral("SELECT max(RNo) FROM RirekiTbl WHERE RKey = 'A-1'")
            << QStringLiteral("検証結果: 異常\n表 SiteTbl のキー A-1 の行が変更履歴 No.%1 と異なります (列 TKingaku (%2) が "
                              "3000000 から 1 になっています)。")
                       .arg(QStringLiteral("%1"), Schema::columnCaption(QStringLiteral("TKingaku")));
    QTest::newRow("a history row edited with the triggers off")
            << QStringLiteral("SET session_replication_role = replica; "
                              "UPDATE RirekiTbl SET RTKingaku = 1 WHERE RKey = 'B-1'")
            << QStringLiteral("SELECT RNo FROM RirekiTbl WHERE RKey = 'B-1'")
            << QStringLiteral("検証結果: 異常\n履歴 No.%1 (表 SiteTbl, キー B-1) の内容が書き換えられています。");
    QTest::newRow("a history row added by the owner")
            << QStringLiteral("SET ROLE ribodo_owner; INSERT INTO RirekiTbl (RNo, RAt, RAction, RTable, RKey, RPrev, RHash) "
                              "SELECT max(RNo) + 1, '2026-12-01 09:00:00', '削除', 'SiteTbl', 'B-1', 'x', 'x' FROM RirekiTbl")
            << QStringLiteral("SELECT max(RNo) FROM RirekiTbl")
            << QStringLiteral("検証結果: 異常\n履歴 No.%1 (表 SiteTbl, キー B-1) が前の履歴 No.%2 とつながっていません。");
}

// The check of the server's register: the chain computed by the server
// and the replay of its history against its tables, whichever engine wrote
// each row; a change made behind the program's back is named.
void TestServer::verifyOnServer()
{
    QFETCH(QString, tamper);
    QFETCH(QString, rowNo);
    QFETCH(QString, result);
    const QString text = pushedRegister();
    QVERIFY(!text.isEmpty());
    // Reading is all it needs: a 閲覧 user may run it.
    QString target = asUser(text, QStringLiteral("etsuran1"));
    QTemporaryDir folder;
    if (tamper == QLatin1String("folder")) {
        QVERIFY(TestDataFolder::writeFile(QDir(folder.path()).filePath(ServerConnectionText::fileName()), text.toUtf8()));
        target = folder.path();
    } else if (!tamper.isEmpty()) {
        ServerDatabase db(ServerConnectionText::parse(text));
        for (const QString &statement : tamper.split(QStringLiteral("; ")))
            db.exec(statement).finish();
    }
    ServerDatabase db(ServerConnectionText::parse(text));
    QSqlQuery q = db.exec(rowNo);
    QVERIFY(q.next());
    const qint64 no = q.value(0).toLongLong();
    q.finish();

    const ToolRun run = tool({QStringLiteral("verify"), target});
    result.replace(QStringLiteral("%1"), QString::number(no)).replace(QStringLiteral("%2"), QString::number(no - 1));
    QCOMPARE(run.out, result);
    QCOMPARE(run.code, result.contains(QStringLiteral("異常")) ? 1 : 0);
}

// The daily backup: a SQLite copy of the server's register at one moment,
// history included, that verifies, opens as an ordinary register, and goes
// back onto an empty server as it came.
void TestServer::pullCopiesRegister()
{
    const QString text = pushedRegister();
    QVERIFY(!text.isEmpty());
    QTemporaryDir target;
    const QString folder = target.path() + QStringLiteral("/copy/");
    const ToolRun run = tool({QStringLiteral("pull"), asUser(text, QStringLiteral("etsuran1")), folder});
    QVERIFY2(run.code == 0, qPrintable(run.err));

    ServerDatabase db(ServerConnectionText::parse(text));
    QSqlQuery q = db.exec(QStringLiteral("SELECT count(*) FROM RirekiTbl"));
    QVERIFY(q.next());
    const QString sound = QStringLiteral("検証結果: 正常 (手形 2 件, 履歴 %1 件)").arg(q.value(0).toLongLong());
    q.finish();
    const ToolRun verified = tool({QStringLiteral("verify"), folder});
    QCOMPARE(verified.out, sound);
    for (const QString &table : ServerSchema::tables()) {
        const QString count = QStringLiteral("SELECT count(*) FROM ") + table;
        QSqlQuery server = db.exec(count);
        QVERIFY(server.next());
        QCOMPARE(TestDataFolder::scalarAt(folder, count).toLongLong(), server.value(0).toLongLong());
    }
    QCOMPARE(TestDataFolder::scalarAt(folder, QStringLiteral("SELECT TKingaku FROM SiteTbl WHERE TNo = 'A-1'")).toDouble(),
             3000000.0);
    {
        // An ordinary register: its own changes go on into its history.
        Connection copy;
        copy.open(Schema::connectionText(folder));
        copy.exec(QStringLiteral("UPDATE SiteTbl SET TKingaku = 1234.25 WHERE TNo = 'B-1'")).finish();
    }
    QVERIFY(HistoryCheck::checkTail(folder).sound);
    QCOMPARE(tool({QStringLiteral("verify"), folder}).code, 0);

    // Restore: the copy pushed into an empty database.
    const QString restored = m_cluster.newDatabase();
    const ToolRun pushed = tool({QStringLiteral("push"), folder, restored});
    QVERIFY2(pushed.code == 0, qPrintable(pushed.err));
    const ToolRun again = tool({QStringLiteral("verify"), restored});
    QVERIFY2(again.code == 0, qPrintable(again.out));
}

void TestServer::pullRefusesFolderWithRegister_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("a SQLite register") << "dbRibodo.sqlite"
                                       << "データ フォルダ %1 には既に台帳 (dbRibodo.sqlite) があります。"
                                          "写しは台帳のないフォルダに作ってください。";
    QTest::newRow("the server's connection file") << "dbRibodo.server"
                                                  << "データ フォルダ %1 はサーバーの台帳 (dbRibodo.server) を指しています。"
                                                     "写しは台帳のないフォルダに作ってください。";
}

void TestServer::pullRefusesFolderWithRegister()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    TestDataFolder folder(false);
    QVERIFY(TestDataFolder::writeFile(folder.path() + file, text.toUtf8()));
    const ToolRun run = tool({QStringLiteral("pull"), text, folder.path()});
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err, message.arg(folder.path()));
    QCOMPARE(TestDataFolder::fileBytes(folder.path() + file), text.toUtf8());
}

// A statement on a session the server ended fails with the message, the
// transaction it belonged to is gone, and the next statement outside a
// transaction runs on a new session, told the change source again.
void TestServer::lostSessionReconnects()
{
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    ServerDatabase admin(ServerConnectionText::parse(text));
    Connection c;
    c.open(asUser(text, QStringLiteral("keiri1")));
    const ChangeSource::Scope scope(QStringLiteral("区分マスタ"));
    const auto insert = [&c](const char *code) {
        c.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES (?, '本店')"), {QLatin1String(code)}).finish();
    };
    insert("1");

    c.beginTrans();
    insert("2");
    endSessions(admin);
    QCOMPARE(failureOf([&] { insert("3"); }), lostMessage(text));
    // The rest of the transaction does not run on a new session.
    QVERIFY_THROWS_EXCEPTION(StoreError, insert("4"));
    QVERIFY_THROWS_EXCEPTION(StoreError, c.commitTrans());
    QVERIFY(!c.inTransaction());
    QCOMPARE(scalar(admin, QStringLiteral("SELECT string_agg(KbnCode, ',' ORDER BY KbnCode) FROM kbn6")).toString(),
             QStringLiteral("1"));

    insert("5");
    c.beginTrans();
    insert("6");
    c.commitTrans();
    QCOMPARE(scalar(admin, QStringLiteral("SELECT string_agg(KbnCode || RSource, ',' ORDER BY RNo) FROM RirekiTbl "
                                          "JOIN kbn6 ON RKey = KbnCode"))
                     .toString(),
             QStringLiteral("1区分マスタ,5区分マスタ,6区分マスタ"));

    // Lost while idle: the first statement says so, the next one reads.
    endSessions(admin);
    QCOMPARE(failureOf([&] { c.exec(QStringLiteral("SELECT count(*) FROM kbn6")); }), lostMessage(text));
    QSqlQuery &q = c.exec(QStringLiteral("SELECT count(*) FROM kbn6"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 3);
    q.finish();

    // Lost under the fast reader: the commit that follows says nothing was
    // written, which is so.
    c.beginTrans();
    insert("7");
    endSessions(admin);
    QCOMPARE(failureOf([&] { StatementReader reader(c, QStringLiteral("SELECT KbnCode FROM kbn6")); }),
             lostMessage(text));
    QCOMPARE(failureOf([&] { c.commitTrans(); }), lostMessage(text));
    QCOMPARE(scalar(admin, QStringLiteral("SELECT count(*) FROM kbn6")).toInt(), 3);
}

void TestServer::lostSessionInRecordClass_data()
{
    QTest::addColumn<int>("action");
    // The change source is asked before each write: the session ends at
    // that write, the ones before it in the same transaction done.
    QTest::addColumn<int>("endAtWrite");
    QTest::newRow("register") << 0 << 1;
    QTest::newRow("settlement, checked against its version") << 1 << 2;
    QTest::newRow("state update of three notes, after the first") << 2 << 3;
}

// A record class's action on a session that ends halfway fails with the
// message and leaves the register as it was; the same action again succeeds.
void TestServer::lostSessionInRecordClass()
{
    QFETCH(int, action);
    QFETCH(int, endAtWrite);
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    ServerDatabase admin(ServerConnectionText::parse(text));
    for (const char *number : {"A-1", "A-2", "A-3"})
        admin.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, "
                                  "TRemarks, TKeiri) VALUES (?, '2024-01-10', '2024-02-01', '1', '100', 100000, '1', '1', "
                                  "'1', '', '1')"),
                   {QLatin1String(number)})
                .finish();
    TestDataFolder folder(false);
    folder.useServer(asUser(text, QStringLiteral("keiri1")));
    const auto state = [&admin] {
        return scalar(admin, QStringLiteral("SELECT string_agg(TNo || ':' || TCond, ',' ORDER BY TNo) || ' ' || "
                                            "(SELECT count(*) FROM RirekiTbl) FROM SiteTbl"))
                .toString();
    };
    const QString before = state();

    int writes = 0;
    // A test that stops early leaves no provider behind it.
    const auto uninstall = qScopeGuard([] { ChangeSource::install({}); });
    ChangeSource::install([&] {
        if (++writes == endAtWrite)
            endSessions(admin);
        return QStringLiteral("手形入力");
    });
    RibodoClass note;
    note.setDirPath(folder.path());
    note.CntDb();
    const auto act = [&] {
        if (action == 0) {
            note.setRibodoNo(QStringLiteral("B-1"));
            note.setRibodoKDate(QStringLiteral("2024-03-01"));
            note.setKingaku(QStringLiteral("5000"));
            note.SaveRs();
        } else if (action == 1) {
            note.setRibodoNo(QStringLiteral("A-2"));
            note.SearchRs();
            note.setRibodoNo2(QStringLiteral("A-2"));
            note.setJyotai(QStringLiteral("2"));
            note.EditRsJ();
        } else {
            note.setRibodoKDate(QDate(2024, 3, 1));
            note.HenkoJ();
        }
    };
    QCOMPARE(failureOf(act), lostMessage(text));
    QCOMPARE(state(), before);

    // A failed registration closes the object's recordset: the entry window
    // connects anew for each registration.
    if (action == 0)
        note.CntDb();
    act();
    const QStringList after{QStringLiteral("A-1:1,A-2:1,A-3:1,B-1: 4"), QStringLiteral("A-1:1,A-2:2,A-3:1 4"),
                            QStringLiteral("A-1:2,A-2:2,A-3:2 6")};
    QCOMPARE(state(), after.at(action));
    QCOMPARE(scalar(admin, QStringLiteral("SELECT RSource FROM RirekiTbl ORDER BY RNo DESC LIMIT 1")).toString(),
             QStringLiteral("手形入力"));
}

// The notes' history trigger tells every session listening when a change is
// committed; the check counts what this program wrote itself as its own.
void TestServer::serverTellsOfNoteChanges()
{
    const QString text = initialisedDatabase();
    QVERIFY(!text.isEmpty());
    ServerDatabase admin(ServerConnectionText::parse(text));
    TestDataFolder folder(false);
    folder.useServer(asUser(text, QStringLiteral("keiri1")));
    NoteChanges changes(folder.path());
    changes.mark();
    QSqlDriver *driver = changes.notifier();
    QVERIFY(driver);
    QSignalSpy told(driver, &QSqlDriver::notification);

    RibodoClass note;
    note.setDirPath(folder.path());
    note.CntDb();
    note.setRibodoNo(QStringLiteral("A-1"));
    note.setKingaku(QStringLiteral("5000"));
    note.SaveRs();
    QTRY_COMPARE(told.count(), 1);
    QCOMPARE(told.at(0).at(0).toString(), ServerSchema::notesChannel());
    QCOMPARE(told.at(0).at(1).value<QSqlDriver::NotificationSource>(), QSqlDriver::OtherSource);
    QVERIFY(!changes.changedElsewhere());

    // Another PC: a master row tells nothing, a transaction of notes once.
    admin.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', '本店')")).finish();
    admin.exec(QStringLiteral("BEGIN")).finish();
    admin.exec(QStringLiteral("UPDATE SiteTbl SET TCond = '2'")).finish();
    admin.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKingaku) VALUES ('A-2', 1)")).finish();
    admin.exec(QStringLiteral("COMMIT")).finish();
    QTRY_COMPARE(told.count(), 2);
    QVERIFY(changes.changedElsewhere());

    // After a lost session the check listens on its new one.
    endSessions(admin);
    QVERIFY(!changes.changedElsewhere());
    changes.mark();
    QSqlDriver *again = changes.notifier();
    QVERIFY(again);
    QSignalSpy toldAgain(again, &QSqlDriver::notification);
    admin.exec(QStringLiteral("UPDATE SiteTbl SET TCond = '3'")).finish();
    QTRY_COMPARE(toldAgain.count(), 1);
    QVERIFY(changes.changedElsewhere());
}

QTEST_GUILESS_MAIN(TestServer)
#include "tst_Server.moc"
