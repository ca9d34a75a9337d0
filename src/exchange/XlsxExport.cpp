#include "XlsxExport.h"

#include "ExportSource.h"
#include "SavedFile.h"
#include "ZipReader.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>

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

// A refusal that names the file and says that what was there stays.
StoreError refused(const QString &destination, const QString &reason, const QString &detail)
{
    QString text = SavedFile::failureText(destination) + u'\n' + reason;
    if (QFileInfo::exists(destination))
        text += QStringLiteral("\n同じ名前の元のファイルはそのまま残っています。");
    return StoreError(text, detail);
}

QString writeFailed()
{
    return QStringLiteral("書き込みの途中で失敗しました。保存先の空き容量と書き込みの権限を確かめてください。");
}

class Workbook
{
public:
    Workbook(const QString &path, const QString &destination)
        : m_destination(destination)
        // The library's own temporary files (one a sheet) go beside the
        // workbook: the system's temporary folder may be small or full.
        , m_tmpdir(QFile::encodeName(QFileInfo(path).absolutePath()))
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_tmpdir.data();
        // Long lists need more than the 4 GB a plain zip holds only rarely;
        // zip64 costs nothing when they do not.
        options.use_zip64 = LXW_TRUE;
        m_book = workbook_new_opt(QDir::toNativeSeparators(path).toUtf8().constData(), &options);
        if (!m_book)
            throw refused(destination, writeFailed(), QString());
    }
    ~Workbook()
    {
        if (m_book)
            workbook_close(m_book);
    }
    lxw_workbook *book() const { return m_book; }
    // Every result of the library is checked: it reports a failed write no
    // other way.
    void check(lxw_error error) const
    {
        if (error != LXW_NO_ERROR)
            throw refused(m_destination, writeFailed(), QString::fromUtf8(lxw_strerror(error)));
    }
    template<typename T>
    T *made(T *made) const
    {
        if (!made)
            throw refused(m_destination, writeFailed(), QStringLiteral("out of memory"));
        return made;
    }
    // The rows of a sheet go to a temporary file whose failed writes the
    // library does not report: its error flag says so.
    void checkRows(lxw_worksheet *sheet) const
    {
        FILE *rows = sheet->optimize_tmpfile;
        if (rows && (std::fflush(rows) != 0 || std::ferror(rows)))
            throw refused(m_destination, writeFailed(), QStringLiteral("temporary file of the sheet"));
    }
    void close()
    {
        const lxw_error error = workbook_close(m_book);
        m_book = nullptr;
        check(error);
    }

private:
    lxw_workbook *m_book = nullptr;
    QString m_destination;
    QByteArray m_tmpdir;
};

// The parts every workbook of one sheet has.
const QStringList &requiredParts()
{
    static const QStringList parts = {
        QStringLiteral("[Content_Types].xml"), QStringLiteral("_rels/.rels"),
        QStringLiteral("docProps/app.xml"),    QStringLiteral("docProps/core.xml"),
        QStringLiteral("xl/workbook.xml"),     QStringLiteral("xl/_rels/workbook.xml.rels"),
        QStringLiteral("xl/styles.xml"),       QStringLiteral("xl/worksheets/sheet1.xml"),
    };
    return parts;
}

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

