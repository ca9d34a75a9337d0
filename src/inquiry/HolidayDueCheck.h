#pragma once

#include <QCheckBox>
#include <QDate>

// 「休日期日分を含む」 on today's settlement: a note due on a bank holiday is
// paid on the next bank business day, so with this box ticked the day's
// list also takes the notes due on the bank holidays just before it. Left
// unticked, the statements are not touched.
class HolidayDueCheck : public QCheckBox
{
    Q_OBJECT

public:
    explicit HolidayDueCheck(QWidget *parent = nullptr);

    // `statement` with its condition "TKDate =#date#" widened to the bank
    // holidays directly before `date`, when the box is ticked and there are
    // such days; otherwise `statement` as it is. The holiday list is read
    // from `dataFolder` each time, so a newly placed file counts at once.
    QString widened(const QString &statement, const QDate &date, const QString &dataFolder) const;
};
