#include "ServerRegister.h"
#include "WindowFixture.h"

#include "inquiry/FrmRBKeikaku.h"
#include "inquiry/FrozenColumnGrid.h"
#include "inquiry/PlanTableModel.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "store/DisplayFormat.h"
#include "store/Schema.h"

#include <QComboBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QDateEdit>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The statement of both routines before the start date and after it.
const QString head = QStringLiteral("TRANSFORM Sum(QRYRibodo.TKingaku) AS 値 SELECT QRYRibodo.ClName, "
                                    "Sum(QRYRibodo.TKingaku) AS SSum_ From QRYRibodo WHERE TKDate >= #");
const QString tail = QStringLiteral(" GROUP BY QRYRibodo.ClName  PIVOT Format([TKDate],'Short Date')");

// A data folder with suppliers 1 (A), 2 (B) and 3 (A again), and the payment plan on it.
struct Plan : WindowFixture
{
    Plan()
    {
        data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('1', 'A'), ('2', 'B'), ('3', 'A')"));
    }
    // "payee due amount category"
    void addNote(const QString &note)
    {
        const QStringList f = note.split(u' ');
        data.exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate, TTo, TKingaku, TCond, TKeiri) VALUES (?, ?, ?, ?, '1', ?)"),
                    {QString::number(++notes), f.at(1), f.at(0), f.at(2).toDouble(), f.at(3)});
    }
    void open()
    {
        window = std::make_unique<FrmRBKeikaku>(context);
        window->show();
    }
    template<typename T>
    T *child(const char *name) const { return WindowFixture::child<T>(window.get(), name); }
    void click(const char *name) const { WindowFixture::click(window.get(), name); }
    void choose(const QDate &start, int category) const
    {
        child<QDateEdit>("DTPicker1")->setDate(start);
        child<QComboBox>("Combo1")->setCurrentIndex(category);
    }
    PlanTableModel *model() const { return qobject_cast<PlanTableModel *>(child<FrozenColumnGrid>("DataGrid1")->model()); }
    // Headings, then each row: cells separated by "|", rows by ";".
    QString grid() const
    {
        QStringList rows;
        for (int r = -1; r < model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model()->columnCount(); ++c)
                cells << (r < 0 ? model()->headerData(c, Qt::Horizontal).toString() : model()->text(r, c));
            rows << cells.join(u'|');
        }
        return rows.join(u';');
    }

    std::unique_ptr<FrmRBKeikaku> window;
    int notes = 0;
};

} // namespace

