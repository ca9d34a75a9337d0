#pragma once

#include "JournalAccounts.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class BankCalendar;
class Connection;

// The journal of a period in the import format of the Yayoi accounting
// package (25 fields a line, one-line entries flagged 2000, Shift_JIS CSV),
// by what each note's state means:
// - drawn in the period: 買掛金 to 支払手形 on the drawing date, unless the
//   note is void (cancelled or renewed) and so never existed for the books;
// - paid by the bank: 支払手形 to 当座預金 (sub-account: the paying bank's
//   name) on the day the bank pays, the due date moved past bank holidays;
// - void, drawn before the period: 支払手形 to 買掛金 on its due date, the
//   drawing reversed (the day its state changed is not kept). A renewal is
//   thus the old note reversed and the new one drawn.
// Electronic records take their own account in place of 支払手形. Entries
// are in date order, reversals, drawings, then settlements on one day, then
// by note number.
class JournalExport
{
public:
    enum class Kind { Reversal, Drawing, Settlement };
    struct Entry
    {
        QDate date;
        Kind kind = Kind::Drawing;
        bool electronic = false;
        QString number;
        QString payee;
        QString bank;
        double amount = 0;
    };
    struct Result
    {
        int written = 0;
        // Notes left out, one text each: number, payee and amount.
        QStringList refused;
        int lostLetters = 0;
    };

    // The package takes whole yen from 1 to nine digits.
    static constexpr double largestAmount = 999999999.0;
    // The description field's length in Shift_JIS bytes.
    static constexpr int descriptionBytes = 64;

    // Raises StoreError.
    static QList<Entry> entries(Connection &connection, const BankCalendar &calendar, const QDate &from,
                                const QDate &to);
    static bool acceptsAmount(double amount);
    static QStringList line(const Entry &entry, const JournalAccounts &accounts);
    static QString description(const Entry &entry);

    // Reads the notes of the data folder and writes the file; the file is
    // replaced only when complete. Raises StoreError.
    static Result write(const QString &dataFolder, const QDate &from, const QDate &to, const QString &path,
                        const JournalAccounts &accounts);
};
