#include "EntryBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"
#include "ScriptedDialogService.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"
#include "register/DateTextBox.h"
#include "register/FrmSite.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTextStream>


#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

constexpr int noteCount = 100000;
constexpr int runs = 31;

QByteArray noteNumber(int i)
{
    return "T" + QByteArray::number(100000 + i);
}

void fill(const QString &path)
{
    RawSqlite db(path);
    db.run("BEGIN");
    db.addSuppliersAndBanks();
    for (int i = 0; i < noteCount; ++i)
        db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
                   "VALUES (?, '2024-04-15', '2024-07-31', ?, ?, ?, '1', '1', '1', '', '1')",
               {noteNumber(i), QByteArray::number(1 + i % 5), QByteArray::number(100 + i % 200),
                QByteArray::number(1000 * (1 + i % 900))});
    db.run("COMMIT");
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

void benchEntry(BenchReport &report, const QString &scratchFolder)
{
    const QString folder = QDir(scratchFolder).filePath(QStringLiteral("entry")) + QDir::separator();
    DataFolderBuilder::createDatabase(folder);
    const QString path = Schema::databasePath(folder);
    fill(path);
    QTextStream(stderr) << "entry: built " << noteCount << " notes" << Qt::endl;

    AppValues values;
    values.setDataFolder(folder);
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext ctx(values, dialogs, windows);
    FrmSite window(ctx);
    const auto box = [&](int i) { return window.findChild<QLineEdit *>(QStringLiteral("TxtRibodo_%1").arg(i)); };
    const auto date = [&](int i) { return window.findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i)); };
    const auto button = [&](const char *name) { return window.findChild<QPushButton *>(QLatin1String(name)); };
    const auto enter = [&](const QString &number) {
        box(0)->setText(number);
        window.supplierPicked(QStringLiteral("150"), QStringLiteral("仕入先 50"));
        date(0)->setDate(QDate(2025, 1, 6));
        box(3)->setText(QStringLiteral("1,250,000"));
        date(1)->setDate(QDate(2025, 4, 30));
        box(4)->setText(QStringLiteral("ベンチ"));
    };
    const auto timeClick = [&](QPushButton *b) { return BenchReport::medianMs(1, [b] { b->click(); }); };
    const QString section = QStringLiteral("note entry, %1 notes").arg(noteCount);
    int probe = 0;
    const auto someNote = [&] { probe = (probe + 7919) % noteCount; return probe; };

    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        enter(QStringLiteral("NEW%1").arg(i));
        dialogs.clear();
        times.push_back(timeClick(button("CmdRecorde")));
        if (!box(0)->text().isEmpty() || !dialogs.messageTexts().isEmpty())
            throw std::runtime_error("register did not clear the window");
    }
    double base = BenchReport::medianMs(runs, [&, n = 0]() mutable {
        const QByteArray number = "RAW" + QByteArray::number(n++);
        RawSqlite::once(path, "SELECT 1 FROM SiteTbl WHERE TNo = ?", {number});
        RawSqlite::once(path, "INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, "
                      "TKeiri) VALUES (?, '2025-01-06', '2025-04-30', '1', '150', 1250000, '1', '1', '1', 'ベンチ', '1')",
                {number});
    });
    report.add(section, QStringLiteral("登録 (register)"), median(times), base,
               QStringLiteral("click to cleared window; baseline: number check and insert"));

    times.clear();
    for (int i = 0; i < runs; ++i) {
        const QByteArray number = noteNumber(someNote());
        dialogs.clear();
        dialogs.queueAnswer(DialogService::Answer::Yes);
        dialogs.queueInput(QString::fromLatin1(number));
        times.push_back(timeClick(button("CmdCall")));
        if (box(5)->text() != QString::fromLatin1(number) || dialogs.messageTexts().size() != 1)
            throw std::runtime_error("call-up did not fill the window");
    }
    base = BenchReport::medianMs(runs, [&] {
        const int n = someNote();
        RawSqlite::once(path, "SELECT * FROM SiteTbl WHERE TNo = ?", {noteNumber(n)});
        RawSqlite::once(path, "SELECT ClName FROM SireCliant WHERE ClCode = ?", {QByteArray::number(100 + n % 200)});
    });
    report.add(section, QStringLiteral("呼び出し (call up)"), median(times), base,
               QStringLiteral("click to filled window; baseline: note and payee name"));

    times.clear();
    for (int i = 0; i < runs; ++i) {
        const QByteArray number = noteNumber(someNote());
        dialogs.queueAnswer(DialogService::Answer::Yes);
        dialogs.queueInput(QString::fromLatin1(number));
        button("CmdCall")->click();
        box(3)->setText(QStringLiteral("2,000,000"));
        dialogs.clear();
        times.push_back(timeClick(button("CmdEdit")));
        if (!box(0)->text().isEmpty() || !dialogs.messageTexts().isEmpty())
            throw std::runtime_error("save did not clear the window");
    }
    base = BenchReport::medianMs(runs, [&] {
        const QByteArray number = noteNumber(someNote());
        RawSqlite::once(path, "UPDATE SiteTbl SET TNo = ?, TFDate = '2024-04-15', TKDate = '2024-07-31', TBank = '1', "
                      "TTo = '150', TKingaku = 2000000, TKubun = '1', TYoto = '1', TCond = '1', TRemarks = '', "
                      "TKeiri = '1' WHERE TNo = ?",
                {number, number});
    });
    report.add(section, QStringLiteral("訂正 (save)"), median(times), base,
               QStringLiteral("click to cleared window; baseline: the update"));
}
