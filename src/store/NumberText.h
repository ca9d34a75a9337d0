#pragma once

#include <QString>

// Numbers held as double and passed as text, as the record classes do.
class NumberText
{
public:
    // Digits with an optional sign, decimal point and digit-group commas
    // ("1,234" gives 1234). Raises StoreError (type mismatch) for any other
    // text, and for a number beyond twelve digits or not finite.
    static double toDouble(const QString &text);

    // The shortest plain form, without digit grouping (1234 gives "1234").
    static QString fromDouble(double value);

    // Digit groups and no decimals; zero as empty text (the "##,###" format).
    static QString grouped(double value);
};
