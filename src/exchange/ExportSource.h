#pragma once

#include <QDate>
#include <QList>
#include <QString>

// The rows a list shows, as a saved workbook or CSV file receives them: the
// columns with their headings and kinds, and one value per cell. Texts are
// kept as they are (codes such as 007 stay text); amounts are numbers and
// dates real dates, so that a spreadsheet can sum and sort them.
class ExportSource
{
public:
    enum class Kind { Text, Amount, Date };
    struct Column
    {
        QString heading;
        Kind kind = Kind::Text;
    };
    // One cell: the text for Text columns (and for a cell of another kind
    // whose text is no amount or date), the number or the date otherwise.
    struct Cell
    {
        QString text;
        double amount = 0;
        QDate date;
        Kind kind = Kind::Text;
        bool empty = true;
    };

    virtual ~ExportSource() = default;

    virtual QList<Column> columns() const = 0;
    virtual int rowCount() const = 0;
    virtual Cell cell(int row, int column) const = 0;

    // Columns a workbook keeps in view, beside the heading row, when it
    // scrolls sideways.
    virtual int frozenColumns() const { return 0; }
    // The label of a workbook's totals row under the rows, which sums each
    // amount column; no such row when empty.
    virtual QString totalsLabel() const { return QString(); }

    static Cell textCell(const QString &text);
    static Cell amountCell(double value);
    static Cell dateCell(const QDate &date);
    // A cell read from the text a list shows: "1,234,567" as an amount,
    // "2024/04/30" as a date; any other text stays text, empty text is empty.
    static Cell parsed(const QString &shown, Kind kind);
    // Year/month/day with slashes or hyphens; an invalid date otherwise.
    static QDate parseDate(QStringView text);
};
