#pragma once

#include "MasterWindow.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

// The bank maintenance window "銀行": the banks and branches that pay the
// notes, listed and maintained by code and name. The issued balance is
// hidden and stored as 0. The called-up code is kept in the hidden label
// lbClKubun; changes and deletions work on that bank.
class FrmBank : public MasterWindow
{
    Q_OBJECT

public:
    explicit FrmBank(const AppContext &context, QWidget *parent = nullptr);

private:
    void Form_Load();
    void CmdRecorde_Click() override;
    void CmdCall_Click() override;
    void CmdEdit_Click() override;
    void CmdDelete_Click() override;
    void CmdClear_Click() override;
    void CmdPrint_Click() override;

    // Sets the check result as the category window does; the duplicate
    // look-up is skipped for an unchanged code only when correcting.
    void InputCheck(bool forEdit);
    void Save();
    void FillList();
    void ClearInputs();
    void registerOrEdit(bool edit);
    bool limitRefused();

    QLabel *Label2 = nullptr;
    QLineEdit *txtClKubunKode = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtClKubunName = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *text1 = nullptr;
    QLabel *lbClKubun = nullptr;
    // The overdraft limit the funding plan allows for; empty means none.
    QLabel *lblKyokudo = nullptr;
    QLineEdit *txtKyokudo = nullptr;
    QGroupBox *Frame1 = nullptr;
    QTreeWidget *ListView1 = nullptr;

    QString m_checkResult;
};
