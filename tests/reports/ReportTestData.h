#pragma once

#include "reports/ReportRequest.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>

class ReportDocument;
class TestDataFolder;
struct ReportPage;

// A small known database for the report tests, and the requests and checks
// they share.
class ReportTestData
{
public:
    // Suppliers 100 山田製作所, 110 佐藤工業 and 120 鈴木金属 (categories
    // 1, 2 and 9, the last without a name); banks 1, 2 and 10.
    static void addMasters(const TestDataFolder &folder);

    // A note issued 2024/01/10, of kind 1 (約束手形) and purpose 2 (外注加工費).
    struct Note
    {
        QString number;
        QString dueDate;
        double amount = 1000;
        QString bank = QStringLiteral("1");
        QString payee = QStringLiteral("100");
        QString state = QStringLiteral("1");
        QString keiri = QStringLiteral("1");
        QString remarks{}; // initialised, so that notes may leave it out
    };
    // Adds `count` notes, note(i) describing the i-th, in one transaction.
    static void addNotes(const TestDataFolder &folder, int count, const std::function<Note(int)> &note);
    static void addNotes(const TestDataFolder &folder, const QList<Note> &notes);

    // Eight notes (three due 2024/04/30, four of category 1 due from
    // 2024/05/01, one of category 2) and three rows of the explorer's list.
    static void addSampleData(const TestDataFolder &folder);

    // The folder of the shipped definitions: the program folder.
    static QString reportFolder();
    static ReportRequest request(int number, const TestDataFolder &folder, const QString &reportDate = QString(),
                                 const QString &reportKeiri = QString());

    // Texts written as UTF-8 literals.
    static QStringList texts(std::initializer_list<const char *> list);

    static QStringList headings(const ReportPage &page);
    // Every body line of every page: a detail as its cells "a|b|c", any other
    // line as a letter for its kind, its label and its cells: "T:合計|a|b".
    static QStringList render(const ReportDocument &document);

    // The number of pages of a PDF file.
    static int pdfPages(const QString &path);
};
