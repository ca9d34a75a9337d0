#pragma once

#include "rules/NoteRules.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QWidget>

#include <array>

class AppContext;
class DateTextBox;
class QComboBox;
class QLabel;
class QLineEdit;

// Beside the fields of the note entry window: the term of the note in days,
// the stamp duty of a paper note and the warnings the note carries, brought
// up to date as the fields change. It never stops a save; the one thing it
// refuses is the record number of an electronic record that is not one.
class NoteWarningPanel : public QWidget
{
    Q_OBJECT

public:
    struct Fields
    {
        QComboBox *kind;
        QLineEdit *number;
        QLineEdit *payeeCode;
        DateTextBox *drawn;
        QLineEdit *amount;
        DateTextBox *due;
        QComboBox *bank;
    };
    NoteWarningPanel(AppContext &ctx, const Fields &fields, QWidget *parent = nullptr);

    // True when the chosen note kind is an electronic record.
    bool isElectronic() const;

    // For an electronic record, the number box's full-width letters and
    // digits are made half-width; a number that is then not a record number
    // is refused with a message. True when the number may be saved.
    bool acceptRecordNumber();

private:
    void loadElectronicKinds();
    void loadBankDates();
    bool payeeCovered();
    void refresh();

    AppContext &m_ctx;
    Fields m_fields;
    QSet<QString> m_electronicKinds;
    // By bank code folded to lower case, as codes compare.
    QHash<QString, NoteRules::BankDates> m_bankDates;
    QString m_payee;
    bool m_payeeCovered = false;

    QLabel *lblTerm = nullptr;
    QLabel *lblLongTerm = nullptr;
    QLabel *lblStampDuty = nullptr;
    QLabel *lblClearing = nullptr;
    QLabel *lblSubcontract = nullptr;
    QLabel *lblBankDrawing = nullptr;
    QLabel *lblBankClearing = nullptr;
};
