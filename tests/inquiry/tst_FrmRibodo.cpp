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
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

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
    void stateListEdges();
    void databaseFailures();
    void printShowsTheListedDate();
    void keyboard();

private:
    void open() { m_window = std::make_unique<FrmRibodo>(*m_ctx); }
    void openShown()
    {
        open();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    template<typename T = QWidget>
    T *child(const char *name) const { return m_window->findChild<T *>(QLatin1String(name)); }
    QString label(const char *name) const { return child<QLabel>(name)->text(); }
    TableGrid *grid() const { return child<TableGrid>("HFGrid1"); }
    QueryTableModel *model() const { return qobject_cast<QueryTableModel *>(grid()->model()); }
    void click(const char *name) const { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    bool settling() const { return !child("Frame2")->isHidden() && child("Command5")->isHidden(); }

    void list(const QDate &date, const QString &bank) const
    {
        child<QDateEdit>("DTPicker1")->setDate(date);
        child<QComboBox>("Combo1")->setCurrentText(bank);
        click("Command1");
    }
    void openRow(int row) const
    {
        const QRect cell = grid()->visualRect(model()->index(row, 0));
        // A double click: press and release, then the second press.
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // Column `column` of every row, and the rows shown light green, as "a,b|c".
    QString shown(int column = 0) const
    {
        QStringList all;
        QStringList green;
        for (int r = 0; r < model()->rowCount(); ++r) {
            all << model()->text(r, column);
            if (model()->data(model()->index(r, 3), Qt::BackgroundRole).value<QBrush>().color() == QColor(192, 255, 192))
                green << model()->text(r, 0);
        }
        return all.join(QLatin1Char(',')) + QLatin1Char('|') + green.join(QLatin1Char(','));
    }
    QString state(const QString &number) const
    {
        return m_folder->scalar(QStringLiteral("SELECT TCond FROM SiteTbl WHERE TNo = ?"), {number}).toString();
    }

    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<AppValues> m_values;
    std::unique_ptr<ScriptedDialogService> m_dialogs;
    std::unique_ptr<WindowRegistry> m_windows;
    std::unique_ptr<AppContext> m_ctx;
    std::unique_ptr<FrmRibodo> m_window;
};

const QDate day(2024, 4, 30);

void TestFrmRibodo::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    m_folder->exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('1', '中央銀行', 0), "
                                  "('2', 'O''Hara銀行', 0), ('3', 'みなと銀行', 0)"));
    m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '株式会社山田製作所'), "
                                  "('200', '有限会社佐藤工業')"));
    m_folder->addNote(QStringLiteral("T1"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 100000);
    m_folder->addNote(QStringLiteral("T2"), QStringLiteral("2024-04-30"), QStringLiteral("3"), 250000,
                      QStringLiteral("200"), QStringLiteral("2"));
    m_folder->addNote(QStringLiteral("T3"), QStringLiteral("2024-04-30"), QStringLiteral("2"), 50000);
    m_folder->addNote(QStringLiteral("T4"), QStringLiteral("2024-05-01"), QStringLiteral("3"), 80000,
                      QStringLiteral("100"), QStringLiteral("3"));
    m_folder->addNote(QStringLiteral("T5"), QDate::currentDate().toString(Qt::ISODate), QStringLiteral("1"), 70000);
    m_values = std::make_unique<AppValues>();
    m_values->setDataFolder(m_folder->path());
    m_dialogs = std::make_unique<ScriptedDialogService>();
    m_windows = std::make_unique<WindowRegistry>();
    m_ctx = std::make_unique<AppContext>(*m_values, *m_dialogs, *m_windows);
}

void TestFrmRibodo::cleanup()
{
    QCOMPARE(m_dialogs->unexpected(), 0);
    m_window.reset();
    m_windows.reset();
    m_ctx.reset();
    m_dialogs.reset();
    m_values.reset();
    m_folder.reset();
}

