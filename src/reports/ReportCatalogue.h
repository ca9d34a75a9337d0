#pragma once

#include <QString>

#include <optional>

// The one list of report numbers: the definition file of each report, the
// record selection the viewer adds for reports 11, 12 and 14, and the
// viewer's title.
class ReportCatalogue
{
public:
    struct Entry
    {
        int number = 0;
        QString fileName;
    };

    // The entry whose number, written as text ("1" ... "16"), equals
    // `modeFlag`; none for any other text. Report 13, the funding plan, reads
    // the work table its window fills.
    static std::optional<Entry> find(const QString &modeFlag);

    // The selection formula of a report, built from ReportDate and
    // ReportKeiri as the catalogue writes it; empty for reports without one.
    // A quote in ReportKeiri is doubled so that it stays part of the value.
    // Raises ReportError when a report that needs ReportDate is given text
    // that is no date. Report 14 lists the notes drawn from ReportDate to
    // ReportDateEnd, both included; report 16 the changes made on those days.
    static QString selectionFormula(int number, const QString &reportDate, const QString &reportKeiri,
                                    const QString &reportDateEnd = QString());

    static QString viewerTitle(int number);

    // Report 10, the notes book, is shown with its group outline and with its
    // group heading repeated on each continued page.
    static bool showsGroupOutline(int number) { return number == 10; }
    static bool repeatsGroupHeadings(int number) { return number == 10; }
};