QString XlsxExport::readBack(const QString &path, int rows)
{
    // Rows are counted by their start tags; a cell's text cannot hold one,
    // as its "<" is written escaped.
    static const QByteArray rowTag("<row ");
    static const QByteArray sheetEnd("</worksheet>");
    const QString sheetPart = requiredParts().last();
    int found = 0;
    QByteArray carry;
    QByteArray tail;
    QString error;
    const QStringList parts = ZipReader::read(
            path,
            [&](const QString &part, QByteArrayView piece) {
                if (part != sheetPart)
                    return;
                // A tag cut between two pieces is found in the carry of the
                // last four bytes, which cannot hold a whole one.
                const QByteArray text = carry + piece.toByteArray();
                for (qsizetype at = text.indexOf(rowTag); at >= 0; at = text.indexOf(rowTag, at + 1))
                    ++found;
                carry = text.right(rowTag.size() - 1);
                tail = (tail + piece.toByteArray()).right(sheetEnd.size());
            },
            &error);
    if (!error.isEmpty())
        return error;
    for (const QString &part : requiredParts()) {
        if (!parts.contains(part))
            return QStringLiteral("part %1 missing").arg(part);
    }
    if (found != rows || tail != sheetEnd)
        return QStringLiteral("%1 of %2 rows in the sheet").arg(found).arg(rows);
    return QString();
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
    // Rows with no cell are not written; the read-back counts the others.
    int rowsWritten = 0;
    {
        Workbook workbook(file.temporaryPath(), path);
        lxw_workbook *book = workbook.book();
        lxw_format *headingFormat = workbook.made(workbook_add_format(book));
        format_set_bold(headingFormat);
        format_set_bottom(headingFormat, LXW_BORDER_THIN);
        lxw_format *amountFormat = workbook.made(workbook_add_format(book));
        format_set_num_format(amountFormat, "#,##0");
        lxw_format *dateFormat = workbook.made(workbook_add_format(book));
        format_set_num_format(dateFormat, "yyyy/mm/dd");
        lxw_format *headingDateFormat = workbook.made(workbook_add_format(book));
        format_set_bold(headingDateFormat);
        format_set_bottom(headingDateFormat, LXW_BORDER_THIN);
        format_set_num_format(headingDateFormat, "yyyy/mm/dd");
        lxw_format *totalFormat = workbook.made(workbook_add_format(book));
        format_set_bold(totalFormat);
        format_set_top(totalFormat, LXW_BORDER_THIN);
        lxw_format *totalAmountFormat = workbook.made(workbook_add_format(book));
        format_set_bold(totalAmountFormat);
        format_set_top(totalAmountFormat, LXW_BORDER_THIN);
        format_set_num_format(totalAmountFormat, "#,##0");

        const QByteArray name = sheetName(title);
        lxw_worksheet *sheet = workbook.made(workbook_add_worksheet(book, name.constData()));
        const QByteArray header = pageHeader(title, printedAt);
        workbook.check(worksheet_set_header(sheet, header.constData()));
        workbook.check(worksheet_repeat_rows(sheet, 0, 0));
        worksheet_freeze_panes(sheet, 1, lxw_col_t(std::max(0, source.frozenColumns())));

        QList<int> widths(columns.size(), 0);
        bool anyHeading = false;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            // A heading that is a day (the columns of a plan by day) is a
            // date, so that a spreadsheet can compare and sort it.
            const QDate day = ExportSource::parseDate(columns.at(c).heading);
            const QByteArray heading = columns.at(c).heading.toUtf8();
            if (day.isValid())
                workbook.check(worksheet_write_number(sheet, 0, lxw_col_t(c), excelSerial(day), headingDateFormat));
            else
                workbook.check(worksheet_write_string(sheet, 0, lxw_col_t(c), heading.constData(), headingFormat));
            widths[c] = day.isValid() ? 10 : displayWidth(columns.at(c).heading);
            anyHeading = true;
        }
        QList<double> sums(columns.size(), 0.0);
        rowsWritten += anyHeading ? 1 : 0;

        QByteArray utf8;
        for (int r = 0; r < rows; ++r) {
            const lxw_row_t row = lxw_row_t(r + 1);
            bool any = false;
            for (qsizetype c = 0; c < columns.size(); ++c) {
                const ExportSource::Cell cell = source.cell(r, int(c));
                if (cell.empty)
                    continue;
                const lxw_col_t col = lxw_col_t(c);
                int width = 0;
                switch (cell.kind) {
                case ExportSource::Kind::Amount:
                    workbook.check(worksheet_write_number(sheet, row, col, cell.amount, amountFormat));
                    width = amountWidth(cell.amount);
                    sums[c] += cell.amount;
                    any = true;
                    break;
                case ExportSource::Kind::Date:
                    workbook.check(worksheet_write_number(sheet, row, col, excelSerial(cell.date), dateFormat));
                    width = 10;
                    any = true;
                    break;
                case ExportSource::Kind::Text:
                    utf8 = cell.text.left(longestCellText).toUtf8();
                    workbook.check(worksheet_write_string(sheet, row, col, utf8.constData(), nullptr));
                    width = widths.at(c) < widestColumn ? displayWidth(cell.text) : 0;
                    any = any || !utf8.isEmpty();
                    break;
                }
                if (width > widths.at(c))
                    widths[c] = width;
            }
            rowsWritten += any ? 1 : 0;
        }
        // Before the totals row: rows above the last one written can no
        // longer be named in the library's constant-memory mode.
        if (!columns.isEmpty())
            workbook.check(worksheet_autofilter(sheet, 0, 0, lxw_row_t(rows), lxw_col_t(columns.size() - 1)));
        const QString totalsLabel = source.totalsLabel();
        if (!totalsLabel.isEmpty() && rows > 0 && !columns.isEmpty()) {
            // SUBTOTAL leaves out the rows a filter hides; the sum is also
            // stored, for programs that show a formula's last result.
            const lxw_row_t row = lxw_row_t(rows + 1);
            const QByteArray label = totalsLabel.toUtf8();
            workbook.check(worksheet_write_string(sheet, row, 0, label.constData(), totalFormat));
            for (qsizetype c = 1; c < columns.size(); ++c) {
                if (columns.at(c).kind != ExportSource::Kind::Amount)
                    continue;
                char range[64] = {};
                lxw_rowcol_to_range(range, 1, lxw_col_t(c), lxw_row_t(rows), lxw_col_t(c));
                const QByteArray formula = QByteArrayLiteral("=SUBTOTAL(9,") + range + ')';
                workbook.check(worksheet_write_formula_num(sheet, row, lxw_col_t(c), formula.constData(),
                                                           totalAmountFormat, sums.at(c)));
                widths[c] = std::max(widths.at(c), amountWidth(sums.at(c)));
            }
            ++rowsWritten;
        }
        workbook.checkRows(sheet);
        // The widths are known only once every row is read; they are written
        // ahead of the rows when the workbook is put together.
        for (qsizetype c = 0; c < columns.size(); ++c)
            workbook.check(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c),
                                                std::min(widths.at(c), widestColumn) + 2.0, nullptr));
        workbook.close();
    }
    // The library may still have lost rows while putting the file together
    // (its last row, the copy into the archive): the file is read back.
    const QString damage = readBack(file.temporaryPath(), rowsWritten);
    if (!damage.isEmpty())
        throw refused(path, writeFailed(), damage);
    file.commit();
}
