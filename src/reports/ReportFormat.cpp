#include "ReportFormat.h"

#include "ColumnFormat.h"

#include <QLocale>

bool ReportFormat::isDateFormat(const QString &format)
{
    return ColumnFormat::isDateFormat(format);
}

bool ReportFormat::isNumberFormat(const QString &format)
{
    return ColumnFormat::isNumberFormat(format);
}

QString ReportFormat::number(double value, const QString &format)
{
    return ColumnFormat(format).number(value);
}

double ReportFormat::toNumber(const QVariant &value)
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

QString ReportFormat::text(const QVariant &value, const QString &format)
{
    return ColumnFormat(format).text(value);
}
