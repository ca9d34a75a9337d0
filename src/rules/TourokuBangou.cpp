#include "TourokuBangou.h"

QString TourokuBangou::normalized(const QString &typed)
{
    QString text;
    text.reserve(typed.size());
    for (QChar c : typed) {
        char16_t u = c.unicode();
        if (u >= u'！' && u <= u'～')
            u = char16_t(u - 0xFEE0);
        if (u == u' ' || u == u'\u3000' || u == u'-' || u == u'ー' || u == u'－' || u == u'‐')
            continue;
        if (u == u't')
            u = u'T';
        text += QChar(u);
    }
    return text;
}

int TourokuBangou::checkDigit(const QString &base)
{
    if (base.size() != 12)
        return -1;
    int sum = 0;
    for (int n = 1; n <= 12; ++n) {
        const QChar c = base.at(12 - n);
        if (!c.isDigit() || c.unicode() > u'9')
            return -1;
        sum += (c.unicode() - u'0') * (n % 2 == 1 ? 1 : 2);
    }
    return 9 - sum % 9;
}

bool TourokuBangou::isInvoiceNumber(const QString &number)
{
    return number.startsWith(QLatin1Char('T'));
}

QString TourokuBangou::digits(const QString &number)
{
    return isInvoiceNumber(number) ? number.mid(1) : number;
}

bool TourokuBangou::isValid(const QString &number)
{
    const QString d = digits(number);
    if (d.size() != 13)
        return false;
    const int check = checkDigit(d.mid(1));
    return check > 0 && d.at(0).unicode() == u'0' + check;
}
