#include "JournalExport.h"

#include "store/Connection.h"
#include "CsvExport.h"
#include "store/JetSql.h"
#include "store/Schema.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

const QString dateFormat = QStringLiteral("yyyy/MM/dd");
const QString taxOutOfScope = QStringLiteral("対象外");

void readEntries(Connection &connection, const QString &sql, const QDate &from, const QDate &to, bool drawing,
                 QList<JournalExport::Entry> &entries)
{
    QSqlQuery &q = connection.exec(sql, {from.toString(Qt::ISODate), to.toString(Qt::ISODate)});
    while (q.next()) {
        JournalExport::Entry e;
        e.date = JetSql::parseDate(q.value(0).toString());
        e.drawing = drawing;
        e.number = q.value(1).toString();
        e.payee = q.value(2).toString();
        e.bank = q.value(3).toString();
        e.amount = q.value(4).toDouble();
        entries << e;
    }
    q.finish();
}

// The text cut to `bytes` Shift_JIS bytes without splitting a letter.
QString cutToBytes(const QString &text, int bytes)
{
    if (CsvExport::shiftJisLength(text) <= bytes)
        return text;
    QString cut;
    int used = 0;
    for (const QChar ch : text) {
        const int width = CsvExport::shiftJisLength(QString(ch));
        if (used + width > bytes)
            break;
        cut += ch;
        used += width;
    }
    return cut;
}

} // namespace

QList<JournalExport::Entry> JournalExport::entries(Connection &connection, const QDate &from, const QDate &to)
{
    QList<Entry> result;
    readEntries(connection,
                QStringLiteral("SELECT TFDate, TNo, ClName, Ginko, TKingaku FROM QRYRibodo "
                               "WHERE TFDate BETWEEN ? AND ?"),
                from, to, true, result);
    readEntries(connection,
                QStringLiteral("SELECT q.TKDate, q.TNo, q.ClName, q.Ginko, q.TKingaku FROM QRYRibodo q "
                               "JOIN Kbn3 j ON j.KbnCode = q.TCond "
                               "WHERE j.KbnName = '決済済み' AND q.TKDate BETWEEN ? AND ?"),
                from, to, false, result);
    std::stable_sort(result.begin(), result.end(), [](const Entry &a, const Entry &b) {
        if (a.date != b.date)
            return a.date < b.date;
        if (a.drawing != b.drawing)
            return a.drawing;
        return a.number < b.number;
    });
    return result;
}

bool JournalExport::acceptsAmount(double amount)
{
    return std::isfinite(amount) && std::round(amount) >= 1 && std::round(amount) <= largestAmount;
}

QString JournalExport::description(const Entry &entry)
{
    return cutToBytes(QStringLiteral("手形番号 ") + entry.number + u' ' + entry.payee, descriptionBytes);
}

QStringList JournalExport::line(const Entry &entry, const JournalAccounts &accounts)
{
    const QString amount = QString::number(qint64(std::round(entry.amount)));
    const QString debit = entry.drawing ? accounts.payables : accounts.notesPayable;
    const QString credit = entry.drawing ? accounts.notesPayable : accounts.bankAccount;
    const QString creditSub = entry.drawing ? QString() : entry.bank;
    return {
        QStringLiteral("2000"),          // identification flag: a one-line entry
        QString(),                       // slip number
        QString(),                       // closing entry
        entry.date.toString(dateFormat), // date
        debit,
        QString(),                       // debit sub-account
        QString(),                       // debit department
        taxOutOfScope,
        amount,
        QStringLiteral("0"),             // debit tax
        credit,
        creditSub,
        QString(),                       // credit department
        taxOutOfScope,
        amount,
        QStringLiteral("0"),             // credit tax
        description(entry),
        QString(),                       // number
        QString(),                       // due date
        QStringLiteral("0"),             // type: journal entry
        QString(),                       // origin
        QString(),                       // memo
        QStringLiteral("0"),             // tag 1
        QStringLiteral("0"),             // tag 2
        QStringLiteral("no"),            // adjustment
    };
}

JournalExport::Result JournalExport::write(const QString &dataFolder, const QDate &from, const QDate &to,
                                           const QString &path, const JournalAccounts &accounts)
{
    QList<Entry> all;
    {
        Connection connection;
        connection.open(Schema::connectionText(dataFolder));
        all = entries(connection, from, to);
    }
    Result result;
    QList<QStringList> lines;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::DefaultNumberOptions);
    for (const Entry &e : all) {
        if (!acceptsAmount(e.amount)) {
            const QString refused = QStringLiteral("%1  %2  %3 円")
                                            .arg(e.number, e.payee, c.toString(e.amount, 'f', 0));
            if (!result.refused.contains(refused))
                result.refused << refused;
            continue;
        }
        lines << line(e, accounts);
    }
    result.lostLetters = CsvExport::writeLines(lines, path, CsvExport::Encoding::ShiftJis);
    result.written = int(lines.size());
    return result;
}
