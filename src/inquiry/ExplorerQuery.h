#pragma once

#include <QString>

#include <optional>

// The statements of the note explorer, in the system's own dialect (dates
// as #yyyy/mm/dd#, codes between single quotes). Codes are written as the
// code text, quoted, so that codes such as A01 or 007 find their notes; a
// whole-number code reads exactly as its decimal digits.
class ExplorerQuery
{
public:
    // The distinct due dates, for the tree.
    static QString dueDates();
    // Every note.
    static QString allNotes();
    // The notes due on one day, the day written "yyyy/mm/dd".
    static QString notesOfDate(const QString &selectedDateText);

    // Payee flag, bank flag and period flag, e.g. "101". A payee or bank
    // without a value takes no part; equal dates mean "from the start on".
    static QString conditionKey(bool payee, bool bank, const QString &startDateText, const QString &endDateText);

    // The search over payee, bank and due-date period, dates "yyyy/mm/dd".
    static QString search(const std::optional<QString> &payeeCode, const std::optional<QString> &bankCode,
                          const QString &startDateText, const QString &endDateText);

    // The condition on one category appended to a search: kind 1 note kind,
    // 2 purpose, 3 state, 4 accounting category; empty for any other kind.
    static QString categoryCondition(int kind, const QString &code);
};
