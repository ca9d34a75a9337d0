#pragma once

#include "MasterWindow.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The category maintenance window: the five category tables, chosen in a
// selector, each listed and maintained by code and name. The note states
// can be viewed and printed only; what each state means (未決済, 決済済み,
// 無効, 不渡り) is listed beside it and set in a box of its own. The called-up code is kept in the hidden
// label lbClKubun; changes and deletions work on that entry.
class FrmSKbn : public MasterWindow
{
    Q_OBJECT

public:
    explicit FrmSKbn(const AppContext &context, QWidget *parent = nullptr);

private:
    void Form_Load();
    void Combo1_Click();
    void CmdRecorde_Click() override;
    void CmdCall_Click() override;
    void CmdEdit_Click() override;
    void CmdDelete_Click() override;
    void CmdClear_Click() override;
    void CmdPrint_Click() override;

    // Sets the check result: "X1" missing input, "X2" code taken, "X3" a code
    // refused with its own message, "E" the look-up failed, "" accepted. The
    // duplicate look-up is skipped for an unchanged code only when the
    // called-up entry is being corrected; a register always looks.
    void InputCheck(bool forEdit);
    void Save();
    void FillList();
    void ClearInputs();
    void SetReadOnlyButtons();
    bool supplierCategoryRefused(const QString &code);
    qint16 tableNo() const;
    void registerOrEdit(bool edit);
    void FillStateMeanings();
    void CboState_Click();
    void CmdImi_Click();

    QLabel *Label1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtClKubunKode = nullptr;
    QLabel *lbClKubun = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtClKubunName = nullptr;
    QCheckBox *chkDenshi = nullptr; // note kinds only: an electronic record
    QGroupBox *FrameImi = nullptr;  // note states only: what a state means
    QComboBox *CboState = nullptr;
    QComboBox *CboImi = nullptr;
    QPushButton *CmdImi = nullptr;
    QGroupBox *Frame1 = nullptr;
    QTreeWidget *ListView1 = nullptr;

    QString m_checkResult;
};
