#include "ServerRegister.h"
#include "WindowFixture.h"

#include "inquiry/FrmRibodo.h"
#include "ui/QueryTableModel.h"
#include "ui/TableGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QDate day(2024, 4, 30);
const QString allBanks = QStringLiteral("<銀行全部>");
const QString dayListed = QStringLiteral("T1 100,000,T2 250,000*,T3 50,000 / 150,000 / 250,000");

// What one test works on, made afresh for each.
struct World : WindowFixture
{
    std::unique_ptr<FrmRibodo> window;
    QString printed; // mode and date the report viewer was opened with
};

} // namespace

class TestFrmRibodo : public QObject
{
    Q_OBJECT

private:
    void open()
    {
        w->window = std::make_unique<FrmRibodo>(w->context);
        QVERIFY(WindowFixture::show(w->window.get()));
    }
    template<typename T = QWidget>
    T *child(const char *name) const { return WindowFixture::child<T>(w->window.get(), name); }
    TableGrid *grid() const { return child<TableGrid>("HFGrid1"); }
    QueryTableModel *model() const { return qobject_cast<QueryTableModel *>(grid()->model()); }
    void click(const char *name) const { WindowFixture::click(w->window.get(), name); }
    bool settling() const { return !child("Frame2")->isHidden() && child("Command5")->isHidden(); }
    void list(const QDate &date, const QString &bank) const
    {
        child<QDateEdit>("DTPicker1")->setDate(date);
        child<QComboBox>("Combo1")->setCurrentText(bank);
        click("Command1");
    }
    // Each row as "number amount", "*" marking a light green one; then the
    // waiting and the settled total.
    QString shown() const
    {
        QStringList rows;
        for (int r = 0; r < model()->rowCount(); ++r) {
            const QColor colour = model()->data(model()->index(r, 3), Qt::BackgroundRole).value<QBrush>().color();
            rows << model()->text(r, 0) + u' ' + model()->text(r, 2) + (colour == QColor(192, 255, 192) ? u"*"_s : QString());
        }
        return rows.join(u',') + u" / "_s + child<QLabel>("Label7")->text() + u" / "_s + child<QLabel>("Label8")->text();
    }
    QString state(const QString &number) const { return w->data.scalar(u"SELECT TCond FROM SiteTbl WHERE TNo = ?"_s, {number}).toString(); }

