#include "SettlementBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"
#include "ScriptedDialogService.h"

#include "inquiry/FrmRibodo.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/QueryTableModel.h"
#include "ui/TableGrid.h"
#include "ui/WindowRegistry.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextStream>

#include <stdexcept>

namespace {

constexpr int perDay = 300;
constexpr int runs = 31;
const QDate firstDay(2020, 1, 6);

// Notes spread evenly over notes / 300 days; every fourth is settled.
void fill(const QString &path, int notes)
{
    const int days = notes / perDay;
    RawSqlite db(path);
    db.run("BEGIN");
    db.addSuppliersAndBanks();
    for (int i = 0; i < notes; ++i) {
        const QDate due = firstDay.addDays(i % days);
        db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
               "VALUES (?, ?, ?, ?, ?, ?, '1', '1', ?, '', '1')",
               {"K" + QByteArray::number(i), due.addDays(-90).toString(Qt::ISODate).toUtf8(),
                due.toString(Qt::ISODate).toUtf8(), QByteArray::number(1 + i % 5), QByteArray::number(100 + i % 200),
                QByteArray::number(1000 * (50 + i % 4950)), i % 4 == 0 ? "3" : "1"});
    }
    db.run("COMMIT");
}

} // namespace

void benchSettlement(BenchReport &report, const QString &scratchFolder, int notes)
{
    const QString folder = QDir(scratchFolder).filePath(QStringLiteral("settlement")) + QDir::separator();
    DataFolderBuilder::createDatabase(folder);
    const QString path = Schema::databasePath(folder);
    QElapsedTimer fillTime;
    fillTime.start();
    fill(path, notes);
    QTextStream(stderr) << "settlement: built " << notes << " notes in " << fillTime.elapsed() << " ms" << Qt::endl;

    AppValues values;
    values.setDataFolder(folder);
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext ctx(values, dialogs, windows);
    FrmRibodo window(ctx);
    auto *picker = window.findChild<QDateEdit *>(QStringLiteral("DTPicker1"));
    auto *banks = window.findChild<QComboBox *>(QStringLiteral("Combo1"));
    auto *states = window.findChild<QComboBox *>(QStringLiteral("Combo2"));
    auto *grid = window.findChild<TableGrid *>(QStringLiteral("HFGrid1"));
    auto *model = qobject_cast<QueryTableModel *>(grid->model());
    QPushButton *show = window.findChild<QPushButton *>(QStringLiteral("Command1"));
    QPushButton *change = window.findChild<QPushButton *>(QStringLiteral("Command3"));
    auto *waiting = window.findChild<QLabel *>(QStringLiteral("Label7"));

    const int days = notes / perDay;
    int probe = 0;
    const auto someDay = [&] { probe = (probe + 97) % days; return firstDay.addDays(probe); };
    const QString section = QStringLiteral("today's settlement, %1 notes").arg(notes);

    // The window keeps a connection for the list and one for the total.
    RawSqlite listDb(path, true);
    RawSqlite totalDb(path, true);
    const auto rawDay = [&](const QDate &day, const QByteArray &bank) {
        const QByteArray date = day.toString(Qt::ISODate).toUtf8();
        int rows;
        if (bank.isEmpty()) {
            rows = listDb.run("SELECT * FROM QRYKesai WHERE TKDate = ?", {date}, true);
            totalDb.run("SELECT SUM(TKingaku) FROM QRYKesai WHERE TKDate = ?", {date});
        } else {
            rows = listDb.run("SELECT * FROM QRYKesai WHERE TKDate = ? AND Ginko = ?", {date, bank}, true);
            totalDb.run("SELECT SUM(TKingaku) FROM QRYKesai WHERE TKDate = ? AND Ginko = ?", {date, bank});
        }
        return rows;
    };

    for (int bank : {0, 3}) {
        banks->setCurrentIndex(bank);
        int rows = 0;
        const double ours = BenchReport::medianMs(runs, [&] {
            picker->setDate(someDay());
            show->click();
            rows = model->rowCount();
        });
        if (rows == 0 || waiting->text().isEmpty() || !dialogs.messageTexts().isEmpty())
            throw std::runtime_error("the settlement list stayed empty");
        const QByteArray bankName = bank == 0 ? QByteArray() : banks->itemText(bank).toUtf8();
        const double base = BenchReport::medianMs(runs, [&] { rawDay(someDay(), bankName); });
        report.add(section, bank == 0 ? QStringLiteral("表示 (one day, all banks)") : QStringLiteral("表示 (one day, one bank)"),
                   ours, base, QStringLiteral("%1 rows; baseline: the list and the total").arg(rows));
    }

    // Settling: open a row, choose a state, 変更; the list and totals are
    // rebuilt for the same day.
    banks->setCurrentIndex(0);
    picker->setDate(firstDay.addDays(days / 2));
    show->click();
    const int settled = states->findText(QStringLiteral("決済済み"));
    const int open = states->findText(QStringLiteral("未決済"));
    int n = 0;
    const double ours = BenchReport::medianMs(runs, [&] {
        grid->selectRow(n % model->rowCount());
        QTest::keyClick(grid, Qt::Key_Return);
        states->setCurrentIndex(states->currentIndex() == settled ? open : settled);
        change->click();
        ++n;
    });
    if (!dialogs.messageTexts().isEmpty())
        throw std::runtime_error("settling failed");
    const QDate day = firstDay.addDays(days / 2);
    const double base = BenchReport::medianMs(runs, [&] {
        RawSqlite::once(path, "UPDATE SiteTbl SET TCond = ? WHERE TNo = ?", {n % 2 ? "3" : "1", "K" + QByteArray::number(n * days)});
        rawDay(day, QByteArray());
        ++n;
    });
    report.add(section, QStringLiteral("変更 (settle one note)"), ours, base,
               QStringLiteral("row opened to rebuilt list; baseline: the update, the list and the total"));
    QFile::remove(path);
}
