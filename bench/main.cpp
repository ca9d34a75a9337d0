// ribodo-bench [--quick]: prints the benchmark table (markdown) on stdout,
// progress on stderr. --quick stops at 100,000 notes.

#include "BenchReport.h"
#include "EntryBench.h"
#include "MasterBench.h"
#include "PlanBench.h"
#include "ReportBench.h"
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

    benchStore(report, scratch.path(), quick ? 100000 : 1000000);
    benchMasters(report, scratch.path());
    benchStartup(report, scratch.path());
    benchEntry(report, scratch.path());
    benchReports(report, scratch.path());
    benchPlan(report, scratch.path(), quick ? 100000 : 1000000);

    report.print();
    return 0;
}
