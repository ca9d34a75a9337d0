#include "TegataZandaka.h"

#include "calendar/BankCalendar.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/StateMeaning.h"
#include "store/StatementReader.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// The columns of a note as both lists read them, all held by the balance's
// index; %1 is the FROM clause. Names come from the masters, read once.
const char *const noteColumns =
        "SELECT s.TNo, s.TTo, s.TFDate, s.TKDate, s.TBank, IFNULL(s.TKingaku, 0), s.TKubun, IFNULL(s.TCond, '') "
        "%1 ";

// Codes compare without regard to letter case, as in the database.
struct Masters
{
    struct Supplier
    {
        QString name;
        QString touroku;
    };
    QHash<QString, Supplier> suppliers;
    QHash<QString, QString> banks;
    QSet<QString> electronicKinds;

    explicit Masters(Connection &connection)
    {
        StatementReader s(connection, QStringLiteral("SELECT ClCode, IFNULL(ClName, ''), IFNULL(ClTouroku, '') FROM SireCliant"));
        while (s.next())
            suppliers.insert(s.value(0).toString().toCaseFolded(), {s.value(1).toString(), s.value(2).toString()});
        StatementReader b(connection, QStringLiteral("SELECT KbnCode, IFNULL(KbnName, '') FROM kbn6"));
        while (b.next())
            banks.insert(b.value(0).toString().toCaseFolded(), b.value(1).toString());
        StatementReader k(connection, QStringLiteral("SELECT KbnCode FROM kbn1 WHERE KbnDenshi <> 0"));
        while (k.next())
            electronicKinds.insert(k.value(0).toString().toCaseFolded());
    }

    TegataZandaka::Note noteOf(const StatementReader &r) const
    {
        TegataZandaka::Note n;
        n.number = r.value(0).toString();
        n.payee = r.value(1).toString();
        const Supplier supplier = suppliers.value(n.payee.toCaseFolded());
        n.payeeName = supplier.name;
        n.touroku = supplier.touroku;
        n.drawn = QDate::fromString(r.value(2).toString(), Qt::ISODate);
        n.due = QDate::fromString(r.value(3).toString(), Qt::ISODate);
        n.bankName = banks.value(r.value(4).toString().toCaseFolded());
        n.amount = r.real(5);
        n.electronic = electronicKinds.contains(r.value(6).toString().toCaseFolded());
        return n;
    }
};

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
    const Masters masters(connection);

    // A range of the due-date index, which holds every column read, so that
    // the table itself is not read. The planner is told so: by itself it may
    // take the index of the due date alone. A register that lacks the index
    // (not yet upgraded) is read without it, and so is the server's, whose
    // planner takes no orders.
    bool indexed = false;
    if (!connection.isServer()) {
        StatementReader index(connection, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?"),
                              {balanceIndexName()});
        indexed = index.next();
    }
    const QString from = QStringLiteral("FROM SiteTbl s %1")
                                 .arg(indexed ? QStringLiteral("INDEXED BY ") + balanceIndexName() : QString());
    StatementReader outstanding(connection,
                                QLatin1String(noteColumns).arg(from)
                                        + QStringLiteral("WHERE s.TKDate COLLATE NOCASE > ? AND s.TFDate <= ?"),
                                {iso(z.paidThrough), iso(date)});
    while (outstanding.next()) {
        const StateMeaning::Meaning m =
                meanings.value(outstanding.value(7).toString().toCaseFolded(), StateMeaning::Waiting);
        if (m == StateMeaning::Void)
            continue;
        Note n = masters.noteOf(outstanding);
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
            z.reminders.append(masters.noteOf(latest));
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
