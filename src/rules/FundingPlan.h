#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class BankCalendar;
class Connection;

// What each paying bank's current account must hold over a period: the notes
// by the day the bank actually pays them (a due date on a bank holiday moves
// to the next business day), and the running balance from the latest balance
// entered for the bank. Up to today every note the bank paid counts, whatever
// its state, unless its state means 無効 or 不渡り: a note marked 決済済み in
// today's settlement has left the account on its day all the same, so
// marking it changes nothing in the plan. Of the notes due after today only
// those whose state means 未決済 are payments to come.
class FundingPlan
{
public:
    // The default period: today and the days after it.
    static constexpr int defaultDays = 60;

    struct Day
    {
        QDate date;
        double amount = 0;
        int notes = 0;
        // After the day's notes; a balance entered for the day replaces the
        // running balance before they are paid.
        double balance = 0;
        bool balanceEntered = false;
    };

    struct Bank
    {
        QString code;
        QString name;
        bool registered = false; // in the bank table
        // The overdraft limit (当座貸越極度額): the balance may fall to minus
        // this much before it is short.
        double limit = 0;
        // The latest balance on or before the period's start; without one
        // the plan starts the bank at zero.
        bool hasBalance = false;
        // Without one, the first balance entered within the period, shown
        // in its place (balanceDate, balanceZan).
        bool balanceInPeriod = false;
        QDate balanceDate;
        double balanceZan = 0;
        // At the start of the period: the balance entered, less the notes
        // paid between its date and the start.
        double opening = 0;
        double total = 0;
        double closing = 0;
        QDate firstShortfall;
        double shortfall = 0; // how much the balance lacks on that day, the limit used
        QList<Day> days;      // days with notes due or a balance entered
    };

    // Reads the notes with one grouped query over the due dates. Raises
    // StoreError.
    static FundingPlan build(Connection &connection, const BankCalendar &calendar, const QDate &from, const QDate &to,
                             const QDate &today);
    static FundingPlan build(const QString &dataFolder, const QDate &from, const QDate &to,
                             const QDate &today = QDate::currentDate());

    QDate from() const { return m_from; }
    QDate to() const { return m_to; }
    const QList<Bank> &banks() const { return m_banks; }
    // Every day on which some bank pays notes or has a balance entered.
    QList<QDate> dates() const;
    // A bank's balance at the end of `date` (the last balance before it when
    // nothing happens that day).
    double balanceOn(const Bank &bank, const QDate &date) const;

    // "yyyy/mm/dd～yyyy/mm/dd", as the printed plan shows the period.
    QString periodText() const;
    // The rows of the printed plan for the work table: bank, settlement date,
    // amount, balance, remark, bank summary, number of notes.
    QVector<QStringList> workRows() const;

    static QString dayText(const QDate &date);
    static QString yenText(double value);

private:
    QDate m_from;
    QDate m_to;
    QList<Bank> m_banks;
};
