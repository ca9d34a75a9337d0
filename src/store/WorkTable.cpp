#include "WorkTable.h"

#include "Connection.h"
#include "StoreError.h"

void WorkTable::replace(Connection &connection, const QVector<QStringList> &rows)
{
    const QString insert = QStringLiteral("INSERT INTO TMPTbl (F1, F2, F3, F4, F5, F6, F7) VALUES (?, ?, ?, ?, ?, ?, ?)");
    connection.beginTrans();
    try {
        connection.exec(QStringLiteral("DELETE FROM TMPTbl")).finish();
        // Empty text, never null: an empty cell of the list is empty text.
        const QString empty = QStringLiteral("");
        QVariantList values(7);
        for (const QStringList &row : rows) {
            for (int i = 0; i < 7; ++i)
                values[i] = i < row.size() && !row.at(i).isNull() ? row.at(i) : empty;
            connection.exec(insert, values);
        }
        connection.commitTrans();
    } catch (const StoreError &) {
        connection.rollbackTrans();
        throw;
    }
}
