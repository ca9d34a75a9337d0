#include "ReportPageWidget.h"

#include "ReportDocument.h"
#include "ReportFonts.h"
#include "ReportPainter.h"

#include <QPainter>

#include <cmath>

ReportPageWidget::ReportPageWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

ReportPageWidget::~ReportPageWidget() = default;

void ReportPageWidget::setDocument(const ReportDocument *document)
{
    m_document = document;
    m_painter.reset();
    if (document)
        m_painter = std::make_unique<ReportPainter>(document->metrics(), ReportFonts::japaneseFamily());
    m_page = 0;
    m_stale = true;
    updateGeometry();
    adjustSize();
    update();
}

void ReportPageWidget::setPage(int index)
{
    if (index == m_page)
        return;
    m_page = index;
    m_stale = true;
    update();
}

void ReportPageWidget::setScale(double scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    m_stale = true;
    updateGeometry();
    adjustSize();
    update();
}

QSize ReportPageWidget::sizeHint() const
{
    if (!m_document)
        return QSize(0, 0);
    const QSizeF paper = m_document->metrics().paper();
    return QSize(int(std::ceil(paper.width() * m_scale)), int(std::ceil(paper.height() * m_scale)));
}

void ReportPageWidget::render()
{
    m_stale = false;
    if (!m_document || m_page < 0 || m_page >= m_document->pageCount()) {
        m_image = QImage();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize size = sizeHint();
    m_image = QImage(size * ratio, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    QPainter p(&m_image);
    p.scale(m_scale, m_scale);
    m_painter->paint(p, m_document->page(m_page));
}

void ReportPageWidget::paintEvent(QPaintEvent *)
{
    if (m_stale)
        render();
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    if (!m_image.isNull())
        p.drawImage(QPoint(0, 0), m_image);
}
