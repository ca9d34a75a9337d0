#pragma once

#include "CodeNameRecord.h"

#include <QString>
#include <QVariant>

// One category table (kbn1, kbn2, Kbn3, Kbn4, Kbn5, chosen by KbnTblNo 0 to
// 4), one code at a time, used as every CodeNameRecord is.
class RibodoKbns : public CodeNameRecord
{
public:
    RibodoKbns();

    // Connects and opens the selected table; a number outside 0 to 4 opens
    // the connection only, so every row operation then fails.
    void CntDb();
    // Adds a row from KCode and KName.
    void Mcsave();
    // Rewrites the row coded KCode2 with KCode and KName (the code may change).
    void Mcedit();
    // Deletes the row coded KCode2.
    void Mcdelete();
    // Loads the row coded KCode into KCode and KName, or sets KCode to "X".
    void McEDsearch();
    // "x" when a row has the code, "" when none has.
    QVariant DuplicateCodeCheck(const QVariant &Class1Code);
    // The row's name, or "X" when no row has the code.
    QVariant DispName(const QVariant &Class1Code);

    QString KCode() const { return m_kCode; }
    void setKCode(const QString &SCode) { m_kCode = SCode; }
    QString KCode2() const { return m_kCode2; }
    void setKCode2(const QString &SCode2) { m_kCode2 = SCode2; }
    QString KName() const { return m_kName; }
    void setKName(const QString &SName) { m_kName = SName; }
    // Note kinds only (table 0): the kind is an electronic record.
    bool KbnDenshi() const { return m_kbnDenshi; }
    void setKbnDenshi(bool denshi) { m_kbnDenshi = denshi; }
    // Note states only (table 2): what the state means (StateMeaning).
    int KbnKesai() const { return m_kbnKesai; }
    void setKbnKesai(int meaning) { m_kbnKesai = meaning; }
    // Writes KbnKesai into the row coded KCode2 and nothing else.
    void McSetKesai();
    // The open rowset over the whole table; it belongs to this object.
    Recordset &RsEd() { return recordset(); }
    void setKbnTblNo(qint16 KbnNo) { m_kbnTblNo = KbnNo; }

private:
    void write();

    qint16 m_kbnTblNo = 0;
    QString m_kCode;
    QString m_kCode2;
    QString m_kName;
    bool m_kbnDenshi = false;
    int m_kbnKesai = 0;
};
