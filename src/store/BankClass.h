#pragma once

#include "CodeNameRecord.h"

#include <QString>
#include <QVariant>

// The bank table kbn6, one bank at a time: the twin of RibodoKbns with the
// issued balance besides, used as every CodeNameRecord is.
class BankClass : public CodeNameRecord
{
public:
    BankClass();

    void CntDb();
    // Adds a row from KCode, KName and the balance.
    void Mcsave();
    // Rewrites the row coded KCode2 with KCode, KName and the balance.
    void Mcedit();
    // Deletes the row coded KCode2.
    void Mcdelete();
    // Loads the row coded KCode into KCode, KName and the balance, or sets
    // KCode to "X" and keeps the rest.
    void McEDsearch();
    // "x" when a bank has the code, "" when none has.
    QVariant DuplicateCodeCheck(const QVariant &Class1Code);
    // The bank's name, or "X" when no bank has the code.
    QVariant DispName(const QVariant &Class1Code);

    QString KCode() const { return m_kCode; }
    void setKCode(const QString &SCode) { m_kCode = SCode; }
    QString KCode2() const { return m_kCode2; }
    void setKCode2(const QString &SCode2) { m_kCode2 = SCode2; }
    QString KName() const { return m_kName; }
    void setKName(const QString &SName) { m_kName = SName; }
    // The balance as plain digits ("1234"); set, the text may carry
    // digit-group commas, and a text that is no number raises StoreError and
    // keeps the balance.
    QString BZan() const;
    void setBZan(const QString &BkZan);
    // The overdraft limit of the bank's current account (当座貸越極度額).
    double Kyokudo() const { return m_kyokudo; }
    void setKyokudo(double limit) { m_kyokudo = limit; }
    // The open rowset over the whole bank table; it belongs to this object.
    Recordset &RsEd() { return recordset(); }
    // Accepted and ignored: there is one bank table.
    void setKbnTblNo(qint16) {}

private:
    void write();

    QString m_kCode;
    QString m_kCode2;
    QString m_kName;
    double m_balance = 0;
    double m_kyokudo = 0;
};
