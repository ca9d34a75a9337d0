#include "ReportTestData.h"

#include "TestDataFolder.h"

#include "reports/ReportEngine.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

void ReportTestData::addMasters(const TestDataFolder &folder)
{
    const QString supplier = QStringLiteral(
            "INSERT INTO SireCliant (ClCode, ClName, ClYomigana, ClPdName, clzip, clAddress1, claddress2, claddress3, "
            "claddress4, cltel, clfax, ClTokuiKbn) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    folder.exec(supplier, {QStringLiteral("110"), QStringLiteral("佐藤工業"), QStringLiteral("さとうこうぎょう"),
                           QStringLiteral("佐藤 次郎"), QStringLiteral("211-0005"), QStringLiteral("神奈川県"),
                           QStringLiteral("川崎市"), QStringLiteral("中原区"), QStringLiteral("新丸子 4-5"),
                           QStringLiteral("044-411-0002"), QStringLiteral("044-411-0902"), 2});
    folder.exec(supplier, {QStringLiteral("100"), QStringLiteral("山田製作所"), QStringLiteral("やまだせいさくしょ"),
                           QStringLiteral("山田 太郎"), QStringLiteral("144-0052"), QStringLiteral("東京都"),
                           QStringLiteral("大田区"), QStringLiteral("蒲田"), QStringLiteral("1-2-3"),
                           QStringLiteral("03-3731-0001"), QStringLiteral("03-3731-0901"), 1});
    folder.exec(supplier, {QStringLiteral("120"), QStringLiteral("鈴木金属"), QStringLiteral("すずききんぞく"),
                           QStringLiteral("鈴木 一郎"), QString(), QStringLiteral("埼玉県"), QString(), QString(),
                           QString(), QString(), QString(), 9});
    const QString bank = QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES (?, ?, 0)");
    folder.exec(bank, {QStringLiteral("10"), QStringLiteral("東都信用金庫")});
    folder.exec(bank, {QStringLiteral("2"), QStringLiteral("みなと銀行")});
    folder.exec(bank, {QStringLiteral("1"), QStringLiteral("中央銀行")});
}

void ReportTestData::addNote(const TestDataFolder &folder, const QString &number, const QString &dueDate,
                             double amount, const QString &bank, const QString &payee, const QString &state,
                             const QString &keiri, const QString &remarks)
{
    folder.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, "
                               "TRemarks, TKeiri) VALUES (?, '2024-01-10', ?, ?, ?, ?, '1', '2', ?, ?, ?)"),
                {number, dueDate, bank, payee, amount, state, remarks, keiri});
}

void ReportTestData::addNotes(const TestDataFolder &folder, int count, const std::function<Note(int)> &note)
{
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    c.beginTrans();
    for (int i = 0; i < count; ++i) {
        const Note n = note(i);
        c.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, "
                              "TRemarks, TKeiri) VALUES (?, '2024-01-10', ?, ?, ?, ?, '1', '2', '1', '', '1')"),
               {n.number, n.dueDate, n.bank, n.payee, n.amount})
                .finish();
    }
    c.commitTrans();
}

QString ReportTestData::reportFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

ReportRequest ReportTestData::request(int number, const TestDataFolder &folder, const QString &reportDate,
                                      const QString &reportKeiri)
{
    ReportRequest r = ReportEngine::catalogueRequest(number, reportFolder(), folder.path(), reportDate, reportKeiri);
    r.printedAt = QDateTime(QDate(2024, 5, 1), QTime(9, 30));
    return r;
}

QStringList ReportTestData::texts(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *t : list)
        out.append(QString::fromUtf8(t));
    return out;
}

QVariantList ReportTestData::values(std::initializer_list<const char *> list)
{
    QVariantList out;
    for (const char *t : list)
        out.append(QString::fromUtf8(t));
    return out;
}

int ReportTestData::pdfPages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(file.readAll());
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    int pages = 0;
    QRegularExpressionMatchIterator it = page.globalMatch(text);
    while (it.hasNext()) {
        it.next();
        ++pages;
    }
    return pages;
}
