#include "CsvExport.h"

#include "ExportSource.h"
#include "SavedFile.h"
#include "store/StoreError.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <QStringEncoder>

#include <optional>

namespace {

// Letters that Unicode keeps twice and code page 932 only once: the form
// Windows programs write.
QString toCodePage932Forms(const QString &text)
{
    QString s = text;
    for (QChar &ch : s) {
        switch (ch.unicode()) {
        case 0x2212: ch = QChar(0xFF0D); break; // minus sign
        case 0x301C: ch = QChar(0xFF5E); break; // wave dash
        case 0x2016: ch = QChar(0x2225); break; // double vertical line
        case 0x2014: ch = QChar(0x2015); break; // em dash
        case 0x00A2: ch = QChar(0xFFE0); break; // cent
        case 0x00A3: ch = QChar(0xFFE1); break; // pound
        case 0x00AC: ch = QChar(0xFFE2); break; // not
        default: break;
        }
    }
    return s;
}

QString cellText(const ExportSource::Cell &cell)
{
    if (cell.empty)
        return QString();
    switch (cell.kind) {
    case ExportSource::Kind::Amount:
        return QString::number(cell.amount, 'f', cell.amount == qint64(cell.amount) ? 0 : 2);
    case ExportSource::Kind::Date:
        return cell.date.toString(QStringLiteral("yyyy/MM/dd"));
    case ExportSource::Kind::Text:
        break;
    }
    return cell.text;
}

class Writer
{
public:
    Writer(const QString &path, CsvExport::Encoding encoding)
        : m_file(path)
        , m_path(path)
        , m_encoding(encoding)
    {
        if (!m_file.open(QIODevice::WriteOnly))
            throw StoreError(SavedFile::failureText(path), m_file.errorString());
        if (encoding == CsvExport::Encoding::Utf8Bom)
            m_buffer = QByteArray("\xEF\xBB\xBF");
    }
    void add(const QString &line)
    {
        m_text += line;
        m_text += QLatin1String("\r\n");
        // Encoded a few hundred lines at a time: one call per line would
        // cost more than the encoding itself.
        if (m_text.size() > (1 << 18))
            flush();
    }
    int commit()
    {
        flush();
        if (!m_file.commit())
            throw StoreError(SavedFile::failureText(m_path), m_file.errorString());
        return m_lost;
    }

private:
    void flush()
    {
        m_buffer += CsvExport::encode(m_text, m_encoding, &m_lost);
        m_text.resize(0);
        if (m_file.write(m_buffer) != m_buffer.size())
            throw StoreError(SavedFile::failureText(m_path), m_file.errorString());
        m_buffer.resize(0);
    }

    QSaveFile m_file;
    QString m_path;
    CsvExport::Encoding m_encoding;
    QString m_text;
    QByteArray m_buffer;
    int m_lost = 0;
};

// The text after an apostrophe where it begins like a formula, so that a
// spreadsheet shows it and never runs it.
QString inert(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (text.isEmpty() || !formulaStarts.contains(text.front()))
        return text;
    // A minus amount is a number, not a formula.
    static const QRegularExpression number(QStringLiteral("^-[0-9]+(\\.[0-9]+)?$"));
    if (number.match(text).hasMatch())
        return text;
    return u'\'' + text;
}

} // namespace

QString CsvExport::field(const QString &plain)
{
    const QString text = inert(plain);
    if (!text.contains(u'"') && !text.contains(u',') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString CsvExport::line(const QStringList &fields)
{
    QString s;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            s += u',';
        s += field(fields.at(i));
    }
    return s;
}

QByteArray CsvExport::encode(const QString &text, Encoding encoding, int *lost)
{
    if (encoding == Encoding::Utf8Bom)
        return text.toUtf8();
    const QString windowsForms = toCodePage932Forms(text);
    // Opening the converter costs more than encoding a line: one is kept.
    thread_local std::optional<QStringEncoder> encoder;
    if (!encoder)
        encoder.emplace("Shift_JIS");
    encoder->resetState();
    QByteArray bytes = encoder->encode(windowsForms);
    if (!encoder->hasError())
        return bytes;
    // A converter that met a letter it lacks keeps reporting the error, so
    // a new one is made; made in place, since one assigned over it (Qt 6.4)
    // reports no error ever after and lets the substitute bytes through.
    encoder.emplace("Shift_JIS");
    // Line by line, and in a line that fails letter by letter, so that each
    // letter the code page lacks becomes "?".
    bytes.clear();
    bool first = true;
    for (const QStringView line : QStringView(windowsForms).split(u'\n')) {
        if (!first)
            bytes += '\n';
        first = false;
        QStringEncoder lineEncoder("Shift_JIS");
        const QByteArray encoded = lineEncoder.encode(line);
        if (!lineEncoder.hasError()) {
            bytes += encoded;
            continue;
        }
        for (const uint letter : line.toUcs4()) {
            const char32_t one[] = {char32_t(letter)};
            QStringEncoder single("Shift_JIS");
            const QByteArray singleBytes = single.encode(QString::fromUcs4(one, 1));
            if (single.hasError()) {
                bytes += '?';
                if (lost)
                    ++*lost;
            } else {
                bytes += singleBytes;
            }
        }
    }
    return bytes;
}

int CsvExport::shiftJisLength(const QString &text)
{
    return int(encode(text, Encoding::ShiftJis).size());
}

int CsvExport::write(const ExportSource &source, const QString &path, Encoding encoding)
{
    Writer writer(path, encoding);
    const QList<ExportSource::Column> columns = source.columns();
    QStringList fields;
    for (const ExportSource::Column &c : columns)
        fields << c.heading;
    writer.add(line(fields));
    const int rows = source.rowCount();
    for (int r = 0; r < rows; ++r) {
        fields.clear();
        for (qsizetype c = 0; c < columns.size(); ++c)
            fields << cellText(source.cell(r, int(c)));
        writer.add(line(fields));
    }
    return writer.commit();
}

int CsvExport::writeLines(const QList<QStringList> &lines, const QString &path, Encoding encoding)
{
    Writer writer(path, encoding);
    for (const QStringList &fields : lines)
        writer.add(line(fields));
    return writer.commit();
}
