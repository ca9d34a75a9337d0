#pragma once

#include "ReportLine.h"

#include <QList>
#include <QString>

// Everything printed on one page: the page header (title, subtitle, date and
// time printed, "n / m"), the column headings repeated on every page, and the
// body lines. Positions are layout units (tenths of a point) from the left
// edge of the printable area.
struct ReportPage
{
    struct Column
    {
        QString heading;
        double x = 0;
        double width = 0;
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    int number = 0;
    int count = 0;
    QString title;
    QString subtitle;
    QString printedAt;
    QString pageNumber;
    QList<Column> columns;
    QList<ReportLine> lines;
};
