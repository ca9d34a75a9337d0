#include "BankClass.h"

#include "JetSql.h"
#include "NumberText.h"
#include "Schema.h"
#include "StoreError.h"


namespace {

// Unset text is written as empty text, not as null.
QString textOrEmpty(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace

BankClass::~BankClass()
{
    m_rs.close();
    m_connection.close();
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
    m_connection.open(Schema::connectionText(m_dirPath));
    m_rs.open(Schema::bankTable(), m_connection);
}

bool BankClass::search(const QString &code)
{
    m_criteria = QStringLiteral("KbnCode = ") + JetSql::quote(code);
    m_rs.find(m_criteria);
    return !m_rs.eof();
}

void BankClass::findForChange()
{
    if (!search(m_kCode2))
        throw StoreError(QStringLiteral("銀行コードが見つかりません。"), m_kCode2);
}

void BankClass::write()
{
    m_rs.writeRow([this] {
        m_rs.setValue(QStringLiteral("KbnCode"), textOrEmpty(m_kCode));
        m_rs.setValue(QStringLiteral("KbnName"), textOrEmpty(m_kName));
        m_rs.setValue(QStringLiteral("KbnZan"), m_balance);
    }, QStringLiteral("銀行コードが重複しています。"));
}

void BankClass::Mcsave()
{
    m_rs.addNew();
    write();
}

void BankClass::Mcedit()
{
    findForChange();
    write();
}

void BankClass::Mcdelete()
{
    findForChange();
    m_rs.deleteCurrent();
}

void BankClass::McEDsearch()
{
    if (!search(m_kCode)) {
        m_kCode = QStringLiteral("X");
        return;
    }
    // Converted before anything is copied, so that a balance that is no
    // number fails the look-up without a half-loaded bank. A null or blank
    // balance counts as 0.
    const QVariant zan = m_rs.value(QStringLiteral("KbnZan"));
    double balance = 0;
    if (zan.typeId() == QMetaType::QString) {
        if (!zan.toString().trimmed().isEmpty())
            balance = NumberText::toDouble(zan.toString());
    }
    else if (!zan.isNull())
        balance = zan.toDouble();
    m_kCode = m_rs.value(QStringLiteral("KbnCode")).toString();
    m_kName = m_rs.value(QStringLiteral("KbnName")).toString();
    m_balance = balance;
}

QVariant BankClass::DuplicateCodeCheck(const QVariant &Class1Code)
{
    return search(Class1Code.toString()) ? QStringLiteral("x") : QString();
}

QVariant BankClass::DispName(const QVariant &Class1Code)
{
    if (!search(Class1Code.toString()))
        return QStringLiteral("X");
    return m_rs.value(QStringLiteral("KbnName")).toString();
}
