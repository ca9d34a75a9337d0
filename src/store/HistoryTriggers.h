#pragma once

#include <QString>
#include <QStringList>

class Connection;

// Puts the change history's triggers on the tables it keeps, made from each
// table's columns as they are, so that a column an upgrade adds is recorded
// from then on.
class HistoryTriggers
{
public:
    // Drops the history's triggers and makes them again.
    static void install(Connection &connection);
    // Drops them, for a copy that brings its history along.
    static void remove(Connection &connection);
    // True when every table the history keeps has its three triggers.
    static bool complete(Connection &connection);
    // One opening row per row of those tables, for a register that kept no
    // history before.
    static void writeOpeningRows(Connection &connection);
    // The columns of `table`, in their order.
    static QStringList columns(Connection &connection, const QString &table);
};
