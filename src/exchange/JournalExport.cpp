#include "JournalExport.h"

#include "CsvExport.h"
#include "calendar/BankCalendar.h"
#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/Schema.h"
#include "store/StateMeaning.h"

#include <QSqlQuery>

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

const QString dateFormat = QStringLiteral("yyyy/MM/dd");
const QString taxOutOfScope = QStringLiteral("対象外");

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

QList<JournalExport::Entry> JournalExport::entries(Connection &connection, const BankCalendar &calendar,
                                                   const QDate &from, const QDate &to)
{
    // Notes due on the bank holidays just before the period are paid in it.
    QDate earliestDue = from;
    while (calendar.isBankHoliday(earliestDue.addDays(-1)))
        earliestDue = earliestDue.addDays(-1);
    const QString start = from.toString(Qt::ISODate);
    const QString end = to.toString(Qt::ISODate);
    QSqlQuery &q = connection.exec(
            QStringLiteral("SELECT q.TFDate, q.TKDate, q.TNo, q.ClName, q.Ginko, q.TKingaku, "
                           "IFNULL(k.KbnDenshi, 0), %1 FROM QRYRibodo q "
                           "LEFT JOIN kbn1 k ON k.KbnCode = q.TKubun "
                           "LEFT JOIN Kbn3 j ON j.KbnCode = q.TCond "
                           "WHERE q.TFDate BETWEEN ? AND ? OR q.TKDate BETWEEN ? AND ?")
                    .arg(StateMeaning::sqlOf(QStringLiteral("j"))),
            {start, end, earliestDue.toString(Qt::ISODate), end});
    QList<Entry> result;
    while (q.next()) {
        const QDate drawn = JetSql::parseDate(q.value(0).toString());
        const QDate due = JetSql::parseDate(q.value(1).toString());
        const StateMeaning::Meaning meaning = StateMeaning::fromValue(q.value(7));
        Entry e;
        e.number = q.value(2).toString();
        e.payee = q.value(3).toString();
        e.bank = q.value(4).toString();
        e.amount = q.value(5).toDouble();
        e.electronic = q.value(6).toInt() != 0;
        const bool drawnInPeriod = drawn.isValid() && drawn >= from && drawn <= to;
        if (drawnInPeriod && meaning != StateMeaning::Void) {
            e.date = drawn;
            e.kind = Kind::Drawing;
            result << e;
        }
        if (!due.isValid())
            continue;
        if (meaning == StateMeaning::Paid) {
            const QDate paid = calendar.settlementDate(due);
            if (paid >= from && paid <= to) {
                e.date = paid;
                e.kind = Kind::Settlement;
                result << e;
            }
        } else if (meaning == StateMeaning::Void && drawn.isValid() && drawn < from && due >= from && due <= to) {
            e.date = due;
            e.kind = Kind::Reversal;
            result << e;
        }
    }
    q.finish();
    std::stable_sort(result.begin(), result.end(), [](const Entry &a, const Entry &b) {
        if (a.date != b.date)
            return a.date < b.date;
        if (a.kind != b.kind)
            return a.kind < b.kind;
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
    const QString label = entry.electronic ? QStringLiteral("記録番号 ") : QStringLiteral("手形番号 ");
    const QString reversed = entry.kind == Kind::Reversal ? QStringLiteral(" 取消・書換") : QString();
    return cutToBytes(label + entry.number + u' ' + entry.payee + reversed, descriptionBytes);
}

QStringList JournalExport::line(const Entry &entry, const JournalAccounts &accounts)
{
    const QString amount = QString::number(qint64(std::round(entry.amount)));
    const QString payable = entry.electronic ? accounts.electronicRecords : accounts.notesPayable;
    QString debit = payable;
    QString credit = accounts.bankAccount;
    QString creditSub = entry.bank;
    if (entry.kind == Kind::Drawing) {
        debit = accounts.payables;
        credit = payable;
        creditSub.clear();
    } else if (entry.kind == Kind::Reversal) {
        credit = accounts.payables;
        creditSub.clear();
    }
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
        all = entries(connection, BankCalendar(dataFolder), from, to);
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
