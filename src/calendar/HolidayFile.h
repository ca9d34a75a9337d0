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

    // The largest file read: the published list is about 20 KB; anything
    // far larger is no such list and is not read at all.
    static constexpr qint64 maxBytes = 1024 * 1024;

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
    // The first line that was skipped, with its number: "12 行目: text".
    QString firstSkippedLine() const { return m_firstSkipped; }
    // Years between the first and the last the file lists that it has no
    // holiday for: every year has some, so such a file lacks a part.
    QList<int> missingYears() const;
    // The one thing a user should hear about the file, naming it; empty
    // when it was read whole or is not there.
    QString problem() const;

private:
    QMap<int, QList<Holiday>> m_years;
    int m_skipped = 0;
    QString m_firstSkipped;
    QString m_error;
    QString m_path;
};
