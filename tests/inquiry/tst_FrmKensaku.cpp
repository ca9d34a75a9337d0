#include "ServerRegister.h"
#include "WindowFixture.h"

#include "inquiry/FrmKensaku.h"
#include "register/FrmSite.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Two suppliers and a small register with a history: A1 was corrected from
// 150,000 to 250,000, A2 (佐藤商事) was deleted, A3 only changed its state
// (no hit of its own), B1 was renumbered B2 and its due date moved.
struct Book : WindowFixture
{
    Book()
    {
        data.exec(u"INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '山田製作所'), ('200', '佐藤商事')"_s);
        note(u"A1"_s, u"100"_s, 150000, u"2026-04-01"_s);
        note(u"A2"_s, u"200"_s, 120000, u"2026-04-02"_s);
        note(u"A3"_s, u"100"_s, 130000, u"2026-04-03"_s);
        note(u"B1"_s, u"200"_s, 500000, u"2026-04-04"_s);
        data.exec(u"UPDATE SiteTbl SET TKingaku = 250000 WHERE TNo = 'A1'"_s);
        data.exec(u"DELETE FROM SiteTbl WHERE TNo = 'A2'"_s);
        data.exec(u"UPDATE SiteTbl SET TCond = '2' WHERE TNo = 'A3'"_s);
        data.exec(u"UPDATE SiteTbl SET TNo = 'B2', TKDate = '2026-07-31' WHERE TNo = 'B1'"_s);
        window = std::make_unique<FrmKensaku>(context);
        window->show();
    }
    void note(const QString &number, const QString &payee, double amount, const QString &drawn) const
    {
        data.exec(u"INSERT INTO SiteTbl (TNo, TFDate, TKDate, TTo, TKingaku, TCond) VALUES (?, ?, '2026-06-30', ?, ?, '1')"_s,
                  {number, drawn, payee, amount});
    }
    QLineEdit *box(const char *name) const { return child<QLineEdit>(window.get(), name); }
    void search(const QString &boxTexts, bool earlier)
    {
        const QStringList typed = boxTexts.split(u'|');
        const char *boxes[] = {"txtFDateFrom", "txtFDateTo", "txtKDateFrom", "txtKDateTo",
                               "txtKingakuFrom", "txtKingakuTo", "txtPayee"};
        for (int i = 0; i < 7; ++i)
            box(boxes[i])->setText(typed.value(i));
        child<QCheckBox>(window.get(), "chkEarlier")->setChecked(earlier);
        click(window.get(), "cmdSearch");
    }
    QAbstractItemView *hits() const { return child<QAbstractItemView>(window.get(), "GridHits"); }
    // "state number" of every hit, by ";".
    QString listed() const
    {
        QStringList rows;
        const QAbstractItemModel *m = hits()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            rows << m->index(r, 0).data().toString() + u' ' + m->index(r, 1).data().toString();
        return rows.join(u';');
    }
    int hitRow(const QString &state, const QString &number) const
    {
        const QAbstractItemModel *m = hits()->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->index(r, 0).data() == state && m->index(r, 1).data() == number)
                return r;
        }
        return -1;
    }

    std::unique_ptr<FrmKensaku> window;
};

} // namespace

