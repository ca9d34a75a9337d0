#include "OfficeBench.h"

#include "BenchReport.h"
#include "HistoryBench.h"
#include "PgCluster.h"

#include "store/DataFolderBuilder.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/ServerConnectionText.h"
#include "store/ServerDatabase.h"
#include "store/ServerPush.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <libpq-fe.h>

#include <stdexcept>

namespace {

// A libpq connection of its own, opened and closed around one piece of work
// as a record object opens and closes its own.
class RawLibpq
{
public:
    explicit RawLibpq(const ServerConnectionText &server)
    {
        const QByteArray info = QStringLiteral("host='%1' port=%2 dbname='%3' user='%4'")
                                        .arg(server.host())
                                        .arg(server.port())
                                        .arg(server.database(), server.user())
                                        .toUtf8();
        m_pg = PQconnectdb(info.constData());
        if (PQstatus(m_pg) != CONNECTION_OK)
            throw std::runtime_error(PQerrorMessage(m_pg));
    }
    ~RawLibpq() { PQfinish(m_pg); }
    RawLibpq(const RawLibpq &) = delete;
    RawLibpq &operator=(const RawLibpq &) = delete;

    void run(const char *sql, std::initializer_list<QByteArray> params = {})
    {
        std::vector<const char *> values;
        for (const QByteArray &p : params)
            values.push_back(p.constData());
        PGresult *r = PQexecParams(m_pg, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
        const ExecStatusType status = PQresultStatus(r);
        PQclear(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw std::runtime_error(PQerrorMessage(m_pg));
    }

private:
    PGconn *m_pg = nullptr;
};

QByteArray note(int i)
{
    return "N" + QByteArray::number(i);
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
    const QString section = QStringLiteral("office, %1 notes on PostgreSQL").arg(size);
    const QString local = QDir(scratchFolder).filePath(QStringLiteral("office-local")) + QDir::separator();
    DataFolderBuilder::createDatabase(local);
    fillHistoryNotes(Schema::databasePath(local), size);

    const QString text = cluster.newDatabase();
    const ServerConnectionText server = ServerConnectionText::parse(text);
    QElapsedTimer pushTime;
    pushTime.start();
    {
        ServerDatabase database(server);
        ServerPush::push(local, database);
    }
    report.add(section, QStringLiteral("push"), double(pushTime.nsecsElapsed()) / 1e6, 0,
               QStringLiteral("%1 notes and their history, verify included").arg(size));

    const QString folder = QDir(scratchFolder).filePath(QStringLiteral("office-server")) + QDir::separator();
    QDir().mkpath(folder);
    {
        QFile file(QDir(folder).filePath(ServerConnectionText::fileName()));
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(text.toUtf8() + '\n');
    }

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
    const auto rawCallUp = [&](RawLibpq &pg, int n) {
        pg.run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        pg.run("SELECT * FROM sitetbl WHERE tno = $1", {note(n)});
        pg.run("SELECT rno, ruser, rat FROM rirekitbl WHERE rtable = 'SiteTbl' AND (rkey = $1 OR rtno = $1) "
               "ORDER BY rno DESC LIMIT 1",
               {note(n)});
        pg.run("ROLLBACK");
    };
    const auto rawChange = [&](RawLibpq &pg, int n, const char *update, std::initializer_list<QByteArray> values) {
        rawCallUp(pg, n);
        pg.run("BEGIN");
        pg.run("SELECT 1 FROM sitetbl WHERE tno = $1 FOR UPDATE", {note(n)});
        pg.run("SELECT rno, ruser, rat FROM rirekitbl WHERE rtable = 'SiteTbl' AND (rkey = $1 OR rtno = $1) "
               "ORDER BY rno DESC LIMIT 1",
               {note(n)});
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
    try {
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
    } catch (const std::exception &e) {
        QTextStream(stderr) << "office: " << e.what() << Qt::endl;
    }
}
