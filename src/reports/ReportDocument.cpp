#include "ReportDocument.h"

#include "store/DisplayFormat.h"

#include <QRegularExpression>

namespace {

const QRegularExpression &placeholder()
{
    static const QRegularExpression re(QStringLiteral("\\{([A-Za-z_][A-Za-z0-9_]*)\\}"));
    return re;
}

// Totals show 0 rather than nothing, and keep the column's decimals.
QString sumFormat(const QString &columnFormat)
{
    QString format = QStringLiteral("#,##0");
    if (DisplayFormat::isNumberFormat(columnFormat)) {
        const qsizetype point = columnFormat.indexOf(QLatin1Char('.'));
        if (point >= 0)
            format += columnFormat.mid(point);
    }
    return format;
}

int indexOf(const QStringList &names, const QString &name)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

} // namespace

QStringList ReportDocument::hiddenFields(const ReportDefinition &definition)
{
    QStringList fields;
    const auto add = [&fields](const QString &f) {
        if (indexOf(fields, f) < 0)
            fields.append(f);
    };
    if (!definition.countField.isEmpty())
        add(definition.countField);
    const auto addNamed = [&add](const QString &text) {
        QRegularExpressionMatchIterator it = placeholder().globalMatch(text);
        while (it.hasNext())
            add(it.next().captured(1));
    };
    for (const ReportDefinition::Group &g : definition.groups) {
        add(g.key.field);
        addNamed(g.heading);
        addNamed(g.footer);
    }
    for (const ReportDefinition::SavedColumn &c : definition.savedColumns)
        addNamed(c.value);
    return fields;
}

ReportDocument::ReportDocument(ReportDefinition definition, ReportTable rows, QList<ReportTotal> summaries,
                               Settings settings)
    : m_definition(std::move(definition))
    , m_metrics(m_definition)
    , m_settings(std::move(settings))
    , m_rows(std::move(rows))
    , m_hidden(hiddenFields(m_definition))
    , m_summaries(std::move(summaries))
{
    for (qsizetype i = 0; i < m_definition.columns.size(); ++i) {
        if (m_definition.columns.at(i).sum)
            m_summed.append(int(i));
    }
    const int shown = int(m_definition.columns.size());
    QList<int> groupColumns;
    for (const ReportDefinition::Group &g : std::as_const(m_definition.groups))
        groupColumns.append(shown + indexOf(m_hidden, g.key.field));
    m_layout = ReportLayout::list(m_metrics, m_rows, groupColumns, int(m_summaries.size()),
                                  m_settings.repeatGroupHeadings);
}

ReportDocument::ReportDocument(ReportDefinition definition, CrossTable table, Settings settings)
    : m_definition(std::move(definition))
    , m_metrics(m_definition)
    , m_settings(std::move(settings))
    , m_cross(std::move(table))
    , m_isCross(true)
{
    const ReportDefinition::CrossTab &x = *m_definition.crossTab;
    m_layout = ReportLayout::crossTable(m_metrics, m_cross.rowCount(), m_cross.columnCount(),
                                        ReportMetrics::fromMm(x.rowWidthMm + x.totalWidthMm),
                                        ReportMetrics::fromMm(x.columnWidthMm));
}

QPageLayout ReportDocument::pageLayout() const
{
    return QPageLayout(QPageSize(m_definition.paper), m_definition.orientation, QMarginsF(0, 0, 0, 0));
}

int ReportDocument::rowCount() const
{
    return m_isCross ? m_cross.rowCount() : m_rows.rowCount();
}

QList<ReportDocument::OutlineItem> ReportDocument::outline() const
{
    QList<OutlineItem> items;
    for (const ReportLayout::Group &g : m_layout.groups)
        items.append({expand(m_definition.groups.at(g.level).heading, g.firstRow), g.level, g.page});
    return items;
}

