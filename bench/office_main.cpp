// ribodo-office-check [--clients 5,20] [--actions 150] [--keep] [--server]:
// N processes work on one register at once, then the change history is
// checked for lost updates and duplicate note numbers. With --server the
// register is on a throwaway PostgreSQL cluster the check starts, after the
// runs on SQLite. Prints markdown tables on stdout; exits 1 when anything was
// lost or duplicated.
//   ribodo-office-check --client <data folder> <n> <actions> <seed> is one
//   such process.

#include "OfficeCheck.h"
#include "OfficeClient.h"
#include "PgCluster.h"

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
    const bool server = args.contains(QStringLiteral("--server"));
    PgCluster cluster;
    if (server && !cluster.start()) {
        QTextStream(stderr) << cluster.error() << Qt::endl;
        return 1;
    }
    for (const bool onServer : {false, true}) {
        if (onServer && !server)
            continue;
        for (const QString &count : counts) {
            const QString folder = QDir(scratch.path()).filePath(QStringLiteral("office-%1-%2").arg(onServer).arg(count))
                    + QDir::separator();
            QDir().mkpath(folder);
            runs << OfficeCheck::run(QCoreApplication::applicationFilePath(), folder,
                                     onServer ? cluster.newDatabase() : QString(), count.toInt(), actions);
            const OfficeCheck::Figures &last = runs.constLast();
            sound = sound && last.lostUpdates == 0 && last.duplicateNumbers == 0 && last.problems.isEmpty();
        }
    }
    OfficeCheck::print(runs);
    return sound ? 0 : 1;
}
