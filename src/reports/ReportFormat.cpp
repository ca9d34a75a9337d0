#include "ReportFormat.h"

#include "store/JetSql.h"
#include "store/NumberText.h"

#include <QDate>
#include <QLocale>

#include <cmath>

namespace {

// The Qt form of a date pattern: runs of y, m and d are the date's parts,
// everything else is literal text.
QString qtDatePattern(const QString &format)
{
    QString out;
    QString literal;
    const auto flush = [&] {
        if (literal.isEmpty())
            return;
        out += QLatin1Char('\'') + QString(literal).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
        literal.clear();
    };
    for (const QChar c : format) {
        const QChar lower = c.toLower();
        if (lower == QLatin1Char('y') || lower == QLatin1Char('d')) {
            flush();
            out += lower;
        } else if (lower == QLatin1Char('m')) {
            flush();
            out += QLatin1Char('M');
        } else {
            literal += c;
        }
    }
    flush();
    return out;
}

} // namespace

bool ReportFormat::isDateFormat(const QString &format)
{
    return format.contains(QLatin1String("yy"), Qt::CaseInsensitive);
}

bool ReportFormat::isNumberFormat(const QString &format)
{
    if (format.isEmpty() || isDateFormat(format))
        return false;
    return format.contains(QLatin1Char('#')) || format.contains(QLatin1Char('0'));
}

QString ReportFormat::number(double value, const QString &format)
{
    const qsizetype point = format.indexOf(QLatin1Char('.'));
    const QString integerPart = point < 0 ? format : format.left(point);
    const int decimals = point < 0 ? 0 : int(format.size() - point - 1);
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    if (rounded == 0 && !integerPart.contains(QLatin1Char('0')))
        return QString();
    QLocale locale = QLocale::c();
    locale.setNumberOptions(integerPart.contains(QLatin1Char(',')) ? QLocale::DefaultNumberOptions
                                                                     : QLocale::OmitGroupSeparator);
    return locale.toString(rounded, 'f', decimals);
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
    if (value.isNull())
        return QString();
    if (isDateFormat(format)) {
        const QDate date = value.typeId() == QMetaType::QDate ? value.toDate() : JetSql::parseDate(value.toString());
        return date.isValid() ? date.toString(qtDatePattern(format)) : value.toString();
    }
    if (isNumberFormat(format))
        return number(toNumber(value), format);
    if (value.typeId() == QMetaType::Double)
        return NumberText::fromDouble(value.toDouble());
    return value.toString();
}
