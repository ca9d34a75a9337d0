#include "BookSearchList.h"

#include "store/DisplayFormat.h"
#include "ui/ExcelSaveButton.h"

#include <QBrush>
#include <QColor>

namespace {

const QString dateFormat = QStringLiteral("yyyy/MM/dd");

} // namespace

BookSearchList::BookSearchList(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void BookSearchList::setHits(QList<BookSearch::Hit> hits)
{
    beginResetModel();
    m_hits = std::move(hits);
    endResetModel();
}

QString BookSearchList::text(int row, int column) const
{
    if (row < 0 || row >= m_hits.size())
        return QString();
    const BookSearch::Hit &hit = m_hits.at(row);
    switch (column) {
    case State:
        return BookSearch::stateText(hit.state);
    case Number:
        return hit.number;
    case DrawingDate:
        return hit.drawn.toString(dateFormat);
    case DueDate:
        return hit.due.toString(dateFormat);
    case PayeeCode:
        return hit.payeeCode;
    case Payee:
        return hit.payeeName;
    case Amount:
        return hit.amount ? DisplayFormat::number(*hit.amount, QStringLiteral("##,##0")) : QString();
    case ChangedAt:
        return QString(hit.changedAt).replace(QLatin1Char('-'), QLatin1Char('/'));
    default:
        return QString();
    }
}

ExcelSaveButton *BookSearchList::excelSaveButton(DialogService &dialogs, BookSearchList *list, QWidget *parent)
{
    auto *button = new ExcelSaveButton(dialogs, list, parent);
    button->setKinds([](int column) {
        switch (column) {
        case DrawingDate:
        case DueDate:
            return ExportSource::Kind::Date;
        case Amount:
            return ExportSource::Kind::Amount;
        default:
            return ExportSource::Kind::Text;
        }
    });
    return button;
}

int BookSearchList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hits.size());
}

int BookSearchList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BookSearchList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant((index.column() == Amount ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        // What is no longer in the register is told apart at a glance.
        switch (m_hits.at(index.row()).state) {
        case BookSearch::State::Deleted:
            return QBrush(QColor(0xb0, 0x00, 0x00));
        case BookSearch::State::Earlier:
            return QBrush(QColor(0x60, 0x60, 0x60));
        default:
            return QVariant();
        }
    default:
        return QVariant();
    }
}

QVariant BookSearchList::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const headers[ColumnCount] = {"状態",     "手形番号", "振出日", "決済日",
                                                     "振出先コード", "振出先",   "金額",   "訂正・削除日時"};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(headers[section]);
    if (role == Qt::TextAlignmentRole && section == Amount)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}
