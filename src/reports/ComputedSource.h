#pragma once

#include "ReportRequest.h"
#include "SqlCondition.h"

#include <QString>

class Connection;

// The lists a report reads that the database does not hold: the notes with
// their stamp duty (InshiList) and the unsettled notes with their warnings
// (YochuiList), the schedule of notes payable at ReportDate for the tax
// return (UchiwakeList; electronic records too when ReportKeiri is
// "denshi"), and the changes of notes in a period from the change history
// with what each changed (RirekiList). The rules behind them are the store's, so they are worked
// out here and written into a temporary table of the report's own
// connection, which a read-only data folder allows as well; a definition
// names such a list as its Source like any table.
class ComputedSource
{
public:
    // True when `source` names one of these lists.
    static bool isComputed(const QString &source);

    // Makes the temporary table `source` on `connection`. Where `selection`
    // reads only the notes' own columns, only the notes it selects are
    // worked out. Raises StoreError when the notes cannot be read.
    // Raises ReportError for a schedule without a date.
    static void fill(Connection &connection, const QString &source, const SqlCondition &selection,
                     const ReportRequest &request);
};
