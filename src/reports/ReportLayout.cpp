#include "ReportLayout.h"

#include "ReportMetrics.h"
#include "ReportTable.h"

#include <cmath>

void ReportLayout::closePage()
{
    pages.append({m_pageStart, int(lines.size()) - m_pageStart, 0});
    m_pageStart = int(lines.size());
    m_y = 0;
}

void ReportLayout::breakPage(const ReportMetrics &metrics, ReportLine::Kind next)
{
    closePage();
    const bool insideGroup = next == ReportLine::Kind::Detail || next == ReportLine::Kind::GroupFooter
            || next == ReportLine::Kind::GroupHeading;
    // A subtotal never begins a page without the name of what it totals.
    if (!insideGroup || (!m_repeat && next != ReportLine::Kind::GroupFooter))
        return;
    for (const int g : std::as_const(m_open)) {
        lines.append({ReportLine::Kind::ContinuedHeading, g});
        m_y += metrics.lineHeight(ReportLine::Kind::ContinuedHeading);
    }
}

void ReportLayout::place(const ReportMetrics &metrics, ReportLine::Kind kind, int index, double keepWithNext)
{
    const double h = metrics.lineHeight(kind);
    // A line always goes on an empty page, so that nothing taller than the
    // body can hold the layout up.
    if (int(lines.size()) > m_pageStart && m_y + h + keepWithNext > metrics.bodyHeight())
        breakPage(metrics, kind);
    lines.append({kind, index});
    m_y += h;
}

ReportLayout ReportLayout::list(const ReportMetrics &metrics, const ReportTable &rows, const QList<int> &groupColumns,
                                int summaries, bool repeatGroupHeadings)
{
    ReportLayout l;
    l.m_repeat = repeatGroupHeadings;
    const int levels = int(groupColumns.size());
    const int sums = rows.numberColumns();
    l.totals = QList<double>(sums, 0.0);
    l.lines.reserve(rows.rowCount() + 16);
    const double detail = metrics.lineHeight(ReportLine::Kind::Detail);
    const double heading = metrics.lineHeight(ReportLine::Kind::GroupHeading);

    for (int r = 0; r < rows.rowCount(); ++r) {
        int changed = levels;
        if (r == 0) {
            changed = 0;
        } else {
            for (int k = 0; k < levels; ++k) {
                if (rows.text(r, groupColumns.at(k)) != rows.text(r - 1, groupColumns.at(k))) {
                    changed = k;
                    break;
                }
            }
        }
        while (int(l.m_open.size()) > changed) {
            l.place(metrics, ReportLine::Kind::GroupFooter, l.m_open.last());
            l.m_open.removeLast();
        }
        for (int k = changed; k < levels; ++k) {
            const int g = int(l.groups.size());
            // A heading never ends a page: it stays with its first detail.
            const double below = (levels - k - 1) * heading + detail;
            l.place(metrics, ReportLine::Kind::GroupHeading, g, below);
            l.groups.append({k, r, 0, int(l.pages.size()), QList<double>(sums, 0.0)});
            l.m_open.append(g);
        }
        l.place(metrics, ReportLine::Kind::Detail, r);
        for (int c = 0; c < sums; ++c) {
            const double v = rows.number(r, c);
            l.totals[c] += v;
            for (const int g : std::as_const(l.m_open))
                l.groups[g].sums[c] += v;
        }
        for (const int g : std::as_const(l.m_open))
            ++l.groups[g].rowCount;
    }
    while (!l.m_open.isEmpty()) {
        l.place(metrics, ReportLine::Kind::GroupFooter, l.m_open.last());
        l.m_open.removeLast();
    }

    if (rows.rowCount() == 0) {
        l.place(metrics, ReportLine::Kind::Empty, 0);
    } else {
        // The total and the summaries below it stay together.
        l.place(metrics, ReportLine::Kind::GrandTotal, 0, summaries * metrics.lineHeight(ReportLine::Kind::Summary));
        for (int s = 0; s < summaries; ++s)
            l.place(metrics, ReportLine::Kind::Summary, s);
    }
    l.closePage();
    l.slices.append({0, 0});
    return l;
}

ReportLayout ReportLayout::crossTable(const ReportMetrics &metrics, int rows, int columns, double fixedWidth,
                                      double columnWidth)
{
    ReportLayout l;
    const int perPage = std::max(1, int(std::floor((metrics.usableWidth() - fixedWidth) / columnWidth + 1e-6)));
    for (int first = 0; first < columns; first += perPage)
        l.slices.append({first, std::min(perPage, columns - first)});
    if (l.slices.isEmpty())
        l.slices.append({0, 0});

    if (rows == 0) {
        l.place(metrics, ReportLine::Kind::Empty, 0);
    } else {
        for (int r = 0; r < rows; ++r)
            l.place(metrics, ReportLine::Kind::Detail, r);
        l.place(metrics, ReportLine::Kind::GrandTotal, 0);
    }
    l.closePage();

    // Each band of rows is repeated once per column slice.
    const QList<Page> bands = l.pages;
    l.pages.clear();
    for (const Page &band : bands) {
        for (int s = 0; s < l.slices.size(); ++s)
            l.pages.append({band.firstLine, band.lineCount, s});
    }
    return l;
}
