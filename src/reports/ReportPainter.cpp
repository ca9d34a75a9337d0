#include "ReportPainter.h"

#include "ReportFonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QColor headingFill(0xE4, 0xE4, 0xE4);
const QColor groupFill(0xF2, 0xF2, 0xF2);
const QColor ruleColour(0xB0, 0xB0, 0xB0);

constexpr double thick = 6;
constexpr double thin = 2.5;
// The narrowest a text is condensed to before it runs on two lines.
constexpr double narrowest = 0.55;

// Figures, dates and codes: no letter that a line could be broken between.
bool isFigure(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.isDigit() || c.isPunct() || c.isSpace() || c.isSymbol();
    });
}

// Line breaks and tabs (remarks may hold them) print as spaces.
QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar &c : line) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line;
}

double tableWidth(const ReportPage &page)
{
    return page.columns.isEmpty() ? 0 : page.columns.last().x + page.columns.last().width;
}

// A table narrower than the paper stands in the middle of it.
double tableLeft(const ReportMetrics &metrics, const ReportPage &page)
{
    return metrics.margin() + std::max(0.0, (metrics.usableWidth() - tableWidth(page)) / 2);
}

} // namespace

ReportPainter::ReportPainter(const ReportMetrics &metrics, const QString &fontFamily)
    : m_metrics(metrics)
    , m_body(ReportFonts::font(fontFamily, metrics.fontSize()))
    , m_bold(ReportFonts::font(fontFamily, metrics.fontSize(), true))
    , m_title(ReportFonts::font(fontFamily, metrics.titleFontSize(), true))
    , m_small(ReportFonts::font(fontFamily, metrics.smallFontSize()))
{
}

void ReportPainter::paint(QPainter &painter, const ReportPage &page, const QRectF &target) const
{
    const QSizeF paper = m_metrics.paper();
    const double scale = std::min(target.width() / paper.width(), target.height() / paper.height());
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    paint(painter, page);
    painter.restore();
}

void ReportPainter::paint(QPainter &painter, const ReportPage &page) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRectF(QPointF(0, 0), m_metrics.paper()), Qt::white);
    painter.setPen(Qt::black);
    paintHeader(painter, page);

    const double headingTop = m_metrics.bodyTop() - m_metrics.headingHeight();
    paintHeadings(painter, page, headingTop);

    const double left = tableLeft(m_metrics, page);
    const double width = tableWidth(page);
    double y = m_metrics.bodyTop();
    for (const ReportLine &line : page.lines)
        y = paintLine(painter, page, line, y);

    // The frame of the table, from the headings to the last line.
    painter.setPen(QPen(Qt::black, thick));
    painter.drawLine(QPointF(left, headingTop), QPointF(left, y));
    painter.drawLine(QPointF(left + width, headingTop), QPointF(left + width, y));
    painter.drawLine(QPointF(left, y), QPointF(left + width, y));

    painter.setFont(m_small);
    const QRectF foot(m_metrics.margin(), m_metrics.paper().height() - m_metrics.margin() - m_metrics.footerHeight(),
                      m_metrics.usableWidth(), m_metrics.footerHeight());
    painter.drawText(foot, Qt::AlignHCenter | Qt::AlignBottom, page.pageNumber);
    painter.restore();
}

void ReportPainter::paintHeader(QPainter &painter, const ReportPage &page) const
{
    const double left = m_metrics.margin();
    const double top = m_metrics.margin();
    const double width = m_metrics.usableWidth();

    painter.setFont(m_small);
    painter.drawText(QRectF(left, top, width, m_metrics.smallFontSize() * 1.6), Qt::AlignRight | Qt::AlignTop,
                     page.printedAt);

    painter.setFont(m_title);
    const double titleSize = m_metrics.titleFontSize();
    const QRectF titleRect(left, top, width, titleSize * 1.5);
    painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter, page.title);
    // The double rule under the title of a Japanese form.
    const double textWidth = QFontMetricsF(m_title).horizontalAdvance(page.title) + titleSize;
    const double centre = left + width / 2;
    const double ruleY = titleRect.bottom() + titleSize * 0.12;
    painter.setPen(QPen(Qt::black, thin * 1.4));
    painter.drawLine(QPointF(centre - textWidth / 2, ruleY), QPointF(centre + textWidth / 2, ruleY));
    painter.drawLine(QPointF(centre - textWidth / 2, ruleY + titleSize * 0.12),
                     QPointF(centre + textWidth / 2, ruleY + titleSize * 0.12));

    if (!page.subtitle.isEmpty()) {
        painter.setFont(m_body);
        painter.drawText(QRectF(tableLeft(m_metrics, page), top + m_metrics.titleHeight(),
                                std::max(tableWidth(page), width / 2), m_metrics.subtitleHeight()),
                         Qt::AlignLeft | Qt::AlignVCenter, page.subtitle);
    }
}

