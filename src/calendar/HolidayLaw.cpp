#include "HolidayLaw.h"

#include <QMap>

namespace {

// The n-th Monday of a month.
QDate nthMonday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    return first.addDays((8 - first.dayOfWeek()) % 7 + 7 * (n - 1));
}

// The approximation counts whole leap cycles from a base year; C++ division
// truncates toward zero, which is what the published constants assume for
// years before the base.
int equinoxDay(int year, double base1900, double base1980, double base2100)
{
    const int y = year - 1980;
    if (year < 1980)
        return int(base1900 + 0.242194 * y - (year - 1983) / 4);
    if (year < 2100)
        return int(base1980 + 0.242194 * y - y / 4);
    return int(base2100 + 0.242194 * y - y / 4);
}

// The holidays the law names (one-off ones included), before substitute
// and citizens' holidays are added.
QMap<QDate, QString> namedHolidays(int y)
{
    QMap<QDate, QString> h;
    const auto add = [&h](const QDate &d, const QString &name) { h.insert(d, name); };

    add(QDate(y, 1, 1), QStringLiteral("元日"));
    add(y < 2000 ? QDate(y, 1, 15) : nthMonday(y, 1, 2), QStringLiteral("成人の日"));
    if (y >= 1967)
        add(QDate(y, 2, 11), QStringLiteral("建国記念の日"));
    if (y >= 2020)
        add(QDate(y, 2, 23), QStringLiteral("天皇誕生日"));
    add(QDate(y, 3, HolidayLaw::vernalEquinoxDay(y)), QStringLiteral("春分の日"));
    if (y < 1989)
        add(QDate(y, 4, 29), QStringLiteral("天皇誕生日"));
    else if (y < 2007)
        add(QDate(y, 4, 29), QStringLiteral("みどりの日"));
    else
        add(QDate(y, 4, 29), QStringLiteral("昭和の日"));
    add(QDate(y, 5, 3), QStringLiteral("憲法記念日"));
    if (y >= 2007)
        add(QDate(y, 5, 4), QStringLiteral("みどりの日"));
    add(QDate(y, 5, 5), QStringLiteral("こどもの日"));

    const QString sea = QStringLiteral("海の日");
    if (y == 2020)
        add(QDate(y, 7, 23), sea);
    else if (y == 2021)
        add(QDate(y, 7, 22), sea);
    else if (y >= 2003)
        add(nthMonday(y, 7, 3), sea);
    else if (y >= 1996)
        add(QDate(y, 7, 20), sea);

    const QString mountain = QStringLiteral("山の日");
    if (y == 2020)
        add(QDate(y, 8, 10), mountain);
    else if (y == 2021)
        add(QDate(y, 8, 8), mountain);
    else if (y >= 2016)
        add(QDate(y, 8, 11), mountain);

    if (y >= 2003)
        add(nthMonday(y, 9, 3), QStringLiteral("敬老の日"));
    else if (y >= 1966)
        add(QDate(y, 9, 15), QStringLiteral("敬老の日"));
    add(QDate(y, 9, HolidayLaw::autumnalEquinoxDay(y)), QStringLiteral("秋分の日"));

    if (y == 2020)
        add(QDate(y, 7, 24), QStringLiteral("スポーツの日"));
    else if (y == 2021)
        add(QDate(y, 7, 23), QStringLiteral("スポーツの日"));
    else if (y >= 2020)
        add(nthMonday(y, 10, 2), QStringLiteral("スポーツの日"));
    else if (y >= 2000)
        add(nthMonday(y, 10, 2), QStringLiteral("体育の日"));
    else if (y >= 1966)
        add(QDate(y, 10, 10), QStringLiteral("体育の日"));

    add(QDate(y, 11, 3), QStringLiteral("文化の日"));
    add(QDate(y, 11, 23), QStringLiteral("勤労感謝の日"));
    if (y >= 1989 && y <= 2018)
        add(QDate(y, 12, 23), QStringLiteral("天皇誕生日"));

    switch (y) {
    case 1959:
        add(QDate(y, 4, 10), QStringLiteral("皇太子明仁親王の結婚の儀"));
        break;
    case 1989:
        add(QDate(y, 2, 24), QStringLiteral("昭和天皇の大喪の礼"));
        break;
    case 1990:
        add(QDate(y, 11, 12), QStringLiteral("即位礼正殿の儀"));
        break;
    case 1993:
        add(QDate(y, 6, 9), QStringLiteral("皇太子徳仁親王の結婚の儀"));
        break;
    case 2019:
        add(QDate(y, 5, 1), QStringLiteral("即位の日"));
        add(QDate(y, 10, 22), QStringLiteral("即位礼正殿の儀"));
        break;
    default:
        break;
    }
    return h;
}

} // namespace

int HolidayLaw::vernalEquinoxDay(int year)
{
    return equinoxDay(year, 20.8357, 20.8431, 21.8510);
}

int HolidayLaw::autumnalEquinoxDay(int year)
{
    return equinoxDay(year, 23.2588, 23.2488, 24.2488);
}

QList<Holiday> HolidayLaw::holidays(int year)
{
    if (year < firstYear || year > lastYear)
        return {};
    const QMap<QDate, QString> named = namedHolidays(year);
    QMap<QDate, QString> all = named;

    // A holiday on a Sunday gives a day off after it: until 2006 the Monday,
    // since 2007 the first following day that is no holiday itself.
    const QDate substituteFrom(1973, 4, 12);
    const QDate secondLaw(2007, 1, 1);
    QList<QDate> substitutes;
    for (auto it = named.cbegin(); it != named.cend(); ++it) {
        const QDate &d = it.key();
        if (d.dayOfWeek() != Qt::Sunday || d < substituteFrom)
            continue;
        QDate next = d.addDays(1);
        if (d >= secondLaw) {
            while (named.contains(next))
                next = next.addDays(1);
        } else if (named.contains(next)) {
            continue;
        }
        if (next.year() == year) {
            all.insert(next, QStringLiteral("振替休日"));
            substitutes << next;
        }
    }

    // A day between two holidays is a day off; until 2006 not when it is a
    // Sunday or already a substitute holiday.
    const QDate citizensFrom(1985, 12, 27);
    for (auto it = named.cbegin(); it != named.cend(); ++it) {
        const QDate between = it.key().addDays(1);
        if (between < citizensFrom || between.year() != year || named.contains(between)
            || !named.contains(between.addDays(1)))
            continue;
        if (between < secondLaw && (between.dayOfWeek() == Qt::Sunday || substitutes.contains(between)))
            continue;
        if (!all.contains(between))
            all.insert(between, QStringLiteral("国民の休日"));
    }

    QList<Holiday> list;
    list.reserve(all.size());
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        list.append({it.key(), it.value()});
    return list;
}
