#pragma once

#include "ReportMetrics.h"
#include "ReportPage.h"

#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// Draws a page in the manner of a Japanese business form: the title centred
// with a double rule, the date and time printed at the top right, ruled
// column headings on grey, ruled lines, shaded group headings and totals,
// and "n / m" at the foot. Every text is printed whole: one too wide for its
// column is condensed and, when that is not enough, runs on two lines.
class ReportPainter
{
public:
    ReportPainter(const ReportMetrics &metrics, const QString &fontFamily);

    // The painter's coordinates are layout units with the paper's top left
    // corner at the origin.
    void paint(QPainter &painter, const ReportPage &page) const;

    // Scales the paper to fill `target` (device coordinates), keeping its
    // proportions, then paints.
    void paint(QPainter &painter, const ReportPage &page, const QRectF &target) const;

private:
    void paintHeader(QPainter &painter, const ReportPage &page) const;
    void paintHeadings(QPainter &painter, const ReportPage &page, double top) const;
    double paintLine(QPainter &painter, const ReportPage &page, const ReportLine &line, double top) const;
    void paintCell(QPainter &painter, const QRectF &rect, const QString &text, Qt::Alignment alignment,
                   const QFont &font) const;
    static void drawCondensed(QPainter &painter, const QRectF &box, const QString &text, Qt::Alignment alignment,
                              const QFont &font);
    void paintSeparators(QPainter &painter, const ReportPage &page, double top, double height) const;

    const ReportMetrics &m_metrics;
    QFont m_body;
    QFont m_bold;
    QFont m_title;
    QFont m_small;
};
