#pragma once

#include "store/CrossTabTable.h"

#include <QAbstractTableModel>
#include <QStringList>

// The payment plan as the grid shows it: the cross table of amounts per
// payee and due date. Cells are formatted only when the grid asks for them,
// so the cost follows the cells on screen.
class PlanTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit PlanTableModel(QObject *parent = nullptr);

    // Replaces the whole table; the headings set before are dropped.
    void setTable(CrossTabTable table);
    const CrossTabTable &table() const { return m_table; }

    // A caption over a column in place of its name.
    void setHeading(int column, const QString &heading);
    // Columns from `first` on: right-aligned, numbers in `format`.
    void setNumberColumns(int first, const QString &format);

    // The cell as shown.
    QString text(int row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    CrossTabTable m_table;
    QStringList m_headings;
    int m_firstNumber = -1;
    QString m_format;
};
