#pragma once

#include <QList>
#include <QPair>
#include <QString>

class ServerDatabase;

// Copies a data folder's SQLite register, its change history included, row
// for row into a server database that is empty or holds an empty register
// made by server-init: the office's first start, and the restore of a
// copy. One transaction: a copy cut short leaves nothing behind.
class ServerPush
{
public:
    // Each table with the rows copied. Raises StoreError (in Japanese) when
    // the register's version is not this program's, its history does not
    // verify, the server's register holds rows, or the server refuses.
    static QList<QPair<QString, qint64>> push(const QString &dataFolder, ServerDatabase &server);
};
