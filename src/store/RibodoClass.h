#pragma once

#include "Connection.h"
#include "Recordset.h"

#include <QString>
#include <QVariant>

#include <functional>

// The notes table SiteTbl, one note at a time. A caller creates an object for
// one piece of work: setDirPath, CntDb, properties and one or two operations,
// then lets the object go, which closes its recordset and connection.
class RibodoClass
{
public:
    RibodoClass() = default;
    ~RibodoClass();
    RibodoClass(const RibodoClass &) = delete;
    RibodoClass &operator=(const RibodoClass &) = delete;

    void setDirPath(const QString &dirPath) { m_dirPath = dirPath; }

    QString RibodoNo() const { return m_ribodoNo; }
    void setRibodoNo(const QString &v) { m_ribodoNo = v; }
    QString RibodoNo2() const { return m_ribodoNo2; }
    void setRibodoNo2(const QString &v) { m_ribodoNo2 = v; }
    QString CliantCode() const { return m_cliantCode; }
    void setCliantCode(const QString &v) { m_cliantCode = v; }
    QVariant RibodoFDate() const { return m_fDate; }
    void setRibodoFDate(const QVariant &v) { m_fDate = v; }
    QVariant RibodoKDate() const { return m_kDate; }
    void setRibodoKDate(const QVariant &v) { m_kDate = v; }
    // The amount, held as a double; the text may carry digit-group commas.
    // A text that is not a number raises StoreError.
    QString Kingaku() const;
    void setKingaku(const QString &v);
    QString Ginkou() const { return m_ginkou; }
    void setGinkou(const QString &v) { m_ginkou = v; }
    QString Syurui() const { return m_syurui; }
    void setSyurui(const QString &v) { m_syurui = v; }
    QString Mokuteki() const { return m_mokuteki; }
    void setMokuteki(const QString &v) { m_mokuteki = v; }
    QString Jyotai() const { return m_jyotai; }
    void setJyotai(const QString &v) { m_jyotai = v; }
    QString Keiri() const { return m_keiri; }
    void setKeiri(const QString &v) { m_keiri = v; }
    QString Biko() const { return m_biko; }
    void setBiko(const QString &v) { m_biko = v; }
    Recordset &RsMcds() { return m_rs; }
    // The version (RowVersion) of the note as SearchRs read it, or
    // RowVersion::unknown. EditRs, EditRsJ and DeleteRs given a known version
    // refuse the change, nothing written, when the note has changed since.
    qint64 Version() const { return m_version; }
    void setVersion(qint64 version) { m_version = version; }

    void CntDb();
    void SaveRs();
    void EditRs();
    void EditRsJ();
    void DeleteRs();
    // Loads the note numbered RibodoNo and its version, or sets RibodoNo to
    // "X" when there is none. Errors of the database are passed over.
    void SearchRs();
    // Moves every note in state "1" due on or before RibodoKDate to state
    // "2", all or nothing.
    void HenkoJ();
    // "X" when a note numbered Bango exists, else "".
    QVariant RibodoBangoCheck(const QVariant &Bango);

private:
    static QString criterion(const char *prefix, const QString &number);
    void findForChange();
    void changeChecked(const std::function<void()> &change, bool deleting = false);
    void loadColumns();
    void writeColumns();
    void writeRow();

    QString m_dirPath;
    Connection m_connection;
    Recordset m_rs;
    Recordset m_rsHenko;
    QString m_criterion;
    QString m_ribodoNo;
    QString m_ribodoNo2;
    QString m_cliantCode;
    QVariant m_fDate;
    QVariant m_kDate;
    double m_kingaku = 0;
    QString m_ginkou;
    QString m_syurui;
    QString m_mokuteki;
    QString m_jyotai;
    QString m_keiri;
    QString m_biko;
    QString m_henkoSql;
    qint64 m_version = -1;
};
