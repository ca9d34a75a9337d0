#include "HolidayListCommand.h"

#include "calendar/BankCalendar.h"
#include "calendar/HolidayLaw.h"

#include <QDir>
#include <QTextStream>

int printHolidays(const QStringList &args)
{
    if (args.size() != 2 && !(args.size() == 4 && args.at(2) == QLatin1String("--data")))
        return 2;
    bool okFrom = false, okTo = false;
    const int from = args.at(0).toInt(&okFrom);
    const int to = args.at(1).toInt(&okTo);
    QTextStream err(stderr);
    if (!okFrom || !okTo || from > to || from < HolidayLaw::firstYear || to > HolidayLaw::lastYear) {
        err << "years " << HolidayLaw::firstYear << " to " << HolidayLaw::lastYear
            << ", the first not after the second" << Qt::endl;
        return 2;
    }
    const QString folder = args.size() == 4 ? args.at(3) : QString();
    if (!folder.isEmpty() && !QDir(folder).exists()) {
        err << QDir::toNativeSeparators(folder) << ": no such folder" << Qt::endl;
        return 1;
    }
    const BankCalendar calendar(folder);
    const HolidayFile &file = calendar.holidayFile();
    if (!file.error().isEmpty()) {
        err << file.error() << Qt::endl;
        return 1;
    }
    QTextStream out(stdout);
    for (const Holiday &h : calendar.nationalHolidays(from, to))
        out << h.date.toString(QStringLiteral("yyyy/MM/dd")) << ' ' << h.name << '\n';
    out.flush();

    // Which years are computed goes to the error stream, keeping the list
    // itself in its plain form.
    QStringList computed;
    for (int year = from; year <= to; ++year) {
        if (calendar.isProvisional(year))
            computed << QString::number(year);
    }
    if (!folder.isEmpty() && file.skippedLines() > 0)
        err << HolidayFile::fileName() << ": " << file.skippedLines() << " line(s) without a date skipped" << Qt::endl;
    if (!computed.isEmpty() && !folder.isEmpty())
        err << "computed, not in " << HolidayFile::fileName() << ": " << computed.join(QLatin1Char(' ')) << Qt::endl;
    return 0;
}
