#include "ReportMetrics.h"

#include "ReportDefinition.h"

ReportMetrics::ReportMetrics(const ReportDefinition &definition)
{
    const QSizeF mm = definition.paperSizeMm();
    m_paper = QSizeF(fromMm(mm.width()), fromMm(mm.height()));
    m_margin = fromMm(definition.marginMm);
    m_fontSize = definition.fontSizePt * 10;
    m_rowHeight = fromMm(definition.rowHeightMm);
    m_titleHeight = titleFontSize() * 2.4;
    m_subtitleHeight = definition.subtitle.isEmpty() ? 0 : m_rowHeight * 1.2;
    m_headingHeight = m_rowHeight * 1.3;
    m_footerHeight = smallFontSize() * 2.5;
}

double ReportMetrics::bodyHeight() const
{
    return m_paper.height() - m_margin - m_footerHeight - bodyTop();
}

double ReportMetrics::lineHeight(ReportLine::Kind kind) const
{
    switch (kind) {
    case ReportLine::Kind::GroupHeading:
    case ReportLine::Kind::ContinuedHeading:
    case ReportLine::Kind::GrandTotal:
        return m_rowHeight * 1.25;
    case ReportLine::Kind::GroupFooter:
        return m_rowHeight * 1.1;
    case ReportLine::Kind::Empty:
        return m_rowHeight * 2;
    case ReportLine::Kind::Detail:
    case ReportLine::Kind::Summary:
        break;
    }
    return m_rowHeight;
}
