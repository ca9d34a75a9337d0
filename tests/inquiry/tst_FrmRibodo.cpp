#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "inquiry/FrmRibodo.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/QueryTableModel.h"
#include "ui/TableGrid.h"
#include "ui/WindowRegistry.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

const QDate day(2024, 4, 30);
const QString allBanks = QStringLiteral("<銀行全部>");

// What one test works on, made afresh for each.
struct World
{
    TestDataFolder folder;
    AppValues values;
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext ctx {values, dialogs, windows};
    std::unique_ptr<FrmRibodo> window;
};

} // namespace

class TestFrmRibodo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listAndTotals_data();
    void listAndTotals();
    void changeState_data();
    void changeState();
    void databaseFailures();
    void printShowsTheListedDate();
    void keyboard();

private:
    void open(bool shown = true)
    {
        w->window = std::make_unique<FrmRibodo>(w->ctx);
        if (shown) {
            w->window->show();
            QVERIFY(QTest::qWaitForWindowExposed(w->window.get()));
        }
    }
    template<typename T = QWidget>
    T *child(const char *name) const { return w->window->findChild<T *>(QLatin1String(name)); }
    TableGrid *grid() const { return child<TableGrid>("HFGrid1"); }
    QueryTableModel *model() const { return qobject_cast<QueryTableModel *>(grid()->model()); }
    void click(const QString &name) const { QTest::mouseClick(child<QPushButton>(qPrintable(name)), Qt::LeftButton); }
    bool settling() const { return !child("Frame2")->isHidden() && child("Command5")->isHidden(); }
    void list(const QDate &date, const QString &bank) const
    {
        child<QDateEdit>("DTPicker1")->setDate(date);
        child<QComboBox>("Combo1")->setCurrentText(bank);
        click(QStringLiteral("Command1"));
    }
    void openRow(int row) const
    {
        // A double click: press and release, then the second press.
        const QPoint at = grid()->visualRect(model()->index(row, 0)).center();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    // Each row as "number amount", "*" marking a light green one; then the
    // waiting and the settled total.
    QString shown() const
    {
        QStringList rows;
        for (int r = 0; r < model()->rowCount(); ++r) {
            const QColor colour = model()->data(model()->index(r, 3), Qt::BackgroundRole).value<QBrush>().color();
            rows << model()->text(r, 0) + u' ' + model()->text(r, 2)
                            + (colour == QColor(192, 255, 192) ? QStringLiteral("*") : QString());
        }
        return rows.join(QLatin1Char(',')) + QStringLiteral(" / ") + child<QLabel>("Label7")->text() + QStringLiteral(" / ")
                + child<QLabel>("Label8")->text();
    }
    QString state(const QString &number) const
    {
        return w->folder.scalar(QStringLiteral("SELECT TCond FROM SiteTbl WHERE TNo = ?"), {number}).toString();
    }

    std::unique_ptr<World> w;
};

void TestFrmRibodo::init()
{
    w = std::make_unique<World>();
    w->values.setDataFolder(w->folder.path());
    w->folder.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('1', '中央銀行', 0), "
                                  "('2', 'O''Hara銀行', 0), ('3', 'みなと銀行', 0)"));
    w->folder.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '株式会社山田製作所'), "
                                  "('200', '有限会社佐藤工業')"));
    w->folder.addNote(QStringLiteral("T1"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 100000);
    w->folder.addNote(QStringLiteral("T2"), QStringLiteral("2024-04-30"), QStringLiteral("3"), 250000,
                      QStringLiteral("200"), QStringLiteral("2"));
    w->folder.addNote(QStringLiteral("T3"), QStringLiteral("2024-04-30"), QStringLiteral("2"), 50000);
    w->folder.addNote(QStringLiteral("T4"), QStringLiteral("2024-05-01"), QStringLiteral("3"), 80000,
                      QStringLiteral("100"), QStringLiteral("3"));
    w->folder.addNote(QStringLiteral("T5"), QDate::currentDate().toString(Qt::ISODate), QStringLiteral("1"), 70000);
}

void TestFrmRibodo::cleanup()
{
    QCOMPARE(w->dialogs.unexpected(), 0);
    w.reset();
}

void TestFrmRibodo::listAndTotals_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("bank");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("expected");

    QTest::newRow("at load: today, every bank") << QDate() << allBanks << "#" << "T5 70,000 / 70,000 / ";
    QTest::newRow("three notes, one settled")
            << day << allBanks << "#" << "T1 100,000,T2 250,000*,T3 50,000 / 150,000 / 250,000";
    QTest::newRow("one bank") << day << "中央銀行" << "# AND Ginko = '中央銀行'" << "T1 100,000,T3 50,000 / 150,000 / ";
    QTest::newRow("a quote in the bank's name")
            << day << "O'Hara銀行" << "# AND Ginko = 'O''Hara銀行'" << "T2 250,000* /  / 250,000";
    QTest::newRow("every note settled") << QDate(2024, 5, 1) << allBanks << "#" << "T4 80,000* /  / 80,000";
    QTest::newRow("a day without notes") << QDate(2024, 5, 2) << allBanks << "#" << " / 0 / 0";
}