QString ReportDocument::expand(const QString &text, int row) const
{
    const int shown = int(m_definition.columns.size());
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = placeholder().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        const int hidden = indexOf(m_hidden, m.captured(1));
        if (hidden >= 0)
            out += m_rows.text(row, shown + hidden);
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

QString ReportDocument::countText(int count) const
{
    return DisplayFormat::number(count, QStringLiteral("#,##0")) + QStringLiteral(" 件");
}

QString ReportDocument::countText(int firstRow, int count) const
{
    if (m_definition.countField.isEmpty())
        return countText(count);
    const int column = int(m_definition.columns.size()) + indexOf(m_hidden, m_definition.countField);
    int sum = 0;
    for (int row = firstRow; row < firstRow + count; ++row)
        sum += m_rows.text(row, column).toInt();
    return countText(sum);
}

QString ReportDocument::sumText(int column, double value) const
{
    return DisplayFormat::number(value, sumFormat(m_definition.columns.at(column).format));
}

QList<ReportPage::Column> ReportDocument::columnsOf(int slice) const
{
    QList<ReportPage::Column> columns;
    double x = 0;
    const auto add = [&](const QString &heading, double widthMm, Qt::Alignment alignment) {
        const double w = ReportMetrics::fromMm(widthMm);
        columns.append({heading, x, w, alignment});
        x += w;
    };
    if (m_isCross) {
        const ReportDefinition::CrossTab &t = *m_definition.crossTab;
        add(t.rowHeading, t.rowWidthMm, Qt::AlignLeft);
        add(t.totalHeading, t.totalWidthMm, Qt::AlignRight);
        const ReportLayout::Slice &s = m_layout.slices.at(slice);
        for (int c = s.firstColumn; c < s.firstColumn + s.columnCount; ++c)
            add(m_cross.columnHeading(c), t.columnWidthMm, Qt::AlignRight);
    } else {
        for (const ReportDefinition::Column &c : m_definition.columns)
            add(c.heading, c.widthMm, c.alignment);
    }
    return columns;
}

ReportLine ReportDocument::crossLineOf(const ReportLayout::Line &line, int slice) const
{
    const ReportDefinition::CrossTab &t = *m_definition.crossTab;
    const ReportLayout::Slice &s = m_layout.slices.at(slice);
    ReportLine out;
    out.kind = line.kind;
    if (line.kind == ReportLine::Kind::Empty) {
        out.label = m_definition.emptyText;
        return out;
    }
    const bool total = line.kind == ReportLine::Kind::GrandTotal;
    if (total) {
        out.label = t.totalLabel;
        out.cells << QString() << DisplayFormat::number(m_cross.total(), t.valueFormat);
    } else {
        out.cells << m_cross.rowName(line.index) << DisplayFormat::number(m_cross.rowTotal(line.index), t.valueFormat);
    }
    for (int c = s.firstColumn; c < s.firstColumn + s.columnCount; ++c) {
        if (total) {
            out.cells << DisplayFormat::number(m_cross.columnTotal(c), t.valueFormat);
        } else {
            bool present = false;
            const double v = m_cross.value(line.index, c, &present);
            out.cells << (present ? DisplayFormat::number(v, t.valueFormat) : QString());
        }
    }
    return out;
}

ReportLine ReportDocument::lineOf(const ReportLayout::Line &line, int slice) const
{
    if (m_isCross)
        return crossLineOf(line, slice);
    const int shown = int(m_definition.columns.size());
    ReportLine out;
    out.kind = line.kind;
    const auto sums = [&](const QList<double> &values) {
        QStringList cells(shown);
        for (qsizetype i = 0; i < m_summed.size(); ++i)
            cells[m_summed.at(i)] = sumText(m_summed.at(i), values.at(i));
        return cells;
    };
    switch (line.kind) {
    case ReportLine::Kind::Detail:
        for (int c = 0; c < shown; ++c)
            out.cells.append(m_rows.text(line.index, c).toString());
        break;
    case ReportLine::Kind::GroupHeading:
    case ReportLine::Kind::ContinuedHeading: {
        const ReportLayout::Group &g = m_layout.groups.at(line.index);
        out.level = g.level;
        out.label = expand(m_definition.groups.at(g.level).heading, g.firstRow);
        if (line.kind == ReportLine::Kind::ContinuedHeading)
            out.label += QStringLiteral("（続き）");
        break;
    }
    case ReportLine::Kind::GroupFooter: {
        const ReportLayout::Group &g = m_layout.groups.at(line.index);
        out.level = g.level;
        out.label = expand(m_definition.groups.at(g.level).footer, g.firstRow) + QStringLiteral("　")
                + countText(g.firstRow, g.rowCount);
        out.cells = sums(g.sums);
        break;
    }
    case ReportLine::Kind::GrandTotal:
        out.label = m_definition.totalLabel + QStringLiteral("　") + countText(0, m_rows.rowCount());
        out.cells = sums(m_layout.totals);
        break;
    case ReportLine::Kind::Summary: {
        const ReportDefinition::Summary &s = m_definition.summaries.at(line.index);
        const ReportTotal &t = m_summaries.at(line.index);
        out.label = s.label + QStringLiteral("　") + countText(t.count);
        out.cells = QStringList(shown);
        if (!s.field.isEmpty()) {
            int column = m_summed.isEmpty() ? shown - 1 : m_summed.first();
            for (int c = 0; c < shown; ++c) {
                if (m_definition.columns.at(c).fields.first().compare(s.field, Qt::CaseInsensitive) == 0)
                    column = c;
            }
            out.cells[column] = sumText(column, t.sum);
        }
        break;
    }
    case ReportLine::Kind::Empty:
        out.label = m_definition.emptyText;
        break;
    }
    return out;
}

ReportPage ReportDocument::page(int index) const
{
    const ReportLayout::Page &lp = m_layout.pages.at(index);
    ReportPage p;
    p.number = index + 1;
    p.count = pageCount();
    p.title = m_definition.title;
    p.subtitle = m_settings.subtitle;
    p.printedAt = QStringLiteral("印刷日時 ") + m_settings.printedAt.toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    p.pageNumber = QStringLiteral("%1 / %2").arg(p.number).arg(p.count);
    p.columns = columnsOf(lp.slice);
    p.lines.reserve(lp.lineCount);
    for (int i = lp.firstLine; i < lp.firstLine + lp.lineCount; ++i)
        p.lines.append(lineOf(m_layout.lines.at(i), lp.slice));
    return p;
}