void TestFrmRibodo::listAndTotals_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("bank");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("amounts");
    QTest::addColumn<QString>("waiting");
    QTest::addColumn<QString>("settled");

    QTest::newRow("at load: today, every bank") << QDate() << "<銀行全部>" << "#" << "T5|" << "70,000|" << "70,000" << "";
    QTest::newRow("three notes, one settled") << day << "<銀行全部>" << "#" << "T1,T2,T3|T2" << "100,000,250,000,50,000|T2"
                                              << "150,000" << "250,000";
    QTest::newRow("one bank") << day << "中央銀行" << "# AND Ginko = '中央銀行'" << "T1,T3|" << "100,000,50,000|"
                              << "150,000" << "";
    QTest::newRow("a quote in the bank's name") << day << "O'Hara銀行" << "# AND Ginko = 'O''Hara銀行'" << "T2|T2"
                                                << "250,000|T2" << "" << "250,000";
    QTest::newRow("every note settled") << QDate(2024, 5, 1) << "<銀行全部>" << "#" << "T4|T4" << "80,000|T4" << ""
                                        << "80,000";
    QTest::newRow("a day without notes") << QDate(2024, 5, 2) << "<銀行全部>" << "#" << "|" << "|" << "0" << "0";
}

void TestFrmRibodo::listAndTotals()
{
    QFETCH(QDate, date);
    QFETCH(QString, bank);
    QFETCH(QString, ending);
    QFETCH(QString, rows);
    QFETCH(QString, amounts);
    QFETCH(QString, waiting);
    QFETCH(QString, settled);

    open();
    if (date.isValid())
        list(date, bank);
    const QString listed = (date.isValid() ? date : QDate::currentDate()).toString(QStringLiteral("yyyy/MM/dd"));
    QCOMPARE(m_window->RecordSource(), QStringLiteral("SELECT * FROM QRYKesai WHERE TKDate =#") + listed + ending);
    QCOMPARE(m_window->TotalSource(),
             QStringLiteral("SELECT SUM(QRYkesai!TKingaku) AS gokei FROM QRYKesai WHERE TKDate =#") + listed + ending);
    QCOMPARE(m_values->ReportDate(), listed);
    QCOMPARE(shown(), rows);
    QCOMPARE(shown(2), amounts);
    QCOMPARE(label("Label7"), waiting);
    QCOMPARE(label("Label8"), settled);
    const int twips[] = {800, 2500, 1500, 1600, 1000};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(grid()->columnWidth(c), TableGrid::twipsToPixels(twips[c], grid()));
    QVERIFY(m_dialogs->messages().isEmpty());
}

void TestFrmRibodo::changeState_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("newState");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("totals");

    QTest::newRow("settle") << 0 << "T1 株式会社山田製作所 100,000 未決済" << "決済済み" << "Command3" << "3"
                            << "T1,T2,T3|T1,T2" << "50,000 350,000";
    QTest::newRow("put back") << 1 << "T2 有限会社佐藤工業 250,000 決済済み" << "未決済" << "Command3" << "1"
                              << "T1,T2,T3|" << "400,000 ";
    QTest::newRow("取消 writes nothing") << 1 << "T2 有限会社佐藤工業 250,000 決済済み" << "未決済" << "Command4" << "3"
                                     << "T1,T2,T3|T2" << "150,000 250,000";
}

void TestFrmRibodo::changeState()
{
    QFETCH(int, row);
    QFETCH(QString, frame);
    QFETCH(QString, newState);
    QFETCH(QString, button);
    QFETCH(QString, stored);
    QFETCH(QString, rows);
    QFETCH(QString, totals);

    openShown();
    list(day, QStringLiteral("<銀行全部>"));
    openRow(row);
    QVERIFY(settling());
    auto *states = child<QComboBox>("Combo2");
    QCOMPARE(QStringList({label("Label2"), label("Label3"), label("Label4"), states->currentText()}).join(u' '), frame);
    states->setCurrentText(newState);
    click(button.toLatin1().constData());
    QVERIFY(!settling());
    QCOMPARE(state(model()->text(row, 0)), stored);
    QCOMPARE(shown(), rows);
    QCOMPARE(label("Label7") + u' ' + label("Label8"), totals);
    QVERIFY(m_dialogs->calls().isEmpty());
}

