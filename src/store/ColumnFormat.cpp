#include "ColumnFormat.h"

#include "DisplayFormat.h"

#include "store/JetSql.h"
#include "store/NumberText.h"

#include <QDate>

#include <cmath>

namespace {

// Digits of a yyyy-mm-dd text, the form every date is stored in; -1 when the
// text has another form.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    int v = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

QDate storedDate(const QString &text)
{
    if (text.size() == 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-')) {
        const int y = digits(text, 0, 4), m = digits(text, 5, 2), d = digits(text, 8, 2);
        if (y >= 0 && m >= 0 && d >= 0)
            return QDate::isValid(y, m, d) ? QDate(y, m, d) : QDate();
    }
    return JetSql::parseDate(text);
}

void appendPadded(QString &out, int value, int width)
{
    char buffer[12];
    int n = 0;
    do {
        buffer[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n; i < width; ++i)
        out += QLatin1Char('0');
    while (n > 0)
        out += QLatin1Char(buffer[--n]);
}

// A whole number with "," between groups of three digits.
QString groupedInteger(qint64 value, bool grouped)
{
    char buffer[32];
    int n = 0;
    const bool negative = value < 0;
    quint64 v = negative ? quint64(-value) : quint64(value);
    int digitsWritten = 0;
    do {
        if (grouped && digitsWritten > 0 && digitsWritten % 3 == 0)
            buffer[n++] = ',';
        buffer[n++] = char('0' + v % 10);
        v /= 10;
        ++digitsWritten;
    } while (v > 0);
    if (negative)
        buffer[n++] = '-';
    QString out(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        out[i] = QLatin1Char(buffer[n - 1 - i]);
    return out;
}

} // namespace

bool ColumnFormat::isDateFormat(const QString &format)
{
    return format.contains(QLatin1String("yy"), Qt::CaseInsensitive);
}

bool ColumnFormat::isNumberFormat(const QString &format)
{
    if (format.isEmpty() || isDateFormat(format))
        return false;
    return format.contains(QLatin1Char('#')) || format.contains(QLatin1Char('0'));
}

ColumnFormat::ColumnFormat(const QString &format)
{
    if (isDateFormat(format)) {
        m_kind = Kind::Date;
        // Runs of y, m and d are the date's parts, everything else is
        // literal text.
        bool fast = true;
        QString literal;
        const auto flush = [&] {
            if (literal.isEmpty())
                return;
            m_qtDatePattern += QLatin1Char('\'') + QString(literal).replace(QLatin1Char('\''), QLatin1String("''"))
                    + QLatin1Char('\'');
            m_dateParts.append({QChar(), 0, literal});
            literal.clear();
        };
        for (qsizetype i = 0; i < format.size();) {
            const QChar lower = format.at(i).toLower();
            if (lower != QLatin1Char('y') && lower != QLatin1Char('m') && lower != QLatin1Char('d')) {
                literal += format.at(i++);
                continue;
            }
            flush();
            qsizetype run = 0;
            while (i < format.size() && format.at(i).toLower() == lower) {
                ++run;
                ++i;
            }
            const QChar qt = lower == QLatin1Char('m') ? QLatin1Char('M') : lower;
            m_qtDatePattern += QString(run, qt);
            const bool known = lower == QLatin1Char('y') ? (run == 4 || run == 2) : (run == 1 || run == 2);
            fast = fast && known;
            m_dateParts.append({lower, int(run), QString()});
        }
        flush();
        if (!fast)
            m_dateParts.clear();
    } else if (isNumberFormat(format)) {
        m_kind = Kind::Number;
    }
    // number() reads any format as a number pattern.
    const qsizetype point = format.indexOf(QLatin1Char('.'));
    const QString integerPart = point < 0 ? format : format.left(point);
    m_decimals = point < 0 ? 0 : int(format.size() - point - 1);
    m_scale = std::pow(10.0, m_decimals);
    m_grouped = integerPart.contains(QLatin1Char(','));
    m_zeroShown = integerPart.contains(QLatin1Char('0'));
    m_locale.setNumberOptions(m_grouped ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
}

QString ColumnFormat::number(double value) const
{
    const double rounded = std::round(value * m_scale) / m_scale;
    if (rounded == 0 && !m_zeroShown)
        return QString();
    // Whole numbers, the common case, are written here; zero keeps the
    // locale's own form (its sign).
    if (m_decimals == 0 && rounded != 0 && std::fabs(rounded) < 1e15)
        return groupedInteger(qint64(rounded), m_grouped);
    return m_locale.toString(rounded, 'f', m_decimals);
}

QString ColumnFormat::date(const QDate &date) const
{
    if (m_dateParts.isEmpty() || date.year() < 1000 || date.year() > 9999)
        return date.toString(m_qtDatePattern);
    QString out;
    out.reserve(16);
    for (const DatePart &p : m_dateParts) {
        if (p.part == QLatin1Char('y'))
            appendPadded(out, p.width == 4 ? date.year() : date.year() % 100, p.width);
        else if (p.part == QLatin1Char('m'))
            appendPadded(out, date.month(), p.width);
        else if (p.part == QLatin1Char('d'))
            appendPadded(out, date.day(), p.width);
        else
            out += p.literal;
    }
    return out;
}

QString ColumnFormat::text(const QVariant &value) const
{
    if (value.isNull())
        return QString();
    switch (m_kind) {
    case Kind::Date: {
        const QDate d = value.typeId() == QMetaType::QDate ? value.toDate() : storedDate(value.toString());
        return d.isValid() ? date(d) : value.toString();
    }
    case Kind::Number:
        return number(DisplayFormat::toNumber(value));
    case Kind::Plain:
        break;
    }
    if (value.typeId() == QMetaType::Double)
        return NumberText::fromDouble(value.toDouble());
    return value.toString();
}
