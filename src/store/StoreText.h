#pragma once

#include <QString>
#include <QVariant>

// The one gate every code, name, remark and amount passes on its way into the
// database or into a look-up. The engine would misread some texts: a NUL ends
// its case-insensitive comparison early, a leading U+FEFF is dropped when the
// text is bound and a lone surrogate swallows the character after it. Such
// texts are refused here with a message that names the field.
class StoreText
{
public:
    enum class Kind { Code, Name, Remark };

    // The largest amount the register holds: twelve digits of whole yen.
    static constexpr double maxAmount = 999999999999.0;

    // Codes are trimmed of surrounding blanks and full-width letters and
    // digits become half-width, so that 「ＵＱ１」 and "UQ1 " are the code UQ1.
    static QString normalizedCode(const QString &code);

    // Raises StoreError when `text` holds a control character (line breaks
    // are allowed in remarks), U+FEFF or a lone surrogate.
    static void check(const QString &text, Kind kind, const QString &field);

    // The text as it is stored: a code normalized, then checked.
    static QString clean(const QString &text, Kind kind, const QString &field);

    // The text without the characters check() refuses, for texts that come
    // from a file rather than a keyboard; `removed` counts them.
    static QString withoutRefused(const QString &text, Kind kind, int *removed);

    // Raises StoreError for an amount that is not finite or beyond twelve digits.
    static void checkAmount(double value, const QString &field);

    // The position of the first character no statement may contain (a NUL or
    // a lone surrogate), or -1.
    static qsizetype firstUnsafeInStatement(const QString &text);
};
