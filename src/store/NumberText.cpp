#include "NumberText.h"

#include "StoreError.h"
#include "StoreText.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

double NumberText::toDouble(const QString &text)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    QString plain = text.trimmed();
    plain.remove(QLatin1Char(','));
    if (!number.match(plain).hasMatch())
        throw StoreError(QStringLiteral("型が一致しません。数値ではない値です: 「%1」").arg(text));
    const double value = plain.toDouble();
    StoreText::checkAmount(value, QStringLiteral("金額"));
    return value;
}

QString NumberText::fromDouble(double value)
{
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

QString NumberText::grouped(double value)
{
    const double rounded = std::round(value);
    if (rounded == 0)
        return QString();
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(rounded, 'f', 0);
}