void TestFrmRibodo::stateListEdges()
{
    // A state with no name in the list leaves the choice as it was.
    m_folder->addNote(QStringLiteral("T6"), QStringLiteral("2024-05-02"), QStringLiteral("9"), 10000);
    openShown();
    list(QDate(2024, 5, 2), QStringLiteral("<銀行全部>"));
    child<QComboBox>("Combo2")->setCurrentIndex(4);
    openRow(0);
    QVERIFY(settling());
    QCOMPARE(child<QComboBox>("Combo2")->currentIndex(), 4);
    m_window.reset();

    // Without any state, 変更 writes nothing.
    m_folder->exec(QStringLiteral("DELETE FROM Kbn3"));
    openShown();
    list(day, QStringLiteral("<銀行全部>"));
    openRow(0);
    QVERIFY(settling());
    click("Command3");
    QCOMPARE(state(QStringLiteral("T1")), QStringLiteral("1"));
    QCOMPARE(m_dialogs->beeps(), 1);
}

void TestFrmRibodo::databaseFailures()
{
    openShown();
    list(day, QStringLiteral("<銀行全部>"));
    openRow(0);
    m_folder->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON SiteTbl BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    child<QComboBox>("Combo2")->setCurrentText(QStringLiteral("決済済み"));
    click("Command3");
    QCOMPARE(state(QStringLiteral("T1")), QStringLiteral("1"));
    QVERIFY(settling());
    click("Command4");

    const QString view = m_folder->scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'QRYKesai'")).toString();
    m_folder->exec(QStringLiteral("DROP VIEW QRYKesai"));
    click("Command1");
    QCOMPARE(model()->rowCount(), 0);
    const QList<ScriptedDialogService::Call> messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 2);
    for (const ScriptedDialogService::Call &c : messages)
        QVERIFY(c.title == QStringLiteral("警告") && c.icon == DialogService::Icon::Critical);

    m_folder->exec(view);
    click("Command1");
    QCOMPARE(shown(), QStringLiteral("T1,T2,T3|T2"));
}

void TestFrmRibodo::printShowsTheListedDate()
{
    QString seen;
    m_windows->registerFactory(WindowId::FrmView, [&] {
        seen = m_values->ModeFlag() + u' ' + m_values->ReportDate();
        return std::make_unique<QWidget>();
    });
    open();
    list(day, QStringLiteral("中央銀行"));
    child<QDateEdit>("DTPicker1")->setDate(QDate(2024, 5, 1));
    click("Command5");
    QCOMPARE(seen, QStringLiteral("11 2024/04/30"));
}

void TestFrmRibodo::keyboard()
{
    open();
    for (const QPushButton *b : m_window->findChildren<QPushButton *>())
        QVERIFY2(b->text().contains(u'&'), qPrintable(b->text()));
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    list(day, QStringLiteral("<銀行全部>"));

    // Full-width digits typed into the date picker are read as digits.
    auto *picker = child<QDateEdit>("DTPicker1");
    picker->setFocus();
    picker->setSelectedSection(QDateTimeEdit::YearSection);
    for (const QChar digit : QStringLiteral("２０２３")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(digit));
        QApplication::sendEvent(picker, &press);
    }
    QCOMPARE(picker->date().year(), 2023);

    grid()->setFocus();
    grid()->selectRow(1);
    QTest::keyClick(grid(), Qt::Key_Return);
    QVERIFY(settling());
    QCOMPARE(label("Label2"), QStringLiteral("T2"));
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    QVERIFY(!settling());
    QVERIFY(m_window->isVisible());
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestFrmRibodo)
#include "tst_FrmRibodo.moc"
