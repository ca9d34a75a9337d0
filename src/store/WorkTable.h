#pragma once

#include <QStringList>
#include <QVector>

class Connection;

// The work table TMPTbl: the note explorer leaves in it the list it prints,
// as the texts shown on screen, and report 9 reads it.
class WorkTable
{
public:
    // Replaces every row with `rows`, in their order, each holding the texts
    // of F1 to F7 (missing texts are written empty). One transaction: when a
    // row is refused, the table keeps the rows it had. Raises StoreError.
    static void replace(Connection &connection, const QVector<QStringList> &rows);
};
