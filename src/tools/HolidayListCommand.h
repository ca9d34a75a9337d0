#pragma once

#include <QStringList>

// ribodo-datafolder holidays <from-year> <to-year> [--data <folder>]:
// prints the national holidays of those years, one a line as
// "yyyy/mm/dd name" in date order, so that an office can check the calendar
// against its own. Returns the exit code; 2 for arguments it cannot use.
int printHolidays(const QStringList &args);
