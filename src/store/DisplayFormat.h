#pragma once

#include <QString>
#include <QVariant>

// How amounts and dates are shown in lists and reports alike: number patterns
// such as "##,###" (digit groups, zero shown empty), "##,##0" (zero shown as
// 0) or "#,##0.00", and date patterns such as "yyyy/mm/dd" or "yyyy年m月d日"
// (m is the month, since the register's dates carry no time).
class DisplayFormat
{
public:
    static QString text(const QVariant &value, const QString &format);
    static QString number(double value, const QString &format);

    // A number, or a text of digits with digit-group commas; anything else
    // counts as 0.
    static double toNumber(const QVariant &value);

    static bool isDateFormat(const QString &format);
    static bool isNumberFormat(const QString &format);
};
