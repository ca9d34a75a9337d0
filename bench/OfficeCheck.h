#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// The office check: N client processes (OfficeClient) work on one register at
// once; afterwards the change history shows whether any change was lost or
// any note number held twice.
class OfficeCheck
{
public:
    struct Figures
    {
        QString engine;
        int clients = 0;
        int actions = 0;
        double seconds = 0;
        std::map<QString, std::vector<double>> milliseconds; // by action
        std::map<QString, int> outcomes;                      // by outcome
        int lostUpdates = 0;
        int duplicateNumbers = 0;
        QStringList problems; // the first few, named
        QString verified;
    };

    // Makes a register in `dataFolder` (or, given a connection text of an
    // empty database, on that server, the folder pointing at it) with half
    // the pool registered, runs `clients` processes of `program` doing
    // `actions` each, then checks.
    static Figures run(const QString &program, const QString &dataFolder, const QString &server, int clients,
                       int actions);
    static void print(const QList<Figures> &runs);

private:
    static void prepare(const QString &dataFolder, const QString &server);
    static void check(const QString &dataFolder, const QList<QStringList> &lines, Figures &figures);
};
