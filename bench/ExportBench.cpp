#include "ExportBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"
#include "ScriptedDialogService.h"

#include "inquiry/FrmRbView.h"
#include "store/DataFolderBuilder.h"
#include "tools/DemoData.h"
#include "exchange/JournalExport.h"
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
#include <QStringEncoder>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>

#include <memory>

#include <sqlite3.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>

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

const char *const listSql = "SELECT TFDate, TNo, ClName, TKingaku, TKDate, Ginko, TRemarks FROM QRYRibodo";

// The same rows stepped with the bare SQLite library and handed to `row`.
void eachRow(const QString &database, const std::function<void(sqlite3_stmt *)> &row)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, listSql, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        row(statement);
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

const char *text(sqlite3_stmt *statement, int column)
{
    const unsigned char *value = sqlite3_column_text(statement, column);
    return value ? reinterpret_cast<const char *>(value) : "";
}

// The baseline of the workbook: the rows written with the workbook library
// alone, dates and amounts as numbers with their formats, nothing else.
void bareWorkbook(const QString &database, const QString &path)
{
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(path.toUtf8().constData(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "yyyy/mm/dd");
    lxw_format *amount = workbook_add_format(book);
    format_set_num_format(amount, "#,##0");
    lxw_row_t r = 0;
    eachRow(database, [&](sqlite3_stmt *s) {
        for (int c = 0; c < 7; ++c) {
            if (c == 3) {
                worksheet_write_number(sheet, r, lxw_col_t(c), sqlite3_column_double(s, c), amount);
            } else if (c == 0 || c == 4) {
                const QDate d = QDate::fromString(QLatin1String(text(s, c)), Qt::ISODate);
                lxw_datetime when = {d.year(), d.month(), d.day(), 0, 0, 0};
                worksheet_write_datetime(sheet, r, lxw_col_t(c), &when, date);
            } else {
                worksheet_write_string(sheet, r, lxw_col_t(c), text(s, c), nullptr);
            }
        }
        ++r;
    });
    workbook_close(book);
}

// The baseline of the CSV file: the rows written with stdio, every value
// quoted and its quotes doubled, in Shift_JIS by the same converter the
// program uses when asked.
void bareCsv(const QString &database, const QString &path, bool shiftJis)
{
    std::FILE *file = std::fopen(path.toUtf8().constData(), "wb");
    QStringEncoder toShiftJis("Shift_JIS");
    QByteArray line;
    eachRow(database, [&](sqlite3_stmt *s) {
        line.resize(0);
        for (int c = 0; c < 7; ++c) {
            line += '"';
            for (const char *p = text(s, c); *p; ++p) {
                if (*p == '"')
                    line += '"';
                line += *p;
            }
            line += c == 6 ? "\"\r\n" : "\",";
        }
        if (shiftJis)
            line = toShiftJis.encode(QString::fromUtf8(line));
        std::fwrite(line.constData(), 1, size_t(line.size()), file);
    });
    std::fclose(file);
}

// The baseline of the journal: the drawn and the settled notes stepped with
// the bare SQLite library in date order, each line of 25 columns made with
// stdio and converted to Shift_JIS by the same converter the program uses.
void bareJournal(const QString &database, const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::FILE *file = std::fopen(path.toUtf8().constData(), "wb");
    QStringEncoder toShiftJis("Shift_JIS");
    char line[1024];
    const char *const statements[] = {
        // The notes drawn (all but void ones) and those paid, with the kind's
        // electronic mark and the state's meaning, as the program reads them.
        "SELECT q.TFDate, q.TNo, q.ClName, q.Ginko, q.TKingaku, IFNULL(k.KbnDenshi, 0) FROM QRYRibodo q "
        "LEFT JOIN kbn1 k ON k.KbnCode = q.TKubun LEFT JOIN Kbn3 j ON j.KbnCode = q.TCond "
        "WHERE q.TFDate BETWEEN ?1 AND ?2 AND IFNULL(j.KbnKesai, 0) <> 2 ORDER BY 1, 2",
        "SELECT q.TKDate, q.TNo, q.ClName, q.Ginko, q.TKingaku, IFNULL(k.KbnDenshi, 0) FROM QRYRibodo q "
        "LEFT JOIN kbn1 k ON k.KbnCode = q.TKubun LEFT JOIN Kbn3 j ON j.KbnCode = q.TCond "
        "WHERE IFNULL(j.KbnKesai, 0) = 1 AND q.TKDate BETWEEN ?1 AND ?2 ORDER BY 1, 2",
    };
    for (const char *sql : statements) {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, "2015-01-01", -1, SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, "2026-12-31", -1, SQLITE_STATIC);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const long long yen = sqlite3_column_int64(statement, 4);
            const int length = std::snprintf(line, sizeof line,
                                             "2000,,,%s,買掛金,,,対象外,%lld,0,支払手形,,,対象外,%lld,0,"
                                             "手形番号 %s %s,,,0,,,0,0,no\r\n",
                                             text(statement, 0), yen, yen, text(statement, 1), text(statement, 2));
            const QByteArray converted = toShiftJis.encode(QString::fromUtf8(line, std::max(length, 0)));
            std::fwrite(converted.constData(), 1, size_t(converted.size()), file);
        }
        sqlite3_finalize(statement);
    }
    std::fclose(file);
    sqlite3_close(db);
}

} // namespace

void benchExport(BenchReport &report, const QString &scratchFolder)
{
    const QString section = QStringLiteral("export");
    const QString folder = QDir::toNativeSeparators(scratchFolder + QStringLiteral("/export")) + QDir::separator();
    QTextStream(stderr) << "export: filling " << notes << " notes" << Qt::endl;
    DataFolderBuilder::createDatabase(folder);
    DemoData::addDemoData(folder, 0, QDate(2025, 1, 15));
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

    const QString barePath = QDir(scratchFolder).filePath(QStringLiteral("bare"));
    const double rawXlsx = BenchReport::medianMs(3, [&] { bareWorkbook(database, barePath + QStringLiteral(".xlsx")); });
    double rawCsv[3] = {};
    for (int i = 1; i <= 2; ++i)
        rawCsv[i] = BenchReport::medianMs(5, [&] { bareCsv(database, barePath + QStringLiteral(".csv"), i == 2); });
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
    report.add(section, QStringLiteral("100,000 notes: explorer list saved as .xlsx"), xlsx, rawXlsx,
               QStringLiteral("%1 rows, %2 MB, peak memory +%3 MB; baseline: raw SQLite rows written "
                              "with the bare workbook library")
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
                   csv, rawCsv[i],
                   QStringLiteral("%1 MB; baseline: raw SQLite rows written with stdio")
                           .arg(double(bytes) / 1e6, 0, 'f', 1));
    }
    window.reset();

    const QString journal = QDir(scratchFolder).filePath(QStringLiteral("shiwake.csv"));
    const QDate from(2015, 1, 1);
    const QDate to(2026, 12, 31);
    const double rawJournal = BenchReport::medianMs(3, [&] { bareJournal(database, barePath + QStringLiteral(".txt")); });
    int lines = 0;
    const double journalMs = BenchReport::medianMs(3, [&] {
        lines = JournalExport::write(folder, from, to, journal, JournalAccounts()).written;
    });
    report.add(section, QStringLiteral("100,000 notes: journal (仕訳出力) of every note"), journalMs, rawJournal,
               QStringLiteral("%1 lines; baseline: raw SQLite rows written with stdio").arg(lines));
    QFile::remove(database);
}
