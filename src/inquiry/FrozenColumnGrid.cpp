#include "FrozenColumnGrid.h"

#include <QHeaderView>
#include <QScrollBar>

FrozenColumnGrid::FrozenColumnGrid(QWidget *parent)
    : TableGrid(parent)
    , m_frozen(new QTableView(this))
{
    m_frozen->setObjectName(QStringLiteral("FrozenColumn"));
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_frozen->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_frozen->setSelectionMode(QAbstractItemView::SingleSelection);
    m_frozen->setWordWrap(false);
    m_frozen->verticalHeader()->hide();
    m_frozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->horizontalHeader()->setHighlightSections(false);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollMode(verticalScrollMode());
    m_frozen->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
    // Sideways by pixels: by whole columns, the columns that scroll under
    // the frozen one would jump past unseen.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    viewport()->stackUnder(m_frozen);
    m_frozen->hide();

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section == 0) {
            m_frozen->setColumnWidth(0, size);
            placeFrozenView();
        }
    });
    connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(), &QAbstractSlider::setValue);
    connect(m_frozen, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            Q_EMIT rowActivated(index.row());
    });
}

void FrozenColumnGrid::setModel(QAbstractItemModel *model)
{
    TableGrid::setModel(model);
    m_frozen->setModel(model);
    m_frozen->setSelectionModel(selectionModel());
    if (model) {
        connect(model, &QAbstractItemModel::modelReset, this, &FrozenColumnGrid::showFirstColumnOnly);
        connect(model, &QAbstractItemModel::columnsInserted, this, &FrozenColumnGrid::showFirstColumnOnly);
    }
    showFirstColumnOnly();
}

void FrozenColumnGrid::showFirstColumnOnly()
{
    const int columns = model() ? model()->columnCount() : 0;
    QHeaderView *header = m_frozen->horizontalHeader();
    for (int c = 1; c < columns; ++c)
        header->setSectionHidden(c, true);
    m_frozen->setVisible(columns > 0);
    if (columns > 0)
        m_frozen->setColumnWidth(0, columnWidth(0));
    placeFrozenView();
}

void FrozenColumnGrid::placeFrozenView()
{
    m_frozen->setGeometry(verticalHeader()->isVisible() ? verticalHeader()->width() + frameWidth() : frameWidth(),
                          frameWidth(), columnWidth(0), viewport()->height() + horizontalHeader()->height());
}

void FrozenColumnGrid::resizeEvent(QResizeEvent *event)
{
    TableGrid::resizeEvent(event);
    placeFrozenView();
}

QModelIndex FrozenColumnGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = TableGrid::moveCursor(cursorAction, modifiers);
    // Moving left must not leave a cell hidden under the frozen column.
    if (cursorAction == MoveLeft && current.column() > 0
        && visualRect(current).topLeft().x() < m_frozen->columnWidth(0)) {
        const int shift = horizontalScrollBar()->value() + visualRect(current).topLeft().x() - m_frozen->columnWidth(0);
        horizontalScrollBar()->setValue(shift);
    }
    return current;
}

void FrozenColumnGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    // The first column is always in view: only the rows scroll to it.
    const int across = horizontalScrollBar()->value();
    TableGrid::scrollTo(index, hint);
    if (index.column() == 0)
        horizontalScrollBar()->setValue(across);
}
