#include "ExportBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"
#include "ScriptedDialogService.h"

#include "inquiry/FrmRbView.h"
#include "store/DataFolderBuilder.h"
#include "store/JournalExport.h"
#include "store/Schema.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/ExcelSaveButton.h"
#include "ui/TableGrid.h"
#include "ui/WindowRegistry.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>

#include <memory>

namespace {

constexpr int notes = 100000;

// Notes due on 3,650 days from 2016-01-04, drawn 90 days before, over the
// demo folder's payees and banks; a fifth carry a remark and every third is
// settled.
void fillNotes(const QString &path)
{
    RawSqlite db(path);
    db.run("BEGIN");
    const QDate start(2016, 1, 4);
    for (int i = 0; i < notes; ++i) {
        const QDate due = start.addDays(i % 3650);
        db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
               "VALUES (?, ?, ?, ?, ?, ?, '1', '1', ?, ?, '1')",
               {"XP" + QByteArray::number(i), due.addDays(-90).toString(Qt::ISODate).toUtf8(),
                due.toString(Qt::ISODate).toUtf8(), QByteArray::number(1 + (i / 7) % 5),
                QByteArray::number(100 + 10 * (i % 12)), QByteArray::number(1000 * (50 + i % 4950)),
                i % 3 == 0 ? QByteArray("3") : QByteArray("1"),
                i % 5 == 0 ? QByteArray("月末支払, \"至急\"") : QByteArray()});
    }
    db.run("COMMIT");
}

} // namespace

void benchExport(BenchReport &report, const QString &scratchFolder)
{
    const QString section = QStringLiteral("export");
    const QString folder = QDir::toNativeSeparators(scratchFolder + QStringLiteral("/export")) + QDir::separator();
    QTextStream(stderr) << "export: filling " << notes << " notes" << Qt::endl;
    DataFolderBuilder::createDatabase(folder);
    DataFolderBuilder::addDemoData(folder, 0, QDate(2025, 1, 15));
    const QString database = Schema::databasePath(folder);
    fillNotes(database);

    AppValues values;
    values.setDataFolder(folder);
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext context(values, dialogs, windows);
    auto window = std::make_unique<FrmRbView>(context);
    window->show();
    auto *tree = window->findChild<QTreeWidget *>(QStringLiteral("TreeView1"));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->topLevelItem(0)).center());
    const int listed = window->findChild<TableGrid *>(QStringLiteral("ListView1"))->model()->rowCount();
    auto *button = window->findChild<QPushButton *>(QStringLiteral("cmdExcel"));

    const double raw = BenchReport::medianMs(5, [&] {
        RawSqlite(database, true)
                .run("SELECT TFDate, TNo, ClName, TKingaku, TKDate, Ginko, TRemarks FROM QRYRibodo", {}, true);
    });
    const auto save = [&](const QString &name, const QString &filter) {
        const QString path = QDir(scratchFolder).filePath(name);
        dialogs.clear();
        dialogs.queueSaveFile(path, filter);
        dialogs.queueAnswer(DialogService::Answer::Yes);
        QTest::mouseClick(button, Qt::LeftButton);
        return QFileInfo(path).size();
    };

    const double peakBefore = BenchReport::peakMegabytes();
    qint64 bytes = 0;
    const double xlsx = BenchReport::medianMs(3, [&] {
        bytes = save(QStringLiteral("list.xlsx"), ExcelSaveButton::filters().at(0));
    });
    const double growth = BenchReport::peakMegabytes() - peakBefore;
    report.add(section, QStringLiteral("100,000 notes: explorer list saved as .xlsx"), xlsx, raw,
               QStringLiteral("%1 rows, %2 MB, peak memory +%3 MB")
                       .arg(listed - 1)
                       .arg(double(bytes) / 1e6, 0, 'f', 1)
                       .arg(growth, 0, 'f', 0));
    for (int i = 1; i <= 2; ++i) {
        const double csv = BenchReport::medianMs(5, [&] {
            bytes = save(QStringLiteral("list.csv"), ExcelSaveButton::filters().at(i));
        });
        report.add(section,
                   QStringLiteral("100,000 notes: explorer list saved as CSV (%1)")
                           .arg(i == 1 ? QStringLiteral("UTF-8") : QStringLiteral("Shift_JIS")),
                   csv, raw, QStringLiteral("%1 MB").arg(double(bytes) / 1e6, 0, 'f', 1));
    }
    window.reset();

    const QString journal = QDir(scratchFolder).filePath(QStringLiteral("shiwake.csv"));
    const QDate from(2015, 1, 1);
    const QDate to(2026, 12, 31);
    const double rawJournal = BenchReport::medianMs(5, [&] {
        RawSqlite db(database, true);
        db.run("SELECT TFDate, TNo, ClName, Ginko, TKingaku FROM QRYRibodo WHERE TFDate BETWEEN ? AND ?",
               {"2015-01-01", "2026-12-31"}, true);
        db.run("SELECT q.TKDate, q.TNo, q.ClName, q.Ginko, q.TKingaku FROM QRYRibodo q JOIN Kbn3 j ON j.KbnCode = "
               "q.TCond WHERE j.KbnName = '決済済み' AND q.TKDate BETWEEN ? AND ?",
               {"2015-01-01", "2026-12-31"}, true);
    });
    int lines = 0;
    const double journalMs = BenchReport::medianMs(3, [&] {
        lines = JournalExport::write(folder, from, to, journal, JournalAccounts()).written;
    });
    report.add(section, QStringLiteral("100,000 notes: journal (仕訳出力) of every note"), journalMs, rawJournal,
               QStringLiteral("%1 lines").arg(lines));
    QFile::remove(database);
}
