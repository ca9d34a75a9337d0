#pragma once

#include "ReportRequest.h"

#include <memory>

class ReportDocument;

// Makes reports: reads the definition, reads its rows from the data folder's
// database (whatever database the definition was made on) and lays them out.
class ReportEngine
{
public:
    // The request for a report of the catalogue: its file in `reportFolder`
    // (which ends with the separator) and, for reports 11 and 12, the
    // selection built from ReportDate and ReportKeiri; for report 14 the
    // period from ReportDate to ReportDateEnd.
    static ReportRequest catalogueRequest(int number, const QString &reportFolder, const QString &dataFolder,
                                          const QString &reportDate, const QString &reportKeiri,
                                          const QString &reportDateEnd = QString());

    // Raises ReportError naming the definition file or the database and the
    // reason.
    static std::unique_ptr<ReportDocument> build(const ReportRequest &request);
};