void TestFrmRibodo::listAndTotals()
{
    QFETCH(QDate, date);
    QFETCH(QString, bank);
    QFETCH(QString, ending);
    QFETCH(QString, expected);

    open(false);
    if (date.isValid())
        list(date, bank);
    const QString listed = (date.isValid() ? date : QDate::currentDate()).toString(QStringLiteral("yyyy/MM/dd"));
    QCOMPARE(w->window->RecordSource(), QStringLiteral("SELECT * FROM QRYKesai WHERE TKDate =#") + listed + ending);
    QCOMPARE(w->window->TotalSource(),
             QStringLiteral("SELECT SUM(QRYkesai!TKingaku) AS gokei FROM QRYKesai WHERE TKDate =#") + listed + ending);
    QCOMPARE(w->values.ReportDate(), listed);
    QCOMPARE(shown(), expected);
    const int twips[] = {800, 2500, 1500, 1600, 1000};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(grid()->columnWidth(c), TableGrid::twipsToPixels(twips[c], grid()));
    QVERIFY(w->dialogs.calls().isEmpty());
}

void TestFrmRibodo::changeState_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("newState");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    const QString unchanged = QStringLiteral("T1 100,000,T2 250,000*,T3 50,000 / 150,000 / 250,000");
    QTest::newRow("settle") << "" << 0 << "T1 株式会社山田製作所 100,000 未決済" << "決済済み" << "Command3" << "3"
                            << "T1 100,000*,T2 250,000*,T3 50,000 / 50,000 / 350,000";
    QTest::newRow("put back") << "" << 1 << "T2 有限会社佐藤工業 250,000 決済済み" << "未決済" << "Command3" << "1"
                              << "T1 100,000,T2 250,000,T3 50,000 / 400,000 / ";
    QTest::newRow("取消 writes nothing") << "" << 1 << "T2 有限会社佐藤工業 250,000 決済済み" << "未決済" << "Command4"
                                     << "3" << unchanged;
    // The state list keeps the item chosen before (the last one).
    QTest::newRow("a state without a name") << "UPDATE SiteTbl SET TCond = '9' WHERE TNo = 'T1'" << 0
                                          << "T1 株式会社山田製作所 100,000 書換え" << "" << "Command4" << "9" << unchanged;
    QTest::newRow("変更 without any state") << "DELETE FROM Kbn3" << 0 << "T1 株式会社山田製作所 100,000 " << ""
                                         << "Command3" << "1" << "T1 100,000,T2 250,000,T3 50,000 / 400,000 / ";
}

void TestFrmRibodo::changeState()
{
    QFETCH(QString, setup);
    QFETCH(int, row);
    QFETCH(QString, frame);
    QFETCH(QString, newState);
    QFETCH(QString, button);
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    if (!setup.isEmpty())
        w->folder.exec(setup);
    open();
    list(day, allBanks);
    auto *states = child<QComboBox>("Combo2");
    states->setCurrentIndex(states->count() - 1);
    openRow(row);
    QVERIFY(settling());
    const QStringList labels {child<QLabel>("Label2")->text(), child<QLabel>("Label3")->text(),
                              child<QLabel>("Label4")->text(), states->currentText()};
    QCOMPARE(labels.join(u' '), frame);
    states->setCurrentText(newState);
    click(button);
    // With no state to choose, 変更 only beeps and the frame stays.
    const bool refused = states->count() == 0;
    QCOMPARE(settling(), refused);
    QCOMPARE(w->dialogs.beeps(), refused ? 1 : 0);
    QCOMPARE(state(QStringLiteral("T%1").arg(row + 1)), stored);
    QCOMPARE(shown(), expected);
    QVERIFY(w->dialogs.messages().isEmpty());
}

void TestFrmRibodo::databaseFailures()
{
    open();
    list(day, allBanks);
    openRow(0);
    w->folder.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON SiteTbl BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    child<QComboBox>("Combo2")->setCurrentText(QStringLiteral("決済済み"));
    click(QStringLiteral("Command3"));
    QCOMPARE(state(QStringLiteral("T1")), QStringLiteral("1"));
    QVERIFY(settling());
    click(QStringLiteral("Command4"));

    const QVariant view = w->folder.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'QRYKesai'"));
    w->folder.exec(QStringLiteral("DROP VIEW QRYKesai"));
    click(QStringLiteral("Command1"));
    QCOMPARE(shown(), QStringLiteral(" /  / "));
    QCOMPARE(w->dialogs.messages().size(), 2);
    for (const ScriptedDialogService::Call &c : w->dialogs.messages())
        QVERIFY(c.title == QStringLiteral("警告") && c.icon == DialogService::Icon::Critical);

    w->folder.exec(view.toString());
    click(QStringLiteral("Command1"));
    QCOMPARE(shown(), QStringLiteral("T1 100,000,T2 250,000*,T3 50,000 / 150,000 / 250,000"));
}

void TestFrmRibodo::printShowsTheListedDate()
{
    QString seen;
    w->windows.registerFactory(WindowId::FrmView, [&] {
        seen = w->values.ModeFlag() + u' ' + w->values.ReportDate();
        return std::make_unique<QWidget>();
    });
    open(false);
    list(day, QStringLiteral("中央銀行"));
    child<QDateEdit>("DTPicker1")->setDate(QDate(2024, 5, 1));
    click(QStringLiteral("Command5"));
    QCOMPARE(seen, QStringLiteral("11 2024/04/30"));
}

void TestFrmRibodo::keyboard()
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

QTEST_MAIN(TestFrmRibodo)
#include "tst_FrmRibodo.moc"
