#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

class ExportSource;

// Writes the rows of a list as CSV: a heading line, then one line per row,
// fields quoted where they hold a quote, comma or line break (quotes
// doubled), lines ended by CR LF. A field that a spreadsheet would run as a
// formula (one beginning with =, +, -, @, a tab or a carriage return, other
// than a minus number) is written after an apostrophe, which makes it text.
// UTF-8 with a byte-order mark unless Shift_JIS (the Windows code page 932) is asked for, which older tools and
// accounting packages read. Amounts are written as plain digits, dates as
// yyyy/mm/dd.
class CsvExport
{
public:
    enum class Encoding { Utf8Bom, ShiftJis };

    // The number of letters that Shift_JIS could not hold and that were
    // written as "?"; 0 for UTF-8. Raises StoreError; the file under `path`
    // is replaced only when complete.
    static int write(const ExportSource &source, const QString &path, Encoding encoding);
    // Lines already split into fields, for formats of fixed columns.
    static int writeLines(const QList<QStringList> &lines, const QString &path, Encoding encoding);

    static QString field(const QString &text);
    static QString line(const QStringList &fields);
    // The text in the encoding; `lost` counts the letters written as "?".
    static QByteArray encode(const QString &text, Encoding encoding, int *lost = nullptr);
    // Shift_JIS as many bytes as the text takes, for fields of limited length.
    static int shiftJisLength(const QString &text);
};
