// ribodo-bench [--quick] [--backup]: prints the benchmark table (markdown) on
// stdout, progress on stderr. --quick stops at 100,000 notes; --backup runs
// the backup section alone.

#include "BackupBench.h"
#include "BenchReport.h"
#include "EntryBench.h"
#include "ExplorerBench.h"
#include "MasterBench.h"
#include "PlanBench.h"
#include "ReportBench.h"
#include "SettlementBench.h"
#include "StartupBench.h"
#include "StoreBench.h"

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool quick = QApplication::arguments().contains(QStringLiteral("--quick"));
    QTemporaryDir scratch;
    BenchReport report;
    const int largest = quick ? 100000 : 1000000;
    if (QApplication::arguments().contains(QStringLiteral("--backup"))) {
        benchBackup(report, scratch.path(), largest);
        report.print();
        return 0;
    }

    benchStore(report, scratch.path(), largest);
    benchBackup(report, scratch.path(), largest);
    benchMasters(report, scratch.path());
    benchStartup(report, scratch.path());
    benchEntry(report, scratch.path());
    benchReports(report, scratch.path());
    benchSettlement(report, scratch.path(), quick ? 100000 : 1000000);
    benchExplorer(report, scratch.path(), quick ? 100000 : 1000000);
    benchPlan(report, scratch.path(), quick ? 100000 : 1000000);

    report.print();
    return 0;
}
