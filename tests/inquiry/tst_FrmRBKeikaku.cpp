#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "inquiry/FrmRBKeikaku.h"
#include "inquiry/FrozenColumnGrid.h"
#include "inquiry/PlanTableModel.h"
#include "store/Schema.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

#include <memory>

namespace {

// The statement of both routines before the start date and after it.
const QString head = QStringLiteral("TRANSFORM Sum(QRYRibodo.TKingaku) AS 値 SELECT QRYRibodo.ClName, "
                                    "Sum(QRYRibodo.TKingaku) AS SSum_ From QRYRibodo WHERE TKDate >= #");
const QString tail = QStringLiteral(" GROUP BY QRYRibodo.ClName  PIVOT Format([TKDate],'Short Date')");

} // namespace

class TestFrmRBKeikaku : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void plan_data();
    void plan();
    void loadCoversEveryCategory();
    void printUsesCurrentChoice();
    void emptyCategoryList();
    void databaseFailure();

private:
    void addSupplier(const QString &code, const QString &name);
    void addNote(const QString &payee, const QString &due, double amount, const QString &keiri);
    FrmRBKeikaku *open();
    void show(const QDate &start, int category);
    // Headings, then each row: cells separated by "|", rows by ";".
    QString grid() const;
    PlanTableModel *model() const;

    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<AppValues> m_values;
    std::unique_ptr<ScriptedDialogService> m_dialogs;
    std::unique_ptr<WindowRegistry> m_windows;
    std::unique_ptr<AppContext> m_ctx;
    std::unique_ptr<FrmRBKeikaku> m_window;
    int m_notes = 0;
};

void TestFrmRBKeikaku::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    m_values = std::make_unique<AppValues>();
    m_values->setDataFolder(m_folder->path());
    m_dialogs = std::make_unique<ScriptedDialogService>();
    m_windows = std::make_unique<WindowRegistry>();
    m_ctx = std::make_unique<AppContext>(*m_values, *m_dialogs, *m_windows);
    m_notes = 0;
    addSupplier(QStringLiteral("1"), QStringLiteral("A"));
    addSupplier(QStringLiteral("2"), QStringLiteral("B"));
}

void TestFrmRBKeikaku::cleanup()
{
    m_window.reset();
    m_ctx.reset();
    m_windows.reset();
    m_dialogs.reset();
    m_values.reset();
    m_folder.reset();
}

void TestFrmRBKeikaku::addSupplier(const QString &code, const QString &name)
{
    m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)"), {code, name});
}

void TestFrmRBKeikaku::addNote(const QString &payee, const QString &due, double amount, const QString &keiri)
{
    m_folder->exec(QStringLiteral("INSERT INTO SiteTbl (TNo, TKDate, TTo, TKingaku, TCond, TKeiri) VALUES (?, ?, ?, ?, '1', ?)"),
                   {QStringLiteral("N%1").arg(++m_notes), due, payee, amount, keiri});
}

FrmRBKeikaku *TestFrmRBKeikaku::open()
{
    m_window = std::make_unique<FrmRBKeikaku>(*m_ctx);
    m_window->show();
    return m_window.get();
}

void TestFrmRBKeikaku::show(const QDate &start, int category)
{
    m_window->findChild<QDateEdit *>(QStringLiteral("DTPicker1"))->setDate(start);
    m_window->findChild<QComboBox *>(QStringLiteral("Combo1"))->setCurrentIndex(category);
    QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
}

PlanTableModel *TestFrmRBKeikaku::model() const
{
    return qobject_cast<PlanTableModel *>(m_window->findChild<FrozenColumnGrid *>(QStringLiteral("DataGrid1"))->model());
}

QString TestFrmRBKeikaku::grid() const
{
    const PlanTableModel *plan = model();
    QStringList rows;
    QStringList cells;
    for (int c = 0; c < plan->columnCount(); ++c)
        cells.append(plan->headerData(c, Qt::Horizontal).toString());
    rows.append(cells.join(QLatin1Char('|')));
    for (int r = 0; r < plan->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < plan->columnCount(); ++c)
            cells.append(plan->text(r, c));
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows.join(QLatin1Char(';'));
}

void TestFrmRBKeikaku::plan_data()
{
    QTest::addColumn<QStringList>("notes");
    QTest::addColumn<int>("category");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two payees, an empty cell")
            << QStringList {u"1 2024-05-10 100000 1"_s, u"1 2024-05-20 50000 1"_s, u"2 2024-05-10 30000 1"_s} << 0
            << "振出先|小計|2024/05/10|2024/05/20;A|150,000|100,000|50,000;B|30,000|30,000|";
    QTest::newRow("due on the start date counts, the day before not")
            << QStringList {u"1 2024-04-30 70000 1"_s, u"1 2024-05-01 20000 1"_s} << 0 << "振出先|小計|2024/05/01;A|20,000|20,000";
    QTest::newRow("two suppliers of one name form one row")
            << QStringList {u"1 2024-05-10 100000 1"_s, u"3 2024-05-10 5000 1"_s, u"3 2024-06-01 0 1"_s} << 0
            << "振出先|小計|2024/05/10|2024/06/01;A|105,000|105,000|0";
    QTest::newRow("only the chosen category")
            << QStringList {u"1 2024-05-10 100000 1"_s, u"2 2024-05-10 40000 2"_s} << 1 << "振出先|小計|2024/05/10;B|40,000|40,000";
    QTest::newRow("no notes in the period") << QStringList {u"1 2024-04-10 100000 1"_s} << 0 << "振出先|小計";
}

