#include "DemoData.h"

#include "DemoRuleNotes.h"
#include "rules/NoteRules.h"
#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"

#include <QRandomGenerator>

namespace {

struct CodeName
{
    const char *code;
    const char *name;
};

struct Supplier
{
    const char *name;
    const char *yomi;
    const char *boss;
    const char *pref;
    const char *city;
    const char *town;
    const char *street;
    const char *zip;
    const char *tel;
    int kind;
};

const Supplier suppliers[] = {
    {"株式会社山田製作所", "やまだせいさくしょ", "山田 太郎", "東京都", "大田区", "蒲田", "1-2-3", "144-0052", "03-3731-0001", 1},
    {"有限会社佐藤工業", "さとうこうぎょう", "佐藤 次郎", "神奈川県", "川崎市", "中原区", "新丸子 4-5", "211-0005", "044-411-0002", 2},
    {"鈴木金属株式会社", "すずききんぞく", "鈴木 一郎", "埼玉県", "川口市", "本町", "2-8-10", "332-0012", "048-222-0003", 1},
    {"高橋商事株式会社", "たかはししょうじ", "高橋 花子", "千葉県", "船橋市", "本町", "7-1-1", "273-0005", "047-431-0004", 1},
    {"田中電機株式会社", "たなかでんき", "田中 誠", "東京都", "八王子市", "旭町", "9-1", "192-0083", "042-642-0005", 3},
    {"株式会社伊藤化成", "いとうかせい", "伊藤 健", "静岡県", "浜松市", "中区", "板屋町 11", "430-0928", "053-452-0006", 1},
    {"渡辺精機株式会社", "わたなべせいき", "渡辺 裕子", "愛知県", "名古屋市", "中村区", "名駅 3-3", "450-0002", "052-561-0007", 2},
    {"中村運輸株式会社", "なかむらうんゆ", "中村 修", "大阪府", "大阪市", "北区", "梅田 2-4", "530-0001", "06-6341-0008", 2},
    {"小林建設株式会社", "こばやしけんせつ", "小林 剛", "東京都", "江東区", "豊洲", "3-2-20", "135-0061", "03-5534-0009", 3},
    {"加藤紙工株式会社", "かとうしこう", "加藤 明美", "埼玉県", "草加市", "高砂", "1-1-1", "340-0015", "048-922-0010", 1},
    {"株式会社吉田樹脂", "よしだじゅし", "吉田 浩", "群馬県", "高崎市", "八島町", "20", "370-0849", "027-322-0011", 1},
    {"山本塗装工業所", "やまもととそうこうぎょうしょ", "山本 勇", "栃木県", "宇都宮市", "馬場通り", "1-1", "320-0026", "028-633-0012", 2},
};

const CodeName banks[] = {{"1", "中央銀行 本店"},
                          {"2", "みなと銀行 駅前支店"},
                          {"3", "東都信用金庫 蒲田支店"},
                          {"4", "さくら台銀行 川崎支店"},
                          {"5", "北関東銀行 高崎支店"}};

void fillDemo(Connection &c, int notes, const QDate &today)
{
    int code = 100;
    for (const Supplier &s : suppliers) {
        c.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName, ClPdName, ClYomigana, clAddress1, claddress2, "
                              "claddress3, claddress4, clzip, cltel, clfax, ClSime, ClZan, Clpay, ClTokuiKbn) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               {QString::number(code), QString::fromUtf8(s.name), QString::fromUtf8(s.boss),
                QString::fromUtf8(s.yomi), QString::fromUtf8(s.pref), QString::fromUtf8(s.city),
                QString::fromUtf8(s.town), QString::fromUtf8(s.street), QString::fromUtf8(s.zip),
                QString::fromUtf8(s.tel), QString::fromUtf8(s.tel).replace(QLatin1String("000"), QLatin1String("900")),
                QStringLiteral("20"), 0.0, QStringLiteral("31"), s.kind})
                .finish();
        code += 10;
    }
    for (const CodeName &b : banks)
        c.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES (?, ?, ?)"),
               {QString::fromUtf8(b.code), QString::fromUtf8(b.name), 0.0})
                .finish();

    // Two banks have announced their last dates for paper notes.
    c.exec(QStringLiteral("UPDATE kbn6 SET KbnFuriEnd = '2026-09-30', KbnKesaiEnd = '2027-03-31' "
                          "WHERE KbnCode IN ('2', '4')"))
            .finish();
    // Some suppliers with their numbers for the tax office: registration
    // numbers ("T") and corporate numbers, made up but with their check digit.
    const char *const numbers[] = {"T3011101900001", "2011101900002", "T3020001900003", "1030001900004"};
    for (int i = 0; i < int(std::size(numbers)); ++i)
        c.exec(QStringLiteral("UPDATE SireCliant SET ClTouroku = ? WHERE ClCode = ?"),
               {QLatin1String(numbers[i]), QString::number(100 + 10 * i)})
                .finish();

    // A fixed seed: the same demo folder every time.
    QRandomGenerator random(20240401);
    const int supplierCount = int(std::size(suppliers));
    const int span = int(today.addMonths(-12).daysTo(today.addMonths(6)));
    for (int i = 0; i < notes; ++i) {
        QDate due = today.addMonths(-12).addDays(random.bounded(span + 1));
        // Notes fall due on weekdays.
        while (due.dayOfWeek() > 5)
            due = due.addDays(1);
        const int longer = random.bounded(4);
        QDate drawn = due.addDays(-(60 + 30 * longer));
        // Since November 2024 notes of more than 60 days are hard to
        // discount; the demo company has drawn shorter ones since.
        if (drawn >= QDate(2024, 11, 1))
            drawn = due.addDays(-(30 + 10 * longer));
        QString state = QStringLiteral("1");
        if (due <= today)
            state = random.bounded(10) < 8 ? QStringLiteral("3") : QStringLiteral("2");
        const double amount = 1000.0 * (50 + random.bounded(4950));
        const QString remark = random.bounded(5) == 0 ? QStringLiteral("%1月分支払").arg(drawn.month()) : QString();
        // Paper due after the clearing house stops taking it is not drawn
        // any more: such a payment is an electronic record.
        const bool electronic = due > NoteRules::lastClearingDue();
        const auto kindOf = [electronic](int draw) {
            return electronic ? QStringLiteral("3") : draw == 0 ? QStringLiteral("2") : QStringLiteral("1");
        };
        c.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, "
                              "TCond, TRemarks, TKeiri) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               {electronic ? DemoRuleNotes::recordNumber(drawn, 10001 + i) : QStringLiteral("AB%1").arg(10001 + i),
                drawn.toString(Qt::ISODate), due.toString(Qt::ISODate),
                QString::number(1 + random.bounded(int(std::size(banks)))),
                QString::number(100 + 10 * random.bounded(supplierCount)), amount, kindOf(random.bounded(6)),
                QString::number(1 + random.bounded(4)), state, remark,
                due > drawn.addDays(120) ? QStringLiteral("2") : QStringLiteral("1")})
                .finish();
    }
    DemoRuleNotes::add(c, notes, today, 10001 + notes);
}

} // namespace

void DemoData::createDemo(const QString &dataFolder, int notes, const QDate &today)
{
    DataFolderBuilder::createDatabase(dataFolder, [&](Connection &c) {
        fillDemo(c, notes, today);
    });
}

void DemoData::addDemoData(const QString &dataFolder, int notes, const QDate &today)
{
    Connection c;
    c.open(Schema::connectionText(dataFolder));
    c.beginTrans();
    try {
        fillDemo(c, notes, today);
        c.commitTrans();
    } catch (...) {
        c.rollbackTrans();
        throw;
    }
}
