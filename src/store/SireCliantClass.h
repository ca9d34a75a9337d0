#pragma once

#include "CodeNameRecord.h"

#include <QString>
#include <QVariant>

// The supplier table SireCliant, one supplier at a time, used as every
// CodeNameRecord is.
class SireCliantClass : public CodeNameRecord
{
public:
    SireCliantClass();

    // "X" when a supplier has the code, "" when none has.
    QVariant CliantCodeCheck(const QVariant &CliantCode);
    // The supplier's name, or "X" when no supplier has the code.
    QVariant CliantNameDisplay(const QVariant &CliantCode);
    void CntDb();
    // Adds a supplier from the fifteen data properties.
    void SaveRs();
    // Rewrites the supplier coded CliantCode2 from the fifteen data
    // properties, its code from CliantCode.
    void EditRs();
    // Deletes the supplier coded CliantCode2.
    void DeleteRs();
    // Loads the supplier coded CliantCode into the data properties, or sets
    // CliantCode to "X" and keeps the rest. Never fails: errors of the
    // database are passed over, and a null or unreadable column leaves its
    // property as it was.
    void SearchRs();

    QString CliantCode() const { return m_cliantCode; }
    void setCliantCode(const QString &SCode) { m_cliantCode = SCode; }
    QString CliantCode2() const { return m_cliantCode2; }
    void setCliantCode2(const QString &SCode2) { m_cliantCode2 = SCode2; }
    QString Cliantname() const { return m_cliantName; }
    void setCliantname(const QString &SName) { m_cliantName = SName; }
    QString CliantPdName() const { return m_cliantPdName; }
    void setCliantPdName(const QString &SPdName) { m_cliantPdName = SPdName; }
    QString CliantYomigana() const { return m_cliantYomigana; }
    void setCliantYomigana(const QString &ClYomigana) { m_cliantYomigana = ClYomigana; }
    QString Ads1() const { return m_ads1; }
    void setAds1(const QString &SAds1) { m_ads1 = SAds1; }
    QString Ads2() const { return m_ads2; }
    void setAds2(const QString &SAds2) { m_ads2 = SAds2; }
    QString Ads3() const { return m_ads3; }
    void setAds3(const QString &SAds3) { m_ads3 = SAds3; }
    QString Ads4() const { return m_ads4; }
    void setAds4(const QString &SAds4) { m_ads4 = SAds4; }
    QString ZipCd() const { return m_zipCd; }
    void setZipCd(const QString &SZpCode) { m_zipCd = SZpCode; }
    QString ClTelNo() const { return m_clTelNo; }
    void setClTelNo(const QString &SCtTelNo) { m_clTelNo = SCtTelNo; }
    QString ClFaxNo() const { return m_clFaxNo; }
    void setClFaxNo(const QString &SClFaxNo) { m_clFaxNo = SClFaxNo; }
    QString ClSimeBi() const { return m_clSimeBi; }
    void setClSimeBi(const QString &SClSimeBi) { m_clSimeBi = SClSimeBi; }
    double ClSeikyuZan() const { return m_clSeikyuZan; }
    void setClSeikyuZan(double SClSeikyuZan) { m_clSeikyuZan = SClSeikyuZan; }
    QString ClKaisyuYotei() const { return m_clKaisyuYotei; }
    void setClKaisyuYotei(const QString &SClKaisyuYotei) { m_clKaisyuYotei = SClKaisyuYotei; }
    // The supplier is covered by the subcontract law (取適法対象).
    bool ClTekiho() const { return m_clTekiho; }
    void setClTekiho(bool covered) { m_clTekiho = covered; }
    // The qualified-invoice registration number ("T" and 13 digits) or the
    // corporate number (13 digits); empty when not known.
    QString ClTouroku() const { return m_clTouroku; }
    void setClTouroku(const QString &number) { m_clTouroku = number; }
    qint16 SClKbn() const { return m_sClKbn; }
    void setSClKbn(qint16 SClKubun) { m_sClKbn = SClKubun; }
    // Held for the caller only; no operation reads them.
    QString MbookMark() const { return m_mbookMark; }
    void setMbookMark(const QString &SBookMark) { m_mbookMark = SBookMark; }
    void setSQLCliant(const QString &SqlCl) { m_sqlCliant = SqlCl; }
    // The open rowset over the whole table; it belongs to this object.
    Recordset &RsMcds() { return recordset(); }

private:
    void write();
    void loadColumns();

    QString m_mbookMark;
    QString m_cliantCode;
    QString m_cliantCode2;
    QString m_cliantName;
    QString m_cliantYomigana;
    QString m_cliantPdName;
    QString m_ads1;
    QString m_ads2;
    QString m_ads3;
    QString m_ads4;
    QString m_zipCd;
    QString m_clTelNo;
    QString m_clFaxNo;
    QString m_clSimeBi;
    double m_clSeikyuZan = 0;
    QString m_clKaisyuYotei;
    qint16 m_sClKbn = 0;
    bool m_clTekiho = false;
    QString m_clTouroku;
    QString m_sqlCliant;
};
