#include "UnregisteredNames.h"

#include "Connection.h"

namespace {

QSet<QString> codesOf(Connection &connection, const QString &sql)
{
    QSet<QString> codes;
    QSqlQuery &query = connection.exec(sql);
    while (query.next())
        codes.insert(query.value(0).toString().toLower());
    query.finish();
    return codes;
}

} // namespace

UnregisteredNames::UnregisteredNames(Connection &connection)
    : m_payees(codesOf(connection, QStringLiteral("SELECT ClCode FROM SireCliant")))
    , m_banks(codesOf(connection, QStringLiteral("SELECT KbnCode FROM kbn6")))
{
}

QString UnregisteredNames::text(const QString &code)
{
    return QStringLiteral("(未登録 %1)").arg(code);
}

QString UnregisteredNames::payee(const QString &name, const QString &code) const
{
    return shown(name, code, m_payees);
}

QString UnregisteredNames::bank(const QString &name, const QString &code) const
{
    return shown(name, code, m_banks);
}

QString UnregisteredNames::shown(const QString &name, const QString &code, const QSet<QString> &codes)
{
    if (!name.isEmpty() || code.isEmpty() || codes.contains(code.toLower()))
        return name;
    return text(code);
}
