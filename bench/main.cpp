// ribodo-bench [--quick] [--backup] [--only <section>...]: prints the
// benchmark table (markdown) on stdout, progress on stderr. --quick stops at
// 100,000 notes; --backup runs the backup section alone; --only runs the named
// sections (store, backup, masters, startup, entry, reports, settlement,
// explorer, plan, export, shikin, zandaka, history, kensaku, office).

#include "BackupBench.h"
#include "BookSearchBench.h"
#include "BenchReport.h"
#include "EntryBench.h"
#include "ExportBench.h"
#include "ExplorerBench.h"
#include "HistoryBench.h"
#include "MasterBench.h"
#include "OfficeBench.h"
#include "PlanBench.h"
#include "ReportBench.h"
#include "SettlementBench.h"
#include "ShikinBench.h"
#include "StartupBench.h"
#include "StoreBench.h"
#include "ZandakaBench.h"

#include "reports/HeadlessPlatform.h"

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    HeadlessPlatform::chooseWithoutDisplay();
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const bool quick = args.contains(QStringLiteral("--quick"));
    QTemporaryDir scratch;
    BenchReport report;
    const int largest = quick ? 100000 : 1000000;
    if (args.contains(QStringLiteral("--backup"))) {
        benchBackup(report, scratch.path(), largest);
        report.print();
        return 0;
    }
    const qsizetype only = args.indexOf(QStringLiteral("--only"));
    const QStringList sections = only < 0 ? QStringList() : args.mid(only + 1);
    const auto wanted = [&sections](const char *name) {
        return sections.isEmpty() || sections.contains(QLatin1String(name));
    };

    if (wanted("store"))
        benchStore(report, scratch.path(), largest);
    if (wanted("backup"))
        benchBackup(report, scratch.path(), largest);
    if (wanted("masters"))
        benchMasters(report, scratch.path());
    if (wanted("startup"))
        benchStartup(report, scratch.path());
    if (wanted("entry"))
        benchEntry(report, scratch.path());
    if (wanted("reports"))
        benchReports(report, scratch.path());
    if (wanted("settlement"))
        benchSettlement(report, scratch.path(), largest);
    if (wanted("explorer"))
        benchExplorer(report, scratch.path(), largest);
    if (wanted("plan"))
        benchPlan(report, scratch.path(), largest);
    if (wanted("export"))
        benchExport(report, scratch.path());
    if (wanted("shikin"))
        benchShikin(report, scratch.path(), largest);
    if (wanted("zandaka"))
        benchZandaka(report, scratch.path(), largest);
    if (wanted("history"))
        benchHistory(report, scratch.path(), largest);
    if (wanted("kensaku"))
        benchBookSearch(report, scratch.path(), largest);
    if (wanted("office"))
        benchOffice(report, scratch.path(), largest);

    report.print();
    return 0;
}
