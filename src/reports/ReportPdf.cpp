#include "ReportPdf.h"

#include "ReportDocument.h"
#include "ReportError.h"
#include "ReportFonts.h"
#include "ReportPainter.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

void ReportPdf::write(const ReportDocument &document, const QString &path, const std::function<void(int)> &progress)
{
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw ReportError(path, QStringLiteral("PDF ファイルに書き込めません (%1)。").arg(probe.errorString()));
    }
    QPdfWriter writer(path);
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
}
