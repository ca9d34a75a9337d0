#pragma once

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

// One report as its definition file describes it: where the rows come from,
// their order, the columns, the groups with subtotals, the totals and the
// paper. The file is plain text in sections, so that an office can adjust a
// layout with an editor:
//
//   [Report]   Title, Subtitle, Source, Location, Sort, Paper, Orientation,
//              Margins, FontSize, RowHeight, TotalLabel, EmptyText
//   [Lookup]   Field, Table, Name, Match, Value,  (a name from a code table;
//              Missing                            Field may be an earlier
//                                                 lookup's Name; Missing is
//                                                 shown for a code the table
//                                                 lacks, {Field} the code)
//   [Column]   Field (a + b joins texts), Heading, Width, Align, Format, Sum,
//              SaveAs                             (Text, Amount or Date: how
//                                                 a saved list holds it; by
//                                                 the Format when not given)
//   [Group]    Field, Heading, Footer             ({Field} inserts a value)
//   [SavedColumn] Heading, Value, SaveAs          (a column only saved lists
//                                                 have, before the others, so
//                                                 that a row keeps its group;
//                                                 {Field} inserts a value)
//   [Summary]  Label, Field, Where                (a total over some rows)
//   [CrossTab] Rows, Columns, Values, RowHeading, TotalHeading, TotalLabel,
//              RowWidth, TotalWidth, ColumnWidth, ColumnFormat, ValueFormat
//
// Lengths are millimetres, font sizes points. Location may name the database
// the layout was made on; reports always read the data folder's database.
struct ReportDefinition
{
    struct SortKey
    {
        QString field;
        bool numeric = false;
        bool descending = false;
    };
    struct Lookup
    {
        QString field;
        QString table;
        QString match;
        QString value;
        QString name;
        QString missing;
    };
    // How a saved list (a workbook, a CSV file) holds a column's cells.
    enum class SaveAs { ByFormat, Text, Amount, Date };
    struct Column
    {
        QStringList fields;
        QString heading;
        double widthMm = 0;
        Qt::Alignment alignment = Qt::AlignLeft;
        QString format;
        bool sum = false;
        SaveAs saveAs = SaveAs::ByFormat;
    };
    struct SavedColumn
    {
        QString heading;
        QString value;
        SaveAs saveAs = SaveAs::Text;
    };
    struct Group
    {
        SortKey key;
        QString heading;
        QString footer;
    };
    struct Summary
    {
        QString label;
        QString field;
        QString where;
    };
    struct CrossTab
    {
        QString rowField;
        QString columnField;
        QString valueField;
        QString rowHeading;
        QString totalHeading;
        QString totalLabel;
        double rowWidthMm = 50;
        double totalWidthMm = 25;
        double columnWidthMm = 20;
        QString columnFormat;
        QString valueFormat;
    };

    // Reads and checks a definition file; raises ReportError naming the file
    // and, for a mistake in it, the line.
    static ReportDefinition load(const QString &path);
    static ReportDefinition parse(const QString &text, const QString &fileName);

    static bool isIdentifier(const QString &name);

    QSizeF paperSizeMm() const;
    double usableWidthMm() const { return paperSizeMm().width() - 2 * marginMm; }

    QString fileName;
    QString title;
    QString subtitle;
    QString source;
    QString location;
    QList<SortKey> sort;
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double marginMm = 12;
    double fontSizePt = 9;
    double rowHeightMm = 6;
    QString totalLabel;
    QString emptyText;
    // The field whose values the 「件」 of footers and the total add up;
    // empty when each row is one.
    QString countField;
    QList<Lookup> lookups;
    QList<Column> columns;
    QList<Group> groups;
    QList<SavedColumn> savedColumns;
    QList<Summary> summaries;
    std::optional<CrossTab> crossTab;
};
