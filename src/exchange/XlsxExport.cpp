#include "XlsxExport.h"

#include "ExportSource.h"
#include "SavedFile.h"
#include "store/StoreError.h"

#include <QDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace {

constexpr int widestColumn = 60;
// Excel's own limit for the text of one cell.
constexpr qsizetype longestCellText = 32767;

bool isFullWidth(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
            || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
            || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// Days since 1899-12-30: the serial number by which Excel holds a date.
double excelSerial(const QDate &date)
{
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    return double(date.toJulianDay() - epoch);
}

int amountWidth(double value)
{
    const qint64 whole = qint64(value < 0 ? -value : value);
    int digits = 1;
    for (qint64 v = whole; v >= 10; v /= 10)
        ++digits;
    return digits + (digits - 1) / 3 + (value < 0 ? 1 : 0);
}

// Sheet names: at most 31 letters, none of []:*?/\.
QByteArray sheetName(const QString &title)
{
    QString name;
    for (const QChar ch : title) {
        if (!QStringLiteral("[]:*?/\\").contains(ch))
            name += ch;
    }
    name = name.trimmed().left(31);
    if (name.isEmpty())
        name = QStringLiteral("Sheet1");
    return name.toUtf8();
}

// The page header: title on the left, print date on the right. An ampersand
// in the title is a control letter of the header and is doubled.
QByteArray pageHeader(const QString &title, const QDateTime &printedAt)
{
    QString shownTitle = title.left(100);
    shownTitle.replace(u'&', QStringLiteral("&&"));
    return (QStringLiteral("&L") + shownTitle + QStringLiteral("&R印刷日 ")
            + printedAt.toString(QStringLiteral("yyyy/MM/dd")))
            .toUtf8();
}

class Workbook
{
public:
    Workbook(const QString &path, const QString &destination)
        : m_destination(destination)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        // Long lists need more than the 4 GB a plain zip holds only rarely;
        // zip64 costs nothing when they do not.
        options.use_zip64 = LXW_TRUE;
        m_book = workbook_new_opt(QDir::toNativeSeparators(path).toUtf8().constData(), &options);
        if (!m_book)
            throw StoreError(SavedFile::failureText(destination));
    }
    ~Workbook()
    {
        if (m_book)
            workbook_close(m_book);
    }
    lxw_workbook *book() const { return m_book; }
    void close()
    {
        const lxw_error error = workbook_close(m_book);
        m_book = nullptr;
        if (error != LXW_NO_ERROR)
            throw StoreError(SavedFile::failureText(m_destination), QString::fromUtf8(lxw_strerror(error)));
    }

private:
    lxw_workbook *m_book = nullptr;
    QString m_destination;
};

} // namespace

int XlsxExport::displayWidth(QStringView text)
{
    int widest = 0;
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c == U'\n') {
            widest = std::max(widest, width);
            width = 0;
        } else {
            width += isFullWidth(c) ? 2 : 1;
        }
    }
    return std::max(widest, width);
}

void XlsxExport::write(const ExportSource &source, const QString &path, const QString &title,
                       const QDateTime &printedAt)
{
    const QList<ExportSource::Column> columns = source.columns();
    const int rows = source.rowCount();
    if (rows > maxRows)
        throw StoreError(QStringLiteral("%1 行は Excel の 1 シートに入りません (%2 行まで)。")
                                 .arg(rows)
                                 .arg(maxRows));

    SavedFile file(path);
    {
        Workbook workbook(file.temporaryPath(), path);
        lxw_workbook *book = workbook.book();
        lxw_format *headingFormat = workbook_add_format(book);
        format_set_bold(headingFormat);
        format_set_bottom(headingFormat, LXW_BORDER_THIN);
        lxw_format *amountFormat = workbook_add_format(book);
        format_set_num_format(amountFormat, "#,##0");
        lxw_format *dateFormat = workbook_add_format(book);
        format_set_num_format(dateFormat, "yyyy/mm/dd");

        const QByteArray name = sheetName(title);
        lxw_worksheet *sheet = workbook_add_worksheet(book, name.constData());
        const QByteArray header = pageHeader(title, printedAt);
        worksheet_set_header(sheet, header.constData());
        worksheet_repeat_rows(sheet, 0, 0);
        worksheet_freeze_panes(sheet, 1, 0);

        QList<int> widths(columns.size(), 0);
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QByteArray heading = columns.at(c).heading.toUtf8();
            worksheet_write_string(sheet, 0, lxw_col_t(c), heading.constData(), headingFormat);
            widths[c] = displayWidth(columns.at(c).heading);
        }

        QByteArray utf8;
        for (int r = 0; r < rows; ++r) {
            const lxw_row_t row = lxw_row_t(r + 1);
            for (qsizetype c = 0; c < columns.size(); ++c) {
                const ExportSource::Cell cell = source.cell(r, int(c));
                if (cell.empty)
                    continue;
                const lxw_col_t col = lxw_col_t(c);
                int width = 0;
                switch (cell.kind) {
                case ExportSource::Kind::Amount:
                    worksheet_write_number(sheet, row, col, cell.amount, amountFormat);
                    width = amountWidth(cell.amount);
                    break;
                case ExportSource::Kind::Date:
                    worksheet_write_number(sheet, row, col, excelSerial(cell.date), dateFormat);
                    width = 10;
                    break;
                case ExportSource::Kind::Text:
                    utf8 = cell.text.left(longestCellText).toUtf8();
                    worksheet_write_string(sheet, row, col, utf8.constData(), nullptr);
                    width = widths.at(c) < widestColumn ? displayWidth(cell.text) : 0;
                    break;
                }
                if (width > widths.at(c))
                    widths[c] = width;
            }
        }
        // The widths are known only once every row is read; they are written
        // ahead of the rows when the workbook is put together.
        for (qsizetype c = 0; c < columns.size(); ++c)
            worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), std::min(widths.at(c), widestColumn) + 2.0,
                                 nullptr);
        if (!columns.isEmpty())
            worksheet_autofilter(sheet, 0, 0, lxw_row_t(rows), lxw_col_t(columns.size() - 1));
        workbook.close();
    }
    file.commit();
}
