#include "TegataZandaka.h"

#include "calendar/BankCalendar.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/StateMeaning.h"
#include "store/StatementReader.h"

#include <algorithm>

namespace {

// The columns of a note as both lists read them; %1 is the FROM clause.
const char *const noteColumns =
        "SELECT s.TNo, s.TTo, IFNULL(c.ClName, ''), IFNULL(c.ClTouroku, ''), s.TFDate, s.TKDate, "
        "IFNULL(b.KbnName, ''), IFNULL(s.TKingaku, 0), IFNULL(k.KbnDenshi, 0), IFNULL(s.TCond, '') "
        "%1 "
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

QString balanceIndexName()
{
    return QStringLiteral("SiteTbl_TKDate_TFDate");
}

} // namespace

QDate TegataZandaka::lastDuePaidBy(const QDate &date, const BankCalendar &calendar)
{
    QDate day = date;
    while (calendar.isBankHoliday(day))
        day = day.addDays(-1);
    return day;
}

TegataZandaka TegataZandaka::at(const QString &dataFolder, const QDate &date, const BankCalendar &calendar,
                                bool withReminders)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    return at(connection, date, calendar, withReminders);
}

TegataZandaka TegataZandaka::at(Connection &connection, const QDate &date, const BankCalendar &calendar,
                                bool withReminders)
{
    TegataZandaka z;
    z.date = date;
    z.paidThrough = lastDuePaidBy(date, calendar);
    const QHash<QString, StateMeaning::Meaning> meanings = StateMeaning::load(connection);

    // A range of the due-date index; the drawing date is read from it too,
    // so that only the notes drawn by then are looked up in the table. The
    // planner is told so: by itself it may take the index of the due date
    // alone. A register that lacks the index (not yet upgraded) is read
    // without it.
    bool indexed = false;
    {
        StatementReader index(connection, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?"),
                              {balanceIndexName()});
        indexed = index.next();
    }
    const QString from = QStringLiteral("FROM SiteTbl s %1")
                                 .arg(indexed ? QStringLiteral("INDEXED BY ") + balanceIndexName() : QString());
    StatementReader outstanding(connection,
                                QLatin1String(noteColumns).arg(from)
                                        + QStringLiteral("WHERE s.TKDate > ? AND s.TFDate <= ?"),
                                {iso(z.paidThrough), iso(date)});
    while (outstanding.next()) {
        const StateMeaning::Meaning m =
                meanings.value(outstanding.value(9).toString().toCaseFolded(), StateMeaning::Waiting);
        if (m == StateMeaning::Void)
            continue;
        Note n = noteOf(outstanding);
        n.dishonoured = m == StateMeaning::Dishonoured;
        z.notes.append(n);
    }
    std::sort(z.notes.begin(), z.notes.end(), [](const Note &a, const Note &b) {
        if (a.payee != b.payee)
            return a.payee < b.payee;
        if (a.due != b.due)
            return a.due < b.due;
        return a.number < b.number;
    });
    if (!withReminders)
        return z;

    // Per waiting state, over the index of state and due date: the count,
    // and the latest notes, newest first.
    for (auto it = meanings.cbegin(); it != meanings.cend(); ++it) {
        if (it.value() != StateMeaning::Waiting)
            continue;
        const QVariantList values{it.key(), iso(z.paidThrough)};
        StatementReader count(connection, QStringLiteral("SELECT COUNT(*) FROM SiteTbl WHERE TCond = ? AND TKDate <= ?"),
                              values);
        if (count.next())
            z.reminderCount += int(count.integer(0));
        StatementReader latest(connection,
                               QLatin1String(noteColumns).arg(QStringLiteral("FROM SiteTbl s"))
                                       + QStringLiteral("WHERE s.TCond = ? AND s.TKDate <= ? ORDER BY s.TKDate DESC LIMIT %1")
                                                 .arg(reminderLimit()),
                               values);
        while (latest.next())
            z.reminders.append(noteOf(latest));
    }
    std::sort(z.reminders.begin(), z.reminders.end(), [](const Note &a, const Note &b) {
        return a.due != b.due ? a.due > b.due : a.number < b.number;
    });
    if (z.reminders.size() > reminderLimit())
        z.reminders.resize(reminderLimit());
    std::reverse(z.reminders.begin(), z.reminders.end());
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
