#pragma once

#include <QDateTime>
#include <QString>

// What a report is made from: its definition file, the data folder whose
// database it reads, the record selection and the values its texts may show.
struct ReportRequest
{
    QString definitionPath;
    QString dataFolder;
    QString selectionFormula;
    QString reportDate;
    QString reportKeiri;
    // The last day of a period that starts on reportDate (report 14).
    QString reportDateEnd;
    QDateTime printedAt;
    bool repeatGroupHeadings = false;
};
