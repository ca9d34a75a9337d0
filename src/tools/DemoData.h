#pragma once

#include <QDate>
#include <QString>

// Sample data for a demo folder, the screenshots, the benchmark and the tests
// that want a full register.
class DemoData
{
public:
    // A new data folder (DataFolderBuilder) holding the sample data below.
    static void createDemo(const QString &dataFolder, int notes, const QDate &today);

    // Adds sample suppliers, banks and `notes` notes whose due dates spread
    // over twelve months before and six months after `today`, in states that
    // agree with their due dates; besides them, electronic records,
    // long-term notes and notes to subcontractors (DemoRuleNotes).
    static void addDemoData(const QString &dataFolder, int notes, const QDate &today);
};
