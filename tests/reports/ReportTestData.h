#pragma once

#include "reports/ReportRequest.h"

#include <QString>

class TestDataFolder;

// A small known database for the report tests, and the requests and checks
// they share.
class ReportTestData
{
public:
    // Suppliers 100 山田製作所, 110 佐藤工業 and 120 鈴木金属 (categories
    // 1, 2 and 9, the last without a name); banks 1, 2 and 10.
    static void addMasters(const TestDataFolder &folder);

    static void addNote(const TestDataFolder &folder, const QString &number, const QString &dueDate,
                        double amount, const QString &bank = QStringLiteral("1"),
                        const QString &payee = QStringLiteral("100"), const QString &state = QStringLiteral("1"),
                        const QString &keiri = QStringLiteral("1"), const QString &remarks = QString());

    // The folder of the shipped definitions: the program folder.
    static QString reportFolder();
    static ReportRequest request(int number, const TestDataFolder &folder, const QString &reportDate = QString(),
                                 const QString &reportKeiri = QString());

    // The number of pages of a PDF file.
    static int pdfPages(const QString &path);
};
