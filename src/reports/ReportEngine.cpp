#include "ReportEngine.h"

#include "ComputedSource.h"
#include "ReportCatalogue.h"
#include "ReportDocument.h"
#include "ReportError.h"
#include "ReportQuery.h"
#include "SelectionFormula.h"

#include "store/Connection.h"
#include "store/Schema.h"
#include "store/StoreError.h"

ReportRequest ReportEngine::catalogueRequest(int number, const QString &reportFolder, const QString &dataFolder,
                                             const QString &reportDate, const QString &reportKeiri,
                                             const QString &reportDateEnd)
{
    ReportRequest r;
    const auto entry = ReportCatalogue::find(QString::number(number));
    r.definitionPath = reportFolder + (entry ? entry->fileName : QString());
    r.dataFolder = dataFolder;
    try {
        r.selectionFormula = ReportCatalogue::selectionFormula(number, reportDate, reportKeiri, reportDateEnd);
    } catch (const ReportError &e) {
        throw ReportError(r.definitionPath, e.reason());
    }
    r.reportDate = reportDate;
    r.reportKeiri = reportKeiri;
    r.reportDateEnd = reportDateEnd;
    r.printedAt = QDateTime::currentDateTime();
    r.repeatGroupHeadings = ReportCatalogue::repeatsGroupHeadings(number);
    return r;
}

std::unique_ptr<ReportDocument> ReportEngine::build(const ReportRequest &request)
{
    ReportDefinition definition = ReportDefinition::load(request.definitionPath);

    Connection connection;
    try {
        connection.open(Schema::connectionText(request.dataFolder));
    } catch (const StoreError &e) {
        throw ReportError(Schema::databasePath(request.dataFolder), e.explanation(), e.engineMessage());
    }

    try {
        SqlCondition selection =
                SelectionFormula::toSql(request.selectionFormula, definition.source, definition.fileName);
        if (ComputedSource::isComputed(definition.source))
            ComputedSource::fill(connection, definition.source, selection, request);
        ReportQuery query(definition, connection, std::move(selection));
        query.checkSource();

        ReportDocument::Settings settings;
        settings.printedAt = request.printedAt.isValid() ? request.printedAt : QDateTime::currentDateTime();
        settings.repeatGroupHeadings = request.repeatGroupHeadings;
        settings.subtitle = definition.subtitle;
        settings.subtitle.replace(QLatin1String("{ReportDateEnd}"), request.reportDateEnd);
        settings.subtitle.replace(QLatin1String("{ReportDate}"), request.reportDate);
        if (settings.subtitle.contains(QLatin1String("{ReportKeiriName}")))
            settings.subtitle.replace(QLatin1String("{ReportKeiriName}"),
                                      query.name(Schema::categoryTable(3), request.reportKeiri));
        settings.subtitle.replace(QLatin1String("{ReportKeiri}"), request.reportKeiri);

        if (definition.crossTab) {
            CrossTable table = query.crossTable();
            return std::make_unique<ReportDocument>(std::move(definition), std::move(table), settings);
        }
        ReportTable rows = query.rows(ReportDocument::hiddenFields(definition));
        QList<ReportTotal> summaries;
        for (const ReportDefinition::Summary &s : std::as_const(definition.summaries))
            summaries.append(query.total(s.field, s.where));
        return std::make_unique<ReportDocument>(std::move(definition), std::move(rows), summaries, settings);
    } catch (const StoreError &e) {
        throw ReportError(definition.fileName, e.explanation(), e.engineMessage());
    }
}
