#include "NoteHistory.h"

#include "store/Connection.h"
#include "store/DisplayFormat.h"
#include "store/StatementReader.h"

#include <QHash>
#include <QJsonDocument>
#include <QSet>

#include <map>

namespace {

const QString entryColumns = QStringLiteral("SELECT RNo, RAt, RUser, RSource, RAction, RKey, RTNo, RBefore, RAfter "
                                            "FROM RirekiTbl WHERE RTable = 'SiteTbl'");

struct Row
{
    NoteHistory::Entry entry;
    QString key;    // the number after the change (before it, for a deletion)
    QString number; // the number before the change
};

QJsonObject objectOf(const QVariant &json)
{
    if (json.isNull())
        return {};
    return QJsonDocument::fromJson(json.toString().toUtf8()).object();
}

Row rowOf(const StatementReader &r)
{
    Row row;
    row.entry.row = r.integer(0);
    row.entry.at = r.value(1).toString();
    row.entry.user = r.value(2).toString();
    row.entry.source = r.value(3).toString();
    row.entry.action = r.value(4).toString();
    row.key = r.value(5).toString();
    row.number = r.value(6).toString();
    row.entry.before = objectOf(r.value(7));
    row.entry.after = objectOf(r.value(8));
    if (!row.entry.before.isEmpty() && !row.entry.after.isEmpty())
        row.entry.changed = NoteHistory::changedColumns(row.entry.before, row.entry.after);
    if (row.number.isEmpty())
        row.number = row.entry.before.value(QStringLiteral("TNo")).toString();
    return row;
}

// Note numbers compare without regard to letter case, as the notes table's do.
QString fold(const QString &number)
{
    return number.toCaseFolded();
}

// Every history row of the numbers given and of every number they had
// before or after a renumbering, by row number.
std::map<qint64, Row> rowsAround(Connection &connection, QStringList numbers)
{
    std::map<qint64, Row> rows;
    QSet<QString> seen;
    while (!numbers.isEmpty()) {
        const QString number = numbers.takeFirst();
        if (number.isEmpty() || seen.contains(fold(number)))
            continue;
        seen.insert(fold(number));
        StatementReader r(connection,
                          entryColumns
                                  + QStringLiteral(" AND RKey = ?1 COLLATE NOCASE UNION "
                                                   "SELECT RNo, RAt, RUser, RSource, RAction, RKey, RTNo, RBefore, "
                                                   "RAfter FROM RirekiTbl WHERE RTable = 'SiteTbl' "
                                                   "AND RTNo = ?1 COLLATE NOCASE"),
                          {number});
        while (r.next()) {
            Row row = rowOf(r);
            numbers << row.key << row.number;
            rows.emplace(row.entry.row, std::move(row));
        }
    }
    return rows;
}

} // namespace

const QStringList &NoteHistory::columns()
{
    static const QStringList names{
        QStringLiteral("TNo"),    QStringLiteral("TFDate"), QStringLiteral("TKDate"),   QStringLiteral("TTo"),
        QStringLiteral("TKingaku"), QStringLiteral("TBank"), QStringLiteral("TKubun"),  QStringLiteral("TYoto"),
        QStringLiteral("TCond"),  QStringLiteral("TKeiri"), QStringLiteral("TRemarks"),
    };
    return names;
}

QString NoteHistory::caption(const QString &column)
{
    static const QHash<QString, QString> captions{
        {QStringLiteral("TNo"), QStringLiteral("手形番号")},   {QStringLiteral("TFDate"), QStringLiteral("振出日")},
        {QStringLiteral("TKDate"), QStringLiteral("決済日")},   {QStringLiteral("TTo"), QStringLiteral("振出先")},
        {QStringLiteral("TKingaku"), QStringLiteral("金額")},   {QStringLiteral("TBank"), QStringLiteral("支払銀行")},
        {QStringLiteral("TKubun"), QStringLiteral("手形種類")}, {QStringLiteral("TYoto"), QStringLiteral("手形用途")},
        {QStringLiteral("TCond"), QStringLiteral("手形の状態")}, {QStringLiteral("TKeiri"), QStringLiteral("経理区分")},
        {QStringLiteral("TRemarks"), QStringLiteral("備考")},
    };
    return captions.value(column, column);
}

