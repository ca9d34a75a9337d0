#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

class ExportSource;

// Writes the rows of a list as an Excel workbook: one sheet, the headings in
// a frozen first row (headings that are days as dates), the source's frozen
// columns, amounts as numbers shown #,##0, dates as dates shown yyyy/mm/dd,
// columns as wide as their longest text, a totals row where the source asks
// for one, and the title and the print date in the page header. Rows are streamed to the file as they are
// read, so that memory stays the same however long the list.
class XlsxExport
{
public:
    // Raises StoreError; the file under `path` is replaced only when the
    // workbook has been read back whole.
    static void write(const ExportSource &source, const QString &path, const QString &title,
                      const QDateTime &printedAt);

    // What is wrong with the workbook under `path`, read back part by part,
    // when its sheet should hold `rows` rows; empty when nothing is.
    static QString readBack(const QString &path, int rows);

    // The width of a text in half-width letters: full-width letters count 2.
    static int displayWidth(QStringView text);
    // The most rows a sheet holds below its heading row.
    static constexpr int maxRows = 1048575;
};
