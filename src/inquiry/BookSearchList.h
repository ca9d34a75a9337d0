#pragma once

#include "rules/BookSearch.h"

#include <QAbstractTableModel>

class DialogService;
class ExcelSaveButton;
class QWidget;

// The hits of the book search: 状態, 手形番号, 振出日, 決済日, 振出先コード,
// 振出先, 金額, 訂正・削除日時. A search over every note may give a million
// hits; a cell's text is made only when it is shown.
class BookSearchList : public QAbstractTableModel
{
public:
    enum Column { State, Number, DrawingDate, DueDate, PayeeCode, Payee, Amount, ChangedAt, ColumnCount };

    explicit BookSearchList(QObject *parent = nullptr);

    void setHits(QList<BookSearch::Hit> hits);
    const QList<BookSearch::Hit> &hits() const { return m_hits; }
    QString text(int row, int column) const;

    // 「Excel 保存」 of the hits, dates and amounts as such.
    static ExcelSaveButton *excelSaveButton(DialogService &dialogs, BookSearchList *list, QWidget *parent);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<BookSearch::Hit> m_hits;
};
