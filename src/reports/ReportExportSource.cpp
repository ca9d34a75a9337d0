#include "ReportExportSource.h"

#include "store/ColumnFormat.h"
#include "ReportDocument.h"

namespace {

ExportSource::Kind kindOf(ReportDefinition::SaveAs saveAs, const QString &format)
{
    switch (saveAs) {
    case ReportDefinition::SaveAs::Text:
        return ExportSource::Kind::Text;
    case ReportDefinition::SaveAs::Amount:
        return ExportSource::Kind::Amount;
    case ReportDefinition::SaveAs::Date:
        return ExportSource::Kind::Date;
    case ReportDefinition::SaveAs::ByFormat:
        break;
    }
    if (ColumnFormat::isNumberFormat(format))
        return ExportSource::Kind::Amount;
    if (ColumnFormat::isDateFormat(format))
        return ExportSource::Kind::Date;
    return ExportSource::Kind::Text;
}

// A cell from the text a report prints: dates also as 2024年4月30日 or with
// their weekday after them, 2024/04/30(火).
ExportSource::Cell cellOf(const QString &shown, ExportSource::Kind kind)
{
    ExportSource::Cell cell = kind == ExportSource::Kind::Text ? ExportSource::textCell(shown)
                                                               : ExportSource::parsed(shown, kind);
    if (kind != ExportSource::Kind::Date || cell.kind != ExportSource::Kind::Text || cell.empty)
        return cell;
    QDate date = QDate::fromString(shown, QStringLiteral("yyyy年M月d日"));
    const qsizetype weekday = shown.indexOf(u'(');
    if (!date.isValid() && weekday > 0)
        date = ExportSource::parseDate(QStringView(shown).left(weekday).trimmed());
    return date.isValid() ? ExportSource::dateCell(date) : cell;
}

} // namespace

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
    for (const ReportDefinition::SavedColumn &column : definition.savedColumns)
        m_columns.append({column.heading, kindOf(column.saveAs, QString())});
    m_saved = int(definition.savedColumns.size());
    for (const ReportDefinition::Column &column : definition.columns)
        m_columns.append({column.heading, kindOf(column.saveAs, column.format)});
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
    const Kind kind = m_columns.at(column).kind;
    if (column < m_saved)
        return cellOf(m_document.expand(m_document.definition().savedColumns.at(column).value, row), kind);
    return cellOf(m_document.rows().text(row, column - m_saved).toString(), kind);
}
