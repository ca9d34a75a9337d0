#include "ReportBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/QtDialogService.h"
#include "ui/WindowRegistry.h"
#include "reports/FrmView.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPageWidget.h"
#include "reports/ReportPdf.h"
#include "reports/ReportViewer.h"
#include "store/DataFolderBuilder.h"
#include "tools/DemoData.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTextStream>


#include <stdexcept>

namespace {

// The rows of the notes book as the engine reads them, read with the SQLite
// C library and every column taken as text.
const char *const notesBookSql =
        "SELECT r.TKDate, r.TNo, r.TFDate, r.ClName, r.TKingaku, r.KindName, r.PurposeName, r.StateName, "
        "r.TRemarks, r.TBank, r.Ginko FROM (SELECT s.*, l0.KbnName AS KindName, l1.KbnName AS PurposeName, "
        "l2.KbnName AS StateName FROM QRYRibodo AS s LEFT JOIN kbn1 AS l0 ON l0.KbnCode = s.TKubun "
        "LEFT JOIN kbn2 AS l1 ON l1.KbnCode = s.TYoto LEFT JOIN Kbn3 AS l2 ON l2.KbnCode = s.TCond) AS r "
        "ORDER BY CAST(r.TBank AS REAL), r.TBank, r.TKDate, r.TNo";

int rawRead(const QString &path)
{
    return RawSqlite(path, true).run(notesBookSql, {}, true);
}

} // namespace

void benchReports(BenchReport &report, const QString &scratchFolder)
{
    const QString section = QStringLiteral("reports");
    for (const int notes : {10000, 100000}) {
        const QString folder = QDir::toNativeSeparators(scratchFolder + QStringLiteral("/reports-%1").arg(notes))
                + QDir::separator();
        QTextStream(stderr) << "reports: filling " << notes << " notes" << Qt::endl;
        DataFolderBuilder::createDatabase(folder);
        DemoData::addDemoData(folder, notes, QDate(2025, 1, 15));
        const QString database = Schema::databasePath(folder);
        const int runs = notes > 10000 ? 3 : 5;
        const QString size = QLocale::c().toString(notes);

        const double baseline = BenchReport::medianMs(runs, [&] { rawRead(database); });

        AppValues values;
        values.setDataFolder(folder);
        values.setProgramFolder(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
        values.setModeFlag(QStringLiteral("10"));
        QtDialogService dialogs;
        WindowRegistry windows;
        AppContext context(values, dialogs, windows);

        int pages = 0;
        const double firstPage = BenchReport::medianMs(runs, [&] {
            std::unique_ptr<QWidget> window = FrmView::create(context);
            window->show();
            ReportViewer *viewer = static_cast<FrmView *>(window.get())->CRViewer1();
            viewer->pageWidget()->grab();
            pages = viewer->pageCount();
        });
        report.add(section, QStringLiteral("notes book %1: viewer load to first page on screen").arg(size), firstPage,
                   baseline, QStringLiteral("%1 pages").arg(pages));

        std::unique_ptr<ReportDocument> document;
        const ReportRequest request =
                ReportEngine::catalogueRequest(10, values.programFolder() + QDir::separator(), folder, {}, {});
        const double build = BenchReport::medianMs(runs, [&] { document = ReportEngine::build(request); });
        report.add(section, QStringLiteral("notes book %1: read and lay out every page").arg(size), build, baseline,
                   QStringLiteral("peak memory %1 MB").arg(BenchReport::peakMegabytes(), 0, 'f', 0));

        const QString pdf = scratchFolder + QStringLiteral("/notes-%1.pdf").arg(notes);
        const double writing = BenchReport::medianMs(1, [&] { ReportPdf::write(*document, pdf); });
        report.add(section, QStringLiteral("notes book %1: save as PDF").arg(size), writing, 0,
                   QStringLiteral("%1 pages, %2 ms a page, %3 MB")
                           .arg(document->pageCount())
                           .arg(writing / document->pageCount(), 0, 'f', 2)
                           .arg(double(QFile(pdf).size()) / 1e6, 0, 'f', 1));
        QFile::remove(pdf);
    }
}
