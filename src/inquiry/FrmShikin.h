#pragma once

#include "rules/FundingPlan.h"

#include <QWidget>

class AppContext;
class ChangeNotice;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class ShikinChart;
class TableGrid;

// The funding plan "資金繰り予定": for a period, per paying bank and per
// day the bank actually pays, the unsettled notes falling due and the running
// balance of the bank's current account; days below zero in red, each bank's
// first shortfall at the top, the plan as a chart beside the list. The user
// enters a bank's balance as of a date here. Esc closes it.
class FrmShikin : public QWidget
{
    Q_OBJECT

public:
    explicit FrmShikin(AppContext &context, QWidget *parent = nullptr);

    const FundingPlan &plan() const { return m_plan; }
    // Writes the chart as a PNG image; false when the file cannot be written.
    bool saveChart(const QString &path);

private:
    void buildLayout();
    void FillBankCombo();
    void ShowPlan();
    void FillSummary();
    void FillDays();
    void Command1_Click(); // 表示
    void Command2_Click(); // 印刷
    void Command3_Click(); // グラフ保存
    void Command4_Click(); // 終わり
    void Command5_Click(); // 残高登録
    void Command6_Click(); // 残高一覧

    AppContext &m_ctx;
    FundingPlan m_plan;

    QDateEdit *DTFrom = nullptr;
    QDateEdit *DTTo = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QComboBox *CboBank = nullptr;
    QDateEdit *DTZan = nullptr;
    QLineEdit *TxtZan = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QLabel *lblShortage = nullptr;
    ChangeNotice *lblChanged = nullptr;
    TableGrid *GridSummary = nullptr;
    TableGrid *GridDays = nullptr;
    ShikinChart *ChartView1 = nullptr;
    QStandardItemModel *m_summary = nullptr;
    QStandardItemModel *m_days = nullptr;
};
