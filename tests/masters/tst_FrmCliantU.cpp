#include "WindowFixture.h"

#include "masters/FrmCliantU.h"
#include "ui/SupplierPickTarget.h"

#include <QLineEdit>
#include <QPushButton>
#include <QAbstractItemView>
#include <QtTest>

namespace {

// Stands in for the note entry window: its payee boxes and drawing date.
class EntryStandIn : public QWidget, public SupplierPickTarget
{
public:
    EntryStandIn() { code.setText(QStringLiteral("old")); }
    void supplierPicked(const QString &c, const QString &n) override
    {
        ++picks;
        code.setText(c);
        name.setText(n);
        activateWindow();
        drawingDate.setFocus();
    }
    QLineEdit code{this}, name{this}, drawingDate{this};
    int picks = 0;
};

// The search list loaded over three suppliers stored out of code order, or
// none, choosing into an entry window.
struct List : WindowFixture
{
    explicit List(bool suppliers = true)
    {
        for (const char *code : {"002", "001", "003"}) {
            if (suppliers)
                data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)"),
                          {QLatin1String(code), QStringLiteral("仕入先") + QLatin1String(code)});
        }
        add<FrmCliantU>(WindowId::FrmCliantU);
        window = qobject_cast<FrmCliantU *>(windows.load(WindowId::FrmCliantU));
        window->setTarget(entry.get());
    }
    // No store error is ever shown.
    ~List() { QVERIFY(dialogs.calls().isEmpty()); }

    QAbstractItemView *list() const { return window->findChild<QAbstractItemView *>(QStringLiteral("ListView1")); }
    int rowCount() const { return list()->model()->rowCount(); }
    QString cell(int row, int column) const { return list()->model()->index(row, column).data().toString(); }
    QPushButton *button(const char *name) const { return child<QPushButton>(window, name); }

    std::unique_ptr<EntryStandIn> entry = std::make_unique<EntryStandIn>();
    QPointer<FrmCliantU> window;
};

// Presses of choosing besides keys.
constexpr int chooseButton = -1;
constexpr int endButton = -2;
constexpr int closed = -3;

} // namespace

class TestFrmCliantU : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsSuppliersInTableOrder()
    {
        List f;
        QCOMPARE(f.window->windowTitle(), QStringLiteral("得意先検索"));
        QStringList rows;
        for (int i = 0; i < f.rowCount(); ++i)
            rows << f.cell(i, 0) + QLatin1Char('=') + f.cell(i, 1);
        QCOMPARE(rows.join(QLatin1Char(',')), QStringLiteral("002=仕入先002,001=仕入先001,003=仕入先003"));
    }

    void choosing_data()
    {
        QTest::addColumn<int>("press");    // a key, or a button or closing
        QTest::addColumn<int>("selected"); // the row selected; -1 none, -2 an empty list
        QTest::addColumn<bool>("takes");
        QTest::addColumn<bool>("hides");
        QTest::newRow("選択 button") << chooseButton << 1 << true << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << 1 << true << true;
        QTest::newRow("a letter") << int(Qt::Key_K) << 1 << true << true;
        QTest::newRow("arrow moves only") << int(Qt::Key_Down) << 1 << false << false;
        QTest::newRow("Tab moves on") << int(Qt::Key_Tab) << 1 << false << false;
        QTest::newRow("終了 only hides") << endButton << 1 << false << true;
        QTest::newRow("closing only hides") << closed << 1 << false << true;
        QTest::newRow("選択 with no row selected") << chooseButton << -1 << false << false;
        QTest::newRow("選択 on an empty list") << chooseButton << -2 << false << false;
    }

    void choosing()
    {
        QFETCH(int, press);
        QFETCH(int, selected);
        QFETCH(bool, takes);
        QFETCH(bool, hides);
        List f(selected != -2);
        f.entry->show();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        // The focus starts on 終了; Tab goes on to 選択, then to the list.
        QCOMPARE(QApplication::focusWidget(), f.button("Command2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.button("Command1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.list());
        QCOMPARE(f.rowCount(), selected == -2 ? 0 : 3);
        if (selected == -1)
            f.list()->clearSelection();
        else if (selected >= 0)
            f.list()->setCurrentIndex(f.list()->model()->index(selected, 0));

        if (press == chooseButton || press == endButton)
            QTest::mouseClick(f.button(press == chooseButton ? "Command1" : "Command2"), Qt::LeftButton);
        else if (press == closed)
            f.window->close();
        else
            QTest::keyClick(f.list(), Qt::Key(press));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // The list lives for the whole run: never destroyed.
        QVERIFY(f.window);
        QCOMPARE(f.windows.window(WindowId::FrmCliantU), f.window.data());
        QCOMPARE(f.window->isVisible(), !hides);
        QCOMPARE(f.entry->picks, takes ? 1 : 0);
        QCOMPARE(f.entry->code.text(), takes ? QStringLiteral("001") : QStringLiteral("old"));
        if (takes) {
            QCOMPARE(f.entry->name.text(), QStringLiteral("仕入先001"));
            QTRY_COMPARE(QApplication::focusWidget(), &f.entry->drawingDate);
        }
    }

    void goneTargetGivesWayToTheEntryWindow()
    {
        List f;
        f.entry.reset();
        f.window->show();
        QTest::keyClick(f.list(), Qt::Key_Return); // no entry window loaded: only hides
        QVERIFY(!f.window->isVisible());

        f.windows.registerFactory(WindowId::FrmSite, [] { return std::make_unique<EntryStandIn>(); });
        auto *entry = dynamic_cast<EntryStandIn *>(f.windows.load(WindowId::FrmSite));
        f.window->show();
        QTest::keyClick(f.list(), Qt::Key_Return);
        QCOMPARE(entry->code.text(), QStringLiteral("002"));
    }
};

QTEST_MAIN(TestFrmCliantU)
#include "tst_FrmCliantU.moc"