void ReportPainter::paintHeadings(QPainter &painter, const ReportPage &page, double top) const
{
    const double left = tableLeft(m_metrics, page);
    const double height = m_metrics.headingHeight();
    const QRectF band(left, top, tableWidth(page), height);
    painter.fillRect(band, headingFill);
    for (const ReportPage::Column &c : page.columns)
        paintCell(painter, QRectF(left + c.x, top, c.width, height), c.heading, Qt::AlignHCenter, m_bold);
    paintSeparators(painter, page, top, height);
    painter.setPen(QPen(Qt::black, thick));
    painter.drawLine(band.topLeft(), band.topRight());
    painter.drawLine(band.bottomLeft(), band.bottomRight());
}

void ReportPainter::paintSeparators(QPainter &painter, const ReportPage &page, double top, double height) const
{
    painter.setPen(QPen(ruleColour, thin));
    const double left = tableLeft(m_metrics, page);
    for (qsizetype i = 1; i < page.columns.size(); ++i) {
        const double x = left + page.columns.at(i).x;
        painter.drawLine(QPointF(x, top), QPointF(x, top + height));
    }
}

void ReportPainter::paintCell(QPainter &painter, const QRectF &rect, const QString &text, Qt::Alignment alignment,
                              const QFont &font) const
{
    const QString shown = oneLine(text);
    if (shown.isEmpty())
        return;
    const double pad = m_metrics.padding();
    const QRectF inner = rect.adjusted(pad, 0, -pad, 0);
    painter.setPen(Qt::black);
    const double width = QFontMetricsF(font).horizontalAdvance(shown);
    // A figure is never cut, however narrow it must be drawn.
    if (width * narrowest <= inner.width() || isFigure(shown)) {
        drawCondensed(painter, inner, shown, alignment, font);
        return;
    }
    // Two lines in a font small enough for both to stand within the row.
    QFont small = font;
    const double lineHeight = QFontMetricsF(font).height();
    const double scale = std::min(1.0, inner.height() / (2 * lineHeight));
    small.setPixelSize(std::max(1, int(std::floor(font.pixelSize() * scale))));
    const QFontMetricsF sm(small);
    qsizetype split = 1;
    double best = std::numeric_limits<double>::max();
    for (qsizetype i = 1; i < shown.size(); ++i) {
        const double wider = std::max(sm.horizontalAdvance(shown.left(i)), sm.horizontalAdvance(shown.mid(i)));
        if (wider < best) {
            best = wider;
            split = i;
        }
    }
    const double half = inner.height() / 2;
    const QRectF upper(inner.left(), inner.top(), inner.width(), half);
    const QRectF lower(inner.left(), inner.top() + half, inner.width(), half);
    drawCondensed(painter, upper, shown.left(split).trimmed(), alignment, small);
    QString rest = shown.mid(split).trimmed();
    if (sm.horizontalAdvance(rest) * narrowest > inner.width())
        rest = sm.elidedText(rest, Qt::ElideRight, inner.width() / narrowest);
    drawCondensed(painter, lower, rest, alignment, small);
}