class TestFrmRBKeikaku : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void plan_data()
    {
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two payees, an empty cell")
                << QStringList{u"1 2024-05-10 100000 1"_s, u"1 2024-05-20 50000 1"_s, u"2 2024-05-10 30000 1"_s} << 0
                << "振出先|小計|2024/05/10|2024/05/20;A|150,000|100,000|50,000;B|30,000|30,000|";
        QTest::newRow("due on the start date counts, the day before not")
                << QStringList{u"1 2024-04-30 70000 1"_s, u"1 2024-05-01 20000 1"_s} << 0 << "振出先|小計|2024/05/01;A|20,000|20,000";
        QTest::newRow("two suppliers of one name form one row")
                << QStringList{u"1 2024-05-10 100000 1"_s, u"3 2024-05-10 5000 1"_s, u"3 2024-06-01 0 1"_s} << 0
                << "振出先|小計|2024/05/10|2024/06/01;A|105,000|105,000|0";
        QTest::newRow("only the chosen category")
                << QStringList{u"1 2024-05-10 100000 1"_s, u"2 2024-05-10 40000 2"_s} << 1 << "振出先|小計|2024/05/10;B|40,000|40,000";
        QTest::newRow("no notes in the period") << QStringList{u"1 2024-04-10 100000 1"_s} << 0 << "振出先|小計";
    }

    void plan()
    {
        QFETCH(QStringList, notes);
        QFETCH(int, category);
        Plan p;
        for (const QString &note : std::as_const(notes))
            p.addNote(note);
        p.open();
        p.choose(QDate(2024, 5, 1), category);
        p.click("Command1");
        QTEST(p.grid(), "expected");
        QCOMPARE(p.window->RecordSource(), head + QStringLiteral("2024/05/01# AND Tkeiri = '%1'").arg(category + 1) + tail);
        QVERIFY(p.dialogs.calls().isEmpty());
    }

    // Deleted payees and category codes that are no plain number: the
    // screen shows what report 12 prints for the same choice.
    void planAsPrinted_data()
    {
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two deleted payees stay two rows")
                << QStringList{u"1 2024-05-10 100000 1"_s, u"8 2024-05-10 20000 1"_s, u"9 2024-05-20 30000 1"_s,
                               u"3 2024-05-20 5000 1"_s}
                << u"1"_s
                << "振出先|小計|2024/05/10|2024/05/20;(未登録 8)|20,000|20,000|;(未登録 9)|30,000||30,000;"
                   "A|105,000|100,000|5,000";
        const QStringList codes{u"1 2024-05-10 1000 007"_s, u"2 2024-05-10 2000 7"_s, u"1 2024-05-20 3000 L1"_s,
                                u"2 2024-05-20 4000 0"_s};
        QTest::newRow("007 is not 7") << codes << u"007"_s << "振出先|小計|2024/05/10;A|1,000|1,000";
        QTest::newRow("7 is not 007") << codes << u"7"_s << "振出先|小計|2024/05/10;B|2,000|2,000";
        QTest::newRow("L1 is not 0") << codes << u"L1"_s << "振出先|小計|2024/05/20;A|3,000|3,000";
    }

    void planAsPrinted()
    {
        QFETCH(QStringList, notes);
        QFETCH(QString, category);
        Plan p;
        p.data.exec(u"INSERT INTO Kbn4 (KbnCode, KbnName) VALUES ('007', '外注'), ('7', '仮'), ('L1', '借入'), ('0', '他')"_s);
        for (const QString &note : std::as_const(notes))
            p.addNote(note);
        p.open();
        const int item = p.child<QComboBox>("Combo1")->findData(category);
        QVERIFY(item >= 0);
        p.choose(QDate(2024, 5, 1), item);
        p.click("Command1");
        QTEST(p.grid(), "expected");
        QVERIFY(p.window->RecordSource().contains(u"# AND Tkeiri = '"_s + category + u"' GROUP BY"_s));

        p.click("Command2");
        QCOMPARE(p.values.ReportKeiri(), category);
        const auto report = ReportEngine::build(ReportEngine::catalogueRequest(
                12, QCoreApplication::applicationDirPath() + u'/', p.data.path(), p.values.ReportDate(),
                p.values.ReportKeiri()));
        const CrossTable &table = report->crossTable();
        QStringList printed{u"振出先|小計"_s};
        for (int c = 0; c < table.columnCount(); ++c)
            printed.first() += u'|' + table.columnHeading(c);
        const QString format = u"##,##0"_s;
        for (int r = 0; r < table.rowCount(); ++r) {
            QString row = table.rowName(r) + u'|' + DisplayFormat::number(table.rowTotal(r), format);
            for (int c = 0; c < table.columnCount(); ++c) {
                bool present = false;
                const double value = table.value(r, c, &present);
                row += u'|' + (present ? DisplayFormat::number(value, format) : QString());
            }
            printed << row;
        }
        QCOMPARE(printed.join(u';'), p.grid());
    }

    // A date typed whole into the picker, then Tab: one step on to 表示.
    void typedDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("start");
        QTest::newRow("slashes") << u"2026/05/01"_s << u"2026/05/01"_s;
        QTest::newRow("hyphens") << u"2026-05-01"_s << u"2026/05/01"_s;
        QTest::newRow("digits only") << u"20260501"_s << u"2026/05/01"_s;
        QTest::newRow("full-width") << u"２０２６／０５／０１"_s << u"2026/05/01"_s;
        QTest::newRow("one-digit month and day") << u"2026.5.1"_s << u"2026/05/01"_s;
        QTest::newRow("the year alone") << u"2025"_s << u"2025/04/30"_s;
        QTest::newRow("no such date keeps the date") << u"2026/13/01"_s << u"2024/04/30"_s;
    }

    void typedDate()
    {
        QFETCH(QString, typed);
        Plan p;
        p.open();
        p.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
        auto *picker = p.child<QDateEdit>("DTPicker1");
        picker->setDate(QDate(2024, 4, 30));
        picker->setFocus(Qt::TabFocusReason);
        for (const QChar c : typed) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(picker, &press);
        }
        QTest::keyClick(picker, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), p.child<QPushButton>("Command1"));
        QTEST(picker->text(), "start");
        p.click("Command1");
        QFETCH(QString, start);
        QVERIFY(p.window->RecordSource().contains(u"TKDate >= #"_s + start + u'#'));
    }

    void loadCoversEveryCategory()
    {
        Plan p;
        const QDate today = QDate::currentDate();
        for (const auto &[payee, day, amount] : {std::tuple{"1 ", 0, " 1000 1"}, {"1 ", 3, " 2000 2"}, {"2 ", -1, " 4000 2"}})
            p.addNote(QLatin1String(payee) + today.addDays(day).toString(Qt::ISODate) + QLatin1String(amount));
        p.open();
        QCOMPARE(p.window->RecordSource(), head + today.toString(QStringLiteral("yyyy/MM/dd")) + u'#' + tail);
        QCOMPARE(p.model()->rowCount(), 1);
        QCOMPARE(p.model()->text(0, 1), QStringLiteral("3,000"));

        // The payee column stays in view, and the amounts take 950 twips.
        auto *grid = p.child<FrozenColumnGrid>("DataGrid1");
        QVERIFY(grid->frozenView()->isVisible());
        QVERIFY(grid->frozenView()->isColumnHidden(1) && !grid->frozenView()->isColumnHidden(0));
        QCOMPARE(grid->columnWidth(2), TableGrid::twipsToPixels(950, grid));
        QCOMPARE(p.model()->data(p.model()->index(0, 2), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    }

    void print_data()
    {
        QTest::addColumn<bool>("noCategories");
        QTest::addColumn<QString>("handed"); // mode, category and start date handed to the report
        QTest::newRow("current choice") << false << "12 2 2024/04/01";
        QTest::newRow("no category list: neither button acts") << true << "  ";
    }

    void print()
    {
        QFETCH(bool, noCategories);
        Plan p;
        if (noCategories)
            p.data.exec(QStringLiteral("DELETE FROM Kbn4"));
        p.open();
        const QString loaded = p.window->RecordSource();
        p.choose(QDate(2024, 4, 1), 1);
        p.click("Command2");
        if (noCategories)
            p.click("Command1");
        QTEST(p.values.ModeFlag() + u' ' + p.values.ReportKeiri() + u' ' + p.values.ReportDate(), "handed");
        QCOMPARE(p.window->RecordSource(), loaded);
        QVERIFY(p.dialogs.calls().isEmpty());
    }

    void databaseFailure()
    {
        Plan p;
        p.data.drop(QStringLiteral("SireCliant"));
        p.open();
        QCOMPARE(p.dialogs.messages().size(), 1);
        QCOMPARE(p.dialogs.messages().first().title, QStringLiteral("警告"));
        QCOMPARE(p.model()->rowCount(), 0);

        p.data.restore(QStringLiteral("SireCliant"));
        p.data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('2', 'B')"));
        p.addNote(QStringLiteral("2 2024-05-10 30000 1"));
        p.choose(QDate(2024, 5, 1), 0);
        p.click("Command1");
        QCOMPARE(p.grid(), QStringLiteral("振出先|小計|2024/05/10;B|30,000|30,000"));
        QCOMPARE(p.dialogs.messages().size(), 1);
    }

    // Saved as a workbook, the plan keeps the payee in view as the screen
    // does, its day headings are dates and a totals row sums each column.
    void savedWorkbook()
    {
        Plan p;
        for (const QString &note : {u"1 2024-05-10 100000 1"_s, u"1 2024-05-20 50000 1"_s, u"2 2024-05-10 30000 1"_s})
            p.addNote(note);
        p.open();
        p.choose(QDate(2024, 5, 1), 0);
        p.click("Command1");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plan.xlsx"));
        p.dialogs.queueSaveFile(path);
        p.click("cmdExcel");
        QVERIFY2(p.dialogs.messageTexts().isEmpty(), qPrintable(p.dialogs.messageTexts().join(u"/"_s) + (p.dialogs.messages().isEmpty() ? QString() : p.dialogs.messages().first().details)));

        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QStringLiteral("xl/worksheets/sheet1.xml")});
        QVERIFY(unzip.waitForFinished());
        const QString xml = QString::fromUtf8(unzip.readAllStandardOutput());
        QVERIFY2(xml.contains(QStringLiteral("<pane xSplit=\"1\" ySplit=\"1\"")), qPrintable(xml));
        // 45422 and 45432 are 2024/05/10 and 2024/05/20.
        static const QRegularExpression dayHeadings(QStringLiteral("<c r=\"C1\" s=\"\\d+\"><v>45422</v></c>"
                                                                   "<c r=\"D1\" s=\"\\d+\"><v>45432</v></c>"));
        QVERIFY2(dayHeadings.match(xml).hasMatch(), qPrintable(xml));
        QVERIFY(xml.contains(QStringLiteral("<t>合計</t>")));
        for (const char *total : {"<f>SUBTOTAL(9,B2:B3)</f><v>180000</v>", "<f>SUBTOTAL(9,C2:C3)</f><v>130000</v>",
                                  "<f>SUBTOTAL(9,D2:D3)</f><v>50000</v>"})
            QVERIFY2(xml.contains(QLatin1String(total)), total);
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestFrmRBKeikaku)
#include "tst_FrmRBKeikaku.moc"
