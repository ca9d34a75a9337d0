#include "ReportTable.h"

ReportTable::ReportTable(int textColumns, int numberColumns)
    : m_textColumns(textColumns)
    , m_numberColumns(numberColumns)
{
}

void ReportTable::appendText(const QString &text)
{
    m_buffer += text;
    m_ends.append(qint32(m_buffer.size()));
}

void ReportTable::appendNumber(double value)
{
    m_numbers.append(value);
}

void ReportTable::endRow()
{
    Q_ASSERT(m_ends.size() == qsizetype(m_rows + 1) * m_textColumns);
    Q_ASSERT(m_numbers.size() == qsizetype(m_rows + 1) * m_numberColumns);
    ++m_rows;
}

QStringView ReportTable::text(int row, int column) const
{
    const qsizetype cell = qsizetype(row) * m_textColumns + column;
    const qint32 start = cell == 0 ? 0 : m_ends.at(cell - 1);
    return QStringView(m_buffer).mid(start, m_ends.at(cell) - start);
}

double ReportTable::number(int row, int column) const
{
    return m_numbers.at(qsizetype(row) * m_numberColumns + column);
}

void ReportTable::squeeze()
{
    m_buffer.squeeze();
    m_ends.squeeze();
    m_numbers.squeeze();
}
