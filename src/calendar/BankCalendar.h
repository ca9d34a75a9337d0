#pragma once

#include "Holiday.h"
#include "HolidayFile.h"

#include <QHash>
#include <QList>
#include <QString>

// The days banks are closed: Saturdays, Sundays, national holidays and the
// turn of the year (31 December to 3 January). A note falling due on such a
// day is paid on the next bank business day.
//
// National holidays come from the published list in the data folder for the
// years it covers; any other year is computed by the holiday law and counts
// as provisional, since a later law may still change it.
class BankCalendar
{
public:
    explicit BankCalendar(const QString &dataFolder = QString());

    bool isBankHoliday(const QDate &d) const;
    // The due date itself, or the next bank business day.
    QDate settlementDate(const QDate &due) const;
    // Holidays of the years fromYear..toYear in date order.
    QList<Holiday> nationalHolidays(int fromYear, int toYear) const;
    bool isProvisional(int year) const;

    bool isNationalHoliday(const QDate &d) const;
    // The holiday's name, or an empty text on other days.
    QString holidayName(const QDate &d) const;
    // The bank holidays directly before `d` (none when the day before is a
    // business day), earliest first: their notes are paid on `d`.
    QList<QDate> bankHolidaysBefore(const QDate &d) const;

    const HolidayFile &holidayFile() const { return m_file; }
    // Takes the list as if read from the data folder.
    void setHolidayFile(const HolidayFile &file);

private:
    const QHash<QDate, QString> &yearHolidays(int year) const;

    HolidayFile m_file;
    mutable QHash<int, QHash<QDate, QString>> m_years;
};
