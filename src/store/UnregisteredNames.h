#pragma once

#include <QSet>
#include <QString>

#include <optional>

class Connection;

// Payee and bank names as lists show them. A note keeps its codes when the
// supplier or bank is deleted; such a code shows, marked, as 「(未登録 code)」,
// the way the reports print it, instead of an empty name. A note without a
// code keeps the empty name.
class UnregisteredNames
{
public:
    explicit UnregisteredNames(Connection &connection);

    static QString text(const QString &code);

    // `name` as the note's query gave it, or the marked code when the name is
    // empty because the master row is gone. Raises StoreError.
    QString payee(const QString &name, const QString &code);
    QString bank(const QString &name, const QString &code);

private:
    QString shown(const QString &name, const QString &code, std::optional<QSet<QString>> &codes, const char *sql);

    Connection &m_connection;
    // The codes of each table, read when a name is first missing; lower
    // case, since codes compare without regard to letter case.
    std::optional<QSet<QString>> m_payees;
    std::optional<QSet<QString>> m_banks;
};
