#include "RibodoClass.h"

#include "JetSql.h"
#include "NumberText.h"
#include "ReadSnapshot.h"
#include "RowVersion.h"
#include "Schema.h"
#include "StoreError.h"


RibodoClass::~RibodoClass()
{
    m_rsHenko.close();
    m_rs.close();
    m_connection.close();
}

QString RibodoClass::Kingaku() const
{
    return NumberText::fromDouble(m_kingaku);
}

void RibodoClass::setKingaku(const QString &v)
{
    m_kingaku = NumberText::toDouble(v);
}

QString RibodoClass::criterion(const char *prefix, const QString &number)
{
    return QLatin1String(prefix) + JetSql::quote(number);
}

void RibodoClass::CntDb()
{
    m_connection.open(Schema::connectionText(m_dirPath));
    m_rs.open(QStringLiteral("Sitetbl"), m_connection);
}

// Text never set is written as empty text, not null, like every record class.
static QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

void RibodoClass::writeColumns()
{
    m_rs.setValue(QStringLiteral("TNo"), text(m_ribodoNo));
    m_rs.setValue(QStringLiteral("TFDate"), m_fDate);
    m_rs.setValue(QStringLiteral("TKDate"), m_kDate);
    m_rs.setValue(QStringLiteral("TBank"), text(m_ginkou));
    m_rs.setValue(QStringLiteral("TTo"), text(m_cliantCode));
    m_rs.setValue(QStringLiteral("TKingaku"), m_kingaku);
    m_rs.setValue(QStringLiteral("TKubun"), text(m_syurui));
    m_rs.setValue(QStringLiteral("TYoto"), text(m_mokuteki));
    m_rs.setValue(QStringLiteral("TCond"), text(m_jyotai));
    m_rs.setValue(QStringLiteral("TRemarks"), text(m_biko));
    m_rs.setValue(QStringLiteral("TKeiri"), text(m_keiri));
}

void RibodoClass::writeRow()
{
    m_rs.writeRow([this] {
        writeColumns();
    }, QStringLiteral("手形番号が重複しています。"));
}

void RibodoClass::SaveRs()
{
    m_rs.addNew();
    writeRow();
}

void RibodoClass::findForChange()
{
    m_criterion = criterion("TNo = ", m_ribodoNo2);
    m_rs.find(m_criterion);
    if (m_rs.eof())
        throw StoreError(QStringLiteral("手形番号が見つかりません。"), m_ribodoNo2);
}

// The version is checked under the write lock, so that no other program can
// change the note between the check and the write. The object's own change
// becomes the version it holds.
void RibodoClass::changeChecked(const std::function<void()> &change, bool deleting)
{
    m_connection.beginTrans();
    try {
        RowVersion::require(m_connection, QStringLiteral("SiteTbl"), m_ribodoNo2, m_version);
        findForChange();
        change();
        if (m_version != RowVersion::unknown) {
            const QString key = deleting ? m_ribodoNo2 : m_rs.value(QStringLiteral("TNo")).toString();
            m_version = RowVersion::newest(m_connection, QStringLiteral("SiteTbl"), key).number;
        }
        m_connection.commitTrans();
    } catch (...) {
        m_connection.rollbackTrans();
        throw;
    }
}

void RibodoClass::EditRs()
{
    changeChecked([this] { writeRow(); });
}

void RibodoClass::EditRsJ()
{
    changeChecked([this] {
        m_rs.setValue(QStringLiteral("TCond"), m_jyotai);
        m_rs.update();
    });
}

void RibodoClass::DeleteRs()
{
    changeChecked([this] { m_rs.deleteCurrent(); }, true);
}

void RibodoClass::SearchRs()
{
    m_version = RowVersion::unknown;
    // The note and its version come from one state of the database.
    const ReadSnapshot snapshot(m_connection);
    m_criterion = criterion("TNo = ", m_ribodoNo);
    try {
        m_rs.find(m_criterion);
    } catch (const StoreError &) {
        // A failed search finds nothing: the note is reported as missing.
        m_ribodoNo = QStringLiteral("X");
        return;
    }
    if (m_rs.eof()) {
        m_ribodoNo = QStringLiteral("X");
        return;
    }
    loadColumns();
    try {
        m_version = RowVersion::newest(m_connection, QStringLiteral("SiteTbl"), m_ribodoNo).number;
    } catch (const StoreError &) {
        // A register whose history cannot be read gives no version to check.
    }
}

void RibodoClass::loadColumns()
{
    const auto load = [this](const char *column, auto assign) {
        try {
            const QVariant v = m_rs.value(QLatin1String(column));
            if (!v.isNull())
                assign(v);
        } catch (const StoreError &) {
            // An unreadable column leaves its property as it was.
        }
    };
    load("TNo", [this](const QVariant &v) { m_ribodoNo = v.toString(); });
    load("TFDate", [this](const QVariant &v) { m_fDate = v; });
    load("TKDate", [this](const QVariant &v) { m_kDate = v; });
    load("TBank", [this](const QVariant &v) { m_ginkou = v.toString(); });
    load("TTo", [this](const QVariant &v) { m_cliantCode = v.toString(); });
    load("TKingaku", [this](const QVariant &v) { m_kingaku = v.toDouble(); });
    load("TKubun", [this](const QVariant &v) { m_syurui = v.toString(); });
    load("TYoto", [this](const QVariant &v) { m_mokuteki = v.toString(); });
    load("TCond", [this](const QVariant &v) { m_jyotai = v.toString(); });
    load("TRemarks", [this](const QVariant &v) { m_biko = v.toString(); });
    load("TKeiri", [this](const QVariant &v) { m_keiri = v.toString(); });
}

void RibodoClass::HenkoJ()
{
    // Only a real date is a cut-off; it is bound, never written into the
    // statement, so no text can widen the update.
    QDate cutOff;
    if (m_kDate.typeId() == QMetaType::QDate)
        cutOff = m_kDate.toDate();
    else if (m_kDate.typeId() == QMetaType::QString)
        cutOff = JetSql::parseDate(m_kDate.toString());
    if (!cutOff.isValid())
        throw StoreError(QStringLiteral("状態を更新する基準日が日付ではありません。"), m_kDate.toString());
    m_henkoSql = QStringLiteral("SELECT * FROM SiteTbl WHERE TCond = '1' AND TKdate <= ?");

    m_connection.beginTrans();
    try {
        // On a server several PCs may start at once: the due notes are locked
        // first, so a second PC waits and then finds the first one's moves
        // already done instead of moving the same notes again.
        if (m_connection.isServer())
            m_connection.exec(QStringLiteral("SELECT 1 FROM SiteTbl WHERE TCond = '1' AND TKdate <= ? FOR UPDATE"),
                              {cutOff.toString(Qt::ISODate)})
                    .finish();
        m_rsHenko.open(m_henkoSql, m_connection, {cutOff.toString(Qt::ISODate)});
        if (m_rsHenko.recordCount() != 0) {
            m_rsHenko.moveFirst();
            while (!m_rsHenko.eof()) {
                m_rsHenko.setValue(QStringLiteral("TCond"), QStringLiteral("2"));
                m_rsHenko.update();
                m_rsHenko.moveNext();
            }
        }
        m_rsHenko.close();
        m_connection.commitTrans();
    } catch (...) {
        m_rsHenko.close();
        m_connection.rollbackTrans();
        throw;
    }
}

QVariant RibodoClass::RibodoBangoCheck(const QVariant &Bango)
{
    m_criterion = criterion("TNo =", Bango.toString());
    m_rs.find(m_criterion);
    return m_rs.eof() ? QString() : QStringLiteral("X");
}
