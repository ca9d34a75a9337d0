#pragma once

#include "ReportLine.h"

#include <QSizeF>

struct ReportDefinition;

// The geometry of a report's pages in layout units, tenths of a point
// (720 to the inch), shared by the pagination and the painting so that both
// agree on where every line falls.
class ReportMetrics
{
public:
    explicit ReportMetrics(const ReportDefinition &definition);

    static double fromMm(double mm) { return mm * 7200.0 / 254.0; }

    QSizeF paper() const { return m_paper; }
    double margin() const { return m_margin; }
    double usableWidth() const { return m_paper.width() - 2 * m_margin; }

    double titleHeight() const { return m_titleHeight; }
    double subtitleHeight() const { return m_subtitleHeight; }
    double headingHeight() const { return m_headingHeight; }
    double footerHeight() const { return m_footerHeight; }
    // From the top of the paper to the first body line, and the body's height.
    double bodyTop() const { return m_margin + m_titleHeight + m_subtitleHeight + m_headingHeight; }
    double bodyHeight() const;

    double lineHeight(ReportLine::Kind kind) const;

    double fontSize() const { return m_fontSize; }
    double titleFontSize() const { return m_fontSize * 16 / 9 < 140 ? 140 : m_fontSize * 16 / 9; }
    double smallFontSize() const { return m_fontSize * 8 / 9; }
    double padding() const { return fromMm(1.5); }

private:
    QSizeF m_paper;
    double m_margin = 0;
    double m_fontSize = 90;
    double m_rowHeight = 0;
    double m_titleHeight = 0;
    double m_subtitleHeight = 0;
    double m_headingHeight = 0;
    double m_footerHeight = 0;
};
