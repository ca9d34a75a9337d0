#include "BankCalendar.h"

#include "HolidayLaw.h"

BankCalendar::BankCalendar(const QString &dataFolder)
    : m_file(HolidayFile::read(dataFolder))
{
}

void BankCalendar::setHolidayFile(const HolidayFile &file)
{
    m_file = file;
    m_years.clear();
}

bool BankCalendar::isProvisional(int year) const
{
    return !m_file.covers(year);
}

QList<Holiday> BankCalendar::nationalHolidays(int fromYear, int toYear) const
{
    QList<Holiday> list;
    for (int year = fromYear; year <= toYear; ++year)
        list += m_file.covers(year) ? m_file.holidays(year) : HolidayLaw::holidays(year);
    return list;
}

const QHash<QDate, QString> &BankCalendar::yearHolidays(int year) const
{
    auto it = m_years.find(year);
    if (it == m_years.end()) {
        QHash<QDate, QString> days;
        for (const Holiday &h : nationalHolidays(year, year))
            days.insert(h.date, h.name);
        it = m_years.insert(year, days);
    }
    return *it;
}

bool BankCalendar::isNationalHoliday(const QDate &d) const
{
    return d.isValid() && yearHolidays(d.year()).contains(d);
}

QString BankCalendar::holidayName(const QDate &d) const
{
    return d.isValid() ? yearHolidays(d.year()).value(d) : QString();
}

bool BankCalendar::isBankHoliday(const QDate &d) const
{
    if (!d.isValid())
        return false;
    if (d.dayOfWeek() >= Qt::Saturday)
        return true;
    if ((d.month() == 12 && d.day() == 31) || (d.month() == 1 && d.day() <= 3))
        return true;
    return isNationalHoliday(d);
}

QDate BankCalendar::settlementDate(const QDate &due) const
{
    QDate d = due;
    while (isBankHoliday(d))
        d = d.addDays(1);
    return d;
}

QList<QDate> BankCalendar::bankHolidaysBefore(const QDate &d) const
{
    QList<QDate> days;
    if (!d.isValid())
        return days;
    for (QDate day = d.addDays(-1); isBankHoliday(day); day = day.addDays(-1))
        days.prepend(day);
    return days;
}
