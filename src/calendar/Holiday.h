#pragma once

#include <QDate>
#include <QString>

// One day off by the holiday law: a national holiday, a substitute holiday or
// a citizens' holiday, with the name it is listed under.
struct Holiday
{
    QDate date;
    QString name;
};
