#include "ZandakaBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "calendar/BankCalendar.h"
#include "rules/TegataZandaka.h"
#include "rules/UchiwakeSchedule.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"

#include <QDate>
#include <QDir>
#include <QLocale>
#include <QTextStream>

#include <random>

namespace {

// Five years of notes of 30 to 120 days at 2,000 payees, one in ten an
// electronic record.
void fill(const QString &path, int notes, const QDate &first)
{
    RawSqlite db(path);
    db.run("BEGIN");
    for (int p = 0; p < 2000; ++p)
        db.run("INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)",
               {QByteArray::number(10000 + p), QStringLiteral("仕入先 %1 株式会社").arg(p).toUtf8()});
    db.run("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', '中央銀行 本店')");
    std::mt19937 random(26);
    std::uniform_int_distribution<int> payee(0, 1999);
    std::uniform_int_distribution<int> day(0, 5 * 365);
    std::uniform_int_distribution<int> term(30, 120);
    for (int i = 0; i < notes; ++i) {
        const QDate drawn = first.addDays(day(random));
        db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
               "VALUES (?, ?, ?, '1', ?, ?, ?, '1', '1', '', '1')",
               {"Z" + QByteArray::number(i), drawn.toString(Qt::ISODate).toUtf8(),
                drawn.addDays(term(random)).toString(Qt::ISODate).toUtf8(), QByteArray::number(10000 + payee(random)),
                QByteArray::number(1000 * (1 + i % 997)), i % 10 == 0 ? "3" : "1"});
    }
    db.run("COMMIT");
}

} // namespace

void benchZandaka(BenchReport &report, const QString &scratchFolder, int notes)
{
    const QString folder = QDir::toNativeSeparators(scratchFolder + QStringLiteral("/zandaka")) + QDir::separator();
    const QDate first(2021, 4, 1);
    // A Sunday in the middle of the five years, so that notes due on the
    // weekend stay outstanding.
    const QDate date(2024, 3, 31);
    QTextStream(stderr) << "zandaka: filling " << notes << " notes" << Qt::endl;
    DataFolderBuilder::createDatabase(folder);
    const QString database = Schema::databasePath(folder);
    fill(database, notes, first);

    const QString section = QStringLiteral("balance at a date, %1 notes").arg(QLocale::c().toString(notes));
    const BankCalendar calendar(folder);
    const QByteArray paidThrough = TegataZandaka::lastDuePaidBy(date, calendar).toString(Qt::ISODate).toUtf8();
    const QByteArray day = date.toString(Qt::ISODate).toUtf8();
    const int runs = 5;

    int rows = 0;
    // The baseline: the same statements, the index named as ours names it.
    const double rawSum = BenchReport::medianMs(runs, [&] {
        RawSqlite db(database, true);
        db.run("SELECT SUM(TKingaku) FROM SiteTbl INDEXED BY SiteTbl_TKDate_TFDate WHERE TKDate COLLATE NOCASE > ? AND TFDate <= ?",
               {paidThrough, day}, true);
    });
    const double rawList = BenchReport::medianMs(runs, [&] {
        RawSqlite db(database, true);
        db.run("SELECT ClCode, ClName, ClTouroku FROM SireCliant", {}, true);
        db.run("SELECT KbnCode, KbnName FROM kbn6", {}, true);
        rows = db.run("SELECT TNo, TTo, TFDate, TKDate, TBank, TKingaku, TKubun, TCond FROM SiteTbl "
                      "INDEXED BY SiteTbl_TKDate_TFDate WHERE TKDate COLLATE NOCASE > ? AND TFDate <= ?",
                      {paidThrough, day}, true);
    });
    TegataZandaka balance;
    const double ours = BenchReport::medianMs(runs, [&] { balance = TegataZandaka::at(folder, date, calendar, false); });
    report.add(section, QStringLiteral("outstanding notes at Sunday 2024-03-31, with payees and banks"), ours, rawList,
               QStringLiteral("%1 notes outstanding (raw %2 rows), %3 yen; raw SUM alone %4 ms")
                       .arg(balance.notes.size())
                       .arg(rows)
                       .arg(QLocale::c().toString(qint64(balance.paperTotal() + balance.electronicTotal())))
                       .arg(rawSum, 0, 'f', 1));
    const double window = BenchReport::medianMs(runs, [&] { balance = TegataZandaka::at(folder, date, calendar); });
    report.add(section, QStringLiteral("the same with the reminder of paid notes still waiting"), window, rawList,
               QStringLiteral("%1 notes still waiting, the latest %2 listed")
                       .arg(balance.reminderCount)
                       .arg(balance.reminders.size()));
    const double schedule = BenchReport::medianMs(runs, [&] { UchiwakeSchedule::lines(balance.notes, true); });
    report.add(section, QStringLiteral("schedule of notes payable from the balance"), schedule, 0);
}