class TestFrmKensaku : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void search_data()
    {
        // drawn from, drawn to, due from, due to, amount from, amount to, payee
        QTest::addColumn<QString>("typed"); // the boxes, by "|"
        QTest::addColumn<bool>("earlier");
        QTest::addColumn<QString>("listed");
        QTest::newRow("everything") << "" << false << "現在 A1;現在 A3;現在 B2";
        QTest::newRow("amount and payee name") << "||||100000|200000|山田" << false
                                               << "現在 A3";
        QTest::newRow("earlier version by amount and payee")
                << "||||100000|200000|山田" << true << "現在 A3;訂正前 A1";
        QTest::newRow("full-width amounts") << "||||１００，０００|２００,０００|製作" << true
                                            << "現在 A3;訂正前 A1";
        QTest::newRow("deleted note by amount and payee code")
                << "||||120000|120000|200" << true << "削除済み A2";
        QTest::newRow("drawing dates, open end") << "２０２６／４／２||||||" << true
                                                 << "現在 A3;現在 B2;削除済み A2;訂正前 B1";
        QTest::newRow("due dates") << "||2026/07/01|20260731|||" << false << "現在 B2";
    }

    void search()
    {
        QFETCH(QString, typed);
        QFETCH(bool, earlier);
        Book b;
        b.search(typed, earlier);
        QVERIFY2(b.dialogs.calls().isEmpty(), qPrintable(b.dialogs.messageTexts().join(u'\n')));
        QTEST(b.listed(), "listed");
    }

    void reversedRange_data()
    {
        QTest::addColumn<QString>("typed"); // the boxes, by "|"
        QTest::addColumn<QString>("message");
        QTest::newRow("drawing dates") << "2026/05/01|2026/04/01" << "振出日の開始が終了より後になっています。";
        QTest::newRow("due dates") << "||2026/08/01|2026/07/31"
                                   << "決済日の開始が終了より後になっています。";
        QTest::newRow("amounts") << "||||２００，０００|100000"
                                 << "金額の開始が終了より後になっています。";
        QTest::newRow("no date") << "2026/13/01"
                                 << "振出日の開始「2026/13/01」は日付ではありません。2026/04/01 のように入力してください。";
        QTest::newRow("no amount") << "|||||12万"
                                   << "金額の終了「12万」は金額ではありません。1,000,000 のように入力してください。";
    }

    void reversedRange()
    {
        QFETCH(QString, typed);
        Book b;
        b.search(QString(), true);
        const QString before = b.listed();
        QVERIFY(!before.isEmpty());
        b.search(typed, true);
        const QList<ScriptedDialogService::Call> messages = b.dialogs.messages();
        QCOMPARE(messages.size(), 1);
        QTEST(messages.first().text, "message");
        QVERIFY(messages.first().title == u"警告"_s && messages.first().icon == DialogService::Icon::Critical);
        QCOMPARE(b.listed(), before);
    }

    void historyMarksChangedFields_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("changed"); // per row, the captions of the marked cells
        QTest::newRow("corrected amount") << "現在" << "A1" << "登録;訂正" << ";金額";
        QTest::newRow("from the earlier version") << "訂正前" << "A1" << "登録;訂正" << ";金額";
        QTest::newRow("deleted") << "削除済み" << "A2" << "登録;削除" << ";";
        QTest::newRow("renumbered") << "現在" << "B2" << "登録;訂正" << ";手形番号,決済日";
    }

    void historyMarksChangedFields()
    {
        QFETCH(QString, state);
        QFETCH(QString, number);
        Book b;
        b.search(QString(), true);
        const int row = b.hitRow(state, number);
        QVERIFY(row >= 0);
        b.hits()->setCurrentIndex(b.hits()->model()->index(row, 0));

        const QAbstractItemModel *history = WindowFixture::child<QAbstractItemView>(b.window.get(), "GridHistory")->model();
        QStringList actions;
        QStringList changed;
        for (int r = 0; r < history->rowCount(); ++r) {
            actions << history->index(r, 1).data().toString();
            QStringList marked;
            for (int c = 0; c < history->columnCount(); ++c) {
                if (history->index(r, c).data(Qt::BackgroundRole).value<QBrush>().color() == FrmKensaku::changedBackground())
                    marked << history->headerData(c, Qt::Horizontal).toString();
            }
            changed << marked.join(u',');
        }
        QTEST(actions.join(u';'), "actions");
        QTEST(changed.join(u';'), "changed");
    }

    // 印刷 asks for the days of change and opens report 16 on them.
    void printAsksForPeriod_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("period");
        QTest::newRow("period") << "２０２６／０４／０１～2026/04/30" << "" << "16 2026/04/01 2026/04/30";
        QTest::newRow("reversed") << "2026/05/01-2026/04/30" << "変更日の開始が終了より後になっています。" << "";
        QTest::newRow("cancelled") << "" << "" << "";
    }

    void printAsksForPeriod()
    {
        QFETCH(QString, typed);
        Book b;
        b.dialogs.queueInput(typed);
        WindowFixture::click(b.window.get(), "cmdPrint");
        QCOMPARE(b.dialogs.calls().first().title, u"訂正・削除履歴一覧"_s);
        QTEST(b.dialogs.messageTexts().join(u'\n'), "message");
        const QString period = b.values.ModeFlag().isEmpty()
                ? QString()
                : b.values.ModeFlag() + u' ' + b.values.ReportDate() + u' ' + b.values.ReportDateEnd();
        QTEST(period, "period");
    }

    // Every button has its access key; Esc closes the window.
    void keys()
    {
        Book b;
        QList<QAbstractButton *> buttons{WindowFixture::child<QCheckBox>(b.window.get(), "chkEarlier")};
        for (QPushButton *button : b.window->findChildren<QPushButton *>())
            buttons << button;
        QCOMPARE(buttons.size(), 5);
        for (const QAbstractButton *button : std::as_const(buttons))
            QVERIFY2(button->text().contains(u'&'), qPrintable(button->text()));
        QTest::keyClick(b.box("txtPayee"), Qt::Key_Escape);
        QVERIFY(!b.window->isVisible());
    }

    // The note entry window's 履歴 opens the search on the called-up note.
    void fromNoteEntry()
    {
        Book b;
        b.add<FrmSite>(WindowId::FrmSite);
        b.add<FrmKensaku>(WindowId::FrmKensaku);
        QWidget *site = b.windows.show(WindowId::FrmSite);
        b.dialogs.queueAnswer(DialogService::Answer::Yes);
        b.dialogs.queueInput(u"b2"_s);
        WindowFixture::click(site, "CmdCall");
        WindowFixture::click(site, "CmdRireki");
        auto *search = b.windows.windowAs<FrmKensaku>(WindowId::FrmKensaku);
        QVERIFY(search);
        QCOMPARE(WindowFixture::child<QAbstractItemView>(search, "GridHistory")->model()->rowCount(), 2);
        QVERIFY(WindowFixture::child<QLabel>(search, "lblHistory")->text().contains(u"b2"_s, Qt::CaseInsensitive));
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestFrmKensaku)
#include "tst_FrmKensaku.moc"
