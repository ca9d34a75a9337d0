#pragma once

#include "Holiday.h"

#include <QList>

// Japan's national holidays of a year as the holiday law stood in that year:
// the fixed and Monday holidays with the years they were introduced or moved,
// the equinox days by the astronomical approximation, the substitute holiday
// (from 12 April 1973) and the citizens' holiday between two holidays (from
// 27 December 1985), and the one-off holidays of single years.
class HolidayLaw
{
public:
    static constexpr int firstYear = 1949;
    static constexpr int lastYear = 2150;

    // Every holiday of `year` in date order; empty outside firstYear..lastYear.
    static QList<Holiday> holidays(int year);

    // Day of March of the vernal equinox, of September of the autumnal one.
    static int vernalEquinoxDay(int year);
    static int autumnalEquinoxDay(int year);
};
