#pragma once

#include "ui/TableGrid.h"

// A grid whose first column stays in view while the other columns scroll
// sideways: a second view over the left edge shows that column alone, with
// the same rows, selection and vertical scrolling.
class FrozenColumnGrid : public TableGrid
{
    Q_OBJECT

public:
    explicit FrozenColumnGrid(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    QTableView *frozenView() const { return m_frozen; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

private:
    void showFirstColumnOnly();
    void placeFrozenView();

    QTableView *m_frozen = nullptr;
};
