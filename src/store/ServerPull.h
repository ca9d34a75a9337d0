#pragma once

#include <QList>
#include <QPair>
#include <QString>

class ServerDatabase;

// Copies the server's register, its change history included, row for row
// into a new SQLite register in a data folder that holds none: the office's
// daily backup, and a copy to take anywhere. Read in one snapshot, so the
// copy is the register at one moment however busy the office is.
class ServerPull
{
public:
    // Each table with the rows copied. Raises StoreError (in Japanese) when
    // the folder already holds a register, the server's register is of
    // another version, or either side fails; nothing is left behind then.
    static QList<QPair<QString, qint64>> pull(ServerDatabase &server, const QString &dataFolder);
};
