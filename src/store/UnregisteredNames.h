#pragma once

#include <QSet>
#include <QString>

class Connection;

// Payee and bank names as lists show them. A note keeps its codes when the
// supplier or bank is deleted; such a code shows, marked, as 「(未登録 code)」,
// the way the reports print it, instead of an empty name. A note without a
// code keeps the empty name.
class UnregisteredNames
{
public:
    // Reads the supplier and bank codes. Raises StoreError.
    explicit UnregisteredNames(Connection &connection);

    static QString text(const QString &code);

    // `name` as the note's query gave it, or the marked code when the name is
    // empty because the master row is gone.
    QString payee(const QString &name, const QString &code) const;
    QString bank(const QString &name, const QString &code) const;

private:
    static QString shown(const QString &name, const QString &code, const QSet<QString> &codes);

    // Lower case: codes compare without regard to letter case.
    QSet<QString> m_payees;
    QSet<QString> m_banks;
};
