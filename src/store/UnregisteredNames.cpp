#include "UnregisteredNames.h"

#include "Connection.h"

UnregisteredNames::UnregisteredNames(Connection &connection)
    : m_connection(connection)
{
}

QString UnregisteredNames::text(const QString &code)
{
    return QStringLiteral("(未登録 %1)").arg(code);
}

QString UnregisteredNames::payee(const QString &name, const QString &code)
{
    return shown(name, code, m_payees, "SELECT ClCode FROM SireCliant");
}

QString UnregisteredNames::bank(const QString &name, const QString &code)
{
    return shown(name, code, m_banks, "SELECT KbnCode FROM kbn6");
}

QString UnregisteredNames::shown(const QString &name, const QString &code, std::optional<QSet<QString>> &codes,
                                 const char *sql)
{
    if (!name.isEmpty() || code.isEmpty())
        return name;
    if (!codes) {
        codes.emplace();
        QSqlQuery &query = m_connection.exec(QLatin1String(sql));
        while (query.next())
            codes->insert(query.value(0).toString().toLower());
        query.finish();
    }
    return codes->contains(code.toLower()) ? name : text(code);
}
