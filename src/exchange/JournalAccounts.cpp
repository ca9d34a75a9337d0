#include "JournalAccounts.h"

#include "store/Connection.h"
#include "store/Schema.h"
#include "store/StoreError.h"

namespace {

const QString payablesKey = QStringLiteral("Kaikake");
const QString notesKey = QStringLiteral("ShiharaiTegata");
const QString bankKey = QStringLiteral("Toza");
const QString electronicKey = QStringLiteral("Denshi");

} // namespace

JournalAccounts JournalAccounts::load(const QString &dataFolder)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    JournalAccounts accounts;
    QSqlQuery &q = connection.exec(QStringLiteral("SELECT KmKey, KmName FROM ShiwakeKamoku"));
    while (q.next()) {
        const QString key = q.value(0).toString();
        const QString name = q.value(1).toString().trimmed();
        if (name.isEmpty())
            continue;
        if (key == payablesKey)
            accounts.payables = name;
        else if (key == notesKey)
            accounts.notesPayable = name;
        else if (key == bankKey)
            accounts.bankAccount = name;
        else if (key == electronicKey)
            accounts.electronicRecords = name;
    }
    q.finish();
    return accounts;
}

void JournalAccounts::save(const QString &dataFolder) const
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    connection.requireWritable();
    connection.beginTrans();
    try {
        const QString sql = QStringLiteral("INSERT INTO ShiwakeKamoku (KmKey, KmName) VALUES (?, ?) "
                                           "ON CONFLICT (KmKey) DO UPDATE SET KmName = excluded.KmName");
        connection.exec(sql, {payablesKey, payables.trimmed()});
        connection.exec(sql, {notesKey, notesPayable.trimmed()});
        connection.exec(sql, {bankKey, bankAccount.trimmed()});
        connection.exec(sql, {electronicKey, electronicRecords.trimmed()});
        connection.commitTrans();
    } catch (const StoreError &) {
        connection.rollbackTrans();
        throw;
    }
}
