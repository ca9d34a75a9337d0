#pragma once

#include <QDate>
#include <QList>
#include <QString>

class BankCalendar;
class Connection;

// The notes payable outstanding at the end of a day 「支払手形残高」: drawn on
// or before it and paid by the bank after it, the bank paying on the due
// date or, when that is a bank holiday, on the next business day. The figure
// follows the bank's day whatever state a note carries, except that a void
// note (cancelled, replaced by a renewal) is owed no more; a dishonoured one
// still is, and is marked (the meanings of the states, StateMeaning). Notes the bank paid by then whose state still
// waits are listed apart as a reminder; they do not change the figure.
class TegataZandaka
{
public:
    struct Note
    {
        QString number;
        QString payee;
        QString payeeName;
        QString touroku; // registration or corporate number, as stored
        QDate drawn;
        QDate due;
        QString bankName;
        double amount = 0;
        bool electronic = false;
        bool dishonoured = false;
    };
    struct Payee
    {
        QString code;
        QString name;
        double paper = 0;
        double electronic = 0;
        int notes = 0;
        bool dishonoured = false;
    };

    QDate date;
    // The last due date the bank has paid by the end of `date`.
    QDate paidThrough;
    // Outstanding, by payee code, due date and number.
    QList<Note> notes;
    // Paid by the bank by `date`, state still waiting: how many, and the
    // latest of them (at most reminderLimit()), by due date.
    int reminderCount = 0;
    QList<Note> reminders;
    static int reminderLimit() { return 500; }

    double paperTotal() const;
    double electronicTotal() const;
    // One line per payee, in the order of `notes`.
    QList<Payee> payees() const;

    // The latest due date whose payment day is on or before `date`: the
    // day itself on a business day, else the last business day before it.
    static QDate lastDuePaidBy(const QDate &date, const BankCalendar &calendar);

    // Reads the register of the data folder; the reminders too unless
    // `withReminders` is false. Raises StoreError.
    static TegataZandaka at(const QString &dataFolder, const QDate &date, const BankCalendar &calendar,
                            bool withReminders = true);
    static TegataZandaka at(Connection &connection, const QDate &date, const BankCalendar &calendar,
                            bool withReminders = true);
};
