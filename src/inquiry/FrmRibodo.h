#pragma once

#include "store/Connection.h"

#include <QVariant>
#include <QVector>
#include <QWidget>

class AppContext;
class ChangeNotice;
class HolidayDueCheck;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QueryTableModel;
class TableGrid;

// Today's settlement "本日の手形決済": the notes due on one day, for all banks
// or one, with the amount already settled and the amount still waiting.
// Opening a row shows the frame 決済入力, where the note's state is changed;
// a note whose state is named "決済済み" counts as settled and its row is
// light green.
class FrmRibodo : public QWidget
{
    Q_OBJECT

public:
    explicit FrmRibodo(AppContext &ctx, QWidget *parent = nullptr);

    // The two statements of the list last built, as the screen writes them
    // (before translation for the database): the data control's record
    // source and the day's total.
    QString RecordSource() const { return m_recordSource; }
    QString TotalSource() const { return m_totalSource; }

private:
    void buildLayout();
    void setSettling(bool settling);
    void clearList();

    void FillBankCombo();
    void FillStateCombo();
    void ShowSettlement();
    void FlexGSettings();
    void FormatAmounts();
    void SumSettled();
    void MarkUnregistered();
    void readVersions();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void HFGrid1_RowActivated(int row);
    void Escape_Pressed();

    AppContext &m_ctx;

    QGroupBox *Frame1 = nullptr;
    QDateEdit *DTPicker1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QPushButton *Command1 = nullptr;
    HolidayDueCheck *ChkHolidayDue = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command2 = nullptr;
    QStackedWidget *m_topRight = nullptr;
    QWidget *m_browseButtons = nullptr;
    TableGrid *HFGrid1 = nullptr;
    ChangeNotice *lblChanged = nullptr;
    QueryTableModel *Adodc1 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *Combo2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;

    // The data control's connection and the total's own, kept while the
    // window is open and opened again after a failure.
    Connection m_listConnection;
    Connection m_totalConnection;
    QString m_recordSource;
    QString m_totalSource;
    QVariant m_gokei;
    double m_settledTotal = 0;
    QVector<bool> m_settledRows;
    // Each listed note's version, read with the list; a state change of a
    // note changed since by another program is refused.
    QVector<qint64> m_rowVersions;
    qint64 m_settlingVersion = -1;
};
