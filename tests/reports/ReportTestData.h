#pragma once

#include "reports/ReportRequest.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <initializer_list>

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

    struct Note
    {
        QString number;
        QString dueDate;
        double amount = 1000;
        QString bank = QStringLiteral("1");
        QString payee = QStringLiteral("100");
    };
    // Adds `count` notes, note(i) describing the i-th, in one transaction.
    static void addNotes(const TestDataFolder &folder, int count, const std::function<Note(int)> &note);

    // The folder of the shipped definitions: the program folder.
    static QString reportFolder();
    static ReportRequest request(int number, const TestDataFolder &folder, const QString &reportDate = QString(),
                                 const QString &reportKeiri = QString());

    // Texts written as UTF-8 literals.
    static QStringList texts(std::initializer_list<const char *> list);
    static QVariantList values(std::initializer_list<const char *> list);

    // The number of pages of a PDF file.
    static int pdfPages(const QString &path);
};
