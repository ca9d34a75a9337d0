#pragma once

#include <QTableView>

// The read-only grid every list screen shows: whole rows selected one at a
// time, no row numbers, column widths given in twips as the screens specify
// them, every text drawn whole (narrower where the column is narrow). A
// double click or Enter on the selected row activates it.
class TableGrid : public QTableView
{
    Q_OBJECT

public:
    explicit TableGrid(QWidget *parent = nullptr);

    // Twips are 1/1440 inch; the width follows the screen's resolution.
    static int twipsToPixels(int twips, const QWidget *widget);
    void setColumnTwips(int column, int twips);

    // The selected row, or -1.
    int currentRow() const;

Q_SIGNALS:
    void rowActivated(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
