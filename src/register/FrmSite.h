#pragma once

#include "ui/SupplierPickTarget.h"

#include <QDate>
#include <QWidget>

#include <array>

class AppContext;
class DateTextBox;
class NoteWarningPanel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The note entry window "手形帳": registers a note, calls one up by its
// number, corrects it (its number too), deletes it, clears the input and
// prints the list of notes. The called-up number is kept in the hidden box
// TxtRibodo[5]; changes and deletions always work on that note.
class FrmSite : public QWidget, public SupplierPickTarget
{
    Q_OBJECT

public:
    explicit FrmSite(AppContext &ctx, QWidget *parent = nullptr);

    // From the supplier search list: the payee boxes, then the drawing date.
    void supplierPicked(const QString &code, const QString &name) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void setTabChain();
    void showHelpLine(QObject *field);
    void showPayeeName(const QString &name);

    void FillCategoryCombos();
    void FillBankCombo();
    void CodeOfItem();
    void SelectByCode();
    void CheckRequired();
    void CheckBlankEntries();
    void CheckAmount();
    void CheckDates();
    void CheckDuplicate();
    void SetRegisterMode();
    void SetEditMode();
    void ClEdPrs();
    void SaveNote();
    void DeleteNote();
    void ClearNoteInput();
    void fillFromNote(const QString &number);
    QString codeOfSelected(int combo);
    qint64 calledUpVersion() const;

    void CmdRecorde_Click();
    void CmdCall_Click();
    void CmdEdit_Click();
    void CmdDelete_Click();
    void CmdClear_Click();
    void CmdPrint_Click();
    void CmdEnd_Click();
    void CmdCKensaku_Click();
    void CmdRireki_Click();
    bool checksPassed();
    void saveAndClear(const QString &mode);

    AppContext &m_ctx;

    std::array<QComboBox *, 5> Combo1 {};
    std::array<QLineEdit *, 6> TxtRibodo {};
    std::array<DateTextBox *, 2> DateTextBox1 {};
    QPushButton *CmdCKensaku = nullptr;
    QPushButton *CmdRecorde = nullptr;
    QPushButton *CmdCall = nullptr;
    QPushButton *CmdEdit = nullptr;
    QPushButton *CmdDelete = nullptr;
    QPushButton *CmdClear = nullptr;
    QPushButton *CmdPrint = nullptr;
    QPushButton *CmdEnd = nullptr;
    QPushButton *CmdRireki = nullptr;
    QLabel *m_panel1 = nullptr;
    QLabel *m_panel2 = nullptr;
    NoteWarningPanel *m_notePanel = nullptr;

    QDate m_drawingDate;
    QDate m_dueDate;
    QString m_duplicateResult;
    QString m_workText;
    QString m_targetCode;
    // The called-up note's number and version: a correction or deletion is
    // refused once another program changed the note.
    QString m_calledUpNumber;
    qint64 m_calledUpVersion = -1;
};
