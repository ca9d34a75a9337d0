// ribodo-reportpdf: writes one report of the catalogue as a PDF file, using
// the definitions in the program folder.
//   ribodo-reportpdf <number> <data folder> <file.pdf> [ReportDate] [ReportKeiri]
//   ribodo-reportpdf 14 <data folder> <file.pdf> <first drawing date> <last drawing date>
//   ribodo-reportpdf 16 <data folder> <file.pdf> <first day of change> <last day of change>
//   ribodo-reportpdf 17 <data folder> <file.pdf> <date> [denshi]
// Report 17, the schedule of notes payable, is as at the date; "denshi"
// takes electronic records in as well.
// For report 13, the funding plan, ReportDate is the first day of the period
// (today when left out); the plan of that day and the days after it is
// written into the work table first, as the window does before printing.

#include "HeadlessPlatform.h"
#include "ReportDocument.h"
#include "ReportEngine.h"
#include "ReportError.h"
#include "ReportPdf.h"

#include "store/Connection.h"
#include "rules/FundingPlan.h"
#include "store/JetSql.h"
#include "store/RegisterLock.h"
#include "store/Schema.h"
#include "store/SchemaIndexes.h"
#include "store/SchemaUpgrade.h"
#include "store/StoreError.h"
#include "store/WorkTable.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    HeadlessPlatform::chooseWithoutDisplay();
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: ribodo-reportpdf <number> <data folder> <file.pdf> [ReportDate] [ReportKeiri]\n"
                               "       ribodo-reportpdf 14|16 <data folder> <file.pdf> <from yyyy/mm/dd> <to yyyy/mm/dd>"
                            << Qt::endl;
        return 2;
    }
    QString dataFolder = QDir::toNativeSeparators(QDir(args.at(1)).absolutePath());
    if (!dataFolder.endsWith(QDir::separator()))
        dataFolder += QDir::separator();
    const QString reportFolder = QDir::toNativeSeparators(QGuiApplication::applicationDirPath()) + QDir::separator();
    // Held while the folder is read, as the application holds it: a restore
    // is refused meanwhile.
    const RegisterLock lock(dataFolder, RegisterLock::Holder::Program);
    if (RegisterLock::restoring(dataFolder)) {
        QTextStream(stderr) << "このデータ フォルダのデータベースを復元しています。復元が終わってから、もう一度実行してください。"
                            << Qt::endl;
        return 1;
    }
    try {
        // A folder the application has not opened since this version came
        // is upgraded here as start-up would do it, copy first.
        const SchemaUpgrade::Result upgrade = SchemaUpgrade::run(dataFolder, QDate::currentDate());
        if (upgrade.outcome == SchemaUpgrade::Outcome::TooNew) {
            QTextStream(stderr) << "database version " << upgrade.found << " is newer than " << Schema::version()
                                << Qt::endl;
            return 1;
        }
        if (!upgrade.states.isEmpty())
            QTextStream(stderr) << StateMeaning::markedText(upgrade.states) << Qt::endl;
    } catch (const StoreError &e) {
        QTextStream(stderr) << e.text() << Qt::endl;
        return 1;
    }
    QString reportDate = args.value(3);
    if (args.at(0) == QLatin1String("13")) {
        const QDate from = reportDate.isEmpty() ? QDate::currentDate() : JetSql::parseDate(reportDate);
        if (!from.isValid()) {
            QTextStream(stderr) << "ReportDate: " << reportDate << Qt::endl;
            return 2;
        }
        try {
            // The plan reads an index an older folder gains here.
            SchemaIndexes::refresh(dataFolder);
            const FundingPlan plan = FundingPlan::build(dataFolder, from, from.addDays(FundingPlan::defaultDays));
            Connection connection;
            connection.open(Schema::connectionText(dataFolder));
            WorkTable::replace(connection, plan.workRows());
            reportDate = plan.periodText();
        } catch (const StoreError &e) {
            QTextStream(stderr) << e.text() << Qt::endl;
            return 1;
        }
    }
    try {
        // Reports 14 and 16 take a period where the others take a category.
        const int number = args.at(0).toInt();
        const ReportRequest request =
                number == 14 || number == 16 ? ReportEngine::catalogueRequest(number, reportFolder, dataFolder, reportDate,
                                                              QString(), args.value(4))
                             : ReportEngine::catalogueRequest(number, reportFolder, dataFolder, reportDate,
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
