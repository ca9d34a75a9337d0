#include "RibodoKbns.h"

#include "JetSql.h"
#include "Schema.h"
#include "StoreError.h"


namespace {

// Unset text is written as empty text, not as null.
QString textOrEmpty(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace

RibodoKbns::~RibodoKbns()
{
    m_rs.close();
    m_connection.close();
}

void RibodoKbns::CntDb()
{
    m_connection.open(Schema::connectionText(m_dirPath));
    const QString table = Schema::categoryTable(m_kbnTblNo);
    if (!table.isEmpty())
        m_rs.open(table, m_connection);
}

bool RibodoKbns::search(const QString &code)
{
    m_criteria = QStringLiteral("KbnCode = ") + JetSql::quote(code);
    m_rs.find(m_criteria);
    return !m_rs.eof();
}

void RibodoKbns::findForChange()
{
    if (!search(m_kCode2))
        throw StoreError(QStringLiteral("区分コードが見つかりません。"), m_kCode2);
}

void RibodoKbns::write()
{
    m_rs.writeRow([this] {
        m_rs.setValue(QStringLiteral("KbnCode"), textOrEmpty(m_kCode));
        m_rs.setValue(QStringLiteral("KbnName"), textOrEmpty(m_kName));
    }, QStringLiteral("区分コードが重複しています。"));
}

void RibodoKbns::Mcsave()
{
    m_rs.addNew();
    write();
}

void RibodoKbns::Mcedit()
{
    findForChange();
    write();
}

void RibodoKbns::Mcdelete()
{
    findForChange();
    m_rs.deleteCurrent();
}

void RibodoKbns::McEDsearch()
{
    if (!search(m_kCode)) {
        m_kCode = QStringLiteral("X");
        return;
    }
    // A null column (only other tools write one) reads as empty text.
    m_kCode = m_rs.value(QStringLiteral("KbnCode")).toString();
    m_kName = m_rs.value(QStringLiteral("KbnName")).toString();
}

QVariant RibodoKbns::DuplicateCodeCheck(const QVariant &Class1Code)
{
    return search(Class1Code.toString()) ? QStringLiteral("x") : QString();
}

QVariant RibodoKbns::DispName(const QVariant &Class1Code)
{
    if (!search(Class1Code.toString()))
        return QStringLiteral("X");
    return m_rs.value(QStringLiteral("KbnName")).toString();
}
