#include "ExplorerQuery.h"

#include "store/JetSql.h"

QString ExplorerQuery::dueDates()
{
    return QStringLiteral("SELECT TKDate, Sum(TKingaku) AS TKSum FROM SiteTbl GROUP BY TKDate");
}

QString ExplorerQuery::allNotes()
{
    return QStringLiteral("SELECT * FROM QRYRibodo");
}

QString ExplorerQuery::notesOfDate(const QString &selectedDateText)
{
    return QStringLiteral("SELECT * FROM QRYRibodo WHERE TKDate = #") + selectedDateText + QLatin1Char('#');
}

QString ExplorerQuery::conditionKey(bool payee, bool bank, const QString &startDateText, const QString &endDateText)
{
    const auto flag = [](bool on) { return on ? QLatin1Char('1') : QLatin1Char('0'); };
    return QString(flag(payee)) + flag(bank) + flag(endDateText != startDateText);
}

QString ExplorerQuery::search(const std::optional<QString> &payeeCode, const std::optional<QString> &bankCode,
                              const QString &startDateText, const QString &endDateText)
{
    const QString payee = payeeCode ? QStringLiteral(" TTo = ") + JetSql::quote(*payeeCode) : QString();
    const QString bank = bankCode ? QStringLiteral(" TBank = ") + JetSql::quote(*bankCode) : QString();
    const QString key = conditionKey(payeeCode.has_value(), bankCode.has_value(), startDateText, endDateText);
    const QString period = key.endsWith(QLatin1Char('1'))
            ? QStringLiteral(" TKDate BETWEEN #") + startDateText + QStringLiteral("# AND #") + endDateText
                    + QLatin1Char('#')
            : QStringLiteral(" TKDate >= #") + startDateText + QLatin1Char('#');
    const QString where = QStringLiteral(" WHERE");
    const QString and_ = QStringLiteral(" AND");

    QString sql = allNotes();
    if (key == QLatin1String("000") || key == QLatin1String("001"))
        sql += where + period;
    else if (key == QLatin1String("010") || key == QLatin1String("100"))
        sql += where + payee + bank + and_ + period;
    else if (key == QLatin1String("011"))
        sql += where + bank + and_ + period;
    else if (key == QLatin1String("101"))
        sql += where + payee + and_ + period;
    else
        sql += where + payee + and_ + bank + and_ + period;
    return sql;
}

QString ExplorerQuery::categoryCondition(int kind, const QString &code)
{
    static const char *const columns[] = {"TKubun", "TYoto", "TCond", "TKeiri"};
    if (kind < 1 || kind > 4)
        return QString();
    return QStringLiteral(" AND ") + QLatin1String(columns[kind - 1]) + QStringLiteral(" = ") + JetSql::quote(code);
}
