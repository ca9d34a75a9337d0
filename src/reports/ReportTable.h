#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The rows of a report, held compactly: every cell's text in one buffer and
// the numbers that are summed beside them. A notes book of 100,000 notes
// stays a few tens of megabytes.
class ReportTable
{
public:
    explicit ReportTable(int textColumns = 0, int numberColumns = 0);

    int rowCount() const { return m_rows; }
    int textColumns() const { return m_textColumns; }
    int numberColumns() const { return m_numberColumns; }

    // Appends one cell of the row being filled; a row is complete when all
    // its texts and numbers have been given.
    void appendText(const QString &text);
    void appendNumber(double value);
    void endRow();

    QStringView text(int row, int column) const;
    double number(int row, int column) const;

    void squeeze();

private:
    int m_textColumns = 0;
    int m_numberColumns = 0;
    int m_rows = 0;
    QString m_buffer;
    QList<qint32> m_ends;
    QList<double> m_numbers;
};
