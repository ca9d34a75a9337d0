#pragma once

#include "JournalAccounts.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// The journal of a period in the import format of the Yayoi accounting
// package (25 fields a line, one-line entries flagged 2000, Shift_JIS CSV):
// for each note drawn in the period, 買掛金 to 支払手形 on the drawing date;
// for each note settled in the period, 支払手形 to 当座預金 (sub-account: the
// paying bank's name) on the due date. A note counts as settled when its
// state is named "決済済み". Entries are in date order, drawings before
// settlements on one day, then by note number.
class JournalExport
{
public:
    struct Entry
    {
        QDate date;
        bool drawing = true;
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
    static QList<Entry> entries(Connection &connection, const QDate &from, const QDate &to);
    static bool acceptsAmount(double amount);
    static QStringList line(const Entry &entry, const JournalAccounts &accounts);
    static QString description(const Entry &entry);

    // Reads the notes of the data folder and writes the file; the file is
    // replaced only when complete. Raises StoreError.
    static Result write(const QString &dataFolder, const QDate &from, const QDate &to, const QString &path,
                        const JournalAccounts &accounts);
};
