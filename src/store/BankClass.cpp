#include "BankClass.h"

#include "NumberText.h"
#include "Schema.h"

namespace {

QString limitColumn()
{
    return QStringLiteral("KbnKyokudo");
}

} // namespace

BankClass::BankClass()
    : CodeNameRecord({QStringLiteral("KbnCode"), QStringLiteral("KbnName"),
                      QStringLiteral("銀行コードが見つかりません。"), QStringLiteral("銀行コードが重複しています。")})
{
}

QString BankClass::BZan() const
{
    return NumberText::fromDouble(m_balance);
}

void BankClass::setBZan(const QString &BkZan)
{
    m_balance = NumberText::toDouble(BkZan);
}

void BankClass::CntDb()
{
    connectTo(Schema::bankTable());
}

void BankClass::write()
{
    setText(QStringLiteral("KbnCode"), m_kCode);
    setText(QStringLiteral("KbnName"), m_kName);
    recordset().setValue(QStringLiteral("KbnZan"), m_balance);
    // A register read where it could not be upgraded has no such columns.
    const auto setDate = [this](const QString &column, const QDate &date) {
        if (hasColumn(column))
            recordset().setValue(column, date.isValid() ? QVariant(date) : QVariant());
    };
    setDate(QStringLiteral("KbnFuriEnd"), m_furiEnd);
    setDate(QStringLiteral("KbnKesaiEnd"), m_kesaiEnd);
    if (hasColumn(limitColumn()))
        recordset().setValue(limitColumn(), m_kyokudo);
}

void BankClass::Mcsave()
{
    addRow([this] { write(); });
}

void BankClass::Mcedit()
{
    rewriteRow(m_kCode2, [this] { write(); });
}

void BankClass::Mcdelete()
{
    deleteRow(m_kCode2);
}

void BankClass::McEDsearch()
{
    const bool found = callUp(m_kCode, [this] {
        // Converted before anything is copied, so that a balance that is no
        // number fails the look-up without a half-loaded bank. A null or
        // blank balance counts as 0.
        const Recordset &rs = recordset();
        const QVariant zan = rs.value(QStringLiteral("KbnZan"));
        double balance = 0;
        if (zan.typeId() == QMetaType::QString) {
            if (!zan.toString().trimmed().isEmpty())
                balance = NumberText::toDouble(zan.toString());
        }
        else if (!zan.isNull())
            balance = zan.toDouble();
        m_kCode = rs.value(QStringLiteral("KbnCode")).toString();
        m_kName = rs.value(QStringLiteral("KbnName")).toString();
        m_balance = balance;
        const auto dateOf = [&](const QString &column) {
            return hasColumn(column) ? QDate::fromString(rs.value(column).toString(), Qt::ISODate) : QDate();
        };
        m_furiEnd = dateOf(QStringLiteral("KbnFuriEnd"));
        m_kesaiEnd = dateOf(QStringLiteral("KbnKesaiEnd"));
        m_kyokudo = hasColumn(limitColumn()) ? rs.value(limitColumn()).toDouble() : 0;
    });
    if (!found)
        m_kCode = QStringLiteral("X");
}

QVariant BankClass::DuplicateCodeCheck(const QVariant &Class1Code)
{
    return codeCheck(Class1Code, QStringLiteral("x"));
}

QVariant BankClass::DispName(const QVariant &Class1Code)
{
    return nameOf(Class1Code);
}
