#include "ReportExportSource.h"

#include "store/ColumnFormat.h"
#include "ReportDocument.h"

ReportExportSource::ReportExportSource(const ReportDocument &document)
    : m_document(document)
{
    const ReportDefinition &definition = document.definition();
    if (document.isCrossTable()) {
        const ReportDefinition::CrossTab tab = definition.crossTab.value_or(ReportDefinition::CrossTab());
        const CrossTable &table = document.crossTable();
        m_columns.append({tab.rowHeading, Kind::Text});
        m_columns.append({tab.totalHeading, Kind::Amount});
        for (int c = 0; c < table.columnCount(); ++c)
            m_columns.append({table.columnHeading(c), Kind::Amount});
        return;
    }
    for (const ReportDefinition::Column &column : definition.columns) {
        Kind kind = Kind::Text;
        if (ColumnFormat::isNumberFormat(column.format))
            kind = Kind::Amount;
        else if (ColumnFormat::isDateFormat(column.format))
            kind = Kind::Date;
        m_columns.append({column.heading, kind});
    }
}

int ReportExportSource::rowCount() const
{
    return m_document.isCrossTable() ? m_document.crossTable().rowCount() : m_document.rows().rowCount();
}

ExportSource::Cell ReportExportSource::cell(int row, int column) const
{
    if (m_document.isCrossTable()) {
        const CrossTable &table = m_document.crossTable();
        if (column == 0)
            return textCell(table.rowName(row));
        if (column == 1)
            return amountCell(table.rowTotal(row));
        bool present = false;
        const double value = table.value(row, column - 2, &present);
        return present ? amountCell(value) : textCell(QString());
    }
    const QString shown = m_document.rows().text(row, column).toString();
    const Kind kind = m_columns.at(column).kind;
    Cell cell = kind == Kind::Text ? textCell(shown) : parsed(shown, kind);
    if (kind == Kind::Date && cell.kind == Kind::Text && !cell.empty) {
        // Dates printed as 2024年4月30日.
        const QDate date = QDate::fromString(shown, QStringLiteral("yyyy年M月d日"));
        if (date.isValid())
            return dateCell(date);
    }
    return cell;
}
