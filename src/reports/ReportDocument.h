#pragma once

#include "CrossTable.h"
#include "ReportDefinition.h"
#include "ReportLayout.h"
#include "ReportMetrics.h"
#include "ReportPage.h"
#include "ReportTable.h"
#include "ReportTotal.h"

#include <QDateTime>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>

// A report made: its definition, the rows read and where they fall on the
// pages. Each page's texts are put together only when the page is asked for.
class ReportDocument
{
public:
    struct Settings
    {
        QString subtitle;
        QDateTime printedAt;
        bool repeatGroupHeadings = false;
    };
    struct OutlineItem
    {
        QString label;
        int level = 0;
        int page = 0;
    };

    // A list report over `rows`, which hold the columns' texts and then the
    // texts of hiddenFields(definition).
    ReportDocument(ReportDefinition definition, ReportTable rows, QList<ReportTotal> summaries, Settings settings);
    // A cross-table report.
    ReportDocument(ReportDefinition definition, CrossTable table, Settings settings);

    // The fields a list report reads besides its columns: the group keys and
    // the fields named in group headings and footers and in saved columns.
    static QStringList hiddenFields(const ReportDefinition &definition);

    const ReportDefinition &definition() const { return m_definition; }
    const ReportMetrics &metrics() const { return m_metrics; }
    QPageLayout pageLayout() const;

    int pageCount() const { return int(m_layout.pages.size()); }
    ReportPage page(int index) const;

    // Detail rows of a list report, rows of a cross table.
    int rowCount() const;
    // The rows read, in the order they are printed: a list report's texts
    // per column (then the hidden fields), or the cross table.
    bool isCrossTable() const { return m_isCross; }
    const ReportTable &rows() const { return m_rows; }
    const CrossTable &crossTable() const { return m_cross; }
    QList<OutlineItem> outline() const;
    // `text` with each {Field} replaced by the value of a list report's row.
    QString expand(const QString &text, int row) const;

private:
    QString countText(int count) const;
    // The 「件」 of `count` rows from `firstRow`.
    QString countText(int firstRow, int count) const;
    QString sumText(int column, double value) const;
    QList<ReportPage::Column> columnsOf(int slice) const;
    ReportLine lineOf(const ReportLayout::Line &line, int slice) const;
    ReportLine crossLineOf(const ReportLayout::Line &line, int slice) const;

    ReportDefinition m_definition;
    ReportMetrics m_metrics;
    Settings m_settings;
    ReportTable m_rows;
    QStringList m_hidden;
    QList<int> m_summed;
    QList<ReportTotal> m_summaries;
    CrossTable m_cross;
    bool m_isCross = false;
    ReportLayout m_layout;
};
