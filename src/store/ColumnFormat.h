#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <QVector>

// One column format read once, so that a list or report of many rows formats
// each cell without reading its pattern again. Number patterns: "##,###"
// (digit groups, zero shown empty), "##,##0" (zero shown as 0), "#,##0.00".
// Date patterns: "yyyy/mm/dd", "yyyy年m月d日" (m is the month, since the
// register's dates carry no time). Any other format shows the value as it is.
class ColumnFormat
{
public:
    explicit ColumnFormat(const QString &format = QString());

    QString text(const QVariant &value) const;
    QString number(double value) const;

    static bool isDateFormat(const QString &format);
    static bool isNumberFormat(const QString &format);

private:
    enum class Kind { Plain, Date, Number };
    // A run of the date pattern: literal text, or a part of the date with
    // its width (4 or 2 for the year, 2 or 1 for month and day).
    struct DatePart
    {
        QChar part; // 'y', 'm', 'd' or 0 for literal text
        int width = 0;
        QString literal;
    };

    QString date(const QDate &date) const;

    Kind m_kind = Kind::Plain;
    // Dates: the parts when every run is one the fast path writes, else the
    // equivalent Qt pattern.
    QVector<DatePart> m_dateParts;
    QString m_qtDatePattern;
    // Numbers.
    int m_decimals = 0;
    double m_scale = 1;
    bool m_grouped = false;
    bool m_zeroShown = false;
    QLocale m_locale = QLocale::c();
};
