#include "ReportTestData.h"

#include "TestDataFolder.h"

#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

// One transaction for all: a commit per statement makes the tests slow.
void inTransaction(const TestDataFolder &folder, const std::function<void(Connection &)> &work)
{
    Connection c;
    c.open(Schema::connectionText(folder.path()));
    c.beginTrans();
    work(c);
    c.commitTrans();
}

void insertNotes(Connection &c, const QList<ReportTestData::Note> &notes)
{
    for (const ReportTestData::Note &n : notes) {
        c.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, "
                              "TRemarks, TKeiri) VALUES (?, '2024-01-10', ?, ?, ?, ?, '1', '2', ?, ?, ?)"),
               {n.number, n.dueDate, n.bank, n.payee, n.amount, n.state, n.remarks, n.keiri})
                .finish();
    }
}

} // namespace

void ReportTestData::addMasters(const TestDataFolder &folder)
{
    inTransaction(folder, [](Connection &c) {
        const QString supplier = QStringLiteral(
                "INSERT INTO SireCliant (ClCode, ClName, ClYomigana, ClPdName, clzip, clAddress1, claddress2, "
                "claddress3, claddress4, cltel, clfax, ClTokuiKbn) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (const QStringList &row :
             {texts({"110", "佐藤工業", "さとうこうぎょう", "佐藤 次郎", "211-0005", "神奈川県", "川崎市", "中原区",
                     "新丸子 4-5", "044-411-0002", "044-411-0902", "2"}),
              texts({"100", "山田製作所", "やまだせいさくしょ", "山田 太郎", "144-0052", "東京都", "大田区", "蒲田",
                     "1-2-3", "03-3731-0001", "03-3731-0901", "1"}),
              texts({"120", "鈴木金属", "すずききんぞく", "鈴木 一郎", "", "埼玉県", "", "", "", "", "", "9"})}) {
            // Parts left out are missing, not empty text.
            QVariantList values;
            for (const QString &t : row)
                values.append(t.isEmpty() ? QVariant() : QVariant(t));
            c.exec(supplier, values).finish();
        }
        const QString bank = QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES (?, ?, 0)");
        for (const QStringList &b : {texts({"10", "東都信用金庫"}), texts({"2", "みなと銀行"}), texts({"1", "中央銀行"})})
            c.exec(bank, {b.at(0), b.at(1)}).finish();
    });
}

void ReportTestData::addNotes(const TestDataFolder &folder, int count, const std::function<Note(int)> &note)
{
    QList<Note> notes;
    for (int i = 0; i < count; ++i)
        notes.append(note(i));
    addNotes(folder, notes);
}

void ReportTestData::addNotes(const TestDataFolder &folder, const QList<Note> &notes)
{
    inTransaction(folder, [&notes](Connection &c) { insertNotes(c, notes); });
}

void ReportTestData::addSampleData(const TestDataFolder &folder)
{
    const auto note = [](const char *number, const char *due, double amount, const char *bank, const char *payee,
                         const char *state = "1", const char *keiri = "1", const char *remarks = "") {
        return Note{QString::fromUtf8(number), QString::fromUtf8(due), amount, QString::fromUtf8(bank),
                    QString::fromUtf8(payee), QString::fromUtf8(state), QString::fromUtf8(keiri),
                    QString::fromUtf8(remarks)};
    };
    // Out of order, so that sorting shows.
    const QList<Note> notes{
            note("K3", "2024-04-30", 50000, "2", "120"),  note("K2", "2024-04-30", 250000, "1", "110", "3"),
            note("K1", "2024-04-30", 100000, "1", "100"), note("P2", "2024-05-20", 50000, "1", "100"),
            note("P3", "2024-05-10", 30000, "2", "110"),  note("P1", "2024-05-10", 100000, "1", "100"),
            note("P4", "2024-05-01", 7000, "2", "120"),   note("A0", "2024-06-30", 0, "10", "110", "3", "2", "6月分")};
    inTransaction(folder, [&notes](Connection &c) {
        insertNotes(c, notes);
        for (const QStringList &row :
             {texts({"2024/03/01", "Z9", "山田製作所", "1,000", "2024/05/31", "中央銀行", "x"}),
              texts({"2024/01/01", "A1", "佐藤工業", "", "2024/04/30", "みなと銀行", ""}),
              texts({"2024/02/01", "M5", "鈴木金属", "25,000", "2024/06/30", "", "備考"})})
            c.exec(QStringLiteral("INSERT INTO TMPTbl (F1, F2, F3, F4, F5, F6, F7) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                   QVariantList(row.begin(), row.end()))
                    .finish();
    });
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

QStringList ReportTestData::headings(const ReportPage &page)
{
    QStringList out;
    for (const ReportPage::Column &c : page.columns)
        out.append(c.heading);
    return out;
}

QStringList ReportTestData::render(const ReportDocument &document)
{
    QStringList out;
    for (int p = 0; p < document.pageCount(); ++p) {
        for (const ReportLine &l : document.page(p).lines) {
            QString text = l.cells.join(QLatin1Char('|'));
            if (l.kind != ReportLine::Kind::Detail) {
                const bool noCells = l.cells.join(QString()).isEmpty();
                text = QString(QLatin1Char("HCDFTSE"[int(l.kind)])) + QLatin1Char(':') + l.label
                        + (noCells ? QString() : QLatin1Char('|') + text);
            }
            out.append(text);
        }
    }
    return out;
}

int ReportTestData::pdfPages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return int(QString::fromLatin1(file.readAll()).count(page));
}
