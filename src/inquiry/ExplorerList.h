#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QVector>

class Connection;
class DialogService;
class ExcelSaveButton;
class QWidget;

// The explorer's list: 振出日, 手形番号, 振出先, 金額, 決済日, 銀行, 備考 of each
// note in the order the statement yields them, and after the last note the
// totals row "金額計". Dates show as yyyy/mm/dd, amounts as "##,###" (zero
// as empty text), null values as empty cells; a payee or bank that has been
// deleted shows as 「(未登録 code)」.
//
// A list of every note may hold a hundred thousand rows: each column is kept
// in the plainest form (dates as numbers, the few payee and bank names once)
// and a cell's text is made only when it is shown.
class ExplorerList : public QAbstractTableModel
{
public:
    enum Column { DrawingDate, Number, Payee, Amount, DueDate, Bank, Remarks, ColumnCount };

    explicit ExplorerList(QObject *parent = nullptr);

    // Runs a statement of the system over QRYRibodo and replaces every row.
    // Raises StoreError; a statement that cannot run leaves the rows shown.
    void fill(Connection &connection, const QString &jetSql);

    // The sum of the listed amounts.
    double total() const { return m_total; }
    // The text of a cell as shown.
    QString text(int row, int column) const;
    // 「Excel 保存」 of the list: dates and amounts as such, the totals row
    // left out.
    static ExcelSaveButton *excelSaveButton(DialogService &dialogs, ExplorerList *list, QWidget *parent);

    // The notes as the list shows them, the totals row left out.
    QVector<QStringList> noteTexts() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void clearRows();
    int nameIndex(const QString &name);

    // Dates as yyyymmdd, 0 for none; amounts NaN for none.
    QList<int> m_drawn;
    QList<int> m_due;
    QList<QString> m_number;
    QList<QString> m_remarks;
    QList<double> m_amount;
    QList<int> m_payee;
    QList<int> m_bank;
    QStringList m_names;
    QHash<QString, int> m_nameIndex;
    int m_notes = 0;
    double m_total = 0;
};
