#include "ExplorerBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "inquiry/FrmRbView.h"
#include "store/DataFolderBuilder.h"
#include "tools/DemoData.h"
#include "store/Schema.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/QtDialogService.h"
#include "ui/TableGrid.h"
#include "ui/WindowRegistry.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>

#include <memory>

namespace {

const int dueDays = 3650;

QString grouped(int n)
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(n);
}

// `count` notes due on 3,650 consecutive days from 2016-01-04, spread over
// the demo folder's twelve payees and five banks.
void fillNotes(const QString &path, int count)
{
    RawSqlite db(path);
    db.run("BEGIN");
    const QDate start(2016, 1, 4);
    for (int i = 0; i < count; ++i) {
        const QDate due = start.addDays(i % dueDays);
        db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
               "VALUES (?, ?, ?, ?, ?, ?, '1', '1', '3', ?, '1')",
               {"EX" + QByteArray::number(i), due.addDays(-90).toString(Qt::ISODate).toUtf8(),
                due.toString(Qt::ISODate).toUtf8(), QByteArray::number(1 + (i / 7) % 5),
                QByteArray::number(100 + 10 * (i % 12)), QByteArray::number(1000 * (50 + i % 4950)),
                i % 5 == 0 ? QByteArray("月末支払") : QByteArray()});
    }
    db.run("COMMIT");
}

QString makeFolder(const QString &scratchFolder, const QString &name, int notes)
{
    const QString folder = QDir::toNativeSeparators(scratchFolder + QLatin1Char('/') + name) + QDir::separator();
    QTextStream(stderr) << "explorer: filling " << notes << " notes" << Qt::endl;
    DataFolderBuilder::createDatabase(folder);
    DemoData::addDemoData(folder, 0, QDate(2025, 1, 15));
    fillNotes(Schema::databasePath(folder), notes);
    return folder;
}

// The seven listed columns of a statement's rows, as the window reads them.
int rawList(const QString &database, const char *where)
{
    const QByteArray sql = QByteArray("SELECT TFDate, TNo, ClName, TKingaku, TKDate, Ginko, TRemarks FROM (SELECT * "
                                      "FROM QRYRibodo")
            + where + ')';
    return RawSqlite(database, true).run(sql.constData(), {}, true);
}

struct Explorer
{
    explicit Explorer(const QString &folder)
        : context(values, dialogs, windows)
    {
        values.setDataFolder(folder);
    }

    std::unique_ptr<FrmRbView> open()
    {
        auto window = std::make_unique<FrmRbView>(context);
        window->show();
        return window;
    }

    AppValues values;
    QtDialogService dialogs;
    WindowRegistry windows;
    AppContext context;
};

// Waits for the list to be painted, as the user sees it.
int paintedRows(FrmRbView &window)
{
    auto *grid = window.findChild<TableGrid *>(QStringLiteral("ListView1"));
    grid->viewport()->grab();
    return grid->model()->rowCount();
}

} // namespace

void benchExplorer(BenchReport &report, const QString &scratchFolder, int largest)
{
    const QString section = QStringLiteral("note explorer");
    const QString folder = makeFolder(scratchFolder, QStringLiteral("explorer-list"), 100000);
    const QString database = Schema::databasePath(folder);
    Explorer explorer(folder);

    const double rawTree = BenchReport::medianMs(5, [&] {
        RawSqlite(database, true).run("SELECT TKDate, Sum(TKingaku) AS TKSum FROM SiteTbl GROUP BY TKDate", {}, true);
    });
    int nodes = 0;
    const double opening = BenchReport::medianMs(5, [&] {
        std::unique_ptr<FrmRbView> window = explorer.open();
        window->findChild<QTreeWidget *>(QStringLiteral("TreeView1"))->viewport()->grab();
        nodes = window->findChild<QTreeWidget *>(QStringLiteral("TreeView1"))->topLevelItem(0)->childCount();
    });
    report.add(section, QStringLiteral("100,000 notes: open, lists and due-date tree"), opening, rawTree,
               QStringLiteral("%1 due dates").arg(grouped(nodes)));

    std::unique_ptr<FrmRbView> window = explorer.open();
    auto *tree = window->findChild<QTreeWidget *>(QStringLiteral("TreeView1"));
    const QPoint root = tree->visualItemRect(tree->topLevelItem(0)).center();
    const double rawAll = BenchReport::medianMs(5, [&] { rawList(database, ""); });
    int rows = 0;
    const double listing = BenchReport::medianMs(5, [&] {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, root);
        rows = paintedRows(*window);
    });
    report.add(section, QStringLiteral("100,000 notes: click the root, every note listed"), listing, rawAll,
               QStringLiteral("%1 rows with the totals row").arg(grouped(rows)));
    window.reset();
    QFile::remove(database);

    const QString bigFolder = makeFolder(scratchFolder, QStringLiteral("explorer-search"), largest);
    const QString bigDatabase = Schema::databasePath(bigFolder);
    Explorer big(bigFolder);
    QElapsedTimer openTime;
    openTime.start();
    window = big.open();
    const double bigOpening = double(openTime.nsecsElapsed()) / 1e6;
    report.add(section, QStringLiteral("%1 notes: open, lists and due-date tree").arg(grouped(largest)),
               bigOpening, 0, QStringLiteral("once"));

    auto *bank = window->findChild<QComboBox *>(QStringLiteral("ComboB"));
    bank->setCurrentIndex(bank->findData(QStringLiteral("3")));
    window->findChild<QDateEdit *>(QStringLiteral("DTStart"))->setDate(QDate(2024, 4, 1));
    window->findChild<QDateEdit *>(QStringLiteral("DTEnd"))->setDate(QDate(2024, 4, 30));
    auto *go = window->findChild<QPushButton *>(QStringLiteral("cmdGo"));
    const double rawSearch = BenchReport::medianMs(
            11, [&] { rawList(bigDatabase, " WHERE TBank = '3' AND TKDate BETWEEN '2024-04-01' AND '2024-04-30'"); });
    const double search = BenchReport::medianMs(11, [&] {
        QTest::mouseClick(go, Qt::LeftButton);
        rows = paintedRows(*window);
    });
    report.add(section, QStringLiteral("%1 notes: search one bank, one month").arg(grouped(largest)),
               search, rawSearch, QStringLiteral("%1 rows with the totals row").arg(grouped(rows)));
    window.reset();
    QFile::remove(bigDatabase);
}
