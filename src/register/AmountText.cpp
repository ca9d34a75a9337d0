#include "AmountText.h"

#include <QRegularExpression>

bool AmountText::isNumber(const QString &text)
{
    static const QRegularExpression amount(QStringLiteral(R"(^[+-]?([0-9][0-9,]*(\.[0-9]*)?|\.[0-9]+)$)"));
    return amount.match(text).hasMatch();
}
