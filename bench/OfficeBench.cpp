#include "OfficeBench.h"

#include "BenchReport.h"
#include "HistoryBench.h"
#include "PgCluster.h"
#include "RawLibpq.h"
#include "RawSqlite.h"

#include "inquiry/ExplorerQuery.h"
#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "store/HistoryTriggers.h"
#include "store/JetCrossTab.h"
#include "store/JetSql.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/ServerConnectionText.h"
#include "store/ServerDatabase.h"
#include "store/ServerPush.h"
#include "store/ServerSchema.h"
#include "store/StatementReader.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <stdexcept>

namespace {

QByteArray note(int i)
{
    return "N" + QByteArray::number(i);
}

QString grouped(qint64 n)
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(n);
}

// A SQLite register of `count` notes with their history, the suppliers and
// banks they name included.
QString localRegister(const QString &scratchFolder, const QString &name, int count)
{
    const QString folder = QDir(scratchFolder).filePath(name) + QDir::separator();
    DataFolderBuilder::createDatabase(folder);
    const QString path = Schema::databasePath(folder);
    {
        RawSqlite db(path);
        db.run("BEGIN");
        db.addSuppliersAndBanks();
        db.run("COMMIT");
    }
    fillHistoryNotes(path, count);
    return folder;
}

// A data folder that points at the server's register.
QString serverFolder(const QString &scratchFolder, const QString &name, const QString &text)
{
    const QString folder = QDir(scratchFolder).filePath(name) + QDir::separator();
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(ServerConnectionText::fileName()));
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the server file");
    file.write(text.toUtf8() + '\n');
    return folder;
}

bool isIndex(const QString &statement)
{
    static const QRegularExpression index(QStringLiteral("^CREATE\\s+(UNIQUE\\s+)?INDEX\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    return index.match(statement).hasMatch();
}

// One table's rows from the SQLite file into the server through COPY, each
// value as SQLite's own text.
void rawCopy(sqlite3 *db, RawLibpq &pg, const QString &table, const QStringList &columns)
{
    const QByteArray names = columns.join(QStringLiteral(", ")).toUtf8();
    const QByteArray select = "SELECT " + names + " FROM " + table.toUtf8() + " ORDER BY rowid";
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, select.constData(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    PGconn *connection = pg.handle();
    const QByteArray copy = "COPY " + table.toUtf8() + " (" + names + ") FROM STDIN";
    PGresult *started = PQexec(connection, copy.constData());
    const bool copying = PQresultStatus(started) == PGRES_COPY_IN;
    PQclear(started);
    if (!copying)
        throw std::runtime_error(PQerrorMessage(connection));
    QByteArray buffer;
    const int count = int(columns.size());
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                buffer.append('\t');
            if (sqlite3_column_type(statement, i) == SQLITE_NULL) {
                buffer.append("\\N", 2);
                continue;
            }
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, i));
            const int size = sqlite3_column_bytes(statement, i);
            for (int k = 0; k < size; ++k) {
                switch (text[k]) {
                case '\\':
                    buffer.append("\\\\", 2);
                    break;
                case '\t':
                    buffer.append("\\t", 2);
                    break;
                case '\n':
                    buffer.append("\\n", 2);
                    break;
                case '\r':
                    buffer.append("\\r", 2);
                    break;
                default:
                    buffer.append(text[k]);
                }
            }
        }
        buffer.append('\n');
        if (buffer.size() >= 1024 * 1024) {
            PQputCopyData(connection, buffer.constData(), int(buffer.size()));
            buffer.clear();
        }
    }
    sqlite3_finalize(statement);
    if (!buffer.isEmpty())
        PQputCopyData(connection, buffer.constData(), int(buffer.size()));
    PQputCopyEnd(connection, nullptr);
    bool ok = true;
    while (PGresult *result = PQgetResult(connection)) {
        ok = ok && PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
    }
    if (!ok)
        throw std::runtime_error(PQerrorMessage(connection));
}

// What push does into an empty database, with the SQLite library and libpq
// alone: the definitions, the rows of every table through COPY with the
// history's triggers off, then the indexes and the planner's statistics.
double rawPush(const QString &localFolder, const ServerConnectionText &server)
{
    QList<QPair<QString, QStringList>> tables;
    {
        Connection sqlite;
        sqlite.open(Schema::connectionText(localFolder));
        for (const QString &table : ServerSchema::tables())
            tables.append({table, HistoryTriggers::columns(sqlite, table)});
    }
    QElapsedTimer time;
    time.start();
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(Schema::databasePath(localFolder).toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the register");
    }
    RawLibpq pg(server);
    pg.run("BEGIN");
    QStringList indexes;
    for (const QString &statement : ServerSchema::createStatements()) {
        if (isIndex(statement))
            indexes << statement;
        else
            pg.run(statement.toUtf8().constData());
    }
    pg.run(QStringLiteral("SET LOCAL ROLE %1").arg(ServerSchema::ownerRole()).toUtf8().constData());
    for (const auto &[table, columns] : std::as_const(tables))
        pg.run(QStringLiteral("ALTER TABLE %1 DISABLE TRIGGER USER").arg(table).toUtf8().constData());
    for (const auto &[table, columns] : std::as_const(tables))
        rawCopy(db, pg, table, columns);
    sqlite3_close(db);
    pg.run("SET LOCAL maintenance_work_mem = '256MB'");
    for (const QString &statement : std::as_const(indexes))
        pg.run(statement.toUtf8().constData());
    for (const auto &[table, columns] : std::as_const(tables))
        pg.run(QStringLiteral("ALTER TABLE %1 ENABLE TRIGGER USER").arg(table).toUtf8().constData());
    for (const auto &[table, columns] : std::as_const(tables))
        pg.run(QStringLiteral("ANALYZE %1").arg(table).toUtf8().constData());
    pg.run("RESET ROLE");
    pg.run("COMMIT");
    return double(time.nsecsElapsed()) / 1e6;
}

