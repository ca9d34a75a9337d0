#include "StartupBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "app/FrmMain.h"
#include "ui/QtDialogService.h"
#include "ui/WindowRegistry.h"
#include "app/frmSplash.h"
#include "masters/FrmCliantU.h"
#include "store/DataFolderBuilder.h"
#include "tools/DemoData.h"
#include "store/Schema.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>


#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

constexpr int notes = 100000;
constexpr int runs = 9;

// Raw SQLite: open, one UPDATE with the cut-off bound, close. Returns the
// number of notes changed.
int rawStateUpdate(const QString &path, const QByteArray &cutOff)
{
    RawSqlite db(path);
    db.run("UPDATE SiteTbl SET TCond = '2' WHERE TCond = '1' AND TKDate <= ?", {cutOff});
    return db.changes();
}

void runSql(const QString &path, const char *sql)
{
    RawSqlite::once(path, sql);
}

void copyDatabase(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw std::runtime_error("cannot copy database");
}

// From the splash window's creation to the main menu on the screen, as the
// program does it; the program and data folders are ready beforehand.
double launchMs(const QString &programFolder)
{
    QElapsedTimer timer;
    timer.start();
    AppValues values;
    values.setProgramFolder(programFolder);
    QtDialogService dialogs;
    WindowRegistry windows;
    const AppContext context(values, dialogs, windows);
    windows.registerFactory(WindowId::FrmMain, [&context] { return std::make_unique<FrmMain>(context); });
    // The main menu loads the supplier search list with itself.
    windows.registerFactory(WindowId::FrmCliantU, [&context] { return std::make_unique<FrmCliantU>(context); });

    frmSplash splash(context);
    QEventLoop loop;
    bool shown = false;
    QObject::connect(&splash, &frmSplash::finished, &loop, [&](bool ok) {
        shown = ok;
        loop.quit();
    });
    splash.show();
    loop.exec();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!shown || !windows.window(WindowId::FrmMain) || !windows.window(WindowId::FrmMain)->isVisible()
        || !windows.window(WindowId::FrmCliantU))
        throw std::runtime_error("the main menu did not come up");
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

void benchStartup(BenchReport &report, const QString &scratchFolder)
{
    const QString base = QDir(scratchFolder).filePath(QStringLiteral("startup"));
    const QString templateFolder = QDir::toNativeSeparators(base + QStringLiteral("/template")) + QDir::separator();
    const QString dataFolder = QDir::toNativeSeparators(base + QStringLiteral("/data")) + QDir::separator();
    const QString programFolder = QDir::toNativeSeparators(base + QStringLiteral("/program"));
    QDir().mkpath(dataFolder);
    QDir().mkpath(programFolder);
    {
        QFile sys(QDir(programFolder).filePath(QStringLiteral("RibodoDa.sys")));
        if (!sys.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the data-folder file");
        sys.write("\"" + dataFolder.toUtf8() + "\"\r\n");
    }

    const QDate today = QDate::currentDate();
    QElapsedTimer build;
    build.start();
    DataFolderBuilder::createDatabase(templateFolder);
    DemoData::addDemoData(templateFolder, notes, today);
    QTextStream(stderr) << "built " << notes << " notes for start-up in " << build.elapsed() << " ms" << Qt::endl;

    const QString templateDb = Schema::databasePath(templateFolder);
    const QString db = Schema::databasePath(dataFolder);
    const QByteArray cutOff = today.toString(Qt::ISODate).toUtf8();

    // A daily start finds nothing due; a start after a month away finds a
    // month of notes due. Both runs start from the same table each time.
    const QByteArray monthAway = "UPDATE SiteTbl SET TCond = '1' WHERE TKDate > '"
            + today.addDays(-30).toString(Qt::ISODate).toUtf8() + "' AND TKDate <= '" + cutOff + "'";
    const QString monthTemplateFolder = QDir::toNativeSeparators(base + QStringLiteral("/month")) + QDir::separator();
    QDir().mkpath(monthTemplateFolder);
    copyDatabase(templateDb, Schema::databasePath(monthTemplateFolder));
    runSql(Schema::databasePath(monthTemplateFolder), monthAway.constData());

    struct Case
    {
        QString name;
        QString templatePath;
    };
    const Case cases[] = {{QStringLiteral("launch to main menu, nothing due"), templateDb},
                          {QStringLiteral("launch to main menu, 30 days due"), Schema::databasePath(monthTemplateFolder)}};
    for (const Case &c : cases) {
        std::vector<double> ours;
        std::vector<double> raw;
        int changed = 0;
        for (int i = 0; i < runs; ++i) {
            copyDatabase(c.templatePath, db);
            ours.push_back(launchMs(programFolder));
            copyDatabase(c.templatePath, db);
            QElapsedTimer t;
            t.start();
            changed = rawStateUpdate(db, cutOff);
            raw.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        report.add(QStringLiteral("start-up, %1 notes").arg(notes), c.name, median(ours), median(raw),
                   QStringLiteral("%1 notes moved to state 2; baseline: raw SQLite open + the same UPDATE").arg(changed));
    }
}
