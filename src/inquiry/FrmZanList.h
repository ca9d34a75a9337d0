#pragma once

#include "rules/BankBalance.h"

#include <QDialog>
#include <QHash>
#include <QList>

class AppContext;
class QPushButton;
class QStandardItemModel;
class TableGrid;

// 「当座預金残高の一覧」: every balance entered for the funding plan, by bank
// and date, so that a mistaken one can be found and deleted. Esc closes it.
class FrmZanList : public QDialog
{
    Q_OBJECT

public:
    FrmZanList(AppContext &context, const QHash<QString, QString> &bankNames, QWidget *parent = nullptr);

    // Whether a balance was deleted, so that the plan is built again.
    bool changed() const { return m_changed; }

private:
    void FillList();
    void CmdDelete_Click();

    AppContext &m_ctx;
    QHash<QString, QString> m_bankNames;
    QList<BankBalance> m_balances;
    bool m_changed = false;
    TableGrid *GridZan = nullptr;
    QStandardItemModel *m_model = nullptr;
    QPushButton *CmdDelete = nullptr;
    QPushButton *CmdEnd = nullptr;
};
