#include "FundingPlan.h"

#include "BankBalance.h"
#include "calendar/BankCalendar.h"
#include "store/Connection.h"
#include "store/NumberText.h"
#include "store/Schema.h"
#include "store/StateMeaning.h"

#include <QHash>
#include <QLocale>
#include <QMap>
#include <QSqlQuery>

#include <algorithm>

namespace {

QString key(const QString &code)
{
    return code.toCaseFolded();
}

} // namespace

FundingPlan FundingPlan::build(const QString &dataFolder, const QDate &from, const QDate &to, const QDate &today)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    return build(connection, BankCalendar(dataFolder), from, to, today);
}

FundingPlan FundingPlan::build(Connection &connection, const BankCalendar &calendar, const QDate &from, const QDate &to,
                               const QDate &today)
{
    FundingPlan plan;
    plan.m_from = from;
    plan.m_to = to;

    QHash<QString, qsizetype> index;
    const auto bankOf = [&](const QString &code) -> Bank & {
        const QString k = key(code);
        auto it = index.constFind(k);
        if (it == index.cend()) {
            Bank b;
            b.code = code;
            b.name = code.isEmpty() ? QStringLiteral("(銀行なし)") : QStringLiteral("(未登録 %1)").arg(code);
            plan.m_banks.append(b);
            it = index.insert(k, plan.m_banks.size() - 1);
        }
        return plan.m_banks[*it];
    };

    {
        QSqlQuery &q = connection.exec(QStringLiteral("SELECT KbnCode, KbnName, KbnKyokudo FROM kbn6 ORDER BY KbnCode"));
        while (q.next()) {
            Bank &bank = bankOf(q.value(0).toString());
            bank.name = q.value(1).toString();
            bank.registered = true;
            bank.limit = qMax(0.0, q.value(2).toDouble());
        }
        q.finish();
    }

    // The latest balance on or before the start anchors each bank; later
    // ones within the period replace the running balance on their day.
    QHash<QString, QMap<QDate, double>> entered;
    QDate earliest = from;
    for (const BankBalance &b : BankBalance::upTo(connection, to)) {
        Bank &bank = bankOf(b.bank);
        if (b.date <= from) {
            bank.hasBalance = true;
            bank.balanceDate = b.date;
            bank.balanceZan = b.zan;
        } else {
            entered[key(bank.code)].insert(b.date, b.zan);
            if (!bank.hasBalance && !bank.balanceInPeriod) {
                bank.balanceInPeriod = true;
                bank.balanceDate = b.date;
                bank.balanceZan = b.zan;
            }
        }
    }
    for (const Bank &bank : std::as_const(plan.m_banks)) {
        if (bank.hasBalance)
            earliest = std::min(earliest, bank.balanceDate);
    }
    // Notes due on the bank holidays just before are paid on that day too.
    while (calendar.isBankHoliday(earliest.addDays(-1)))
        earliest = earliest.addDays(-1);

    // Sums per bank and due date, read from the due-date index, of the notes
    // the bank pays: all but those whose state means 無効 or 不渡り, those
    // marked 決済済み apart, since after today they are no payment to come.
    struct Paid
    {
        double amount = 0;
        int notes = 0;
    };
    QHash<QString, QMap<QDate, Paid>> paid;
    QHash<QDate, QDate> settlement;
    QSqlQuery &q = connection.exec(
            QStringLiteral("SELECT s.TBank, s.TKDate, TOTAL(s.TKingaku), COUNT(*), %1 = ? AS paid FROM SiteTbl s "
                           "LEFT JOIN Kbn3 j ON j.KbnCode = s.TCond "
                           "WHERE s.TKDate BETWEEN ? AND ? AND %1 NOT IN (?, ?) "
                           "GROUP BY s.TKDate, s.TBank, paid")
                    .arg(StateMeaning::sqlOf(QStringLiteral("j"))),
            {int(StateMeaning::Paid), earliest.toString(Qt::ISODate), to.toString(Qt::ISODate),
             int(StateMeaning::Void), int(StateMeaning::Dishonoured)});
    while (q.next()) {
        const QDate due = QDate::fromString(q.value(1).toString(), Qt::ISODate);
        auto s = settlement.constFind(due);
        if (s == settlement.cend())
            s = settlement.insert(due, calendar.settlementDate(due));
        if (*s > to || (q.value(4).toInt() != 0 && due > today))
            continue;
        const QString code = q.value(0).toString();
        Paid &p = paid[key(bankOf(code).code)][*s];
        p.amount += q.value(2).toDouble();
        p.notes += q.value(3).toInt();
    }
    q.finish();

    for (Bank &bank : plan.m_banks) {
        const QMap<QDate, Paid> out = paid.value(key(bank.code));
        const QMap<QDate, double> in = entered.value(key(bank.code));
        double running = bank.hasBalance ? bank.balanceZan : 0;
        for (auto it = out.cbegin(); it != out.cend() && it.key() < from; ++it) {
            if (bank.hasBalance && it.key() >= bank.balanceDate)
                running -= it.value().amount;
        }
        bank.opening = running;

        QMap<QDate, bool> days;
        for (auto it = out.lowerBound(from); it != out.cend(); ++it)
            days.insert(it.key(), false);
        for (auto it = in.cbegin(); it != in.cend(); ++it)
            days.insert(it.key(), true);
        for (auto it = days.cbegin(); it != days.cend(); ++it) {
            Day day;
            day.date = it.key();
            const Paid p = out.value(day.date);
            day.amount = p.amount;
            day.notes = p.notes;
            day.balanceEntered = it.value();
            if (day.balanceEntered)
                running = in.value(day.date);
            running -= day.amount;
            day.balance = running;
            bank.total += day.amount;
            if (running < -bank.limit && !bank.firstShortfall.isValid()) {
                bank.firstShortfall = day.date;
                bank.shortfall = -bank.limit - running;
            }
            bank.days.append(day);
        }
        bank.closing = running;
    }
    return plan;
}

