#include "WindowFixture.h"

#include "inquiry/FrmShikin.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Shikin : WindowFixture
{
    Shikin() { data.exec(u"INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('1', '中央銀行 本店')"_s); }
    // "due amount [state]" for bank 1, several separated by ";"
    void addNotes(const QString &notes)
    {
        int n = 0;
        for (const QString &note : notes.split(u';', Qt::SkipEmptyParts)) {
            const QStringList f = note.split(u' ');
            data.exec(u"INSERT INTO SiteTbl (TNo, TKDate, TBank, TKingaku, TCond) VALUES (?, ?, '1', ?, ?)"_s,
                      {QString::number(++n), f.at(0), f.at(1).toDouble(), f.value(2, u"1"_s)});
        }
    }
    // "date balance" for bank 1
    void addBalances(const QString &balances)
    {
        for (const QString &b : balances.split(u';', Qt::SkipEmptyParts)) {
            const QStringList f = b.split(u' ');
            data.exec(u"INSERT INTO BankBalance (BbBank, BbDate, BbZan) VALUES ('1', ?, ?)"_s, {f.at(0), f.at(1).toDouble()});
        }
    }
    void open(const QDate &from, const QDate &to)
    {
        window = std::make_unique<FrmShikin>(context);
        window->show();
        child<QDateEdit>("DTFrom")->setDate(from);
        child<QDateEdit>("DTTo")->setDate(to);
        click(window.get(), "Command1");
    }
    template<typename T>
    T *child(const char *name) const { return WindowFixture::child<T>(window.get(), name); }
    const FundingPlan::Bank &bank1() const { return window->plan().banks().first(); }
    int balances() const { return data.scalar(u"SELECT COUNT(*) FROM BankBalance"_s).toInt(); }

    std::unique_ptr<FrmShikin> window;
};

} // namespace

class TestFrmShikin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runningBalance_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("balances");
        QTest::addColumn<double>("opening");
        QTest::addColumn<QString>("days");      // "date amount balance", by ";"
        QTest::addColumn<QString>("shortfall"); // "date amount" or empty
        // 2026/12/31 and 2027/01/09 (a Saturday before Coming of Age Day) are
        // bank holidays: their notes are paid on the next business day.
        QTest::newRow("holidays move the day, then short")
                << "2026-12-31 300000;2027-01-09 300000;2027-01-06 50000 3" << "2027-01-04 500000" << 500000.0
                << "2027-01-04 300000 200000;2027-01-12 300000 -100000" << "2027-01-12 100000";
        QTest::newRow("earlier balance less the notes paid since")
                << "2026-12-10 400000;2027-01-05 100000" << "2026-12-01 1000000;2026-11-01 5" << 600000.0
                << "2027-01-05 100000 500000" << "";
        QTest::newRow("balance within the period replaces the running one")
                << "2027-01-05 100000;2027-01-20 200000" << "2027-01-04 50000;2027-01-15 300000" << 50000.0
                << "2027-01-05 100000 -50000;2027-01-15 0 300000;2027-01-20 200000 100000" << "2027-01-05 50000";
        QTest::newRow("no balance starts from zero") << "2027-02-26 70000;2027-03-10 1" << "" << 0.0
                                                     << "2027-02-26 70000 -70000" << "2027-02-26 70000";
    }

    void runningBalance()
    {
        QFETCH(QString, notes);
        QFETCH(QString, balances);
        Shikin s;
        s.addNotes(notes);
        s.addBalances(balances);
        s.open(QDate(2027, 1, 4), QDate(2027, 3, 5));
        QVERIFY(s.dialogs.calls().isEmpty());

        const FundingPlan::Bank &bank = s.bank1();
        QTEST(bank.opening, "opening");
        QStringList days;
        for (const FundingPlan::Day &d : bank.days)
            days << u"%1 %2 %3"_s.arg(d.date.toString(Qt::ISODate)).arg(d.amount, 0, 'f', 0).arg(d.balance, 0, 'f', 0);
        QTEST(days.join(u';'), "days");
        const QString shortfall = bank.firstShortfall.isValid()
                ? u"%1 %2"_s.arg(bank.firstShortfall.toString(Qt::ISODate)).arg(bank.shortfall, 0, 'f', 0)
                : QString();
        QTEST(shortfall, "shortfall");

        // Days below zero are red in the list; the first shortfall is named at the top.
        const QAbstractItemModel *list = s.child<QAbstractItemView>("GridDays")->model();
        for (int r = 0; r < list->rowCount(); ++r) {
            const bool isShort = list->index(r, 3).data().toString().startsWith(u'-');
            QCOMPARE(list->index(r, 3).data(Qt::ForegroundRole).value<QBrush>().color() == QColor(0xc0, 0, 0), isShort);
        }
        QCOMPARE(s.child<QLabel>("lblShortage")->text().contains(u"中央銀行 本店"_s), !shortfall.isEmpty());
    }

    void balanceInput_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("stored");
        QTest::newRow("digit groups") << "1,250,000" << true << 1250000.0;
        QTest::newRow("full-width digits") << "１２３，４５６" << true << 123456.0;
        QTest::newRow("overdrawn") << "-5000" << true << -5000.0;
        QTest::newRow("sen") << "1000.5" << false << 0.0;
        QTest::newRow("letters") << "12万" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("thirteen digits") << "1234567890123" << false << 0.0;
    }

    void balanceInput()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        Shikin s;
        s.open(QDate(2027, 1, 4), QDate(2027, 3, 5));
        s.child<QComboBox>("CboBank")->setCurrentIndex(0);
        s.child<QDateEdit>("DTZan")->setDate(QDate(2027, 1, 4));
        auto *text = s.child<QLineEdit>("TxtZan");
        text->setText(typed);
        WindowFixture::click(s.window.get(), "Command5");

        QCOMPARE(s.balances(), accepted ? 1 : 0);
        if (accepted) {
            QVERIFY(s.dialogs.calls().isEmpty());
            QTEST(s.data.scalar(u"SELECT BbZan FROM BankBalance WHERE BbBank = '1' AND BbDate = '2027-01-04'"_s).toDouble(),
                  "stored");
            QCOMPARE(s.bank1().opening, s.bank1().balanceZan);
            QVERIFY(text->text().isEmpty());
        } else {
            QCOMPARE(s.dialogs.messages().size(), 1);
            const auto m = s.dialogs.messages().first();
            QCOMPARE(m.title, u"警告"_s);
            QCOMPARE(m.icon, DialogService::Icon::Critical);
            QVERIFY(m.text.contains(u"円単位の整数ではありません"_s));
            QCOMPARE(text->text(), typed);
        }
    }

    void storeFailureIsWarned()
    {
        Shikin s;
        s.addNotes(u"2027-01-05 100000"_s);
        s.open(QDate(2027, 1, 4), QDate(2027, 3, 5));
        s.data.exec(u"DROP TABLE BankBalance"_s);
        WindowFixture::click(s.window.get(), "Command1");
        s.child<QLineEdit>("TxtZan")->setText(u"100"_s);
        WindowFixture::click(s.window.get(), "Command5");
        const auto messages = s.dialogs.messages();
        QCOMPARE(messages.size(), 2); // 表示 and 残高登録
        for (const auto &m : messages)
            QCOMPARE(m.title, u"警告"_s);
        QVERIFY(s.window->isVisible());
        QCOMPARE(s.child<QLineEdit>("TxtZan")->text(), u"100"_s);
    }
};

QTEST_MAIN(TestFrmShikin)
#include "tst_FrmShikin.moc"