    std::unique_ptr<World> w;

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }

    void init()
    {
        QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error()));
        w = std::make_unique<World>();
        w->windows.registerFactory(WindowId::FrmView, [w = w.get()] {
            w->printed = w->values.ModeFlag() + u' ' + w->values.ReportDate();
            return std::make_unique<QWidget>();
        });
        w->data.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('1', '中央銀行', 0), "
                                      "('2', 'O''Hara銀行', 0), ('3', 'みなと銀行', 0)"));
        w->data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '株式会社山田製作所'), "
                                      "('200', '有限会社佐藤工業')"));
        w->data.addNote(QStringLiteral("T1"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 100000);
        w->data.addNote(QStringLiteral("T2"), QStringLiteral("2024-04-30"), QStringLiteral("3"), 250000,
                          QStringLiteral("200"), QStringLiteral("2"));
        w->data.addNote(QStringLiteral("T3"), QStringLiteral("2024-04-30"), QStringLiteral("2"), 50000);
        w->data.addNote(QStringLiteral("T5"), QDate::currentDate().toString(Qt::ISODate), QStringLiteral("1"), 70000);
    }

    void cleanup()
    {
        QCOMPARE(w->dialogs.unexpected(), 0);
        w.reset();
    }

    void listAndTotals_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("bank");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("expected");

        QTest::newRow("at load: today, every bank") << QDate() << allBanks << "#" << "T5 70,000 / 70,000 / ";
        QTest::newRow("three notes, one settled") << day << allBanks << "#" << dayListed;
        QTest::newRow("a quote in the bank's name")
                << day << "O'Hara銀行" << "# AND Ginko = 'O''Hara銀行'" << "T2 250,000* /  / 250,000";
        QTest::newRow("a day without notes") << QDate(2024, 5, 2) << allBanks << "#" << " / 0 / 0";
    }

    void listAndTotals()
    {
        QFETCH(QDate, date);
        QFETCH(QString, bank);
        QFETCH(QString, ending);
        open();
        if (date.isValid())
            list(date, bank);
        const QString listed = (date.isValid() ? date : QDate::currentDate()).toString(QStringLiteral("yyyy/MM/dd"));
        const QString where = QStringLiteral(" FROM QRYKesai WHERE TKDate =#") + listed + ending;
        QCOMPARE(w->window->RecordSource(), QStringLiteral("SELECT *") + where);
        QCOMPARE(w->window->TotalSource(), QStringLiteral("SELECT SUM(QRYkesai!TKingaku) AS gokei") + where);
        QCOMPARE(w->values.ReportDate(), listed);
        QTEST(shown(), "expected");
        const int twips[] = {800, 2500, 1500, 1600, 1000};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(grid()->columnWidth(c), TableGrid::twipsToPixels(twips[c], grid()));
        // The report is of the date listed, not of the date picked since.
        child<QDateEdit>("DTPicker1")->setDate(QDate(2024, 5, 3));
        click("Command5");
        QCOMPARE(w->printed, QStringLiteral("11 ") + listed);
        QVERIFY(w->dialogs.calls().isEmpty());
    }

    // A note due on a bank holiday is paid on the next business day: ticked,
    // the day's list takes the holidays just before it; unticked, nothing changes.
    void holidayDueNotes_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unticked") << false << "TKDate =#2027/01/04#" << "H3 30,000 / 30,000 / ";
        QTest::newRow("ticked") << true << "TKDate BETWEEN #2026/12/31# AND #2027/01/04#"
                                << "H1 100,000,H2 20,000,H3 30,000 / 150,000 / ";
    }

    void holidayDueNotes()
    {
        QFETCH(bool, ticked);
        const QStringList notes {u"H0 2026-12-30 70000"_s, u"H1 2026-12-31 100000"_s, u"H2 2027-01-02 20000"_s,
                                 u"H3 2027-01-04 30000"_s};
        for (const QString &note : notes) {
            const QStringList f = note.split(u' ');
            w->data.addNote(f.at(0), f.at(1), u"1"_s, f.at(2).toDouble());
        }
        open();
        auto *check = child<QCheckBox>("ChkHolidayDue");
        QVERIFY(!check->isChecked());
        check->setChecked(ticked);
        list(QDate(2027, 1, 4), allBanks);
        QFETCH(QString, condition);
        QCOMPARE(w->window->RecordSource(), u"SELECT * FROM QRYKesai WHERE "_s + condition);
        QCOMPARE(w->window->TotalSource(), u"SELECT SUM(QRYkesai!TKingaku) AS gokei FROM QRYKesai WHERE "_s + condition);
        QCOMPARE(w->values.ReportDate(), u"2027/01/04"_s);
        QTEST(shown(), "expected");
    }

    void changeState_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("newState");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");

        const QString allWaiting = QStringLiteral("T1 100,000,T2 250,000,T3 50,000 / 400,000 / ");
        QTest::newRow("settle") << "" << 0 << "T1 株式会社山田製作所 100,000 未決済" << "決済済み" << "Command3" << "3"
                                << "T1 100,000*,T2 250,000*,T3 50,000 / 50,000 / 350,000";
        QTest::newRow("put back") << "" << 1 << "T2 有限会社佐藤工業 250,000 決済済み" << "未決済" << "Command3" << "1" << allWaiting;
        // The state list keeps the item chosen before (the last one); 取消 writes nothing.
        QTest::newRow("a state without a name, 取消") << "UPDATE SiteTbl SET TCond = '9' WHERE TNo = 'T1'" << 0
                                                 << "T1 株式会社山田製作所 100,000 書換え" << "未決済" << "Command4" << "9" << dayListed;
        QTest::newRow("a state code written as stored")
                << "UPDATE Kbn3 SET KbnCode = '03' WHERE KbnCode = '3'" << 0 << "T1 株式会社山田製作所 100,000 未決済"
                << "決済済み" << "Command3" << "03" << "T1 100,000*,T2 250,000,T3 50,000 / 300,000 / 100,000";
        QTest::newRow("変更 without any state") << "DELETE FROM Kbn3" << 0 << "T1 株式会社山田製作所 100,000 " << ""
                                             << "Command3" << "1" << allWaiting;
    }

    void changeState()
    {
        QFETCH(QString, setup);
        QFETCH(int, row);
        QFETCH(QString, newState);
        QFETCH(QString, button);
        if (!setup.isEmpty())
            w->data.exec(setup);
        open();
        list(day, allBanks);
        auto *states = child<QComboBox>("Combo2");
        states->setCurrentIndex(states->count() - 1);
        // A double click: press and release, then the second press.
        const QPoint at = grid()->visualRect(model()->index(row, 0)).center();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(settling());
        QTEST(QStringList({child<QLabel>("Label2")->text(), child<QLabel>("Label3")->text(), child<QLabel>("Label4")->text(),
                           states->currentText()}).join(u' '), "frame");
        states->setCurrentText(newState);
        click(qPrintable(button));
        // With no state to choose, 変更 only beeps and the frame stays.
        const bool refused = states->count() == 0;
        QCOMPARE(settling(), refused);
        QCOMPARE(w->dialogs.beeps(), refused ? 1 : 0);
        QTEST(state(QStringLiteral("T%1").arg(row + 1)), "stored");
        QTEST(shown(), "expected");
        QVERIFY(w->dialogs.messages().isEmpty());
    }

    // A deleted payee or bank shows its code, marked as report 11 marks it.
    void deletedMasters()
    {
        w->data.exec(u"DELETE FROM SireCliant WHERE ClCode = '200'"_s);
        w->data.exec(u"DELETE FROM kbn6 WHERE KbnCode = '2'"_s);
        open();
        list(day, allBanks);
        QStringList rows;
        for (int r = 0; r < model()->rowCount(); ++r)
            rows << model()->text(r, 0) + u' ' + model()->text(r, 1) + u' ' + model()->text(r, 3);
        QCOMPARE(rows.join(u','), u"T1 株式会社山田製作所 中央銀行,T2 (未登録 200) (未登録 2),T3 株式会社山田製作所 中央銀行"_s);
        QCOMPARE(shown(), dayListed);
    }

    // Another PC changed the note after the list was shown: 変更 is refused
    // until the list is shown again.
    void noteChangedSinceListed()
    {
        open();
        list(day, allBanks);
        w->data.exec(u"UPDATE SiteTbl SET TRemarks = '他の端末' WHERE TNo = 'T1'"_s);
        const QString changedBy = w->data.lastChange();
        const auto settleFirst = [this] {
            grid()->selectRow(0);
            QTest::keyClick(grid(), Qt::Key_Return);
            child<QComboBox>("Combo2")->setCurrentText(QStringLiteral("決済済み"));
            click("Command3");
        };
        settleFirst();
        QCOMPARE(w->dialogs.messageTexts(),
                 QStringList {u"この手形は他の端末で変更されています（%1）。呼び出し直してください。"_s.arg(changedBy)});
        QCOMPARE(w->dialogs.messages().constFirst().title, QStringLiteral("警告"));
        QCOMPARE(state(QStringLiteral("T1")), QStringLiteral("1"));
        QVERIFY(settling());
        click("Command4");
        click("Command1");
        w->dialogs.clear();
        settleFirst();
        QVERIFY(w->dialogs.messages().isEmpty());
        QCOMPARE(state(QStringLiteral("T1")), QStringLiteral("3"));
    }

    void databaseFailures()
    {
        open();
        list(day, allBanks);
        grid()->selectRow(0);
        QTest::keyClick(grid(), Qt::Key_Return);
        w->data.refuseWrites(QStringLiteral("UPDATE"), QStringLiteral("SiteTbl"));
        child<QComboBox>("Combo2")->setCurrentText(QStringLiteral("決済済み"));
        click("Command3");
        QCOMPARE(state(QStringLiteral("T1")), QStringLiteral("1"));
        QVERIFY(settling());
        click("Command4");

        w->data.drop(QStringLiteral("QRYKesai"));
        click("Command1");
        QCOMPARE(shown(), QStringLiteral(" /  / "));
        QCOMPARE(w->dialogs.messages().size(), 2);
        for (const ScriptedDialogService::Call &c : w->dialogs.messages())
            QVERIFY(c.title == QStringLiteral("警告") && c.icon == DialogService::Icon::Critical);
        w->data.restore(QStringLiteral("QRYKesai"));
        click("Command1");
        QCOMPARE(shown(), dayListed);
    }

    void keyboard()
    {
        open();
        for (const QPushButton *b : w->window->findChildren<QPushButton *>())
            QVERIFY2(b->text().contains(u'&'), qPrintable(b->text()));
        w->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->window.get()));
        list(day, allBanks);

        // Full-width digits typed into the date picker are read as digits.
        auto *picker = child<QDateEdit>("DTPicker1");
        picker->setSelectedSection(QDateTimeEdit::YearSection);
        for (const QChar digit : QStringLiteral("２０２３")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(digit));
            QApplication::sendEvent(picker, &press);
        }
        QCOMPARE(picker->date(), QDate(2023, 4, 30));

        grid()->selectRow(1);
        QTest::keyClick(grid(), Qt::Key_Return);
        QVERIFY(settling());
        QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("T2"));
        QTest::keyClick(w->window.get(), Qt::Key_Escape);
        QVERIFY(!settling() && w->window->isVisible());
        QTest::keyClick(w->window.get(), Qt::Key_Escape);
        QVERIFY(!w->window->isVisible());
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestFrmRibodo)
#include "tst_FrmRibodo.moc"
