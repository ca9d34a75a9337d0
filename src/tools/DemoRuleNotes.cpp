#include "DemoRuleNotes.h"

#include "store/Connection.h"

#include <QRandomGenerator>

namespace {

struct Subcontractor
{
    const char *code;
    const char *name;
    const char *yomi;
    const char *boss;
    const char *pref;
    const char *city;
    const char *town;
    const char *street;
    const char *zip;
    const char *tel;
};

const Subcontractor subcontractors[] = {
    {"220", "有限会社森田鍍金", "もりためっき", "森田 功", "東京都", "大田区", "東糀谷", "5-6-7", "144-0033",
     "03-3741-0013"},
    {"230", "木村精工所", "きむらせいこうしょ", "木村 修二", "神奈川県", "川崎市", "高津区", "久地 2-2", "213-0032",
     "044-811-0014"},
};

const QString electronicKind = QStringLiteral("3");
const QString paperKind = QStringLiteral("1");

// Notes fall due on weekdays.
QDate weekday(QDate d)
{
    while (d.dayOfWeek() > 5)
        d = d.addDays(1);
    return d;
}

class Writer
{
public:
    Writer(Connection &c, const QDate &today, int nextNumber)
        : m_c(c)
        , m_today(today)
        , m_number(nextNumber)
    {
    }

    QRandomGenerator random{20260101};

    QString paperNumber() { return QStringLiteral("AB%1").arg(m_number++); }

    QString recordNumber(const QDate &drawn) { return DemoRuleNotes::recordNumber(drawn, m_number++); }

    QString anyRegularSupplier() { return QString::number(100 + 10 * random.bounded(12)); }

    void add(const QString &number, const QDate &drawn, const QDate &due, const QString &payee, const QString &kind)
    {
        QString state = QStringLiteral("1");
        if (due <= m_today)
            state = random.bounded(10) < 8 ? QStringLiteral("3") : QStringLiteral("2");
        const double amount = 1000.0 * (50 + random.bounded(4950));
        m_c.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, "
                                "TCond, TRemarks, TKeiri) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {number, drawn.toString(Qt::ISODate), due.toString(Qt::ISODate),
                  QString::number(1 + random.bounded(5)), payee, amount, kind,
                  QString::number(1 + random.bounded(4)), state, QString(),
                  due > drawn.addDays(120) ? QStringLiteral("2") : QStringLiteral("1")})
                .finish();
    }

private:
    Connection &m_c;
    QDate m_today;
    int m_number;
};

} // namespace

QString DemoRuleNotes::recordNumber(const QDate &drawn, int serial)
{
    return QStringLiteral("DN") + drawn.toString(QStringLiteral("yyyyMMdd"))
            + QStringLiteral("%1").arg(serial, 10, 10, QLatin1Char('0'));
}

void DemoRuleNotes::add(Connection &c, int notes, const QDate &today, int nextNumber)
{
    for (const Subcontractor &s : subcontractors) {
        c.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName, ClPdName, ClYomigana, clAddress1, claddress2, "
                              "claddress3, claddress4, clzip, cltel, clfax, ClSime, ClZan, Clpay, ClTokuiKbn, "
                              "ClTekiho) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"),
               {QString::fromUtf8(s.code), QString::fromUtf8(s.name), QString::fromUtf8(s.boss),
                QString::fromUtf8(s.yomi), QString::fromUtf8(s.pref), QString::fromUtf8(s.city),
                QString::fromUtf8(s.town), QString::fromUtf8(s.street), QString::fromUtf8(s.zip),
                QString::fromUtf8(s.tel), QString::fromUtf8(s.tel).replace(QLatin1String("00"), QLatin1String("90")),
                QStringLiteral("20"), 0.0, QStringLiteral("31"), 2})
                .finish();
    }
    if (notes <= 0)
        return;

    Writer w(c, today, nextNumber);
    const auto subcontractor = [&w] {
        return QString::fromUtf8(subcontractors[w.random.bounded(int(std::size(subcontractors)))].code);
    };

    // Electronic records over the same eighteen months as the other notes,
    // to every payee, the subcontractors included; terms of up to 90 days
    // carry no warning on a record.
    const int span = int(today.addMonths(-12).daysTo(today.addMonths(6)));
    for (int i = 0, count = std::max(2, notes / 10); i < count; ++i) {
        const QDate due = weekday(today.addMonths(-12).addDays(w.random.bounded(span + 1)));
        const QDate drawn = due.addDays(-(30 + 30 * w.random.bounded(3)));
        const QString number = w.recordNumber(drawn);
        const QString payee = i % 4 == 3 ? subcontractor() : w.anyRegularSupplier();
        w.add(number, drawn, due, payee, electronicKind);
    }

    // A few paper notes of 90 to 150 days, still to be paid: every other
    // one due more than four months ahead.
    for (int i = 0, count = 3 + notes / 200; i < count; ++i) {
        const int ahead = i % 2 == 0 ? 20 + w.random.bounded(60) : 120 + w.random.bounded(60);
        const QDate due = weekday(today.addDays(ahead));
        const QDate drawn = due.addDays(-(90 + 30 * w.random.bounded(3)));
        const QString payee = w.anyRegularSupplier();
        w.add(w.paperNumber(), drawn, due, payee, paperKind);
    }

    // Paper notes to the subcontractors: two drawn a year ago, a few drawn
    // in the last weeks.
    for (int i = 0, count = 2 + 2 + notes / 400; i < count; ++i) {
        const QDate drawn = i < 2 ? today.addDays(-365 - w.random.bounded(30)) : today.addDays(-w.random.bounded(40));
        const QDate due = weekday(drawn.addDays(30 + w.random.bounded(31)));
        const QString payee = subcontractor();
        w.add(w.paperNumber(), drawn, due, payee, paperKind);
    }
}
