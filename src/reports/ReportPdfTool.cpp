// ribodo-reportpdf: writes one report of the catalogue as a PDF file, using
// the definitions in the program folder.
//   ribodo-reportpdf <number> <data folder> <file.pdf> [ReportDate] [ReportKeiri]
//   ribodo-reportpdf 14 <data folder> <file.pdf> <first drawing date> <last drawing date>

#include "ReportDocument.h"
#include "ReportEngine.h"
#include "ReportError.h"
#include "ReportPdf.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: ribodo-reportpdf <number> <data folder> <file.pdf> [ReportDate] [ReportKeiri]\n"
                               "       ribodo-reportpdf 14 <data folder> <file.pdf> <from yyyy/mm/dd> <to yyyy/mm/dd>"
                            << Qt::endl;
        return 2;
    }
    QString dataFolder = QDir::toNativeSeparators(QDir(args.at(1)).absolutePath());
    if (!dataFolder.endsWith(QDir::separator()))
        dataFolder += QDir::separator();
    const QString reportFolder = QDir::toNativeSeparators(QGuiApplication::applicationDirPath()) + QDir::separator();
    try {
        // Report 14 takes a period where the others take a category.
        const int number = args.at(0).toInt();
        const ReportRequest request =
                number == 14 ? ReportEngine::catalogueRequest(number, reportFolder, dataFolder, args.value(3),
                                                              QString(), args.value(4))
                             : ReportEngine::catalogueRequest(number, reportFolder, dataFolder, args.value(3),
                                                              args.value(4));
        const auto document = ReportEngine::build(request);
        ReportPdf::write(*document, args.at(2));
        QTextStream(stdout) << document->pageCount() << Qt::endl;
    } catch (const ReportError &e) {
        QTextStream(stderr) << e.text() << Qt::endl;
        return 1;
    }
    return 0;
}
