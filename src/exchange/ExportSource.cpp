#include "ExportSource.h"

ExportSource::Cell ExportSource::textCell(const QString &text)
{
    Cell c;
    c.text = text;
    c.empty = text.isEmpty();
    return c;
}

ExportSource::Cell ExportSource::amountCell(double value)
{
    Cell c;
    c.amount = value;
    c.kind = Kind::Amount;
    c.empty = false;
    return c;
}

ExportSource::Cell ExportSource::dateCell(const QDate &date)
{
    Cell c;
    c.date = date;
    c.kind = Kind::Date;
    c.empty = !date.isValid();
    return c;
}

QDate ExportSource::parseDate(QStringView text)
{
    // The lists show dates as yyyy/MM/dd; read by hand, since a hundred
    // thousand rows are read twice over.
    int parts[3] = {0, 0, 0};
    int part = 0;
    int digits = 0;
    for (const QChar ch : text) {
        if (ch.isDigit() && ch.unicode() < 128) {
            parts[part] = parts[part] * 10 + (ch.unicode() - '0');
            if (++digits > 4)
                return {};
        } else if ((ch == u'/' || ch == u'-') && digits > 0 && part < 2) {
            ++part;
            digits = 0;
        } else {
            return {};
        }
    }
    if (part != 2 || digits == 0)
        return {};
    return QDate(parts[0], parts[1], parts[2]);
}

ExportSource::Cell ExportSource::parsed(const QString &shown, Kind kind)
{
    const QString trimmed = shown.trimmed();
    if (trimmed.isEmpty())
        return textCell(QString());
    if (kind == Kind::Amount) {
        QString digits = trimmed;
        digits.remove(u',');
        bool ok = false;
        const double value = digits.toDouble(&ok);
        if (ok)
            return amountCell(value);
    } else if (kind == Kind::Date) {
        const QDate date = parseDate(trimmed);
        if (date.isValid())
            return dateCell(date);
    }
    return textCell(shown);
}
