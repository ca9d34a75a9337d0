#pragma once

#include <QString>

// The amount as the user types it: digits with an optional sign, digit-group
// commas after the first digit and one decimal point. Spaces, letters, a
// second decimal point or an exponent make it no amount.
class AmountText
{
public:
    static bool isNumber(const QString &text);
};
