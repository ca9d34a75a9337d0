#pragma once

#include <QStyledItemDelegate>

// Draws a cell's text whole: a text wider than its column is drawn narrower
// instead of being cut with "…", so an amount, a date or a name always reads
// in full at the widths the screens give their columns.
class FitTextDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The font stretch (percent) that makes `text` fit into `room` pixels,
    // 100 when it fits already; never below a legible minimum. Used for
    // headings, whose background the header draws with the text.
    static int stretchToFit(const QFont &font, const QString &text, int room);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
