#pragma once

#include <QString>

// How many rows still refer to a code of a master table: notes for a
// supplier, a bank or a note category, suppliers for a supplier category.
// Asked before a delete, so that the user knows what the code leaves behind.
class UsageCount
{
public:
    // Notes whose payee is the supplier.
    static int notesOfSupplier(const QString &dataFolder, const QString &code);
    // Notes paid at the bank.
    static int notesOfBank(const QString &dataFolder, const QString &code);
    // Rows that use a code of category table 0 to 4: notes for the note
    // kinds, purposes, states and accounting categories, suppliers for the
    // supplier categories.
    static int usesOfCategory(const QString &dataFolder, int tableNo, const QString &code);
};