QList<NoteHistory::Entry> NoteHistory::ofNote(Connection &connection, const QString &number, qint64 historyRow)
{
    QStringList numbers{number};
    if (historyRow > 0) {
        StatementReader r(connection, entryColumns + QStringLiteral(" AND RNo = ?"), {historyRow});
        if (r.next()) {
            const Row row = rowOf(r);
            numbers << row.key << row.number;
        }
    }
    const std::map<qint64, Row> rows = rowsAround(connection, numbers);

    // One number may have served several notes one after the other: the
    // rows are told apart into lives, each from its registration to its
    // deletion, following the number through every renumbering.
    QHash<QString, int> lifeOfNumber;
    QHash<qint64, int> lifeOfRow;
    int lives = 0;
    for (const auto &[rowNumber, row] : rows) {
        int life = 0;
        const QString action = row.entry.action;
        if (action == QStringLiteral("訂正")) {
            life = lifeOfNumber.take(fold(row.number));
            if (life == 0)
                life = ++lives;
            lifeOfNumber.insert(fold(row.key), life);
        } else if (action == QStringLiteral("削除")) {
            life = lifeOfNumber.take(fold(row.number.isEmpty() ? row.key : row.number));
            if (life == 0)
                life = ++lives;
        } else {
            life = ++lives;
            lifeOfNumber.insert(fold(row.key), life);
        }
        lifeOfRow.insert(rowNumber, life);
    }
    const int wanted = historyRow > 0 ? lifeOfRow.value(historyRow) : lifeOfNumber.value(fold(number));
    QList<Entry> entries;
    if (wanted == 0)
        return entries;
    for (const auto &[rowNumber, row] : rows) {
        if (lifeOfRow.value(rowNumber) == wanted)
            entries.append(row.entry);
    }
    return entries;
}

QList<NoteHistory::Change> NoteHistory::between(Connection &connection, const QDate &from, const QDate &to)
{
    QList<Change> changes;
    StatementReader r(connection,
                      entryColumns
                              + QStringLiteral(" AND RAction IN ('登録', '訂正', '削除') AND RAt >= ? AND RAt < ? "
                                               "ORDER BY RNo"),
                      {from.toString(Qt::ISODate), to.addDays(1).toString(Qt::ISODate)});
    QList<Row> rows;
    while (r.next())
        rows.append(rowOf(r));
    // The day of registration, once per note's life.
    QHash<qint64, QDate> registeredOfRow;
    for (const Row &row : std::as_const(rows)) {
        Change change{row.entry, {}};
        if (!registeredOfRow.contains(row.entry.row)) {
            const QList<Entry> life = ofNote(connection, row.key, row.entry.row);
            QDate registered;
            if (!life.isEmpty() && life.first().action == QStringLiteral("登録"))
                registered = QDate::fromString(life.first().at.left(10), Qt::ISODate);
            for (const Entry &e : life)
                registeredOfRow.insert(e.row, registered);
        }
        change.registered = registeredOfRow.value(row.entry.row);
        changes.append(change);
    }
    return changes;
}

QStringList NoteHistory::changedColumns(const QJsonObject &before, const QJsonObject &after)
{
    QStringList changed;
    for (const QString &column : columns()) {
        if (before.value(column) != after.value(column))
            changed << column;
    }
    return changed;
}

QString NoteHistory::valueText(const QString &column, const QJsonValue &value)
{
    if (value.isNull() || value.isUndefined())
        return QString();
    if (column == QLatin1String("TKingaku"))
        return DisplayFormat::number(value.toDouble(), QStringLiteral("##,##0"));
    if (column == QLatin1String("TFDate") || column == QLatin1String("TKDate"))
        return value.toString().replace(QLatin1Char('-'), QLatin1Char('/'));
    return value.isString() ? value.toString() : value.toVariant().toString();
}

QString NoteHistory::changeText(const Entry &entry)
{
    // An empty value is named, so that "→" never stands alone.
    const auto shown = [](const QString &column, const QJsonValue &value) {
        const QString text = valueText(column, value);
        return text.isEmpty() ? QStringLiteral("(空欄)") : text;
    };
    QStringList parts;
    for (const QString &column : entry.changed)
        parts << QStringLiteral("%1 %2 → %3")
                         .arg(caption(column), shown(column, entry.before.value(column)),
                              shown(column, entry.after.value(column)));
    return parts.join(QStringLiteral("、"));
}