// The explorer's listing of every note: its statement read through the
// program's fast reader, each row's values taken as the list takes them.
void benchExplorerList(BenchReport &report, const QString &section, const QString &folder,
                       const ServerConnectionText &server)
{
    const QString sql = QStringLiteral("SELECT TFDate, TNo, ClName, TKingaku, TKDate, Ginko, TRemarks, TTo, TBank FROM (")
            + JetSql::toSqlite(ExplorerQuery::allNotes()) + QLatin1Char(')');
    Connection connection;
    connection.open(Schema::connectionText(folder));
    RawLibpq pg(server);
    const QByteArray translated = connection.statement(sql).toUtf8();
    const int runs = 5;
    qint64 rows = 0;
    double total = 0;
    const double ours = BenchReport::medianMs(runs, [&] {
        StatementReader reader(connection, sql);
        rows = 0;
        total = 0;
        qsizetype characters = 0;
        while (reader.next()) {
            for (int column : {0, 1, 2, 4, 5, 6, 7, 8})
                characters += reader.value(column).toString().size();
            total += reader.value(3).toDouble();
            ++rows;
        }
        total += double(characters % 2);
    });
    const double raw = BenchReport::medianMs(runs, [&] { pg.read(translated); });
    report.add(section, QStringLiteral("explorer: every note listed (statement and rows)"), ours, raw,
               QStringLiteral("%1 rows; baseline: raw libpq, the same translated statement, every value read")
                       .arg(grouped(rows)));
}

// The payment plan of every note due from 2024 on: the window's cross-tab
// statement run and pivoted on a new connection, as the window does.
void benchPlanTable(BenchReport &report, const QString &section, const QString &folder,
                    const ServerConnectionText &server)
{
    const QString jet = QStringLiteral("TRANSFORM Sum(QRYRibodo.TKingaku) AS 値 SELECT QRYRibodo.ClName, Sum(QRYRibodo.TKingaku) "
                                       "AS SSum_ From QRYRibodo WHERE TKDate >= #2024/01/01# GROUP BY QRYRibodo.ClName  "
                                       "PIVOT Format([TKDate],'Short Date')");
    QByteArray grouped;
    {
        Connection connection;
        connection.open(Schema::connectionText(folder));
        grouped = connection.statement(JetCrossTab(jet).byPayeeCodeSql()).toUtf8();
    }
    const int runs = 3;
    CrossTabTable table;
    const double ours = BenchReport::medianMs(runs, [&] {
        Connection connection;
        connection.open(Schema::connectionText(folder));
        table = JetCrossTab(jet).run(connection);
    });
    // The baseline reads what the plan reads: the payee names and the sums
    // per payee code and due date.
    const double raw = BenchReport::medianMs(runs, [&] {
        RawLibpq pg(server);
        pg.read("SELECT clcode, COALESCE(clname, '') FROM sirecliant");
        pg.read(grouped);
    });
    report.add(section, QStringLiteral("payment plan: cross-tab of every note, on a new connection"), ours, raw,
               QStringLiteral("%1 payees, %2 dates, %3 cells; baseline: raw libpq, the same translated statements")
                       .arg(table.rowCount())
                       .arg(table.columnCount() - table.leadingColumnCount())
                       .arg(table.cellCount()));
}