void TestFrmRBKeikaku::plan()
{
    QFETCH(QStringList, notes);
    QFETCH(int, category);
    QFETCH(QString, expected);
    addSupplier(QStringLiteral("3"), QStringLiteral("A"));
    for (const QString &note : std::as_const(notes)) {
        const QStringList f = note.split(QLatin1Char(' '));
        addNote(f.at(0), f.at(1), f.at(2).toDouble(), f.at(3));
    }
    open();
    show(QDate(2024, 5, 1), category);
    QCOMPARE(grid(), expected);
    QCOMPARE(m_window->RecordSource(),
             head + QStringLiteral("2024/05/01# AND Tkeiri = '%1'").arg(category + 1) + tail);
    QVERIFY(m_dialogs->calls().isEmpty());
}

void TestFrmRBKeikaku::loadCoversEveryCategory()
{
    const QDate today = QDate::currentDate();
    addNote(QStringLiteral("1"), today.toString(Qt::ISODate), 1000, QStringLiteral("1"));
    addNote(QStringLiteral("1"), today.addDays(3).toString(Qt::ISODate), 2000, QStringLiteral("2"));
    addNote(QStringLiteral("2"), today.addDays(-1).toString(Qt::ISODate), 4000, QStringLiteral("2"));
    open();
    QCOMPARE(m_window->RecordSource(), head + today.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('#') + tail);
    QCOMPARE(model()->text(0, 1), QStringLiteral("3,000"));
    QCOMPARE(model()->rowCount(), 1);

    // The payee column stays in view, and the amounts take 950 twips.
    auto *grid = m_window->findChild<FrozenColumnGrid *>(QStringLiteral("DataGrid1"));
    QVERIFY(grid->frozenView()->isVisible());
    QVERIFY(grid->frozenView()->isColumnHidden(1) && !grid->frozenView()->isColumnHidden(0));
    QCOMPARE(grid->columnWidth(2), TableGrid::twipsToPixels(950, grid));
    QCOMPARE(model()->data(model()->index(0, 2), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));

    show(today, 1);
    QCOMPARE(model()->text(0, 1), QStringLiteral("2,000"));
}

void TestFrmRBKeikaku::printUsesCurrentChoice()
{
    open();
    const QString loaded = m_window->RecordSource();
    m_window->findChild<QDateEdit *>(QStringLiteral("DTPicker1"))->setDate(QDate(2024, 4, 1));
    m_window->findChild<QComboBox *>(QStringLiteral("Combo1"))->setCurrentIndex(1);
    QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
    QCOMPARE(m_values->ModeFlag(), QStringLiteral("12"));
    QCOMPARE(m_values->ReportKeiri(), QStringLiteral("2"));
    QCOMPARE(m_values->ReportDate(), QStringLiteral("2024/04/01"));
    QCOMPARE(m_window->RecordSource(), loaded);
}

void TestFrmRBKeikaku::emptyCategoryList()
{
    m_folder->exec(QStringLiteral("DELETE FROM Kbn4"));
    addNote(QStringLiteral("1"), QDate::currentDate().toString(Qt::ISODate), 1000, QStringLiteral("1"));
    open();
    const QString loaded = m_window->RecordSource();
    QCOMPARE(model()->rowCount(), 1);
    QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
    QCOMPARE(m_window->RecordSource(), loaded);
    QCOMPARE(m_values->ModeFlag(), QString());
    QVERIFY(m_dialogs->calls().isEmpty());
}

void TestFrmRBKeikaku::databaseFailure()
{
    m_folder->exec(QStringLiteral("DROP TABLE SireCliant"));
    open();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->messages().first().title, QStringLiteral("警告"));
    QCOMPARE(model()->rowCount(), 0);

    for (const QString &sql : Schema::createStatements()) {
        if (sql.contains(QLatin1String(" SireCliant ")) && !sql.contains(QLatin1String("VIEW")))
            m_folder->exec(sql);
    }
    addSupplier(QStringLiteral("2"), QStringLiteral("B"));
    addNote(QStringLiteral("2"), QStringLiteral("2024-05-10"), 30000, QStringLiteral("1"));
    show(QDate(2024, 5, 1), 0);
    QCOMPARE(grid(), QStringLiteral("振出先|小計|2024/05/10;B|30,000|30,000"));
    QCOMPARE(m_dialogs->messages().size(), 1);
}

QTEST_MAIN(TestFrmRBKeikaku)
#include "tst_FrmRBKeikaku.moc"
