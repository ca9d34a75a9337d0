#include "FitHeaderView.h"

#include "FitTextDelegate.h"

#include <QPainter>

FitHeaderView::FitHeaderView(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
    setTextElideMode(Qt::ElideNone);
}

void FitHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const int stretch = FitTextDelegate::stretchToFit(font(), text, rect.width() - 2 * margin);
    if (stretch == 100) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    painter->save();
    QFont narrow = font();
    narrow.setStretch(stretch);
    painter->setFont(narrow);
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
}
