#include "UchiwakeCsv.h"

#include "CsvExport.h"

#include "rules/TourokuBangou.h"

#include <QLocale>

namespace {

// The full-width forms of the half-width katakana U+FF61..U+FF9F, in order.
const char16_t fullKana[] = u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";

QString cut(const QString &text, int length)
{
    return text.size() > length ? text.left(length) : text;
}

QString yen(double amount)
{
    return QString::number(qint64(amount >= 0 ? amount + 0.5 : amount - 0.5));
}

} // namespace

QString UchiwakeCsv::fileName()
{
    return QStringLiteral("HOI080_4.0_支払手形.csv");
}

QStringList UchiwakeCsv::eraDate(const QDate &date)
{
    if (!date.isValid())
        return {QString(), QString(), QString(), QString()};
    const bool reiwa = date >= QDate(2019, 5, 1);
    const int year = date.year() - (reiwa ? 2018 : 1988);
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return {reiwa ? QStringLiteral("5") : QStringLiteral("4"), two(year), two(date.month()), two(date.day())};
}

QString UchiwakeCsv::fullWidth(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == u' ') {
            out += QChar(u'\u3000');
        } else if (u > u' ' && u < 0x7F) {
            out += QChar(char16_t(u + 0xFEE0));
        } else if (u >= 0xFF61 && u <= 0xFF9F) {
            const QChar full(fullKana[u - 0xFF61]);
            // A voiced mark joins the letter before it where a composed
            // letter exists (ｶﾞ → ガ).
            const char16_t next = i + 1 < text.size() ? text.at(i + 1).unicode() : 0;
            if (next == 0xFF9E || next == 0xFF9F) {
                const QString composed =
                        (QString(full) + QChar(next == 0xFF9E ? u'\u3099' : u'\u309A')).normalized(QString::NormalizationForm_C);
                if (composed.size() == 1) {
                    out += composed;
                    ++i;
                    continue;
                }
            }
            out += full;
        } else {
            out += QChar(u);
        }
    }
    return out;
}

QStringList UchiwakeCsv::record(const UchiwakeSchedule::Line &line)
{
    QStringList items{QStringLiteral("8"), line.total ? QStringLiteral("1") : QStringLiteral("0")};
    if (line.total) {
        for (int i = 0; i < 13; ++i)
            items << QString();
        items << yen(line.amount) << cut(fullWidth(line.remark), 20);
        return items;
    }
    const bool invoice = TourokuBangou::isInvoiceNumber(line.touroku);
    const QString digits = TourokuBangou::digits(line.touroku);
    items << (invoice ? digits : QString()) << (invoice ? QString() : digits);
    items << cut(fullWidth(line.payee), 30);
    items << eraDate(line.drawn) << eraDate(line.due);
    items << cut(fullWidth(line.bank), 11) << cut(fullWidth(line.branch), 11);
    items << yen(line.amount) << cut(fullWidth(line.remark), 20);
    return items;
}

int UchiwakeCsv::write(const QList<UchiwakeSchedule::Line> &lines, const QString &path)
{
    QList<QStringList> records;
    records.reserve(lines.size());
    for (const UchiwakeSchedule::Line &l : lines)
        records << record(l);
    return CsvExport::writeLines(records, path, CsvExport::Encoding::ShiftJis);
}
