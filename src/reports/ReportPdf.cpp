#include "ReportPdf.h"

#include "ReportDocument.h"
#include "ReportError.h"
#include "ReportFonts.h"
#include "ReportPainter.h"

#include "exchange/SavedFile.h"
#include "store/StoreError.h"

#include <QFile>
#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

namespace {

bool isRadical(char32_t code)
{
    return (code >= 0x2E80 && code <= 0x2FDF) || (code >= 0x3038 && code <= 0x303A);
}

// The ideographs that the report font draws with the glyph of a radical: a
// Japanese font often draws 長 and the radicals ⻑ and ⾧ with one glyph, and
// the PDF writer names a glyph by the lowest code point that reaches it, so
// searching the PDF for 長 would find nothing. Read from the font itself, so
// that 戸 stays 戸 where the radical ⼾ would read as 戶.
QHash<char16_t, char16_t> radicalIdeographs(const QString &family)
{
    const QRawFont font = QRawFont::fromFont(QFont(family));
    QHash<char16_t, char16_t> ideographs;
    if (!font.isValid())
        return ideographs;
    // The unified ideographs first: they name a shared glyph before the
    // compatibility ones.
    QString candidates;
    for (const auto &[first, last] : {std::pair{0x4E00, 0x9FFF}, {0x3400, 0x4DBF}, {0xF900, 0xFAFF}}) {
        for (int code = first; code <= last; ++code)
            candidates.append(QChar(char16_t(code)));
    }
    const QList<quint32> glyphs = font.glyphIndexesForString(candidates);
    QHash<quint32, char16_t> ideographOfGlyph;
    for (qsizetype i = 0; i < glyphs.size() && i < candidates.size(); ++i) {
        if (glyphs.at(i) != 0 && !ideographOfGlyph.contains(glyphs.at(i)))
            ideographOfGlyph.insert(glyphs.at(i), candidates.at(i).unicode());
    }
    QString radicals;
    for (char16_t code = 0x2E80; code <= 0x303A; ++code) {
        if (isRadical(code))
            radicals.append(QChar(code));
    }
    const QList<quint32> radicalGlyphs = font.glyphIndexesForString(radicals);
    for (qsizetype i = 0; i < radicalGlyphs.size() && i < radicals.size(); ++i) {
        const auto found = ideographOfGlyph.constFind(radicalGlyphs.at(i));
        if (radicalGlyphs.at(i) != 0 && found != ideographOfGlyph.constEnd())
            ideographs.insert(radicals.at(i).unicode(), found.value());
    }
    return ideographs;
}

// The ideograph a radical-like code point stands for: the one the font draws
// with its glyph, else its compatibility form (a glyph of another font).
// Zero when `code` is no such code point.
char16_t unifiedIdeograph(char16_t code, const QHash<char16_t, char16_t> &byFont)
{
    if (!isRadical(code))
        return 0;
    if (const auto found = byFont.constFind(code); found != byFont.constEnd())
        return found.value();
    const QString unified = QString(QChar(code)).normalized(QString::NormalizationForm_KC);
    if (unified.size() != 1 || unified.at(0).unicode() < 0x3400)
        return 0;
    return unified.at(0).unicode();
}

// A text map (ToUnicode CMap) with every target that names a radical-like
// code point rewritten. A run of codes whose targets are consecutive
// becomes a list when one of them is rewritten.
QByteArray correctedTextMap(const QByteArray &map, const QHash<char16_t, char16_t> &byFont)
{
    const auto hex = [](char16_t code) { return '<' + QByteArray::number(code, 16).toUpper().rightJustified(4, '0') + '>'; };
    // A "<XXXX>" target as the ideograph it stands for, or as it is.
    const auto target = [&](const QByteArray &token) {
        bool ok = false;
        const auto code = token.size() == 6 ? char16_t(token.mid(1, 4).toUShort(&ok, 16)) : char16_t(0);
        const char16_t unified = ok ? unifiedIdeograph(code, byFont) : 0;
        return unified ? hex(unified) : token;
    };
    static const QRegularExpression tokenRe(QStringLiteral("<[0-9A-Fa-f]+>"));
    QByteArray out;
    out.reserve(map.size());
    bool inChars = false;
    bool inRanges = false;
    const QList<QByteArray> lines = map.split('\n');
    for (qsizetype l = 0; l < lines.size(); ++l) {
        const QByteArray &line = lines.at(l);
        if (l > 0)
            out += '\n';
        if (line.endsWith("beginbfchar") || line.endsWith("beginbfrange")) {
            inChars = line.endsWith("beginbfchar");
            inRanges = !inChars;
            out += line;
            continue;
        }
        if (line.startsWith("endbf")) {
            inChars = inRanges = false;
            out += line;
            continue;
        }
        QList<QByteArray> tokens;
        for (QRegularExpressionMatchIterator it = tokenRe.globalMatch(QString::fromLatin1(line)); it.hasNext();)
            tokens.append(it.next().captured().toLatin1());
        if (inChars && tokens.size() == 2) {
            out += tokens.at(0) + ' ' + target(tokens.at(1));
        } else if (inRanges && line.contains('[') && tokens.size() >= 2) {
            out += tokens.at(0) + ' ' + tokens.at(1) + " [";
            for (qsizetype t = 2; t < tokens.size(); ++t)
                out += target(tokens.at(t)) + ' ';
            out += ']';
        } else if (inRanges && tokens.size() == 3 && tokens.at(2).size() == 6) {
            const uint low = tokens.at(0).mid(1, tokens.at(0).size() - 2).toUInt(nullptr, 16);
            const uint high = tokens.at(1).mid(1, tokens.at(1).size() - 2).toUInt(nullptr, 16);
            const uint first = tokens.at(2).mid(1, 4).toUInt(nullptr, 16);
            QByteArray list;
            bool rewritten = false;
            for (uint i = 0; i <= high - low && high >= low && first + i <= 0xFFFF; ++i) {
                const QByteArray plain = hex(char16_t(first + i));
                const QByteArray corrected = target(plain);
                rewritten = rewritten || corrected != plain;
                list += corrected + ' ';
            }
            out += rewritten ? tokens.at(0) + ' ' + tokens.at(1) + " [" + list + ']' : line;
        } else {
            out += line;
        }
    }
    return out;
}

// Corrects the text maps of the PDF at `path`, written by QPdfWriter: each
// map stream is replaced, its length with it, and the cross-reference table
// follows the objects that move. Copied in pieces, so that a long report
// costs no memory. Errors name `shownPath`.
void correctTextMaps(const QString &path, const QString &shownPath, const QHash<char16_t, char16_t> &byFont)
{
    QFile in(path);
    const uchar *mapped = in.open(QIODevice::ReadOnly) ? in.map(0, in.size()) : nullptr;
    if (!mapped)
        throw ReportError(shownPath, QStringLiteral("PDF ファイルを書き終えられません (%1)。").arg(in.errorString()));
    const QByteArray pdf = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), in.size());

    // Each change: where it starts, how many bytes it replaces, and with what.
    struct Change
    {
        qsizetype at;
        qsizetype length;
        QByteArray bytes;
    };
    QList<Change> changes;
    static const QRegularExpression lengthRe(QStringLiteral(R"(/Length (\d+))"));
    for (qsizetype cmap = pdf.indexOf("begincmap"); cmap >= 0; cmap = pdf.indexOf("begincmap", cmap + 1)) {
        const qsizetype stream = pdf.lastIndexOf("stream\n", cmap);
        const qsizetype object = pdf.lastIndexOf(" obj", stream);
        if (stream < 0 || object < 0)
            continue;
        const qsizetype start = stream + 7;
        const QRegularExpressionMatch length
                = lengthRe.match(QString::fromLatin1(pdf.mid(object, stream - object)));
        const qsizetype size = length.hasMatch() ? length.captured(1).toLongLong() : -1;
        if (size < 0 || start + size > pdf.size())
            continue;
        const QByteArray map = pdf.mid(start, size);
        const QByteArray corrected = correctedTextMap(map, byFont);
        if (corrected == map)
            continue;
        changes.append({object + length.capturedStart(1), length.capturedLength(1), QByteArray::number(corrected.size())});
        changes.append({start, size, corrected});
    }
    if (changes.isEmpty())
        return;

    // Where a byte of the written file lands in the corrected one.
    const auto moved = [&](qint64 offset) {
        qint64 shift = 0;
        for (const Change &c : std::as_const(changes)) {
            if (c.at < offset)
                shift += c.bytes.size() - c.length;
        }
        return offset + shift;
    };
    const qsizetype xref = pdf.lastIndexOf("\nxref\n") + 1;
    const qsizetype startXref = pdf.lastIndexOf("startxref\n");
    if (xref <= 0 || startXref < xref)
        return;
    // The table's entries, "oooooooooo ggggg n", point at the objects moved.
    QByteArray table = pdf.mid(xref, startXref - xref);
    static const QRegularExpression entryRe(QStringLiteral(R"((\d{10}) (\d{5}) n)"));
    for (QRegularExpressionMatchIterator it = entryRe.globalMatch(QString::fromLatin1(table)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QByteArray offset = QByteArray::number(moved(m.captured(1).toLongLong())).rightJustified(10, '0');
        table.replace(m.capturedStart(1), 10, offset);
    }
    const qsizetype numberAt = startXref + 10;
    qsizetype numberEnd = numberAt;
    while (numberEnd < pdf.size() && std::isdigit(static_cast<unsigned char>(pdf.at(numberEnd))))
        ++numberEnd;
    changes.append({xref, startXref - xref, table});
    changes.append({numberAt, numberEnd - numberAt, QByteArray::number(moved(pdf.mid(numberAt, numberEnd - numberAt).toLongLong()))});

    std::optional<SavedFile> corrected;
    try {
        corrected.emplace(path);
    } catch (const StoreError &e) {
        throw ReportError(shownPath, QStringLiteral("PDF ファイルを書き終えられません (%1)。").arg(e.engineMessage()));
    }
    QFile out(corrected->temporaryPath());
    bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    qsizetype from = 0;
    for (const Change &c : std::as_const(changes)) {
        written = written && out.write(pdf.constData() + from, c.at - from) == c.at - from
                && out.write(c.bytes) == c.bytes.size();
        from = c.at + c.length;
    }
    written = written && out.write(pdf.constData() + from, pdf.size() - from) == pdf.size() - from;
    const QString error = out.errorString();
    out.close();
    in.unmap(const_cast<uchar *>(mapped));
    in.close();
    if (!written)
        throw ReportError(shownPath, QStringLiteral("PDF ファイルを書き終えられません (%1)。").arg(error));
    try {
        corrected->commit();
    } catch (const StoreError &e) {
        throw ReportError(shownPath, e.text());
    }
}

