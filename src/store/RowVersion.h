#pragma once

#include <QString>

class Connection;

// The version of one row of the register: the newest entry of the change
// history about the row's key, the entry that gave the row another key or
// deleted it included. A window remembers the version of the row it calls
// up; a change of the row is refused once a newer entry exists, as another
// program (another PC on the same register) changed the row in between.
class RowVersion
{
public:
    // Not remembered: the change is not checked.
    static constexpr qint64 unknown = -1;

    struct Entry
    {
        qint64 number = 0; // 0 when the row has no history
        QString user;
        QString at; // as the history stores it, "yyyy-MM-dd HH:mm:ss"
    };

    static Entry newest(Connection &connection, const QString &table, const QString &key);

    // Raises a StoreError of kind Conflict, naming who changed the row and
    // when, if `remembered` is known and a newer entry exists. Run inside the
    // write transaction before the write, so no other program writes between
    // the check and the change.
    static void require(Connection &connection, const QString &table, const QString &key, qint64 remembered);
};
