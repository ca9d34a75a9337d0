#include "SireCliantClass.h"

#include "NumberText.h"
#include "StoreError.h"

#include <limits>

SireCliantClass::SireCliantClass()
    : CodeNameRecord({QStringLiteral("ClCode"), QStringLiteral("ClName"),
                      QStringLiteral("仕入先コードが見つかりません。"), QStringLiteral("仕入先コードが重複しています。")})
{
}

void SireCliantClass::CntDb()
{
    connectTo(QStringLiteral("SireCliant"));
}

QVariant SireCliantClass::CliantCodeCheck(const QVariant &CliantCode)
{
    return codeCheck(CliantCode, QStringLiteral("X"), QStringLiteral(" ="));
}

QVariant SireCliantClass::CliantNameDisplay(const QVariant &CliantCode)
{
    return nameOf(CliantCode);
}

void SireCliantClass::write()
{
    setText(QStringLiteral("ClCode"), m_cliantCode);
    setText(QStringLiteral("ClName"), m_cliantName);
    setText(QStringLiteral("ClPdName"), m_cliantPdName);
    setText(QStringLiteral("ClYomigana"), m_cliantYomigana);
    setText(QStringLiteral("clAddress1"), m_ads1);
    setText(QStringLiteral("claddress2"), m_ads2);
    setText(QStringLiteral("claddress3"), m_ads3);
    setText(QStringLiteral("claddress4"), m_ads4);
    setText(QStringLiteral("clzip"), m_zipCd);
    setText(QStringLiteral("cltel"), m_clTelNo);
    setText(QStringLiteral("clfax"), m_clFaxNo);
    setText(QStringLiteral("ClSime"), m_clSimeBi);
    recordset().setValue(QStringLiteral("ClZan"), m_clSeikyuZan);
    setText(QStringLiteral("Clpay"), m_clKaisyuYotei);
    recordset().setValue(QStringLiteral("ClTokuiKbn"), int(m_sClKbn));
    if (hasColumn(QStringLiteral("ClTekiho")))
        recordset().setValue(QStringLiteral("ClTekiho"), int(m_clTekiho));
    if (hasColumn(QStringLiteral("ClTouroku")))
        setText(QStringLiteral("ClTouroku"), m_clTouroku);
}

void SireCliantClass::SaveRs()
{
    addRow([this] { write(); });
}

void SireCliantClass::EditRs()
{
    rewriteRow(m_cliantCode2, [this] { write(); });
}

void SireCliantClass::DeleteRs()
{
    deleteRow(m_cliantCode2);
}

void SireCliantClass::SearchRs()
{
    bool found = false;
    try {
        found = callUp(m_cliantCode, [this] { loadColumns(); });
    } catch (const StoreError &) {
        // A search that fails finds nothing.
    }
    if (!found)
        m_cliantCode = QStringLiteral("X");
}

void SireCliantClass::loadColumns()
{
    const auto load = [this](const char *column, auto assign) {
        try {
            const QVariant v = recordset().value(QLatin1String(column));
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
    load("ClTekiho", [this](const QVariant &v) { m_clTekiho = v.toInt() != 0; });
    load("ClTouroku", text(m_clTouroku));
}