QList<QDate> FundingPlan::dates() const
{
    QList<QDate> all;
    for (const Bank &bank : m_banks) {
        for (const Day &day : bank.days)
            all.append(day.date);
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

double FundingPlan::balanceOn(const Bank &bank, const QDate &date) const
{
    double balance = bank.opening;
    for (const Day &day : bank.days) {
        if (day.date > date)
            break;
        balance = day.balance;
    }
    return balance;
}

QString FundingPlan::periodText() const
{
    const QString format = QStringLiteral("yyyy/MM/dd");
    return m_from.toString(format) + QStringLiteral("～") + m_to.toString(format);
}

QString FundingPlan::dayText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('(')
            + QLocale(QLocale::Japanese).toString(date, QStringLiteral("ddd")) + QLatin1Char(')');
}

QString FundingPlan::yenText(double value)
{
    const QString text = NumberText::grouped(value);
    return text.isEmpty() ? QStringLiteral("0") : text;
}

QVector<QStringList> FundingPlan::workRows() const
{
    QVector<QStringList> rows;
    for (const Bank &bank : m_banks) {
        if (bank.days.isEmpty() && !bank.hasBalance)
            continue;
        QString summary = QStringLiteral("開始残高 %1").arg(yenText(bank.opening));
        summary += bank.hasBalance || bank.balanceInPeriod
                ? QStringLiteral(" (入力 %1 %2)")
                          .arg(bank.balanceDate.toString(QStringLiteral("yyyy/MM/dd")), yenText(bank.balanceZan))
                : QStringLiteral(" (残高未入力)");
        if (bank.limit > 0)
            summary += QStringLiteral(" 当座貸越極度額 %1").arg(yenText(bank.limit));
        summary += bank.firstShortfall.isValid()
                ? QStringLiteral("　最初の不足 %1 不足額 %2").arg(dayText(bank.firstShortfall), yenText(bank.shortfall))
                : QStringLiteral("　不足なし");
        const QString label = bank.code + QLatin1Char(' ') + bank.name;
        if (bank.days.isEmpty())
            rows.append({label, QString(), QString(), yenText(bank.opening), QStringLiteral("期間中の決済なし"), summary,
                         QStringLiteral("0")});
        for (const Day &day : bank.days) {
            QString remark = day.balance < -bank.limit ? QStringLiteral("不足") : QString();
            if (day.balanceEntered)
                remark = QStringLiteral("残高入力") + (remark.isEmpty() ? QString() : QStringLiteral("・") + remark);
            rows.append({label, dayText(day.date), NumberText::grouped(day.amount), yenText(day.balance), remark, summary,
                         QString::number(day.notes)});
        }
    }
    return rows;
}
