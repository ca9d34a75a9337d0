#include "DisplayFormat.h"

#include "ColumnFormat.h"

#include <QLocale>

bool DisplayFormat::isDateFormat(const QString &format)
{
    return ColumnFormat::isDateFormat(format);
}

bool DisplayFormat::isNumberFormat(const QString &format)
{
    return ColumnFormat::isNumberFormat(format);
}

QString DisplayFormat::number(double value, const QString &format)
{
    return ColumnFormat(format).number(value);
}

double DisplayFormat::toNumber(const QVariant &value)
{
    if (value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toDouble();
    default:
        break;
    }
    QString text = value.toString().trimmed();
    text.remove(QLatin1Char(','));
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    return ok ? v : 0;
}

QString DisplayFormat::text(const QVariant &value, const QString &format)
{
    return ColumnFormat(format).text(value);
}