// Text wider than its box is drawn narrower, as a form condenses a long name.
void ReportPainter::drawCondensed(QPainter &painter, const QRectF &box, const QString &text, Qt::Alignment alignment,
                                  const QFont &font)
{
    painter.setFont(font);
    const double width = QFontMetricsF(font).horizontalAdvance(text);
    if (width <= box.width()) {
        painter.drawText(box, alignment | Qt::AlignVCenter, text);
        return;
    }
    painter.save();
    painter.translate(box.left(), 0);
    painter.scale(box.width() / width, 1);
    painter.drawText(QRectF(0, box.top(), width, box.height()), alignment | Qt::AlignVCenter, text);
    painter.restore();
}

double ReportPainter::paintLine(QPainter &painter, const ReportPage &page, const ReportLine &line, double top) const
{
    const double left = tableLeft(m_metrics, page);
    const double width = tableWidth(page);
    const double height = m_metrics.lineHeight(line.kind);
    const QRectF band(left, top, width, height);

    switch (line.kind) {
    case ReportLine::Kind::GroupHeading:
    case ReportLine::Kind::ContinuedHeading: {
        painter.fillRect(band, groupFill);
        const double indent = m_metrics.padding() * 3 * line.level;
        paintCell(painter, band.adjusted(indent, 0, 0, 0), line.label, Qt::AlignLeft,
                  line.kind == ReportLine::Kind::GroupHeading ? m_bold : m_body);
        painter.setPen(QPen(ruleColour, thin));
        painter.drawLine(band.bottomLeft(), band.bottomRight());
        break;
    }
    case ReportLine::Kind::Empty:
        paintCell(painter, band, line.label, Qt::AlignHCenter, m_body);
        break;
    case ReportLine::Kind::Detail:
        for (qsizetype i = 0; i < page.columns.size() && i < line.cells.size(); ++i) {
            const ReportPage::Column &c = page.columns.at(i);
            paintCell(painter, QRectF(left + c.x, top, c.width, height), line.cells.at(i), c.alignment, m_body);
        }
        paintSeparators(painter, page, top, height);
        painter.setPen(QPen(ruleColour, thin));
        painter.drawLine(band.bottomLeft(), band.bottomRight());
        break;
    case ReportLine::Kind::GroupFooter:
    case ReportLine::Kind::GrandTotal:
    case ReportLine::Kind::Summary: {
        const bool grand = line.kind == ReportLine::Kind::GrandTotal;
        if (grand)
            painter.fillRect(band, headingFill);
        // The label runs across the columns up to the first figure.
        qsizetype firstFigure = page.columns.size();
        for (qsizetype i = 0; i < line.cells.size() && i < page.columns.size(); ++i) {
            if (!line.cells.at(i).isEmpty()) {
                firstFigure = i;
                break;
            }
        }
        const double labelEnd = firstFigure < page.columns.size() ? page.columns.at(firstFigure).x : width;
        const QFont &font = line.kind == ReportLine::Kind::Summary ? m_body : m_bold;
        paintCell(painter, QRectF(left, top, labelEnd, height), line.label, Qt::AlignLeft, font);
        for (qsizetype i = firstFigure; i < page.columns.size() && i < line.cells.size(); ++i) {
            const ReportPage::Column &c = page.columns.at(i);
            paintCell(painter, QRectF(left + c.x, top, c.width, height), line.cells.at(i), c.alignment, font);
        }
        painter.setPen(QPen(ruleColour, thin));
        for (qsizetype i = std::max<qsizetype>(firstFigure, 1); i < page.columns.size(); ++i) {
            const double x = left + page.columns.at(i).x;
            painter.drawLine(QPointF(x, top), QPointF(x, top + height));
        }
        if (grand) {
            // A double rule opens the grand total.
            painter.setPen(QPen(Qt::black, thin));
            painter.drawLine(band.topLeft(), band.topRight());
            painter.drawLine(band.topLeft() + QPointF(0, thick * 2), band.topRight() + QPointF(0, thick * 2));
        } else if (line.kind == ReportLine::Kind::GroupFooter) {
            painter.setPen(QPen(Qt::black, thin * 1.5));
            painter.drawLine(band.topLeft(), band.topRight());
        }
        painter.setPen(QPen(line.kind == ReportLine::Kind::GroupFooter ? Qt::black : ruleColour, thin));
        painter.drawLine(band.bottomLeft(), band.bottomRight());
        break;
    }
    }
    return top + height;
}
