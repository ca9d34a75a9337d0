#pragma once

#include <QString>

// The amount as the user types it: digits with an optional sign, digit-group
// commas after the first digit and one decimal point. Spaces, letters, a
// second decimal point or an exponent make it no amount. A note is drawn for
// whole yen: a positive whole number, digit-group commas allowed.
class AmountText
{
public:
    static bool isNumber(const QString &text);
    static bool isWholeYen(const QString &text);

    // Full-width digits, commas, point and minus, as the input method types
    // them, turned into their ASCII forms; everything else unchanged.
    static QString normalized(const QString &text);
};
