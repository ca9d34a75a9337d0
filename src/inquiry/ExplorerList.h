#pragma once

#include "ui/QueryTableModel.h"

#include <QStringList>
#include <QVector>

class Connection;

// The explorer's list: 振出日, 手形番号, 振出先, 金額, 決済日, 銀行, 備考 of each
// note in the order the statement yields them, and after the last note the
// totals row "金額計". Dates show as yyyy/mm/dd, amounts as "##,###" (zero
// as empty text), null values as empty cells.
class ExplorerList : public QueryTableModel
{
public:
    enum Column { DrawingDate, Number, Payee, Amount, DueDate, Bank, Remarks, ColumnCount };

    explicit ExplorerList(QObject *parent = nullptr);

    // Runs a statement of the system over QRYRibodo and replaces every row.
    // Raises StoreError, leaving the rows shown before unchanged.
    void fill(Connection &connection, const QString &jetSql);

    // The sum of the listed amounts.
    double total() const { return m_total; }

    // The notes as the list shows them, the totals row left out.
    QVector<QStringList> noteTexts() const;

private:
    double m_total = 0;
};
