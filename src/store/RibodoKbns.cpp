#include "RibodoKbns.h"

#include "Schema.h"
#include "StateMeaning.h"

namespace {

QString denshiColumn()
{
    return QStringLiteral("KbnDenshi");
}

} // namespace

RibodoKbns::RibodoKbns()
    : CodeNameRecord({QStringLiteral("KbnCode"), QStringLiteral("KbnName"),
                      QStringLiteral("区分コードが見つかりません。"), QStringLiteral("区分コードが重複しています。")})
{
}

void RibodoKbns::CntDb()
{
    connectTo(Schema::categoryTable(m_kbnTblNo));
}

void RibodoKbns::write()
{
    setText(QStringLiteral("KbnCode"), m_kCode);
    setText(QStringLiteral("KbnName"), m_kName);
    if (hasColumn(denshiColumn()))
        recordset().setValue(denshiColumn(), int(m_kbnDenshi));
    if (hasColumn(StateMeaning::column()))
        recordset().setValue(StateMeaning::column(), m_kbnKesai);
}

void RibodoKbns::McSetKesai()
{
    rewriteRow(m_kCode2, [this] { recordset().setValue(StateMeaning::column(), m_kbnKesai); });
}

void RibodoKbns::Mcsave()
{
    addRow([this] { write(); });
}

void RibodoKbns::Mcedit()
{
    rewriteRow(m_kCode2, [this] { write(); });
}

void RibodoKbns::Mcdelete()
{
    deleteRow(m_kCode2);
}

void RibodoKbns::McEDsearch()
{
    const bool found = callUp(m_kCode, [this] {
        // A null column (only other tools write one) reads as empty text.
        m_kCode = recordset().value(QStringLiteral("KbnCode")).toString();
        m_kName = recordset().value(QStringLiteral("KbnName")).toString();
        m_kbnDenshi = hasColumn(denshiColumn()) && recordset().value(denshiColumn()).toInt() != 0;
        m_kbnKesai = hasColumn(StateMeaning::column())
                ? int(StateMeaning::fromValue(recordset().value(StateMeaning::column())))
                : 0;
    });
    if (!found)
        m_kCode = QStringLiteral("X");
}

QVariant RibodoKbns::DuplicateCodeCheck(const QVariant &Class1Code)
{
    return codeCheck(Class1Code, QStringLiteral("x"));
}

QVariant RibodoKbns::DispName(const QVariant &Class1Code)
{
    return nameOf(Class1Code);
}
