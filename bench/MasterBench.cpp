#include "MasterBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/QtDialogService.h"
#include "ui/WindowRegistry.h"
#include "masters/FrmCliantU.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"
#include "store/SireCliantClass.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTextStream>


#include <stdexcept>

namespace {

QByteArray code(int i)
{
    return QByteArray::number(100000 + i);
}

void fillSuppliers(const QString &path, int count)
{
    RawSqlite db(path);
    db.run("BEGIN");
    for (int i = 0; i < count; ++i) {
        db.run("INSERT INTO SireCliant (ClCode, ClName, ClPdName, ClYomigana, clAddress1, claddress2, claddress3, "
                   "claddress4, clzip, cltel, clfax, ClSime, ClZan, Clpay, ClTokuiKbn) "
                   "VALUES (?, ?, '代表者', 'よみ', '東京都', '大田区', '蒲田', '1-2-3', '144-0052', '03-0000-0000', "
                   "'03-0000-0001', '20', 0, '31', 1)",
               {code(i), "仕入先" + QByteArray::number(i)});
    }
    db.run("COMMIT");
}

} // namespace

void benchMasters(BenchReport &report, const QString &scratchFolder)
{
    const int size = 100000;
    const QString folder = QDir(scratchFolder).filePath(QStringLiteral("masters")) + QDir::separator();
    DataFolderBuilder::createDatabase(folder);
    const QString path = Schema::databasePath(folder);
    QElapsedTimer fillTime;
    fillTime.start();
    fillSuppliers(path, size);
    QTextStream(stderr) << "built " << size << " suppliers in " << fillTime.elapsed() << " ms" << Qt::endl;

    const QString section = QStringLiteral("masters, %1 suppliers").arg(size);
    const int runs = 31;
    int probe = 0;
    const auto someSupplier = [&] { probe = (probe + 7919) % size; return probe; };
    const auto fresh = [&](const std::function<void(SireCliantClass &)> &op) {
        SireCliantClass s;
        s.setDirPath(folder);
        s.CntDb();
        op(s);
    };

    double ours = BenchReport::medianMs(runs, [&] {
        fresh([&](SireCliantClass &s) { s.setCliantCode(QString::fromLatin1(code(someSupplier()))); s.SearchRs(); });
    });
    double base = BenchReport::medianMs(runs, [&] {
        RawSqlite::once(path, "SELECT * FROM SireCliant WHERE ClCode = ?", {code(someSupplier())});
    });
    report.add(section, QStringLiteral("SearchRs"), ours, base);

    ours = BenchReport::medianMs(runs, [&] {
        fresh([&](SireCliantClass &s) { s.CliantNameDisplay(QString::fromLatin1(code(someSupplier()))); });
    });
    base = BenchReport::medianMs(runs, [&] {
        RawSqlite::once(path, "SELECT ClName FROM SireCliant WHERE ClCode = ?", {code(someSupplier())});
    });
    report.add(section, QStringLiteral("CliantNameDisplay"), ours, base);

    ours = BenchReport::medianMs(runs, [&] {
        fresh([&](SireCliantClass &s) { s.CliantCodeCheck(QStringLiteral("MISSING")); });
    });
    base = BenchReport::medianMs(runs, [&] {
        RawSqlite::once(path, "SELECT 1 FROM SireCliant WHERE ClCode = ?", {"MISSING"});
    });
    report.add(section, QStringLiteral("CliantCodeCheck"), ours, base, QStringLiteral("code missing"));

    int added = 0;
    ours = BenchReport::medianMs(runs, [&] {
        fresh([&](SireCliantClass &s) {
            s.setCliantCode(QStringLiteral("NEW%1").arg(added++));
            s.setCliantname(QStringLiteral("新規仕入先"));
            s.setClSeikyuZan(1250000);
            s.setSClKbn(1);
            s.SaveRs();
        });
    });
    base = BenchReport::medianMs(runs, [&] {
        RawSqlite::once(path, "INSERT INTO SireCliant (ClCode, ClName, ClPdName, ClYomigana, clAddress1, claddress2, claddress3, "
                      "claddress4, clzip, cltel, clfax, ClSime, ClZan, Clpay, ClTokuiKbn) "
                      "VALUES (?, '新規仕入先', '', '', '', '', '', '', '', '', '', '', 1250000, '', 1)",
                {"RAW" + QByteArray::number(added++)});
    });
    report.add(section, QStringLiteral("SaveRs"), ours, base);

    ours = BenchReport::medianMs(runs, [&] {
        fresh([&](SireCliantClass &s) {
            const QString c = QString::fromLatin1(code(someSupplier()));
            s.setCliantCode2(c);
            s.setCliantCode(c);
            s.setCliantname(QStringLiteral("改名仕入先"));
            s.EditRs();
        });
    });
    base = BenchReport::medianMs(runs, [&] {
        const QByteArray c = code(someSupplier());
        RawSqlite::once(path, "UPDATE SireCliant SET ClCode = ?, ClName = '改名仕入先', ClPdName = '', ClYomigana = '', "
                      "clAddress1 = '', claddress2 = '', claddress3 = '', claddress4 = '', clzip = '', cltel = '', "
                      "clfax = '', ClSime = '', ClZan = 0, Clpay = '', ClTokuiKbn = 0 WHERE ClCode = ?",
                {c, c});
    });
    report.add(section, QStringLiteral("EditRs"), ours, base);

    int deleted = 0;
    ours = BenchReport::medianMs(runs, [&] {
        fresh([&](SireCliantClass &s) {
            s.setCliantCode2(QStringLiteral("NEW%1").arg(deleted++));
            s.DeleteRs();
        });
    });
    base = BenchReport::medianMs(runs, [&] {
        RawSqlite::once(path, "DELETE FROM SireCliant WHERE ClCode = ?", {"RAW" + QByteArray::number(deleted++)});
    });
    report.add(section, QStringLiteral("DeleteRs"), ours, base);

    // The search list reads every supplier once, when the main menu loads:
    // one statement into the list's model, against the same rows read as
    // text with the C library.
    AppValues values;
    values.setDataFolder(folder);
    QtDialogService dialogs;
    WindowRegistry windows;
    const AppContext context(values, dialogs, windows);
    ours = BenchReport::medianMs(11, [&] { FrmCliantU list(context); });
    base = BenchReport::medianMs(11, [&] {
        RawSqlite(path).run("SELECT ClCode, ClName FROM SireCliant ORDER BY rowid", {}, true);
    });
    report.add(section, QStringLiteral("FrmCliantU load"), ours, base, QStringLiteral("whole list, once per run"));

    QFile::remove(path);
}
