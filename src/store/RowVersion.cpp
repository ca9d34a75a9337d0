#include "RowVersion.h"

#include "Connection.h"
#include "Schema.h"
#include "StoreError.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

const QString notes = QStringLiteral("SiteTbl");

// A note's number may have been changed away: the history keeps the number
// before each change in RTNo. Both look-ups use their partial indexes.
const QString noteStatement = QStringLiteral(
        "SELECT RNo, RUser, RAt FROM RirekiTbl WHERE RNo = (SELECT max(n) FROM ("
        "SELECT max(RNo) AS n FROM RirekiTbl WHERE RTable = 'SiteTbl' AND RKey = ? COLLATE NOCASE "
        "UNION ALL SELECT max(RNo) FROM RirekiTbl WHERE RTNo = ?))");

// A master row's code before a change is in the row's earlier contents.
const QString masterStatement = QStringLiteral(
        "SELECT RNo, RUser, RAt FROM RirekiTbl WHERE RTable = ? AND RTable <> 'SiteTbl' "
        "AND (RKey = ? COLLATE NOCASE OR CAST(json_extract(RBefore, ?) AS TEXT) = ? COLLATE NOCASE) "
        "ORDER BY RNo DESC LIMIT 1");

QString shownTime(const QString &at)
{
    const QDateTime time = QDateTime::fromString(at, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return time.isValid() ? time.toString(QStringLiteral("yyyy/MM/dd HH:mm")) : at;
}

} // namespace

RowVersion::Entry RowVersion::newest(Connection &connection, const QString &table, const QString &key)
{
    QSqlQuery *q = nullptr;
    if (table == notes) {
        q = &connection.exec(noteStatement, {key, key});
    } else {
        const QString path = QStringLiteral("$.") + Schema::historyKeyColumns(table).constFirst();
        q = &connection.exec(masterStatement, {table, key, path, key});
    }
    Entry entry;
    if (q->next())
        entry = {q->value(0).toLongLong(), q->value(1).toString(), q->value(2).toString()};
    q->finish();
    return entry;
}

void RowVersion::require(Connection &connection, const QString &table, const QString &key, qint64 remembered)
{
    if (remembered == unknown)
        return;
    // SQLite's write transaction holds the whole register already. On a
    // server the row is locked first: a PC changing it at the same moment
    // waits, and the version read after the lock is the one now committed.
    if (connection.isServer()) {
        connection
                .exec(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? FOR UPDATE")
                              .arg(table, Schema::historyKeyColumns(table).constFirst()),
                      {key})
                .finish();
    }
    const Entry entry = newest(connection, table, key);
    if (entry.number == remembered)
        return;
    const QString text = table == notes
            ? QStringLiteral("この手形は他の端末で変更されています（%1, %2）。呼び出し直してください。")
            : QStringLiteral("このデータは他の端末で変更されています（%1, %2）。呼び出し直してください。");
    throw StoreError(text.arg(entry.user, shownTime(entry.at)), QString(), StoreError::Kind::Conflict);
}
