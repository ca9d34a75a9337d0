#pragma once

#include "Holiday.h"

#include <QList>
#include <QMap>
#include <QString>

// The government's published list of national holidays, kept in the data
// folder as syukujitsu.csv: a header line 「国民の祝日・休日月日,国民の祝日・休日名称」
// and one holiday a line, dated yyyy/M/d, in Shift_JIS (UTF-8 is accepted too).
class HolidayFile
{
public:
    static QString fileName();

    // Reads the list in `dataFolder`; a folder without one gives an empty list.
    static HolidayFile read(const QString &dataFolder);
    static HolidayFile parse(const QByteArray &bytes);

    bool isEmpty() const { return m_years.isEmpty(); }
    bool covers(int year) const { return m_years.contains(year); }
    QList<Holiday> holidays(int year) const { return m_years.value(year); }

    // Lines that were neither the header nor a dated holiday.
    int skippedLines() const { return m_skipped; }
    // Set when the file is there but could not be read.
    QString error() const { return m_error; }

private:
    QMap<int, QList<Holiday>> m_years;
    int m_skipped = 0;
    QString m_error;
};
