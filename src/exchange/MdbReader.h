#pragma once

#include "LegacyTable.h"

#include <QList>
#include <QString>

// Reads the tables of the earlier version's Access (Jet) database, opened
// read-only. Raises StoreError, with a Japanese explanation, when the file
// cannot be opened, lacks a table of the register, or yields fewer rows than
// its table definitions promise (a damaged or truncated file).
class MdbReader
{
public:
    // kbn1, kbn2, Kbn3, Kbn4, Kbn5, kbn6, SireCliant, SiteTbl and, where the
    // file has it, TMPTbl.
    static QList<LegacyTable> readRegister(const QString &mdbPath);

    // False when this build was made without the Access reader.
    static bool available();
};
