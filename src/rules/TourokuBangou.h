#pragma once

#include <QString>

// A supplier's number for the tax office: the corporate number (法人番号, 13
// digits, the first a check digit over the other twelve) or the qualified-
// invoice registration number (登録番号), which for a corporation is "T"
// followed by its corporate number and for anyone else "T" and 13 digits
// under the same check digit.
class TourokuBangou
{
public:
    // The typed text with full-width letters and digits made half-width, a
    // small "t" made "T", and spaces and hyphens taken out.
    static QString normalized(const QString &typed);

    // The check digit (1 to 9) of a 12-digit base number, or -1 for text
    // that is not 12 digits. 9 - (sum of the digits counted from the right,
    // odd places once and even places twice) mod 9.
    static int checkDigit(const QString &base);

    // True for 13 digits whose first is the check digit of the rest,
    // optionally after "T". Expects normalized text.
    static bool isValid(const QString &number);
    // True when the number is a registration number ("T" first).
    static bool isInvoiceNumber(const QString &number);
    // The 13 digits without the "T".
    static QString digits(const QString &number);
};
