#pragma once

#include <QString>

class ServerDatabase;

// Checks the register against its change history: the chain of hashes, the
// replay of every change from the first row compared with the tables as they
// are, and the newest row of each daily copy, which the register must still
// hold: rows removed from the end of the chain are found that way.
class HistoryCheck
{
public:
    struct Result
    {
        bool sound = true;
        QString problem; // the first thing wrong, in Japanese
        qint64 notes = 0;
        qint64 rows = 0;
    };

    // The whole check. Raises StoreError when the database cannot be read.
    // A data folder that holds the server's connection file and no SQLite
    // register is checked on the server.
    static Result verify(const QString &dataFolder);
    // The same on the server's register, read in one snapshot; the daily
    // copies are the data folder's and are not looked at.
    static Result verify(ServerDatabase &server);
    // The chain of the newest `rows` rows, the triggers in place and the
    // heads of the backup copies: quick enough for every start.
    static Result checkTail(const QString &dataFolder, int rows = 500);
};
