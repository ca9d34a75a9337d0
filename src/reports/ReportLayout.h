#pragma once

#include "ReportLine.h"

#include <QList>

class ReportMetrics;
class ReportTable;

// Where the lines of a report fall: a light record per line (its kind and the
// row, group or summary it shows) and per page (its run of lines and, for a
// cross table, the slice of columns it shows). Texts are looked up only when
// a page is drawn, so a report of any length lays out in little memory.
class ReportLayout
{
public:
    struct Line
    {
        ReportLine::Kind kind;
        int index;
    };
    struct Page
    {
        int firstLine = 0;
        int lineCount = 0;
        int slice = 0;
    };
    struct Group
    {
        int level = 0;
        int firstRow = 0;
        int rowCount = 0;
        int page = 0;
        QList<double> sums;
    };
    struct Slice
    {
        int firstColumn = 0;
        int columnCount = 0;
    };

    // A list report: rows in order, grouped on the texts of `groupColumns`
    // (outermost first); each group closes with its subtotals, the report
    // with its total and `summaries` summary lines. A page that begins
    // inside a group repeats the group's heading when `repeatGroupHeadings`,
    // and always when it begins with the group's subtotal.
    static ReportLayout list(const ReportMetrics &metrics, const ReportTable &rows, const QList<int> &groupColumns,
                             int summaries, bool repeatGroupHeadings);

    // A cross table of `rows` rows and a totals line; the columns that do not
    // fit across one page continue on the following pages, each band of rows
    // printed across all its column slices before the next band.
    static ReportLayout crossTable(const ReportMetrics &metrics, int rows, int columns, double fixedWidth,
                                   double columnWidth);

    QList<Line> lines;
    QList<Page> pages;
    QList<Group> groups;
    QList<Slice> slices;
    QList<double> totals;

private:
    void place(const ReportMetrics &metrics, ReportLine::Kind kind, int index, double keepWithNext = 0);
    void breakPage(const ReportMetrics &metrics, ReportLine::Kind next);
    void closePage();

    QList<int> m_open;
    bool m_repeat = false;
    double m_y = 0;
    int m_pageStart = 0;
};