// The pages drawn into `building`; errors name `path`, the file the user chose.
void writePages(const ReportDocument &document, const QString &building, const QString &path,
                const std::function<void(int)> &progress)
{
    QPdfWriter writer(building);
    writer.setTitle(document.definition().title);
    writer.setCreator(QStringLiteral("QXRibodo"));
    // 720 dots to the inch: the writer's units are the layout's.
    writer.setResolution(720);
    writer.setPageLayout(document.pageLayout());

    QPainter painter;
    if (!painter.begin(&writer))
        throw ReportError(path, QStringLiteral("PDF ファイルを作れません。"));
    const QString family = ReportFonts::japaneseFamily();
    const ReportPainter pagePainter(document.metrics(), family);
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0)
            writer.newPage();
        pagePainter.paint(painter, document.page(i));
        if (progress)
            progress(i + 1);
    }
    if (!painter.end())
        throw ReportError(path, QStringLiteral("PDF ファイルを書き終えられません。"));

    correctTextMaps(building, path, radicalIdeographs(family));
}

} // namespace

void ReportPdf::write(const ReportDocument &document, const QString &path, const std::function<void(int)> &progress)
{
    // Written beside the chosen name and put in place once complete, so that
    // a failure never leaves half a report under that name.
    std::optional<SavedFile> target;
    try {
        target.emplace(path);
    } catch (const StoreError &e) {
        throw ReportError(path, QStringLiteral("PDF ファイルに書き込めません (%1)。").arg(e.engineMessage()));
    }
    writePages(document, target->temporaryPath(), path, progress);
    try {
        target->commit();
    } catch (const StoreError &e) {
        throw ReportError(path, e.text());
    }
}
