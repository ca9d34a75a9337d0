#pragma once

#include "calendar/BankCalendar.h"

#include <QLabel>

class DateTextBox;

// Beside a due-date field: the day the bank actually pays a note falling due
// then, shown only when that is a later day (a due date on a bank holiday),
// as "実際の決済日 2027/01/04(月)". It follows the field as the user types.
class SettlementDateLabel : public QLabel
{
    Q_OBJECT

public:
    SettlementDateLabel(DateTextBox *dueDate, const QString &dataFolder, QWidget *parent = nullptr);

    // The due-date field and this label side by side in one widget, to go
    // where the field alone would.
    static QWidget *besideField(DateTextBox *dueDate, const QString &dataFolder, QWidget *parent);

    // The text shown for a due date: empty when it is a bank business day
    // or no date.
    QString textFor(const QDate &due) const;

private:
    void refresh();

    DateTextBox *m_dueDate;
    BankCalendar m_calendar;
};
