#pragma once

#include <QString>

// The account names the journal for the accounting package is written with,
// kept in the database so that an office sets them once: the payables the
// drawing of a note pays off, the notes payable themselves, the bank
// account a settled note is paid from, and the electronic records payable,
// which are booked apart from paper notes.
class JournalAccounts
{
public:
    QString payables = QStringLiteral("買掛金");
    QString notesPayable = QStringLiteral("支払手形");
    QString bankAccount = QStringLiteral("当座預金");
    QString electronicRecords = QStringLiteral("電子記録債務");

    // The stored names, the defaults for any not stored. Raises StoreError.
    static JournalAccounts load(const QString &dataFolder);
    void save(const QString &dataFolder) const;
};
