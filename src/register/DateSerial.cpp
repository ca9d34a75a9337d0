#include "DateSerial.h"

#include <limits>

namespace {
const QDate earliest(100, 1, 1);
const QDate latest(9999, 12, 31);
}

QDate DateSerial::build(int year, int month, int day)
{
    if (year >= 0 && year <= 29)
        year += 2000;
    else if (year >= 30 && year <= 99)
        year += 1900;
    // Months counted from year 0 so that the carry works for months below 1 too.
    const qint64 months = qint64(year) * 12 + (month - 1);
    const qint64 carriedYear = months >= 0 ? months / 12 : -((-months + 11) / 12);
    const int carriedMonth = int(months - carriedYear * 12) + 1;
    if (carriedYear < earliest.year() - 1 || carriedYear > latest.year())
        return QDate();
    const QDate first(int(carriedYear), carriedMonth, 1);
    const QDate date = first.addDays(qint64(day) - 1);
    if (!date.isValid() || date < earliest || date > latest)
        return QDate();
    return date;
}

QDate DateSerial::fromParts(const QString &year, const QString &month, const QString &day)
{
    const std::optional<qint16> y = toInteger16(year);
    const std::optional<qint16> m = toInteger16(month);
    const std::optional<qint16> d = toInteger16(day);
    if (!y || !m || !d)
        return QDate();
    return build(*y, *m, *d);
}

std::optional<qint16> DateSerial::toInteger16(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    if (t.at(0) == QLatin1Char('+') || t.at(0) == QLatin1Char('-'))
        ++i;
    if (i == t.size())
        return std::nullopt;
    for (qsizetype k = i; k < t.size(); ++k) {
        if (t.at(k) < QLatin1Char('0') || t.at(k) > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = t.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(value);
}
