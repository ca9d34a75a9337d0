#include "StoreBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "store/DataFolderBuilder.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

QByteArray number(int i)
{
    return "N" + QByteArray::number(i);
}

// Fills SiteTbl with `count` notes; every tenth is in state "1" and due on or
// before 2025-03-31, so that one in ten is moved by the state update.
void fillNotes(const QString &path, int count)
{
    RawSqlite db(path);
    db.run("BEGIN");
    const QDate start(2024, 1, 4);
    for (int i = 0; i < count; ++i) {
        const bool due = i % 10 == 0;
        const QDate kdate = due ? start.addDays(i % 450) : start.addDays(460 + i % 500);
        db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
               "VALUES (?, ?, ?, ?, ?, ?, '1', '1', ?, '', '1')",
               {number(i), kdate.addDays(-90).toString(Qt::ISODate).toUtf8(), kdate.toString(Qt::ISODate).toUtf8(),
                QByteArray::number(1 + i % 5), QByteArray::number(100 + 10 * (i % 12)),
                QByteArray::number(1000 * (50 + i % 4950)), due ? "1" : "3"});
    }
    db.run("COMMIT");
}

} // namespace

void benchStore(BenchReport &report, const QString &scratchFolder, int largest)
{
    for (int size : {10000, 100000, 1000000}) {
        if (size > largest)
            break;
        const QString folder = QDir(scratchFolder).filePath(QStringLiteral("store%1").arg(size)) + QDir::separator();
        DataFolderBuilder::createDatabase(folder);
        const QString path = Schema::databasePath(folder);
        QElapsedTimer fillTime;
        fillTime.start();
        fillNotes(path, size);
        QTextStream(stderr) << "built " << size << " notes in " << fillTime.elapsed() << " ms" << Qt::endl;

        const QString section = QStringLiteral("store, %1 notes").arg(size);
        const int runs = 31;
        int probe = 0;
        const auto someNote = [&] { probe = (probe + 7919) % size; return probe; };

        const auto fresh = [&](const std::function<void(RibodoClass &)> &op) {
            RibodoClass r;
            r.setDirPath(folder);
            r.CntDb();
            op(r);
        };

        double ours = BenchReport::medianMs(runs, [&] {
            fresh([&](RibodoClass &r) { r.setRibodoNo(QString::fromLatin1(number(someNote()))); r.SearchRs(); });
        });
        double base = BenchReport::medianMs(runs, [&] {
            RawSqlite::once(path, "SELECT * FROM SiteTbl WHERE TNo = ?", {number(someNote())});
        });
        report.add(section, QStringLiteral("SearchRs"), ours, base);

        ours = BenchReport::medianMs(runs, [&] {
            fresh([&](RibodoClass &r) { r.RibodoBangoCheck(QString::fromLatin1(number(someNote()))); });
        });
        base = BenchReport::medianMs(runs, [&] {
            RawSqlite::once(path, "SELECT 1 FROM SiteTbl WHERE TNo = ?", {number(someNote())});
        });
        report.add(section, QStringLiteral("RibodoBangoCheck"), ours, base);

        int added = 0;
        ours = BenchReport::medianMs(runs, [&] {
            fresh([&](RibodoClass &r) {
                r.setRibodoNo(QStringLiteral("NEW%1").arg(added++));
                r.setRibodoFDate(QDate(2025, 1, 6));
                r.setRibodoKDate(QDate(2025, 4, 30));
                r.setKingaku(QStringLiteral("1,250,000"));
                r.setJyotai(QStringLiteral("1"));
                r.SaveRs();
            });
        });
        base = BenchReport::medianMs(runs, [&] {
            RawSqlite::once(path, "INSERT INTO SiteTbl (TNo, TFDate, TKDate, TKingaku, TCond) VALUES (?, '2025-01-06', '2025-04-30', 1250000, '1')",
                            {"RAW" + QByteArray::number(added++)});
        });
        report.add(section, QStringLiteral("SaveRs"), ours, base);

        ours = BenchReport::medianMs(runs, [&] {
            fresh([&](RibodoClass &r) {
                const QString n = QString::fromLatin1(number(someNote()));
                r.setRibodoNo2(n);
                r.setRibodoNo(n);
                r.setRibodoFDate(QDate(2025, 1, 6));
                r.setRibodoKDate(QDate(2025, 4, 30));
                r.setKingaku(QStringLiteral("990000"));
                r.setJyotai(QStringLiteral("3"));
                r.EditRs();
            });
        });
        base = BenchReport::medianMs(runs, [&] {
            const QByteArray n = number(someNote());
            RawSqlite::once(path, "UPDATE SiteTbl SET TNo = ?, TFDate = '2025-01-06', TKDate = '2025-04-30', TBank = '', TTo = '', "
                            "TKingaku = 990000, TKubun = '', TYoto = '', TCond = '3', TRemarks = '', TKeiri = '' WHERE TNo = ?",
                            {n, n});
        });
        report.add(section, QStringLiteral("EditRs"), ours, base);

        // As the entry window corrects: the note called up with its version,
        // the version checked again under the write lock.
        ours = BenchReport::medianMs(runs, [&] {
            fresh([&](RibodoClass &r) {
                const QString n = QString::fromLatin1(number(someNote()));
                r.setRibodoNo(n);
                r.SearchRs();
                r.setRibodoNo2(n);
                r.setKingaku(QStringLiteral("980000"));
                r.EditRs();
            });
        });
        base = BenchReport::medianMs(runs, [&] {
            const QByteArray n = number(someNote());
            RawSqlite db(path);
            db.run("SELECT * FROM SiteTbl WHERE TNo = ?", {n}, true);
            db.run("UPDATE SiteTbl SET TKingaku = 980000 WHERE TNo = ?", {n});
        });
        report.add(section, QStringLiteral("SearchRs + EditRs, version checked"), ours, base);

        ours = BenchReport::medianMs(runs, [&] {
            fresh([&](RibodoClass &r) {
                r.setRibodoNo2(QString::fromLatin1(number(someNote())));
                r.setJyotai(QStringLiteral("3"));
                r.EditRsJ();
            });
        });
        base = BenchReport::medianMs(runs, [&] {
            RawSqlite::once(path, "UPDATE SiteTbl SET TCond = '3' WHERE TNo = ?", {number(someNote())});
        });
        report.add(section, QStringLiteral("EditRsJ"), ours, base);

        int deleted = 0;
        ours = BenchReport::medianMs(runs, [&] {
            fresh([&](RibodoClass &r) {
                r.setRibodoNo2(QStringLiteral("NEW%1").arg(deleted++));
                r.DeleteRs();
            });
        });
        base = BenchReport::medianMs(runs, [&] {
            RawSqlite::once(path, "DELETE FROM SiteTbl WHERE TNo = ?", {"RAW" + QByteArray::number(deleted++)});
        });
        report.add(section, QStringLiteral("DeleteRs"), ours, base);

        // The state update moves every tenth note; each run starts from the
        // same table.
        const int due = size / 10;
        const auto resetStates = [&] {
            RawSqlite::once(path, "UPDATE SiteTbl SET TCond = '1' WHERE TCond = '2'");
        };
        const auto [henko, raw] = stateUpdateMedians(folder, path, resetStates, resetStates);
        report.add(section, QStringLiteral("HenkoJ"), henko, raw, QStringLiteral("%1 notes moved").arg(due));
        QFile::remove(path);
    }
}

std::pair<double, double> stateUpdateMedians(const QString &folder, const QString &path,
                                             const std::function<void()> &beforeProgram,
                                             const std::function<void()> &beforeRaw)
{
    std::vector<double> henko, raw;
    for (int i = 0; i < 3; ++i) {
        beforeProgram();
        henko.push_back(BenchReport::medianMs(1, [&] {
            RibodoClass r;
            r.setDirPath(folder);
            r.CntDb();
            r.setRibodoKDate(QStringLiteral("2025/03/31"));
            r.HenkoJ();
        }));
        beforeRaw();
        raw.push_back(BenchReport::medianMs(1, [&] {
            RawSqlite db(path);
            db.run("BEGIN");
            db.run("UPDATE SiteTbl SET TCond = '2' WHERE TCond = '1' AND TKDate <= '2025-03-31'");
            db.run("COMMIT");
        }));
    }
    std::sort(henko.begin(), henko.end());
    std::sort(raw.begin(), raw.end());
    return {henko[1], raw[1]};
}
