// ribodo-office-check [--clients 5,20] [--actions 150] [--keep]: N processes work on
// one register at once, then the change history is checked for lost updates
// and duplicate note numbers. Prints markdown tables on stdout; exits 1 when
// anything was lost or duplicated.
//   ribodo-office-check --client <data folder> <n> <actions> <seed> is one
//   such process.

#include "OfficeCheck.h"
#include "OfficeClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == QLatin1String("--client")) {
        QTextStream out(stdout);
        OfficeClient client(args.value(2), args.value(3).toInt(), args.value(6).toUInt());
        client.run(args.value(4).toInt(), out);
        return 0;
    }
    const qsizetype clientsAt = args.indexOf(QStringLiteral("--clients"));
    const QStringList counts =
            clientsAt < 0 ? QStringList{QStringLiteral("5"), QStringLiteral("20")} : args.value(clientsAt + 1).split(QLatin1Char(','));
    const qsizetype actionsAt = args.indexOf(QStringLiteral("--actions"));
    const int actions = actionsAt < 0 ? 150 : args.value(actionsAt + 1).toInt();
    QTemporaryDir scratch;
    // --keep leaves the registers behind for a look at their history.
    if (args.contains(QStringLiteral("--keep"))) {
        scratch.setAutoRemove(false);
        QTextStream(stderr) << scratch.path() << Qt::endl;
    }
    QList<OfficeCheck::Figures> runs;
    bool sound = true;
    for (const QString &count : counts) {
        const QString folder = QDir(scratch.path()).filePath(QStringLiteral("office-") + count) + QDir::separator();
        QDir().mkpath(folder);
        runs << OfficeCheck::run(QCoreApplication::applicationFilePath(), folder, count.toInt(), actions);
        sound = sound && runs.last().lostUpdates == 0 && runs.last().duplicateNumbers == 0 && runs.last().problems.isEmpty();
    }
    OfficeCheck::print(runs);
    return sound ? 0 : 1;
}
