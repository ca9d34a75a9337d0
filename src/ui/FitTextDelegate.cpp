#include "FitTextDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int minimumStretch = 50;

} // namespace

int FitTextDelegate::stretchToFit(const QFont &font, const QString &text, int room)
{
    const int needed = QFontMetrics(font).horizontalAdvance(text);
    if (text.isEmpty() || needed <= room || room <= 0)
        return 100;
    // Rounded down, and one step more for rounding inside the font engine.
    return std::max(minimumStretch, 100 * room / needed - 1);
}

void FitTextDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QString text = opt.text;
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(margin, 0, -margin, 0);
    const int needed = opt.fontMetrics.horizontalAdvance(text);
    if (text.isEmpty() || needed <= textRect.width() || textRect.width() <= 0) {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }
    // The cell without its text, then the text scaled to the room it has:
    // a scale applies to every glyph, whichever font supplies it.
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                            : QPalette::Inactive;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    painter->translate(textRect.topLeft());
    painter->scale(qreal(textRect.width()) / needed, 1.0);
    painter->drawText(QRectF(0, 0, needed, textRect.height()), int(Qt::AlignLeft | (opt.displayAlignment & Qt::AlignVertical_Mask)), text);
    painter->restore();
}
