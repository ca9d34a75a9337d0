#include "ReportPdf.h"

#include "ReportDocument.h"
#include "ReportError.h"
#include "ReportFonts.h"
#include "ReportPainter.h"

#include "exchange/SavedFile.h"
#include "store/StoreError.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <optional>

namespace {

// The ideograph a radical-like code point stands for: a Japanese font often
// draws 手 and the radical ⼿ with one glyph, and the PDF writer names a
// glyph by the lowest code point that reaches it, so searching the PDF for
// 手 would find nothing. Zero when `code` is no such code point.
char16_t unifiedIdeograph(char16_t code)
{
    const bool radical = (code >= 0x2E80 && code <= 0x2FDF) || (code >= 0x3038 && code <= 0x303A);
    if (!radical)
        return 0;
    const QString unified = QString(QChar(code)).normalized(QString::NormalizationForm_KC);
    if (unified.size() != 1 || unified.at(0).unicode() < 0x3400)
        return 0;
    return unified.at(0).unicode();
}

// Rewrites, in place, the targets of the text maps (ToUnicode CMaps) of a
// PDF that name such code points: each is four hexadecimal digits and stays
// four, so no offset of the file moves.
void unifyIdeographs(char *data, qsizetype size)
{
    // Searched without a copy; written through `data`.
    const QByteArray pdf = QByteArray::fromRawData(data, size);
    const auto rewrite = [&](qsizetype at) {
        // `at` is the position of a "<XXXX>" target.
        if (at + 5 >= size || data[at + 5] != '>')
            return;
        bool ok = false;
        const auto code = char16_t(QByteArray(data + at + 1, 4).toUShort(&ok, 16));
        const char16_t unified = ok ? unifiedIdeograph(code) : 0;
        if (unified) {
            const QByteArray hex = QByteArray::number(unified, 16).toUpper().rightJustified(4, '0');
            std::copy(hex.cbegin(), hex.cend(), data + at + 1);
        }
    };
    for (const bool ranges : {true, false}) {
        const QByteArray begin = ranges ? QByteArrayLiteral("beginbfrange") : QByteArrayLiteral("beginbfchar");
        const QByteArray end = ranges ? QByteArrayLiteral("endbfrange") : QByteArrayLiteral("endbfchar");
        for (qsizetype from = pdf.indexOf(begin); from >= 0; from = pdf.indexOf(begin, from)) {
            const qsizetype stop = pdf.indexOf(end, from);
            if (stop < 0)
                break;
            qsizetype line = pdf.indexOf('\n', from) + 1;
            while (line > 0 && line < stop) {
                QList<qsizetype> tokens;
                bool list = false;
                qsizetype i = line;
                for (; i < stop && data[i] != '\n'; ++i) {
                    if (data[i] == '<')
                        tokens.append(i);
                    else if (data[i] == '[')
                        list = true;
                }
                if (!ranges && tokens.size() == 2) {
                    rewrite(tokens.at(1));
                } else if (ranges && list) {
                    for (qsizetype t = 2; t < tokens.size(); ++t)
                        rewrite(tokens.at(t));
                } else if (ranges && tokens.size() == 3
                           && std::equal(data + tokens.at(0), data + tokens.at(0) + 6, data + tokens.at(1))) {
                    // A run of several codes keeps its linear targets.
                    rewrite(tokens.at(2));
                }
                line = i + 1;
            }
            from = stop;
        }
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
    const ReportPainter pagePainter(document.metrics(), ReportFonts::japaneseFamily());
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0)
            writer.newPage();
        pagePainter.paint(painter, document.page(i));
        if (progress)
            progress(i + 1);
    }
    if (!painter.end())
        throw ReportError(path, QStringLiteral("PDF ファイルを書き終えられません。"));

    // The text maps are corrected in the file as written, mapped rather than
    // read, so that a long report costs no memory.
    QFile file(building);
    uchar *mapped = file.open(QIODevice::ReadWrite) ? file.map(0, file.size()) : nullptr;
    if (!mapped)
        throw ReportError(path, QStringLiteral("PDF ファイルを書き終えられません (%1)。").arg(file.errorString()));
    unifyIdeographs(reinterpret_cast<char *>(mapped), file.size());
    if (!file.unmap(mapped))
        throw ReportError(path, QStringLiteral("PDF ファイルを書き終えられません (%1)。").arg(file.errorString()));
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
