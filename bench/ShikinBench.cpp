#include "ShikinBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "ScriptedDialogService.h"

#include "inquiry/FrmShikin.h"
#include "calendar/BankCalendar.h"
#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "rules/FundingPlan.h"
#include "store/Schema.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QDate>
#include <QDir>
#include <QLocale>
#include <QPushButton>
#include <QTextStream>

#include <ctime>
#include <memory>
#include <random>

namespace {

constexpr int banks = 10;
constexpr int dates = 1000;

// Notes at random banks and due dates from a year back on; those already
// due are settled (state 3) but one in ten, the rest unsettled.
void fill(const QString &path, int notes, const QDate &today)
{
    RawSqlite db(path);
    db.run("BEGIN");
    db.run("DELETE FROM kbn6");
    for (int b = 1; b <= banks; ++b) {
        db.run("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES (?, ?, 0)",
               {QByteArray::number(b), QStringLiteral("銀行 %1 支店").arg(b).toUtf8()});
        db.run("INSERT INTO BankBalance (BbBank, BbDate, BbZan) VALUES (?, ?, ?)",
               {QByteArray::number(b), today.toString(Qt::ISODate).toUtf8(), QByteArray::number(300000000)});
    }
    std::mt19937 random(16);
    std::uniform_int_distribution<int> bank(1, banks);
    std::uniform_int_distribution<int> day(-365, dates - 366);
    for (int i = 0; i < notes; ++i) {
        const int offset = day(random);
        db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
               "VALUES (?, ?, ?, ?, '100', ?, '1', '1', ?, '', '1')",
               {"F" + QByteArray::number(i), today.addDays(offset - 90).toString(Qt::ISODate).toUtf8(),
                today.addDays(offset).toString(Qt::ISODate).toUtf8(), QByteArray::number(bank(random)),
                QByteArray::number(1000 * (1 + i % 997)), offset < 0 && i % 10 ? "3" : "1"});
    }
    db.run("COMMIT");
}

} // namespace

void benchShikin(BenchReport &report, const QString &scratchFolder, int notes)
{
    const QString folder = QDir::toNativeSeparators(scratchFolder + QStringLiteral("/shikin")) + QDir::separator();
    const QDate today = QDate::currentDate();
    const QDate to = today.addDays(FundingPlan::defaultDays);
    QTextStream(stderr) << "funding plan: filling " << notes << " notes" << Qt::endl;
    DataFolderBuilder::createDatabase(folder);
    const QString database = Schema::databasePath(folder);
    fill(database, notes, today);

    const QString section = QStringLiteral("funding plan, %1 notes").arg(QLocale::c().toString(notes));
    const int runs = 7;
    // The same days the plan reads: from the bank holidays just before today.
    const BankCalendar calendar(folder);
    QDate first = today;
    while (calendar.isBankHoliday(first.addDays(-1)))
        first = first.addDays(-1);
    const QByteArray from = first.toString(Qt::ISODate).toUtf8();
    const QByteArray until = to.toString(Qt::ISODate).toUtf8();
    int groups = 0;
    // Processor time beside the wall time: on a busy machine, what the work itself costs.
    std::clock_t started = std::clock();
    const auto cpuMs = [&started, runs] {
        const double ms = double(std::clock() - started) * 1000.0 / CLOCKS_PER_SEC / runs;
        started = std::clock();
        return ms;
    };
    const double raw = BenchReport::medianMs(runs, [&] {
        RawSqlite db(database, true);
        db.run("SELECT KbnCode, KbnName, KbnKyokudo FROM kbn6", {}, true);
        db.run("SELECT BbBank, BbDate, BbZan FROM BankBalance WHERE BbDate <= ?", {until}, true);
        groups = db.run("SELECT s.TBank, s.TKDate, TOTAL(s.TKingaku), COUNT(*), IFNULL(j.KbnKesai, 0) = 1 AS paid "
                        "FROM SiteTbl s LEFT JOIN Kbn3 j ON j.KbnCode = s.TCond WHERE s.TKDate BETWEEN ? AND ? "
                        "AND IFNULL(j.KbnKesai, 0) NOT IN (2, 3) GROUP BY s.TKDate, s.TBank, paid",
                        {from, until}, true);
    });
    const double rawCpu = cpuMs();

    FundingPlan plan;
    const double built = BenchReport::medianMs(runs, [&] { plan = FundingPlan::build(folder, today, to); });
    const double builtCpu = cpuMs();
    qsizetype days = 0;
    for (const FundingPlan::Bank &b : plan.banks())
        days += b.days.size();
    report.add(section, QStringLiteral("60-day plan for 10 banks, built"), built, raw,
               QStringLiteral("processor %1 ms against %2 ms raw; %3 bank-days from %4 groups")
                       .arg(builtCpu, 0, 'f', 0)
                       .arg(rawCpu, 0, 'f', 0)
                       .arg(days)
                       .arg(groups));

    AppValues values;
    values.setDataFolder(folder);
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext context(values, dialogs, windows);
    FrmShikin window(context);
    window.show();
    auto *show = window.findChild<QPushButton *>(QStringLiteral("Command1"));
    const double shown = BenchReport::medianMs(runs, [&] {
        show->click();
        window.grab();
    });
    report.add(section, QStringLiteral("表示 to the list and chart on screen"), shown, raw,
               QStringLiteral("%1 messages").arg(dialogs.calls().size()));
}
