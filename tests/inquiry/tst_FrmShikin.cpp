#include "ServerRegister.h"
#include "WindowFixture.h"

#include "inquiry/FrmRibodo.h"
#include "inquiry/FrmShikin.h"
#include "inquiry/FrmZanList.h"
#include "ui/TableGrid.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    // The plan's days of bank 1 as "date amount balance", by ";".
    QString days() const
    {
        QStringList days;
        for (const FundingPlan::Day &d : bank1().days)
            days << u"%1 %2 %3"_s.arg(d.date.toString(Qt::ISODate)).arg(d.amount, 0, 'f', 0).arg(d.balance, 0, 'f', 0);
        return days.join(u';');
    }
    void enterBalance(const QDate &date, const QString &typed)
    {
        child<QComboBox>("CboBank")->setCurrentIndex(0);
        child<QDateEdit>("DTZan")->setDate(date);
        child<QLineEdit>("TxtZan")->setText(typed);
        click(window.get(), "Command5");
    }
    int balances() const { return data.scalar(u"SELECT COUNT(*) FROM BankBalance"_s).toInt(); }

    std::unique_ptr<FrmShikin> window;
};

} // namespace

class TestFrmShikin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void runningBalance_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("balances");
        QTest::addColumn<double>("opening");
        QTest::addColumn<QString>("days");      // "date amount balance", by ";"
        QTest::addColumn<QString>("shortfall"); // "date amount" or empty
        QTest::addColumn<double>("limit");      // the bank's overdraft limit
        // 2026/12/31 and 2027/01/09 (a Saturday before Coming of Age Day) are
        // bank holidays: their notes are paid on the next business day.
        QTest::newRow("holidays move the day, then short")
                << "2026-12-31 300000;2027-01-09 300000;2027-01-06 50000 4" << "2027-01-04 500000" << 500000.0
                << "2027-01-04 300000 200000;2027-01-12 300000 -100000" << "2027-01-12 100000" << 0.0;
        // States 4 不渡り and 5 書換え (無効) are never paid by the bank.
        QTest::newRow("dishonoured and renewed notes are not paid")
                << "2027-01-05 100000 4;2027-01-06 200000 5;2027-01-07 300000 2" << "2027-01-04 500000" << 500000.0
                << "2027-01-07 300000 200000" << "" << 0.0;
        // A note marked 決済済み once paid came off the balance all the same.
        QTest::newRow("paid since the balance date")
                << "2026-12-03 3242000 3;2026-12-04 1000 5" << "2026-12-01 30000000" << 26758000.0 << "" << "" << 0.0;
        QTest::newRow("short only below the overdraft limit")
                << "2027-01-05 300000;2027-01-06 300000" << "2027-01-04 100000" << 100000.0
                << "2027-01-05 300000 -200000;2027-01-06 300000 -500000" << "2027-01-06 100000" << 400000.0;
        QTest::newRow("earlier balance less the notes paid since")
                << "2026-12-10 400000;2027-01-05 100000" << "2026-12-01 1000000;2026-11-01 5" << 600000.0
                << "2027-01-05 100000 500000" << "" << 0.0;
        QTest::newRow("balance within the period replaces the running one")
                << "2027-01-05 100000;2027-01-20 200000" << "2027-01-04 50000;2027-01-15 300000" << 50000.0
                << "2027-01-05 100000 -50000;2027-01-15 0 300000;2027-01-20 200000 100000" << "2027-01-05 50000" << 0.0;
        QTest::newRow("no balance starts from zero") << "2027-02-26 70000;2027-03-10 1" << "" << 0.0
                                                     << "2027-02-26 70000 -70000" << "2027-02-26 70000" << 0.0;
    }

    void runningBalance()
    {
        QFETCH(QString, notes);
        QFETCH(QString, balances);
        QFETCH(double, limit);
        Shikin s;
        s.data.exec(u"UPDATE kbn6 SET KbnKyokudo = ?"_s, {limit});
        s.addNotes(notes);
        s.addBalances(balances);
        s.open(QDate(2027, 1, 4), QDate(2027, 3, 5));
        QVERIFY(s.dialogs.calls().isEmpty());

        const FundingPlan::Bank &bank = s.bank1();
        QTEST(bank.opening, "opening");
        QTEST(s.days(), "days");
        const QString shortfall = bank.firstShortfall.isValid()
                ? u"%1 %2"_s.arg(bank.firstShortfall.toString(Qt::ISODate)).arg(bank.shortfall, 0, 'f', 0)
                : QString();
        QTEST(shortfall, "shortfall");

        // Days below zero are red in the list; the first shortfall is named at the top.
        const QAbstractItemModel *list = s.child<QAbstractItemView>("GridDays")->model();
        for (int r = 0; r < list->rowCount(); ++r) {
            const bool isShort = QString(list->index(r, 3).data().toString()).remove(u',').toDouble() < -limit;
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
        s.enterBalance(QDate(2027, 1, 4), typed);
        const auto *text = s.child<QLineEdit>("TxtZan");

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
            QVERIFY2(m.title == u"警告"_s && m.icon == DialogService::Icon::Critical
                             && m.text.contains(u"円単位の整数ではありません"_s), qPrintable(m.text));
            QCOMPARE(text->text(), typed);
        }
    }

    // The daily round: this morning's balance entered, the day's notes
    // marked 決済済み in today's settlement; the plan stays as it was. A note
    // due later but marked 決済済み already (4) is no payment to come.
    void settlingChangesNothing()
    {
        Shikin s;
        const QDate today = QDate::currentDate();
        const QString due = today.toString(Qt::ISODate);
        s.addNotes(u"%1 300000;%1 200000;%2 700000;%3 400000 3"_s.arg(due, today.addDays(7).toString(Qt::ISODate),
                                                                       today.addDays(8).toString(Qt::ISODate)));
        s.open(today, today.addDays(60));
        s.enterBalance(today, u"1,000,000"_s);
        const QString before = s.days();
        QCOMPARE(s.bank1().total, 1200000.0);

        FrmRibodo settlement(s.context);
        settlement.show();
        WindowFixture::click(&settlement, "Command1");
        auto *grid = WindowFixture::child<TableGrid>(&settlement, "HFGrid1");
        for (int row = 0; row < 2; ++row) {
            grid->selectRow(row);
            QTest::keyClick(grid, Qt::Key_Return);
            WindowFixture::child<QComboBox>(&settlement, "Combo2")->setCurrentText(u"決済済み"_s);
            WindowFixture::click(&settlement, "Command3");
        }
        QCOMPARE(s.data.scalar(u"SELECT group_concat(TNo || TCond) FROM (SELECT * FROM SiteTbl ORDER BY TNo)"_s).toString(),
                 u"13,23,31,43"_s);

        WindowFixture::click(s.window.get(), "Command1");
        QCOMPARE(s.days(), before);
        QCOMPARE(s.bank1().total, 1200000.0);
        // The printed plan counts notes, not days.
        int notes = 0;
        for (const QStringList &row : s.window->plan().workRows())
            notes += row.at(6).toInt();
        QCOMPARE(notes, 3);
        QVERIFY(s.dialogs.calls().isEmpty());
    }

    // A second balance for the same bank and day asks first; the list of
    // balances deletes a mistaken one. A balance dated within the period
    // is named with its date in the summary.
    void balancesReplacedAndDeleted()
    {
        Shikin s;
        s.addNotes(u"2027-01-12 100000"_s);
        s.open(QDate(2027, 1, 4), QDate(2027, 3, 5));
        s.enterBalance(QDate(2027, 1, 8), u"500000"_s);
        const QAbstractItemModel *summary = s.child<QAbstractItemView>("GridSummary")->model();
        QCOMPARE(summary->index(0, 1).data().toString() + u'|' + summary->index(0, 2).data().toString(),
                 u"2027/01/08 (期間中)|500,000"_s);

        s.dialogs.queueAnswer(DialogService::Answer::No);
        s.enterBalance(QDate(2027, 1, 8), u"900000"_s);
        s.dialogs.queueAnswer(DialogService::Answer::Yes);
        s.enterBalance(QDate(2027, 1, 8), u"800000"_s);
        const auto asked = s.dialogs.messages();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.at(1).text, u"1, 中央銀行 本店 の 2027/01/08 の残高は 500,000 円で入力済みです。\n"
                                   "800,000 円に置き換えますか？"_s);
        QCOMPARE(asked.at(1).buttons, DialogService::Buttons::YesNoDefaultNo);
        QCOMPARE(s.data.scalar(u"SELECT group_concat(BbZan) FROM BankBalance"_s).toDouble(), 800000.0);

        s.enterBalance(QDate(2027, 1, 4), u"100"_s);
        WindowFixture::click(s.window.get(), "Command6");
        auto *list = s.window->findChild<FrmZanList *>();
        QVERIFY(list);
        auto *grid = WindowFixture::child<TableGrid>(list, "GridZan");
        QCOMPARE(grid->model()->rowCount(), 2);
        grid->selectRow(1);
        s.dialogs.queueAnswer(DialogService::Answer::Yes);
        WindowFixture::click(list, "CmdDelete");
        QCOMPARE(s.dialogs.messages().last().text, u"1, 中央銀行 本店 の 2027/01/08 の残高 800,000 円を削除しますか？"_s);
        QCOMPARE(grid->model()->rowCount(), 1);
        list->close();
        QCOMPARE(s.data.scalar(u"SELECT BbDate FROM BankBalance"_s).toString(), u"2027-01-04"_s);
        QCOMPARE(s.days(), u"2027-01-12 100000 -99900"_s);
        QCOMPARE(s.dialogs.unexpected(), 0);
    }

    void storeFailureIsWarned()
    {
        Shikin s;
        s.addNotes(u"2027-01-05 100000"_s);
        s.open(QDate(2027, 1, 4), QDate(2027, 3, 5));
        s.data.drop(u"BankBalance"_s);
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

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestFrmShikin)
#include "tst_FrmShikin.moc"