void benchOneNote(BenchReport &report, const QString &section, const QString &folder,
                  const ServerConnectionText &server, int size)
{
    const int runs = 31;
    int probe = 0;
    const auto someNote = [&] {
        probe = (probe + 7919) % size;
        return probe;
    };
    const auto callUp = [&](RibodoClass &r, int n) {
        r.setDirPath(folder);
        r.CntDb();
        r.setRibodoNo(QString::fromLatin1(note(n)));
        r.SearchRs();
        r.setRibodoNo2(QString::fromLatin1(note(n)));
    };
    // The note's version as the program asks the server for it.
    const char *version = "SELECT RNo, RUser, RAt FROM RirekiTbl WHERE RNo = (SELECT max(n) FROM (SELECT max(RNo) AS n "
                          "FROM RirekiTbl WHERE RTable = 'SiteTbl' AND CAST(RKey AS citext) = CAST($1 AS citext) "
                          "UNION ALL SELECT max(RNo) FROM RirekiTbl WHERE RTNo = $2) AS subquery1)";
    const auto rawCallUp = [&](RawLibpq &pg, int n) {
        pg.run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        pg.run("SELECT * FROM sitetbl WHERE tno = $1", {note(n)});
        pg.run(version, {note(n), note(n)});
        pg.run("ROLLBACK");
    };
    const auto rawChange = [&](RawLibpq &pg, int n, const char *update, std::initializer_list<QByteArray> values) {
        rawCallUp(pg, n);
        pg.run("BEGIN");
        pg.run("SELECT 1 FROM sitetbl WHERE tno = $1 FOR UPDATE", {note(n)});
        pg.run(version, {note(n), note(n)});
        pg.run(update, values);
        pg.run("COMMIT");
    };
    struct Work
    {
        const char *name;
        std::function<void(int)> program;
        std::function<void(int)> raw;
    };
    const Work works[] = {
        {"SearchRs (call-up with its version)",
         [&](int n) {
             RibodoClass r;
             callUp(r, n);
         },
         [&](int n) {
             RawLibpq pg(server);
             rawCallUp(pg, n);
         }},
        {"SearchRs + EditRsJ (settlement, version checked)",
         [&](int n) {
             RibodoClass r;
             callUp(r, n);
             r.setJyotai(QStringLiteral("3"));
             r.EditRsJ();
         },
         [&](int n) {
             RawLibpq pg(server);
             rawChange(pg, n, "UPDATE sitetbl SET tcond = $2 WHERE tno = $1", {note(n), "3"});
         }},
        {"SearchRs + EditRs (correction, version checked)",
         [&](int n) {
             RibodoClass r;
             callUp(r, n);
             r.setKingaku(QStringLiteral("990000"));
             r.EditRs();
         },
         [&](int n) {
             RawLibpq pg(server);
             rawChange(pg, n,
                       "UPDATE sitetbl SET tno = $1, tfdate = $2, tkdate = $3, tbank = $4, tto = $5, tkingaku = $6, "
                       "tkubun = $7, tyoto = $8, tcond = $9, tremarks = $10, tkeiri = $11 WHERE tno = $1",
                       {note(n), "2025-01-06", "2025-04-30", "1", "100", "990000", "1", "1", "3", "", "1"});
         }},
    };
    for (const Work &work : works) {
        std::vector<double> program, raw;
        for (int i = 0; i < runs; ++i) {
            const int n = someNote();
            program.push_back(BenchReport::medianMs(1, [&] { work.program(n); }));
            raw.push_back(BenchReport::medianMs(1, [&] { work.raw(n); }));
        }
        std::sort(program.begin(), program.end());
        std::sort(raw.begin(), raw.end());
        report.add(section, QString::fromLatin1(work.name), program[runs / 2], raw[runs / 2],
                   QStringLiteral("baseline: raw libpq, the same statements, a connection each"));
    }
}

} // namespace

void benchOffice(BenchReport &report, const QString &scratchFolder, int largest)
{
    PgCluster cluster;
    if (!cluster.start()) {
        QTextStream(stderr) << "office: " << cluster.error() << Qt::endl;
        return;
    }
    const int size = largest;
    const QString section = QStringLiteral("office, %1 notes on PostgreSQL").arg(grouped(size));
    try {
        QTextStream(stderr) << "office: filling " << size << " notes" << Qt::endl;
        const QString local = localRegister(scratchFolder, QStringLiteral("office-local"), size);

        const QString text = cluster.newDatabase();
        const ServerConnectionText server = ServerConnectionText::parse(text);
        QElapsedTimer pushTime;
        pushTime.start();
        {
            ServerDatabase database(server);
            ServerPush::push(local, database);
        }
        const double pushMs = double(pushTime.nsecsElapsed()) / 1e6;
        const double rawPushMs = rawPush(local, ServerConnectionText::parse(cluster.newDatabase()));
        report.add(section, QStringLiteral("push"), pushMs, rawPushMs,
                   QStringLiteral("%1 notes and their history, verify included; baseline: raw SQLite and libpq, "
                                  "the same definitions, COPY of the same rows and the same indexes")
                           .arg(grouped(size)));
        const QString folder = serverFolder(scratchFolder, QStringLiteral("office-server"), text);

        // The explorer lists a register of 100,000 notes.
        const int listed = 100000;
        if (size == listed) {
            benchExplorerList(report, section, folder, server);
        } else {
            const QString smallText = cluster.newDatabase();
            {
                ServerDatabase database(ServerConnectionText::parse(smallText));
                ServerPush::push(localRegister(scratchFolder, QStringLiteral("office-list"), listed), database);
            }
            benchExplorerList(report, QStringLiteral("office, %1 notes on PostgreSQL").arg(grouped(listed)),
                              serverFolder(scratchFolder, QStringLiteral("office-list-server"), smallText),
                              ServerConnectionText::parse(smallText));
        }
        benchPlanTable(report, section, folder, server);
        benchOneNote(report, section, folder, server, size);
    } catch (const std::exception &e) {
        QTextStream(stderr) << "office: " << e.what() << Qt::endl;
    }
}
