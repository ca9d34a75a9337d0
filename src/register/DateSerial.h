#pragma once

#include <QDate>
#include <QString>

#include <optional>

// Builds a date from year, month and day the way the classic date-building
// function does: a month above 12 or a day beyond the month's end carries
// over into the following month or year (month 13 is January of the next
// year, day 0 the last day of the month before), and a year of 0 to 99 is
// read as 2000-2029 or 1930-1999.
class DateSerial
{
public:
    // An invalid date when the numbers give no date between the years 100
    // and 9999.
    static QDate build(int year, int month, int day);

    // The three parts as texts, each converted to a 16-bit integer first. An
    // invalid date when a part is not such a number (an empty part included)
    // or the numbers give no date.
    static QDate fromParts(const QString &year, const QString &month, const QString &day);

    // Digits with an optional sign and surrounding spaces, within -32768 to 32767.
    static std::optional<qint16> toInteger16(const QString &text);
};
