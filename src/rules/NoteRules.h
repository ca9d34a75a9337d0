#pragma once

#include <QDate>
#include <QList>
#include <QString>

// The rules a note payable is held against, as data in one place: the stamp
// duty of a paper note, its term (サイト) and the warnings that go with it.
// Electronic records (電子記録債務) bear no stamp duty and are not exchanged
// at the clearing house.
class NoteRules
{
public:
    // One band of the stamp duty on a promissory or exchange note: `duty`
    // for an amount up to and including `upTo`.
    struct StampBand
    {
        qint64 upTo;
        qint64 duty;
    };
    // Amounts below this bear no duty.
    static qint64 stampFreeBelow();
    // The bands in rising order; above the last one, topStampDuty().
    static QList<StampBand> stampBands();
    static qint64 topStampDuty();
    // The duty of a note of `amount` yen; 0 for an electronic record.
    static qint64 stampDuty(double amount, bool electronic = false);

    // Days from drawing to due date; 0 when either date is missing.
    static int termDays(const QDate &drawn, const QDate &due);
    // A term longer than this many days is hard to discount and subject to
    // the fair-trade authority's guidance, for paper notes and electronic
    // records alike, from longTermFrom() on (drawing date).
    static int longTermDays();
    static QDate longTermFrom();
    // The last due date the clearing house still exchanges a paper note for.
    static QDate lastClearingDue();
    // From this drawing date on, a supplier covered by the subcontract law
    // may not be paid by note, nor by an electronic record whose full amount
    // the supplier cannot have in cash within 60 days.
    static QDate subcontractLawFrom();

    enum class Kind { LongTerm, Clearing, Subcontract };
    struct Warning
    {
        Kind kind;
        QString reason; // short, for lists and labels
        QString detail; // one sentence, for the entry window
    };
    // The warnings a note carries, in the order of Kind, each only for a
    // note drawn once its rule was in force. `covered`: the payee is marked
    // 取適法対象.
    static QList<Warning> warnings(const QDate &drawn, const QDate &due, bool electronic, bool covered);
    // The warning of a paper note; Subcontract of an electronic record is
    // the one of a term over 60 days.
    static Warning warning(Kind kind, bool electronic = false);

    // The record number of an electronic record: 20 half-width capital
    // letters and digits. recordNumberText turns full-width letters and
    // digits into half-width ones and small letters into capitals, and
    // leaves everything else as it is.
    static int recordNumberLength();
    static QString recordNumberText(const QString &typed);
    static bool isRecordNumber(const QString &text);
};
