#pragma once

#include "MasterWindow.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// The supplier maintenance window "仕入先マスター": registers, calls up,
// corrects (the code too), deletes and prints the suppliers. The payment
// values are hidden, yet a called-up supplier's values are written back
// unchanged. The called-up code is kept in the hidden label lbCcode. While
// the window is open the main menu is hidden.
class frmCliant : public MasterWindow
{
    Q_OBJECT

public:
    explicit frmCliant(const AppContext &context, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void FillCategoryList();
    void ClEdPrs();
    // The duplicate look-up is skipped for an unchanged code only when the
    // called-up supplier is being corrected; a register always looks.
    void CheckInput(bool forEdit);
    void SaveSupplier();
    void DeleteSupplier();
    void ClearInput();
    void SetRegisterButtons();
    void SetEditButtons();
    void selectCategory(qint16 code);
    void registerOrEdit(bool edit);
    // The registration or corporate number typed, made half-width; a number
    // whose check digit is wrong is refused with a message. True when it
    // may be saved (an empty box may).
    bool acceptTouroku();

    void CmdRecorde_Click() override;
    void CmdCall_Click() override;
    void CmdEdit_Click() override;
    void CmdDelete_Click() override;
    void CmdClear_Click() override;
    void CmdPrint_Click() override;

    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QLabel *Label2 = nullptr;
    std::array<QLineEdit *, 15> text1{};
    QComboBox *Combo1 = nullptr;
    QCheckBox *chkTekiho = nullptr;
    QLineEdit *txtTouroku = nullptr;
    QLabel *lbCcode = nullptr;
};
