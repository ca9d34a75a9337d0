// ribodo-bench [--quick] [--only <section>...]: prints the benchmark table
// (markdown) on stdout, progress on stderr. --quick stops at 100,000 notes;
// --only runs the named sections (store, masters, startup, entry, reports).

#include "BenchReport.h"
#include "EntryBench.h"
#include "MasterBench.h"
#include "ReportBench.h"
#include "StartupBench.h"
#include "StoreBench.h"

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const bool quick = args.contains(QStringLiteral("--quick"));
    const qsizetype only = args.indexOf(QStringLiteral("--only"));
    const QStringList sections = only < 0 ? QStringList() : args.mid(only + 1);
    const auto wanted = [&sections](const char *name) {
        return sections.isEmpty() || sections.contains(QLatin1String(name));
    };
    QTemporaryDir scratch;
    BenchReport report;

    if (wanted("store"))
        benchStore(report, scratch.path(), quick ? 100000 : 1000000);
    if (wanted("masters"))
        benchMasters(report, scratch.path());
    if (wanted("startup"))
        benchStartup(report, scratch.path());
    if (wanted("entry"))
        benchEntry(report, scratch.path());
    if (wanted("reports"))
        benchReports(report, scratch.path());

    report.print();
    return 0;
}
