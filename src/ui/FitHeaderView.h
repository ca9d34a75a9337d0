#pragma once

#include <QHeaderView>

// A header whose captions are drawn whole, in a narrower font where a
// column is narrower than its caption (a date heading over an amount).
class FitHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit FitHeaderView(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
};
