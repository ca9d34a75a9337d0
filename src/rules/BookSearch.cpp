#include "BookSearch.h"

#include "store/Connection.h"
#include "store/StatementReader.h"
#include "store/StoreText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

// The payee's codes: the text as a code (a payee no longer registered
// included) and every supplier whose name contains it.
QString payeeCodes(Connection &connection, const QString &text)
{
    QJsonArray codes;
    const QString code = StoreText::normalizedCode(text);
    if (!code.isEmpty())
        codes.append(code);
    QString pattern = text.trimmed();
    pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    pattern.replace(QLatin1Char('%'), QLatin1String("\\%"));
    pattern.replace(QLatin1Char('_'), QLatin1String("\\_"));
    StatementReader names(connection,
                          QStringLiteral("SELECT ClCode FROM SireCliant WHERE ClName LIKE ? ESCAPE '\\'"),
                          {QLatin1Char('%') + pattern + QLatin1Char('%')});
    while (names.next())
        codes.append(names.value(0).toString());
    return QString::fromUtf8(QJsonDocument(codes).toJson(QJsonDocument::Compact));
}

// The conditions on one table's columns, named in the order drawn, due,
// payee, amount.
QString where(const BookSearch::Conditions &c, const QStringList &column, const QString &payees, QVariantList &values)
{
    QString sql;
    const auto add = [&](const QString &condition, const QVariant &value) {
        sql += QStringLiteral(" AND ") + condition;
        values << value;
    };
    if (c.drawnFrom.isValid())
        add(column.at(0) + QStringLiteral(" >= ?"), c.drawnFrom.toString(Qt::ISODate));
    if (c.drawnTo.isValid())
        add(column.at(0) + QStringLiteral(" <= ?"), c.drawnTo.toString(Qt::ISODate));
    if (c.dueFrom.isValid())
        add(column.at(1) + QStringLiteral(" >= ?"), c.dueFrom.toString(Qt::ISODate));
    if (c.dueTo.isValid())
        add(column.at(1) + QStringLiteral(" <= ?"), c.dueTo.toString(Qt::ISODate));
    if (!payees.isEmpty())
        add(column.at(2) + QStringLiteral(" IN (SELECT value FROM json_each(?))"), payees);
    if (c.amountFrom)
        add(column.at(3) + QStringLiteral(" >= ?"), *c.amountFrom);
    if (c.amountTo)
        add(column.at(3) + QStringLiteral(" <= ?"), *c.amountTo);
    return sql;
}

BookSearch::Hit hitOf(const StatementReader &r)
{
    BookSearch::Hit hit;
    hit.number = r.value(0).toString();
    hit.drawn = QDate::fromString(r.value(1).toString(), Qt::ISODate);
    hit.due = QDate::fromString(r.value(2).toString(), Qt::ISODate);
    hit.payeeCode = r.value(3).toString();
    hit.payeeName = r.value(4).toString();
    if (r.type(5) != StatementReader::Type::Null)
        hit.amount = r.real(5);
    return hit;
}

} // namespace

QList<BookSearch::Hit> BookSearch::find(Connection &connection, const Conditions &conditions)
{
    const QString payees = conditions.payee.trimmed().isEmpty() ? QString() : payeeCodes(connection, conditions.payee);
    QList<Hit> hits;
    QVariantList values;
    const QString current =
            where(conditions, {QStringLiteral("s.TFDate"), QStringLiteral("s.TKDate"), QStringLiteral("s.TTo"),
                               QStringLiteral("s.TKingaku")},
                  payees, values);
    StatementReader notes(connection,
                          QStringLiteral("SELECT s.TNo, s.TFDate, s.TKDate, s.TTo, c.ClName, s.TKingaku "
                                         "FROM SiteTbl s LEFT JOIN SireCliant c ON c.ClCode = s.TTo WHERE 1 = 1")
                                  + current + QStringLiteral(" ORDER BY s.TFDate, s.TNo"),
                          values);
    while (notes.next())
        hits.append(hitOf(notes));
    if (!conditions.includeEarlier)
        return hits;

    // A correction keeps the note as it was before; a deletion, the note as
    // it was when deleted.
    values.clear();
    const QString earlier =
            where(conditions, {QStringLiteral("r.RTFDate"), QStringLiteral("r.RTKDate"), QStringLiteral("r.RTTo"),
                               QStringLiteral("r.RTKingaku")},
                  payees, values);
    StatementReader history(connection,
                            QStringLiteral("SELECT r.RTNo, r.RTFDate, r.RTKDate, r.RTTo, c.ClName, r.RTKingaku, "
                                           "r.RAction, r.RAt, r.RNo "
                                           "FROM RirekiTbl r LEFT JOIN SireCliant c ON c.ClCode = r.RTTo "
                                           "WHERE r.RTable = 'SiteTbl' AND r.RAction IN ('訂正', '削除')")
                                    + earlier + QStringLiteral(" ORDER BY r.RNo"),
                            values);
    while (history.next()) {
        Hit hit = hitOf(history);
        hit.state = history.value(6).toString() == QStringLiteral("削除") ? State::Deleted : State::Earlier;
        hit.changedAt = history.value(7).toString();
        hit.historyRow = history.integer(8);
        hits.append(hit);
    }
    return hits;
}

QString BookSearch::stateText(State state)
{
    switch (state) {
    case State::Current:
        return QStringLiteral("現在");
    case State::Earlier:
        return QStringLiteral("訂正前");
    case State::Deleted:
        return QStringLiteral("削除済み");
    }
    return QString();
}
