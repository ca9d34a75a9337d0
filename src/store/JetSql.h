#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// The statements and criteria of the system are written in the Jet dialect
// (date literals #yyyy/mm/dd#, the ! column reference, double-quoted text).
// This class turns them into SQLite with the same meaning and provides the
// quoting the system uses when it puts a value between single quotes.
class JetSql
{
public:
    // A value between single quotes, its own quotes doubled.
    static QString quote(const QString &value);

    // "#" + the date as yyyy/mm/dd + "#".
    static QString dateLiteral(const QDate &date);

    // The translated statement; raises StoreError for a text that would not
    // be one well-formed statement (unterminated quote or date, a second
    // statement after a semicolon, a date literal that is no date, a NUL or
    // a lone surrogate anywhere).
    static QString toSqlite(const QString &jet);

    // Reads a date written as yyyy/mm/dd, yyyy-mm-dd (months and days with or
    // without a leading zero). An invalid QDate when the text is none.
    static QDate parseDate(const QString &text);

    // The value as stored in a date column: "yyyy-MM-dd" text, or null for an
    // empty value. Raises StoreError for a text that is no date.
    static QVariant toStoredDate(const QVariant &value);
};
