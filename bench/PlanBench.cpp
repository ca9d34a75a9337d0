#include "PlanBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "ScriptedDialogService.h"

#include "inquiry/FrmRBKeikaku.h"
#include "inquiry/FrozenColumnGrid.h"
#include "inquiry/PlanTableModel.h"
#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "store/JetCrossTab.h"
#include "store/Schema.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QPushButton>
#include <QTextStream>

#include <ctime>
#include <functional>
#include <memory>
#include <random>

namespace {

constexpr int payees = 2000;
constexpr int dates = 365;

// Notes at random payees and due dates from today on; every other note in
// accounting category 1, the rest in 2.
void fill(const QString &path, int notes, const QDate &today)
{
    RawSqlite db(path);
    db.run("BEGIN");
    for (int p = 0; p < payees; ++p)
        db.run("INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)",
               {QByteArray::number(10000 + p), QStringLiteral("仕入先 %1 株式会社").arg(p, 4, 10, QLatin1Char('0')).toUtf8()});
    std::mt19937 random(12);
    std::uniform_int_distribution<int> payee(0, payees - 1);
    std::uniform_int_distribution<int> day(0, dates - 1);
    for (int i = 0; i < notes; ++i) {
        db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
               "VALUES (?, ?, ?, '1', ?, ?, '1', '1', '1', '', ?)",
               {"P" + QByteArray::number(i), today.addDays(-60).toString(Qt::ISODate).toUtf8(),
                today.addDays(day(random)).toString(Qt::ISODate).toUtf8(), QByteArray::number(10000 + payee(random)),
                QByteArray::number(1000 * (1 + i % 997)), i % 2 ? "2" : "1"});
    }
    db.run("COMMIT");
}

struct Timing
{
    double wallMs; // median
    double cpuMs;  // mean processor time: on a busy machine, what the work itself costs
};

Timing measure(int runs, const std::function<void()> &work)
{
    const std::clock_t start = std::clock();
    const double wall = BenchReport::medianMs(runs, work);
    return {wall, double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC / runs};
}

QString cpu(const Timing &ours, const Timing &raw)
{
    return QStringLiteral("processor %1 ms against %2 ms raw").arg(ours.cpuMs, 0, 'f', 0).arg(raw.cpuMs, 0, 'f', 0);
}

} // namespace

void benchPlan(BenchReport &report, const QString &scratchFolder, int notes)
{
    const QString folder = QDir::toNativeSeparators(scratchFolder + QStringLiteral("/plan")) + QDir::separator();
    const QDate today = QDate::currentDate();
    QTextStream(stderr) << "plan: filling " << notes << " notes" << Qt::endl;
    DataFolderBuilder::createDatabase(folder);
    const QString database = Schema::databasePath(folder);
    fill(database, notes, today);

    const QString section = QStringLiteral("payment plan, %1 notes").arg(QLocale::c().toString(notes));
    const QString start = today.toString(QStringLiteral("yyyy/MM/dd"));
    const QString all = QStringLiteral("TRANSFORM Sum(QRYRibodo.TKingaku) AS 値 SELECT QRYRibodo.ClName, Sum(QRYRibodo.TKingaku) AS SSum_ "
                                       "From QRYRibodo WHERE TKDate >= #%1# GROUP BY QRYRibodo.ClName  PIVOT Format([TKDate],'Short Date')")
                                .arg(start);
    const QString one = QString(all).replace(QStringLiteral("# GROUP"), QStringLiteral("# AND Tkeiri = '1' GROUP"));
    const int runs = 5;

    // The baseline reads what the plan reads: the sums per payee code and
    // due date, and the payee names.
    const auto raw = [&](const QString &jet) {
        const QByteArray grouped = JetCrossTab(jet).byPayeeCodeSql().toUtf8();
        return measure(runs, [&] {
            RawSqlite db(database, true);
            db.run("SELECT ClCode, IFNULL(ClName, '') FROM SireCliant", {}, true);
            db.run(grouped.constData(), {}, true);
        });
    };
    const Timing rawAll = raw(all);
    const Timing rawOne = raw(one);

    CrossTabTable table;
    const Timing pivot = measure(runs, [&] {
        Connection connection;
        connection.open(Schema::connectionText(folder));
        table = JetCrossTab(all).run(connection);
    });
    report.add(section, QStringLiteral("cross-tab query and pivot, all categories"), pivot.wallMs, rawAll.wallMs,
               cpu(pivot, rawAll) + QStringLiteral("; %1 payees, %2 dates, %3 cells, %4 MB of cells")
                       .arg(table.rowCount())
                       .arg(table.columnCount() - table.leadingColumnCount())
                       .arg(table.cellCount())
                       .arg(table.cellCount() * 12.0 / 1e6, 0, 'f', 1));

    AppValues values;
    values.setDataFolder(folder);
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext context(values, dialogs, windows);
    std::unique_ptr<FrmRBKeikaku> window;
    const Timing load = measure(runs, [&] {
        window = std::make_unique<FrmRBKeikaku>(context);
        window->show();
        window->grab();
    });
    report.add(section, QStringLiteral("window load to the plan on screen"), load.wallMs, rawAll.wallMs,
               cpu(load, rawAll) + QStringLiteral("; peak memory %1 MB").arg(BenchReport::peakMegabytes(), 0, 'f', 0));

    auto *show = window->findChild<QPushButton *>(QStringLiteral("Command1"));
    const Timing shown = measure(runs, [&] {
        show->click();
        window->grab();
    });
    const auto *model = qobject_cast<PlanTableModel *>(window->findChild<FrozenColumnGrid *>(QStringLiteral("DataGrid1"))->model());
    report.add(section, QStringLiteral("表示, one category, to the plan on screen"), shown.wallMs, rawOne.wallMs,
               cpu(shown, rawOne) + QStringLiteral("; %1 cells; %2 messages").arg(model->table().cellCount()).arg(dialogs.calls().size()));
}
