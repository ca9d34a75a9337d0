#include "ExplorerList.h"

#include "ui/ExcelSaveButton.h"

#include "store/DisplayFormat.h"
#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/StatementReader.h"
#include "store/StoreError.h"
#include "store/UnregisteredNames.h"

#include <QBrush>
#include <QColor>

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString totalsCaption = QStringLiteral("金額計");

// yyyymmdd of a stored date ("yyyy-MM-dd"), 0 for none.
int dateNumber(const QVariant &value)
{
    if (value.isNull())
        return 0;
    const QString text = value.toString();
    const QChar *c = text.constData();
    if (text.size() == 10 && c[4] == QLatin1Char('-') && c[7] == QLatin1Char('-')) {
        int n = 0;
        for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
            const int digit = c[i].unicode() - '0';
            if (digit < 0 || digit > 9)
                return 0;
            n = n * 10 + digit;
        }
        return n;
    }
    const QDate date = JetSql::parseDate(text);
    return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
}

QString dateText(int n)
{
    return n == 0 ? QString() : QString::asprintf("%04d/%02d/%02d", n / 10000, n / 100 % 100, n % 100);
}

QString amountText(double amount)
{
    return std::isnan(amount) ? QString() : DisplayFormat::number(amount, QStringLiteral("##,###"));
}

} // namespace

ExplorerList::ExplorerList(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ExplorerList::fill(Connection &connection, const QString &jetSql)
{
    // Only the seven shown columns are read from the statement's rows, and
    // the codes for a payee or bank that has been deleted.
    const QString sql = QStringLiteral("SELECT TFDate, TNo, ClName, TKingaku, TKDate, Ginko, TRemarks, TTo, TBank FROM (")
            + JetSql::toSqlite(jetSql) + QLatin1Char(')');
    UnregisteredNames names(connection);
    std::optional<StatementReader> query;
    try {
        query.emplace(connection, sql);
    } catch (const StoreError &e) {
        throw StoreError(QStringLiteral("手形の一覧を読めません。"), e.text());
    }

    beginResetModel();
    clearRows();
    double total = 0;
    try {
        while (query->next()) {
            m_drawn.append(dateNumber(query->value(0)));
            m_number.append(query->value(1).toString());
            m_payee.append(nameIndex(names.payee(query->value(2).toString(), query->value(7).toString())));
            const QVariant amount = query->value(3);
            m_amount.append(amount.isNull() ? std::numeric_limits<double>::quiet_NaN() : amount.toDouble());
            total += amount.toDouble();
            m_due.append(dateNumber(query->value(4)));
            m_bank.append(nameIndex(names.bank(query->value(5).toString(), query->value(8).toString())));
            m_remarks.append(query->value(6).toString());
        }
    } catch (const StoreError &e) {
        clearRows();
        endResetModel();
        throw StoreError(QStringLiteral("手形の一覧を読めません。"), e.text());
    }
    m_notes = int(m_number.size());
    m_total = total;
    endResetModel();
}

void ExplorerList::clearRows()
{
    // The lists keep their room for the next listing.
    for (QList<int> *list : {&m_drawn, &m_due, &m_payee, &m_bank})
        list->clear();
    m_number.clear();
    m_remarks.clear();
    m_amount.clear();
    m_names.clear();
    m_nameIndex.clear();
    m_notes = 0;
    m_total = 0;
}

int ExplorerList::nameIndex(const QString &name)
{
    auto it = m_nameIndex.constFind(name);
    if (it == m_nameIndex.constEnd()) {
        it = m_nameIndex.insert(name, int(m_names.size()));
        m_names.append(name);
    }
    return it.value();
}

QString ExplorerList::text(int row, int column) const
{
    if (row == m_notes) {
        if (column == Payee)
            return totalsCaption;
        return column == Amount ? amountText(m_total) : QString();
    }
    if (row < 0 || row > m_notes)
        return QString();
    switch (column) {
    case DrawingDate:
        return dateText(m_drawn.at(row));
    case Number:
        return m_number.at(row);
    case Payee:
        return m_names.at(m_payee.at(row));
    case Amount:
        return amountText(m_amount.at(row));
    case DueDate:
        return dateText(m_due.at(row));
    case Bank:
        return m_names.at(m_bank.at(row));
    case Remarks:
        return m_remarks.at(row);
    default:
        return QString();
    }
}

QVector<QStringList> ExplorerList::noteTexts() const
{
    QVector<QStringList> rows;
    rows.reserve(m_notes);
    for (int row = 0; row < m_notes; ++row) {
        QStringList texts;
        texts.reserve(ColumnCount);
        for (int column = 0; column < ColumnCount; ++column)
            texts.append(text(row, column));
        rows.append(texts);
    }
    return rows;
}

int ExplorerList::rowCount(const QModelIndex &parent) const
{
    // A list with notes ends with its totals row; an empty list has none.
    return parent.isValid() || m_notes == 0 ? 0 : m_notes + 1;
}

int ExplorerList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ExplorerList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant((index.column() == Amount ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        return index.row() == m_notes ? QVariant(QBrush(QColor(0xEE, 0xF2, 0xF8))) : QVariant();
    default:
        return QVariant();
    }
}

QVariant ExplorerList::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const headers[ColumnCount] = {"振出日", "手形番号", "振出先", "金額", "決済日", "銀行", "備考"};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(headers[section]);
    if (role == Qt::TextAlignmentRole && section == Amount)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}

ExcelSaveButton *ExplorerList::excelSaveButton(DialogService &dialogs, ExplorerList *list, QWidget *parent)
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
    button->setLeavesOutLastRow(true);
    return button;
}
