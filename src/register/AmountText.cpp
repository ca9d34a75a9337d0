#include "AmountText.h"

#include <QRegularExpression>

#include <algorithm>

bool AmountText::isNumber(const QString &text)
{
    static const QRegularExpression amount(QStringLiteral(R"(^[+-]?([0-9][0-9,]*(\.[0-9]*)?|\.[0-9]+)$)"));
    return amount.match(text).hasMatch();
}

bool AmountText::isWholeYen(const QString &text)
{
    static const QRegularExpression yen(QStringLiteral(R"(^\+?[0-9][0-9,]*$)"));
    if (!yen.match(text).hasMatch())
        return false;
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit() && c != QLatin1Char('0'); });
}

QString AmountText::normalized(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(char16_t(u - 0xFF10 + '0'));
        else if (u == 0xFF0C || u == 0x3001)
            c = QLatin1Char(',');
        else if (u == 0xFF0E)
            c = QLatin1Char('.');
        else if (u == 0xFF0D || u == 0x2212)
            c = QLatin1Char('-');
        else if (u == 0xFF0B)
            c = QLatin1Char('+');
    }
    return out;
}
