#include "HolidayDueCheck.h"

#include "calendar/BankCalendar.h"
#include "store/JetSql.h"

HolidayDueCheck::HolidayDueCheck(QWidget *parent)
    : QCheckBox(QStringLiteral("休日期日分を含む(&H)"), parent)
{
    setObjectName(QStringLiteral("ChkHolidayDue"));
    setChecked(false);
}

QString HolidayDueCheck::widened(const QString &statement, const QDate &date, const QString &dataFolder) const
{
    if (!isChecked())
        return statement;
    const QList<QDate> holidays = BankCalendar(dataFolder).bankHolidaysBefore(date);
    if (holidays.isEmpty())
        return statement;
    const QString condition = QStringLiteral("TKDate =") + JetSql::dateLiteral(date);
    const qsizetype at = statement.indexOf(condition);
    if (at < 0)
        return statement;
    QString text = statement;
    return text.replace(at, condition.size(),
                        QStringLiteral("TKDate BETWEEN ") + JetSql::dateLiteral(holidays.first()) + QStringLiteral(" AND ")
                                + JetSql::dateLiteral(date));
}
