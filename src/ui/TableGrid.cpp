#include "TableGrid.h"

#include "FitHeaderView.h"
#include "FitTextDelegate.h"

#include <QHeaderView>
#include <QKeyEvent>

TableGrid::TableGrid(QWidget *parent)
    : QTableView(parent)
{
    // Texts are drawn whole, narrower where a column is narrow.
    setHorizontalHeader(new FitHeaderView(Qt::Horizontal, this));
    setItemDelegate(new FitTextDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // Rows of one line of text: a fixed height keeps large lists fast.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT rowActivated(index.row());
    });
}

int TableGrid::twipsToPixels(int twips, const QWidget *widget)
{
    const int dpi = widget ? widget->logicalDpiX() : 96;
    return qRound(twips * dpi / 1440.0);
}

void TableGrid::setColumnTwips(int column, int twips)
{
    setColumnWidth(column, twipsToPixels(twips, this));
}

int TableGrid::currentRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() && selectionModel() && selectionModel()->isRowSelected(index.row(), QModelIndex())
        ? index.row()
        : -1;
}

void TableGrid::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        const int row = currentRow();
        if (row >= 0) {
            Q_EMIT rowActivated(row);
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}
