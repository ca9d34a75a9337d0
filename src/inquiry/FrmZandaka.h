#pragma once

#include "rules/TegataZandaka.h"

#include <QWidget>

class AppContext;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class TableGrid;

// 「支払手形残高」: the notes payable outstanding at the end of a chosen day,
// per payee and in total, electronic records apart; the notes the bank has
// paid by then whose state still waits, as a reminder; and from there the
// schedule of notes payable for the tax return, printed (report 17) or as
// the e-Tax CSV. Esc closes it.
class FrmZandaka : public QWidget
{
    Q_OBJECT

public:
    explicit FrmZandaka(AppContext &context, QWidget *parent = nullptr);

private:
    // The day typed, or a message and an invalid date.
    QDate typedDate();
    void CmdShow_Click();
    void CmdCsv_Click();
    void CmdPrint_Click();
    void FillLists();

    AppContext &m_ctx;
    TegataZandaka m_balance;

    QLineEdit *txtDate = nullptr;
    QPushButton *CmdShow = nullptr;
    QLabel *lblTotal = nullptr;
    TableGrid *GridPayees = nullptr;
    QStandardItemModel *m_payees = nullptr;
    QLabel *lblReminder = nullptr;
    TableGrid *GridReminders = nullptr;
    QStandardItemModel *m_reminders = nullptr;
    QCheckBox *chkDenshi = nullptr;
    QPushButton *CmdCsv = nullptr;
    QPushButton *CmdPrint = nullptr;
    QPushButton *CmdEnd = nullptr;
};
