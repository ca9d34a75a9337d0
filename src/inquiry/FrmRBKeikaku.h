#pragma once

#include <QString>
#include <QWidget>

class AppContext;
class FrozenColumnGrid;
class PlanTableModel;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

// The payment plan "振出先別一覧": a cross table of the amounts falling due
// per payee (rows) and due date (columns) from a start date on. Loading shows
// every accounting category from today; 表示 shows the chosen category from
// the chosen date. The grid keeps its plan until the next 表示.
class FrmRBKeikaku : public QWidget
{
    Q_OBJECT

public:
    explicit FrmRBKeikaku(AppContext &ctx, QWidget *parent = nullptr);

    // The cross-tab statement of the plan on screen.
    QString RecordSource() const { return m_recordSource; }

protected:

private:
    void buildLayout();

    void FillKeiriCombo();
    void ShowPlanAll();
    void ShowPlan();
    void SetPlanColumns();
    void refreshPlan();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    AppContext &m_ctx;

    QLabel *Label1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label2 = nullptr;
    QDateEdit *DTPicker1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    FrozenColumnGrid *DataGrid1 = nullptr;
    PlanTableModel *m_plan = nullptr;

    QString m_recordSource;
};
