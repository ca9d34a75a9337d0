#pragma once

#include "exchange/ExportSource.h"

class ReportDocument;

// The rows of a report as a list to save: a list report's saved columns
// (which keep each row's group, such as its bank) and then its columns with
// their headings, amounts and dates by the column's SaveAs or format; or a
// cross table's rows with the row total and one column per column value.
class ReportExportSource : public ExportSource
{
public:
    explicit ReportExportSource(const ReportDocument &document);

    QList<Column> columns() const override { return m_columns; }
    int rowCount() const override;
    Cell cell(int row, int column) const override;

private:
    const ReportDocument &m_document;
    QList<Column> m_columns;
    int m_saved = 0;
};
