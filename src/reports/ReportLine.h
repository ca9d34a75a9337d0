#pragma once

#include <QString>
#include <QStringList>

// One line of a page's body as it is printed. Headings, continued headings
// and the empty-report line carry a label across the page; details carry one
// text per column; footers and totals carry a label and the sums in the
// columns they total.
struct ReportLine
{
    enum class Kind { GroupHeading, ContinuedHeading, Detail, GroupFooter, GrandTotal, Summary, Empty };

    Kind kind = Kind::Detail;
    int level = 0;
    QString label;
    QStringList cells;
};
