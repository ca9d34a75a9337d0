#include "ComputedSource.h"

#include "ReportError.h"

#include "calendar/BankCalendar.h"
#include "rules/NoteHistory.h"
#include "rules/NoteRules.h"
#include "rules/TegataZandaka.h"
#include "rules/UchiwakeSchedule.h"
#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/StateMeaning.h"
#include "store/StatementReader.h"

#include <QDate>
#include <QJsonObject>
#include <QStringList>

namespace {

const QString inshiList = QStringLiteral("InshiList");
const QString yochuiList = QStringLiteral("YochuiList");
const QString uchiwakeList = QStringLiteral("UchiwakeList");
const QString rirekiList = QStringLiteral("RirekiList");

// The notes' own columns, copied into either list as they are, with the
// letter-case rule of their codes kept, so that a selection compares the
// same way on the list as on the notes.
struct NoteColumn
{
    const char *name;
    const char *type;
};
const NoteColumn noteColumns[] = {
    {"TNo", "TEXT COLLATE NOCASE"},  {"TFDate", "TEXT"}, {"TKDate", "TEXT"},
    {"TBank", "TEXT COLLATE NOCASE"}, {"TTo", "TEXT COLLATE NOCASE"}, {"TKingaku", "REAL"},
    {"TKubun", "TEXT COLLATE NOCASE"}, {"TYoto", "TEXT COLLATE NOCASE"}, {"TCond", "TEXT COLLATE NOCASE"},
    {"TRemarks", "TEXT"}, {"TKeiri", "TEXT COLLATE NOCASE"},
};
constexpr int noteColumnCount = int(std::size(noteColumns));

bool isNoteColumn(const QString &field)
{
    for (const NoteColumn &c : noteColumns) {
        if (field.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Every note with what the rules ask of it besides its own columns: whether
// its kind is an electronic record, whether its payee is covered by the
// subcontract law, the meaning of its state, and its bank's last dates for
// paper notes.
QString notesSql(Connection &connection)
{
    // A register read where it could not be upgraded has no bank dates.
    const bool bankDates = connection.columns(QStringLiteral("kbn6")).contains(QLatin1String("KbnFuriEnd"));
    QStringList columns;
    for (const NoteColumn &c : noteColumns)
        columns << QStringLiteral("s.") + QLatin1String(c.name);
    return QStringLiteral("SELECT * FROM (SELECT %1, IFNULL(k.KbnDenshi, 0) AS ribodo_electronic, "
                          "IFNULL(c.ClTekiho, 0) AS ribodo_covered, %2 AS ribodo_meaning, %3 "
                          "FROM SiteTbl s "
                          "LEFT JOIN kbn1 k ON k.KbnCode = s.TKubun "
                          "LEFT JOIN SireCliant c ON c.ClCode = s.TTo "
                          "LEFT JOIN Kbn3 j ON j.KbnCode = s.TCond "
                          "LEFT JOIN kbn6 b ON b.KbnCode = s.TBank)")
            .arg(columns.join(QStringLiteral(", ")), StateMeaning::sqlOf(QStringLiteral("j")),
                 bankDates ? QStringLiteral("b.KbnFuriEnd AS ribodo_last_drawing, b.KbnKesaiEnd AS ribodo_last_due")
                           : QStringLiteral("NULL AS ribodo_last_drawing, NULL AS ribodo_last_due"));
}

// Writes the rows of one list inside a transaction of the temporary table
// alone: the data folder's database is only read.
class ListWriter
{
public:
    ListWriter(Connection &connection, const QString &table, const QStringList &extraColumns)
        : m_connection(connection)
    {
        QStringList columns;
        QStringList marks;
        for (const NoteColumn &c : noteColumns) {
            columns << QLatin1String(c.name) + QLatin1Char(' ') + QLatin1String(c.type);
            marks << QStringLiteral("?");
        }
        for (const QString &c : extraColumns) {
            columns << c;
            marks << QStringLiteral("?");
        }
        m_connection.exec(QStringLiteral("DROP TABLE IF EXISTS temp.") + table).finish();
        m_connection.exec(QStringLiteral("CREATE TEMP TABLE %1 (%2)").arg(table, columns.join(QStringLiteral(", "))))
                .finish();
        m_insert = QStringLiteral("INSERT INTO temp.%1 VALUES (%2)").arg(table, marks.join(QStringLiteral(", ")));
        m_connection.exec(QStringLiteral("BEGIN")).finish();
    }
    ~ListWriter()
    {
        if (!m_done) {
            try {
                m_connection.exec(QStringLiteral("ROLLBACK")).finish();
            } catch (...) {
                // The failure that brought us here is the one to report.
            }
        }
    }
    ListWriter(const ListWriter &) = delete;
    ListWriter &operator=(const ListWriter &) = delete;

    void add(const QVariantList &values) { m_connection.exec(m_insert, values).finish(); }
    void commit()
    {
        m_connection.exec(QStringLiteral("COMMIT")).finish();
        m_done = true;
    }

private:
    Connection &m_connection;
    QString m_insert;
    bool m_done = false;
};

QVariantList noteValues(const StatementReader &notes)
{
    QVariantList values;
    values.reserve(noteColumnCount + 2);
    for (int i = 0; i < noteColumnCount; ++i)
        values.append(notes.value(i));
    return values;
}

QDate dateOf(const QVariant &value)
{
    return QDate::fromString(value.toString(), Qt::ISODate);
}

// Paper notes with their stamp duty and the month they were drawn in.
void fillStampDuties(Connection &connection, const QString &where, const QVariantList &values)
{
    ListWriter list(connection, inshiList, {QStringLiteral("Inshi INTEGER"), QStringLiteral("TFMonth TEXT")});
    StatementReader notes(connection, notesSql(connection) + QStringLiteral(" WHERE ribodo_electronic = 0") + where, values);
    while (notes.next()) {
        QVariantList row = noteValues(notes);
        row.append(NoteRules::stampDuty(notes.value(5).toDouble()));
        const QDate drawn = dateOf(notes.value(1));
        row.append(drawn.isValid() ? drawn.toString(QStringLiteral("yyyy/MM")) : QString());
        list.add(row);
    }
    list.commit();
}

// Notes still to be paid or dishonoured that carry a warning, paper and
// electronic alike, as the entry window's panel shows them, with their term
// and the reasons. Notes paid and void ones have nothing left to act on.
void fillWarnings(Connection &connection, const QString &where, const QVariantList &values)
{
    ListWriter list(connection, yochuiList, {QStringLiteral("TermDays INTEGER"), QStringLiteral("Reason TEXT")});
    StatementReader notes(connection,
                          notesSql(connection) + QStringLiteral(" WHERE ribodo_meaning NOT IN (%1, %2)")
                                                         .arg(int(StateMeaning::Paid))
                                                         .arg(int(StateMeaning::Void))
                                  + where,
                          values);
    while (notes.next()) {
        const QDate drawn = dateOf(notes.value(1));
        const QDate due = dateOf(notes.value(2));
        const NoteRules::BankDates bank{dateOf(notes.value(noteColumnCount + 3)),
                                        dateOf(notes.value(noteColumnCount + 4))};
        const QList<NoteRules::Warning> warnings =
                NoteRules::warnings(drawn, due, notes.value(noteColumnCount).toInt() != 0,
                                    notes.value(noteColumnCount + 1).toInt() != 0, bank);
        if (warnings.isEmpty())
            continue;
        QStringList reasons;
        for (const NoteRules::Warning &w : warnings)
            reasons << w.reason;
        QVariantList row = noteValues(notes);
        row.append(drawn.isValid() && due.isValid() ? QVariant(NoteRules::termDays(drawn, due)) : QVariant());
        row.append(reasons.join(QStringLiteral("、")));
        list.add(row);
    }
    list.commit();
}

// The lines of the schedule at the report's date, in their order; the
// report sums them itself, so the schedule's total line is left out.
void fillSchedule(Connection &connection, const ReportRequest &request)
{
    const QDate date = JetSql::parseDate(request.reportDate);
    if (!date.isValid())
        throw ReportError(QStringLiteral("ReportDate"),
                          QStringLiteral("レポートの日付「%1」が日付 (yyyy/mm/dd) ではありません。").arg(request.reportDate));
    const TegataZandaka balance = TegataZandaka::at(connection, date, BankCalendar(request.dataFolder));
    const QList<UchiwakeSchedule::Line> lines =
            UchiwakeSchedule::lines(balance.notes, request.reportKeiri == QLatin1String("denshi"));
    connection.exec(QStringLiteral("DROP TABLE IF EXISTS temp.") + uchiwakeList).finish();
    connection.exec(QStringLiteral("CREATE TEMP TABLE %1 (Line INTEGER, Payee TEXT, Touroku TEXT, TFDate TEXT, "
                                   "TKDate TEXT, Bank TEXT, Branch TEXT, TKingaku REAL, Remark TEXT)")
                            .arg(uchiwakeList))
            .finish();
    connection.exec(QStringLiteral("BEGIN")).finish();
    try {
        const QString insert = QStringLiteral("INSERT INTO temp.%1 VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(uchiwakeList);
        int number = 0;
        for (const UchiwakeSchedule::Line &l : lines) {
            if (l.total)
                continue;
            const auto iso = [](const QDate &d) { return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant(); };
            connection.exec(insert, {++number, l.payee, l.touroku, iso(l.drawn), iso(l.due), l.bank, l.branch,
                                     l.amount, l.remark})
                    .finish();
        }
        connection.exec(QStringLiteral("COMMIT")).finish();
    } catch (...) {
        try {
            connection.exec(QStringLiteral("ROLLBACK")).finish();
        } catch (...) {
            // The failure that brought us here is the one to report.
        }
        throw;
    }
}

// The notes' registrations, corrections and deletions of a period from the
// change history, each with the note as it stands after the change (before
// it, for a deletion), the day the note was registered and what changed.
void fillChanges(Connection &connection, const SqlCondition &selection)
{
    // The period comes as the selection on RDay; the whole history is read
    // only when a definition selects otherwise.
    QDate from(1900, 1, 1);
    QDate to(9999, 12, 31);
    if (selection.fields.size() == 2 && selection.values.size() == 2
        && selection.fields.at(0).compare(QLatin1String("RDay"), Qt::CaseInsensitive) == 0
        && selection.fields.at(1).compare(QLatin1String("RDay"), Qt::CaseInsensitive) == 0) {
        from = dateOf(selection.values.at(0));
        to = dateOf(selection.values.at(1));
    }
    const QList<NoteHistory::Change> changes = NoteHistory::between(connection, from, to);
    ListWriter list(connection, rirekiList,
                    {QStringLiteral("RNo INTEGER"), QStringLiteral("RAt TEXT"), QStringLiteral("RDay TEXT"),
                     QStringLiteral("RAction TEXT"), QStringLiteral("RUser TEXT"), QStringLiteral("RSource TEXT"),
                     QStringLiteral("TTDate TEXT"), QStringLiteral("Late TEXT"), QStringLiteral("Changes TEXT")});
    for (const NoteHistory::Change &change : changes) {
        const NoteHistory::Entry &e = change.entry;
        const QJsonObject shown = e.shown();
        QVariantList row;
        for (const NoteColumn &c : noteColumns) {
            const QJsonValue v = shown.value(QLatin1String(c.name));
            row.append(v.isNull() || v.isUndefined() ? QVariant() : v.toVariant());
        }
        const QDate drawn = dateOf(shown.value(QStringLiteral("TFDate")).toString());
        // Entered later than the longest usual processing cycle of two
        // months after the note was drawn.
        const bool late = e.action == QStringLiteral("登録") && drawn.isValid() && change.registered.isValid()
                && change.registered > drawn.addMonths(2);
        row << e.row << QString(e.at).replace(QLatin1Char('-'), QLatin1Char('/')) << e.at.left(10) << e.action << e.user << e.source
            << (change.registered.isValid() ? QVariant(change.registered.toString(Qt::ISODate)) : QVariant())
            << (late ? QStringLiteral("2か月超") : QString()) << NoteHistory::changeText(e);
        list.add(row);
    }
    list.commit();
}

} // namespace

bool ComputedSource::isComputed(const QString &source)
{
    return source.compare(inshiList, Qt::CaseInsensitive) == 0 || source.compare(yochuiList, Qt::CaseInsensitive) == 0
            || source.compare(uchiwakeList, Qt::CaseInsensitive) == 0
            || source.compare(rirekiList, Qt::CaseInsensitive) == 0;
}

void ComputedSource::fill(Connection &connection, const QString &source, const SqlCondition &selection,
                          const ReportRequest &request)
{
    if (source.compare(uchiwakeList, Qt::CaseInsensitive) == 0) {
        fillSchedule(connection, request);
        return;
    }
    if (source.compare(rirekiList, Qt::CaseInsensitive) == 0) {
        fillChanges(connection, selection);
        return;
    }
    // A selection on the notes' own columns (a period of drawing dates) is
    // applied while reading, so that a large register is not worked through
    // for a month's list; the report applies it again on the list.
    QString where;
    QVariantList values;
    bool notesOnly = !selection.isEmpty();
    for (const QString &field : selection.fields)
        notesOnly = notesOnly && isNoteColumn(field);
    if (notesOnly) {
        where = QStringLiteral(" AND (") + selection.sql + QLatin1Char(')');
        values = selection.values;
    }
    if (source.compare(inshiList, Qt::CaseInsensitive) == 0)
        fillStampDuties(connection, where, values);
    else if (source.compare(yochuiList, Qt::CaseInsensitive) == 0)
        fillWarnings(connection, where, values);
}
