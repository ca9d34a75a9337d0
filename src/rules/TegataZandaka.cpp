#include "TegataZandaka.h"

#include "calendar/BankCalendar.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/StatementReader.h"

#include <QSqlQuery>

#include <algorithm>

namespace {

// The columns of a note as both lists read them.
const char *const noteColumns =
        "SELECT s.TNo, s.TTo, IFNULL(c.ClName, ''), IFNULL(c.ClTouroku, ''), s.TFDate, s.TKDate, "
        "IFNULL(b.KbnName, ''), IFNULL(s.TKingaku, 0), IFNULL(k.KbnDenshi, 0), IFNULL(s.TCond, '') "
        "FROM SiteTbl s "
        "LEFT JOIN SireCliant c ON c.ClCode = s.TTo "
        "LEFT JOIN kbn6 b ON b.KbnCode = s.TBank "
        "LEFT JOIN kbn1 k ON k.KbnCode = s.TKubun ";

TegataZandaka::Note noteOf(const StatementReader &r)
{
    TegataZandaka::Note n;
    n.number = r.value(0).toString();
    n.payee = r.value(1).toString();
    n.payeeName = r.value(2).toString();
    n.touroku = r.value(3).toString();
    n.drawn = QDate::fromString(r.value(4).toString(), Qt::ISODate);
    n.due = QDate::fromString(r.value(5).toString(), Qt::ISODate);
    n.bankName = r.value(6).toString();
    n.amount = r.real(7);
    n.electronic = r.integer(8) != 0;
    return n;
}

QString iso(const QDate &d)
{
    return d.toString(Qt::ISODate);
}

} // namespace

TegataZandaka::Meaning TegataZandaka::meaningOfName(const QString &stateName)
{
    if (stateName.contains(QStringLiteral("不渡")))
        return Meaning::Dishonoured;
    for (const QString &word : {QStringLiteral("取消"), QStringLiteral("書換"), QStringLiteral("無効")}) {
        if (stateName.contains(word))
            return Meaning::Void;
    }
    if (stateName.contains(QStringLiteral("決済済")))
        return Meaning::Paid;
    return Meaning::Waiting;
}

QHash<QString, TegataZandaka::Meaning> TegataZandaka::stateMeanings(Connection &connection)
{
    bool stored = false;
    {
        QSqlQuery &q = connection.exec(QStringLiteral("SELECT 1 FROM pragma_table_info('Kbn3') WHERE name = 'KbnKesai'"));
        stored = q.next();
        q.finish();
    }
    QHash<QString, Meaning> meanings;
    StatementReader r(connection, stored ? QStringLiteral("SELECT KbnCode, KbnName, KbnKesai FROM Kbn3")
                                         : QStringLiteral("SELECT KbnCode, KbnName, 0 FROM Kbn3"));
    while (r.next()) {
        Meaning m = meaningOfName(r.value(1).toString());
        if (stored) {
            const qint64 value = r.integer(2);
            m = value >= 0 && value <= 3 ? Meaning(value) : Meaning::Waiting;
        }
        meanings.insert(r.value(0).toString().toLower(), m);
    }
    return meanings;
}

QDate TegataZandaka::lastDuePaidBy(const QDate &date, const BankCalendar &calendar)
{
    QDate day = date;
    while (calendar.isBankHoliday(day))
        day = day.addDays(-1);
    return day;
}

TegataZandaka TegataZandaka::at(const QString &dataFolder, const QDate &date, const BankCalendar &calendar)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    return at(connection, date, calendar);
}

TegataZandaka TegataZandaka::at(Connection &connection, const QDate &date, const BankCalendar &calendar)
{
    TegataZandaka z;
    z.date = date;
    z.paidThrough = lastDuePaidBy(date, calendar);
    const QHash<QString, Meaning> meanings = stateMeanings(connection);

    // A range of the due-date index; the drawing date is read from it too.
    StatementReader outstanding(connection,
                                QLatin1String(noteColumns) + QStringLiteral("WHERE s.TKDate > ? AND s.TFDate <= ?"),
                                {iso(z.paidThrough), iso(date)});
    while (outstanding.next()) {
        const Meaning m = meanings.value(outstanding.value(9).toString().toLower(), Meaning::Waiting);
        if (m == Meaning::Void)
            continue;
        Note n = noteOf(outstanding);
        n.dishonoured = m == Meaning::Dishonoured;
        z.notes.append(n);
    }
    std::sort(z.notes.begin(), z.notes.end(), [](const Note &a, const Note &b) {
        if (a.payee != b.payee)
            return a.payee < b.payee;
        if (a.due != b.due)
            return a.due < b.due;
        return a.number < b.number;
    });

    QStringList waiting;
    for (auto it = meanings.cbegin(); it != meanings.cend(); ++it) {
        if (it.value() == Meaning::Waiting)
            waiting << it.key();
    }
    if (!waiting.isEmpty()) {
        QVariantList values{iso(z.paidThrough)};
        for (const QString &code : std::as_const(waiting))
            values << code;
        StatementReader old(connection,
                            QLatin1String(noteColumns)
                                    + QStringLiteral("WHERE s.TKDate <= ? AND s.TCond IN (%1) ORDER BY s.TKDate, s.TNo")
                                              .arg(QStringList(waiting.size(), QStringLiteral("?")).join(u',')),
                            values);
        while (old.next())
            z.reminders.append(noteOf(old));
    }
    return z;
}

double TegataZandaka::paperTotal() const
{
    double sum = 0;
    for (const Note &n : notes)
        sum += n.electronic ? 0 : n.amount;
    return sum;
}

double TegataZandaka::electronicTotal() const
{
    double sum = 0;
    for (const Note &n : notes)
        sum += n.electronic ? n.amount : 0;
    return sum;
}

QList<TegataZandaka::Payee> TegataZandaka::payees() const
{
    QList<Payee> list;
    for (const Note &n : notes) {
        if (list.isEmpty() || list.last().code != n.payee)
            list.append(Payee{n.payee, n.payeeName});
        Payee &p = list.last();
        (n.electronic ? p.electronic : p.paper) += n.amount;
        ++p.notes;
        p.dishonoured = p.dishonoured || n.dishonoured;
    }
    return list;
}
