#include "HistoryBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"
#include "StoreBench.h"

#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "store/HistoryCheck.h"
#include "store/HistoryTriggers.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

QString number(int i)
{
    return QStringLiteral("N%1").arg(i);
}

void setRecording(const QString &folder, bool on)
{
    Connection c;
    c.open(Schema::connectionText(folder));
    if (on) {
        HistoryTriggers::install(c);
        return;
    }
    for (const char *suffix : {"Ins", "Upd", "Del"})
        c.exec(QStringLiteral("DROP TRIGGER Rireki_SiteTbl_%1").arg(QLatin1String(suffix))).finish();
}

} // namespace

// `count` notes, every tenth due by 2025-03-31 in state "1"; each leaves its
// registration in the history. One statement, so that the triggers are
// prepared once.
void fillHistoryNotes(const QString &path, int count)
{
    RawSqlite db(path);
    db.run("BEGIN");
    db.run("WITH RECURSIVE i(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM i WHERE n + 1 < CAST(? AS INTEGER)) "
           "INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
           "SELECT 'N' || n, date(k, '-90 days'), k, 1 + n % 5, 100 + 10 * (n % 12), 1000 * (50 + n % 4950), "
           "'1', '1', CASE WHEN n % 10 = 0 THEN '1' ELSE '3' END, '', '1' FROM (SELECT n, "
           "date('2024-01-04', (CASE WHEN n % 10 = 0 THEN n % 450 ELSE 460 + n % 500 END) || ' days') AS k FROM i)",
           {QByteArray::number(count)});
    db.run("COMMIT");
}


void benchHistory(BenchReport &report, const QString &scratchFolder, int largest)
{
    const int size = largest;
    const QString folder = QDir(scratchFolder).filePath(QStringLiteral("history")) + QDir::separator();
    DataFolderBuilder::createDatabase(folder);
    const QString path = Schema::databasePath(folder);
    QElapsedTimer fillTime;
    fillTime.start();
    fillHistoryNotes(path, size);
    QTextStream(stderr) << "history: built " << size << " notes with their history in " << fillTime.elapsed() << " ms"
                        << Qt::endl;
    const QString section = QStringLiteral("history, %1 notes").arg(size);

    // The whole check, before any change is made without the history.
    QElapsedTimer verifyTime;
    verifyTime.start();
    const HistoryCheck::Result result = HistoryCheck::verify(folder);
    const double verifyMs = double(verifyTime.nsecsElapsed()) / 1e6;
    const double readMs = BenchReport::medianMs(1, [&] {
        RawSqlite db(path, true);
        db.run("SELECT * FROM RirekiTbl", {}, true);
        db.run("SELECT * FROM SiteTbl", {}, true);
    });
    report.add(section, QStringLiteral("verify"), verifyMs, readMs,
               QStringLiteral("%1 history rows; %2; baseline: raw read of both tables")
                       .arg(result.rows)
                       .arg(result.sound ? QStringLiteral("sound") : result.problem));

    // Each command runs alternately on the register and on a copy of it
    // without the notes' triggers, so that both medians see the same disk
    // and the same load.
    const QString plainFolder = QDir(scratchFolder).filePath(QStringLiteral("plain")) + QDir::separator();
    QDir().mkpath(plainFolder);
    {
        RawSqlite db(path);
        db.run("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    QFile::copy(path, Schema::databasePath(plainFolder));
    setRecording(plainFolder, false);

    struct Side
    {
        QString folder;
        int added = 0;
        int deleted = 0;
        int probe = 0;
    };
    Side recorded{folder};
    Side plain{plainFolder};
    const auto someNote = [&](Side &side) {
        side.probe = (side.probe + 7919) % size;
        return number(side.probe);
    };
    struct Command
    {
        const char *name;
        std::function<void(RibodoClass &, Side &)> run;
    };
    const Command commands[] = {
        {"SaveRs", [&](RibodoClass &r, Side &side) {
             r.setRibodoNo(QStringLiteral("NEW%1").arg(side.added++));
             r.setRibodoFDate(QDate(2025, 1, 6));
             r.setRibodoKDate(QDate(2025, 4, 30));
             r.setKingaku(QStringLiteral("1,250,000"));
             r.setJyotai(QStringLiteral("1"));
             r.SaveRs();
         }},
        {"EditRs", [&](RibodoClass &r, Side &side) {
             const QString n = someNote(side);
             r.setRibodoNo2(n);
             r.setRibodoNo(n);
             r.setRibodoFDate(QDate(2025, 1, 6));
             r.setRibodoKDate(QDate(2025, 4, 30));
             r.setKingaku(QStringLiteral("990000"));
             r.setJyotai(QStringLiteral("3"));
             r.EditRs();
         }},
        {"EditRsJ", [&](RibodoClass &r, Side &side) {
             r.setRibodoNo2(someNote(side));
             r.setJyotai(QStringLiteral("3"));
             r.EditRsJ();
         }},
        {"DeleteRs", [&](RibodoClass &r, Side &side) {
             r.setRibodoNo2(QStringLiteral("NEW%1").arg(side.deleted++));
             r.DeleteRs();
         }},
    };
    // Deleting takes the notes SaveRs added, in order.
    const int runs = 61;
    for (const Command &command : commands) {
        std::vector<double> with, without;
        for (int i = 0; i < runs; ++i) {
            for (Side *side : {&recorded, &plain}) {
                const double ms = BenchReport::medianMs(1, [&] {
                    RibodoClass r;
                    r.setDirPath(side->folder);
                    r.CntDb();
                    command.run(r, *side);
                });
                (side == &recorded ? with : without).push_back(ms);
            }
        }
        std::sort(with.begin(), with.end());
        std::sort(without.begin(), without.end());
        report.add(section, QString::fromLatin1(command.name), with[runs / 2], without[runs / 2],
                   QStringLiteral("baseline: the same register without the history, runs alternating"));
    }

    // The start-up update of every tenth note. Its baseline is raw SQLite
    // running the same UPDATE on the same register, whose triggers write the
    // same history; a second line compares with raw SQLite on the register
    // without the history.
    // The states are put back with the history off, so that putting them
    // back leaves no rows.
    bool recording = true;
    const auto resetStates = [&](bool record) {
        if (recording)
            setRecording(folder, false);
        RawSqlite::once(path, "UPDATE SiteTbl SET TCond = '1' WHERE TCond = '2'");
        if (record)
            setRecording(folder, true);
        recording = record;
    };
    const auto recordedReset = [&] { resetStates(true); };
    const auto [henko, rawRecorded] = stateUpdateMedians(folder, path, recordedReset, recordedReset);
    report.add(section, QStringLiteral("HenkoJ"), henko, rawRecorded,
               QStringLiteral("%1 notes moved; baseline: raw SQLite, the same UPDATE and history").arg(size / 10));
    const auto [henkoAgain, raw] = stateUpdateMedians(
            folder, path, recordedReset, [&] { resetStates(false); });
    if (!recording)
        setRecording(folder, true);
    report.add(section, QStringLiteral("HenkoJ, against no history"), henkoAgain, raw,
               QStringLiteral("%1 notes moved; baseline: raw SQLite, no history").arg(size / 10));
}
