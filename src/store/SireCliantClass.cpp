#include "SireCliantClass.h"

#include "JetSql.h"
#include "NumberText.h"
#include "Schema.h"
#include "StoreError.h"

#include <limits>


namespace {

// Unset text is written as empty text, not as null.
QString textOrEmpty(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace

SireCliantClass::~SireCliantClass()
{
    m_rs.close();
    m_connection.close();
}

void SireCliantClass::CntDb()
{
    m_connection.open(Schema::connectionText(m_dirPath));
    m_rs.open(QStringLiteral("SireCliant"), m_connection);
}

bool SireCliantClass::search(const char *prefix, const QString &code)
{
    m_criteria = QLatin1String(prefix) + JetSql::quote(code);
    m_rs.find(m_criteria);
    return !m_rs.eof();
}

QVariant SireCliantClass::CliantCodeCheck(const QVariant &CliantCode)
{
    return search("ClCode =", CliantCode.toString()) ? QStringLiteral("X") : QString();
}

QVariant SireCliantClass::CliantNameDisplay(const QVariant &CliantCode)
{
    if (!search("ClCode = ", CliantCode.toString()))
        return QStringLiteral("X");
    return m_rs.value(QStringLiteral("ClName")).toString();
}

void SireCliantClass::findForChange()
{
    if (!search("ClCode = ", m_cliantCode2))
        throw StoreError(QStringLiteral("仕入先コードが見つかりません。"), m_cliantCode2);
}

void SireCliantClass::write()
{
    m_rs.writeRow([this] {
        m_rs.setValue(QStringLiteral("ClCode"), textOrEmpty(m_cliantCode));
        m_rs.setValue(QStringLiteral("ClName"), textOrEmpty(m_cliantName));
        m_rs.setValue(QStringLiteral("ClPdName"), textOrEmpty(m_cliantPdName));
        m_rs.setValue(QStringLiteral("ClYomigana"), textOrEmpty(m_cliantYomigana));
        m_rs.setValue(QStringLiteral("clAddress1"), textOrEmpty(m_ads1));
        m_rs.setValue(QStringLiteral("claddress2"), textOrEmpty(m_ads2));
        m_rs.setValue(QStringLiteral("claddress3"), textOrEmpty(m_ads3));
        m_rs.setValue(QStringLiteral("claddress4"), textOrEmpty(m_ads4));
        m_rs.setValue(QStringLiteral("clzip"), textOrEmpty(m_zipCd));
        m_rs.setValue(QStringLiteral("cltel"), textOrEmpty(m_clTelNo));
        m_rs.setValue(QStringLiteral("clfax"), textOrEmpty(m_clFaxNo));
        m_rs.setValue(QStringLiteral("ClSime"), textOrEmpty(m_clSimeBi));
        m_rs.setValue(QStringLiteral("ClZan"), m_clSeikyuZan);
        m_rs.setValue(QStringLiteral("Clpay"), textOrEmpty(m_clKaisyuYotei));
        m_rs.setValue(QStringLiteral("ClTokuiKbn"), int(m_sClKbn));
    }, QStringLiteral("仕入先コードが重複しています。"));
}

void SireCliantClass::SaveRs()
{
    m_rs.addNew();
    write();
}

void SireCliantClass::EditRs()
{
    findForChange();
    write();
}

void SireCliantClass::DeleteRs()
{
    findForChange();
    m_rs.deleteCurrent();
}

void SireCliantClass::SearchRs()
{
    bool found = false;
    try {
        found = search("ClCode = ", m_cliantCode);
    } catch (const StoreError &) {
        // A search that fails finds nothing.
    }
    if (!found) {
        m_cliantCode = QStringLiteral("X");
        return;
    }
    const auto load = [this](const char *column, auto assign) {
        try {
            const QVariant v = m_rs.value(QLatin1String(column));
            if (!v.isNull())
                assign(v);
        } catch (const StoreError &) {
            // An unreadable column leaves its property as it was.
        }
    };
    const auto text = [](QString &property) {
        return [&property](const QVariant &v) { property = v.toString(); };
    };
    load("ClCode", text(m_cliantCode));
    load("ClName", text(m_cliantName));
    load("ClPdName", text(m_cliantPdName));
    load("ClYomigana", text(m_cliantYomigana));
    load("clAddress1", text(m_ads1));
    load("claddress2", text(m_ads2));
    load("claddress3", text(m_ads3));
    load("claddress4", text(m_ads4));
    load("clzip", text(m_zipCd));
    load("cltel", text(m_clTelNo));
    load("clfax", text(m_clFaxNo));
    load("ClSime", text(m_clSimeBi));
    load("ClZan", [this](const QVariant &v) {
        if (v.typeId() == QMetaType::QString)
            m_clSeikyuZan = NumberText::toDouble(v.toString());
        else
            m_clSeikyuZan = v.toDouble();
    });
    load("Clpay", text(m_clKaisyuYotei));
    load("ClTokuiKbn", [this](const QVariant &v) {
        bool ok = false;
        const qlonglong kbn = v.toLongLong(&ok);
        if (ok && kbn >= std::numeric_limits<qint16>::min() && kbn <= std::numeric_limits<qint16>::max())
            m_sClKbn = qint16(kbn);
    });
}
