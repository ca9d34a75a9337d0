#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/AppContext.h"
#include "app/AppValues.h"
#include "app/WindowRegistry.h"
#include "masters/FrmCliantU.h"
#include "masters/SupplierPickTarget.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Stands in for the note entry window: its payee boxes and drawing date.
class EntryStandIn : public QWidget, public SupplierPickTarget
{
public:
    EntryStandIn()
    {
        auto *layout = new QVBoxLayout(this);
        for (QLineEdit *box : {&code, &name, &drawingDate})
            layout->addWidget(box);
        code.setText(QStringLiteral("old"));
    }
    void supplierPicked(const QString &c, const QString &n) override
    {
        ++picks;
        code.setText(c);
        name.setText(n);
        drawingDate.setFocus();
    }
    QLineEdit code, name, drawingDate;
    int picks = 0;
};

} // namespace

class TestFrmCliantU : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listsSuppliersInTableOrder();
    void choosingHandsTheRowOver_data();
    void choosingHandsTheRowOver();
    void endOrCloseOnlyHides_data();
    void endOrCloseOnlyHides();
    void choiceWithoutRowWritesNothing_data();
    void choiceWithoutRowWritesNothing();
    void focusStartsOnEndThenChoose();
    void listIsFilledOnceWhenLoaded();
    void targetDefaultsToTheLoadedEntryWindow();
    void destroyedTargetIsForgotten();

private:
    FrmCliantU *load();
    QTreeWidget *list(FrmCliantU *w) const { return w->findChild<QTreeWidget *>(QStringLiteral("ListView1")); }
    QPushButton *button(FrmCliantU *w, const char *name) const
    {
        return w->findChild<QPushButton *>(QLatin1String(name));
    }

    std::unique_ptr<TestDataFolder> m_folder;
    AppValues m_values;
    ScriptedDialogService m_dialogs;
    std::unique_ptr<WindowRegistry> m_windows;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<EntryStandIn> m_entry;
};

void TestFrmCliantU::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    for (const char *code : {"002", "001", "003"})
        m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)"),
                       {QLatin1String(code), QStringLiteral("仕入先") + QLatin1String(code)});
    m_values.setDataFolder(m_folder->path());
    m_dialogs.clear();
    m_windows = std::make_unique<WindowRegistry>();
    m_context = std::make_unique<AppContext>(m_values, m_dialogs, *m_windows);
    m_windows->registerFactory(WindowId::FrmCliantU, [this] { return std::make_unique<FrmCliantU>(*m_context); });
    m_entry = std::make_unique<EntryStandIn>();
}

void TestFrmCliantU::cleanup()
{
    QCOMPARE(m_dialogs.calls().size(), 0);
    m_entry.reset();
    m_windows.reset();
    m_folder.reset();
}

FrmCliantU *TestFrmCliantU::load()
{
    auto *w = qobject_cast<FrmCliantU *>(m_windows->load(WindowId::FrmCliantU));
    w->setTarget(m_entry.get());
    return w;
}

void TestFrmCliantU::listsSuppliersInTableOrder()
{
    FrmCliantU *w = load();
    QCOMPARE(w->windowTitle(), QStringLiteral("得意先検索"));
    QTreeWidget *l = list(w);
    QCOMPARE(l->headerItem()->text(0), QStringLiteral("コード"));
    QCOMPARE(l->headerItem()->text(1), QStringLiteral("名前"));
    QStringList rows;
    for (int i = 0; i < l->topLevelItemCount(); ++i)
        rows << l->topLevelItem(i)->text(0) + QLatin1Char('=') + l->topLevelItem(i)->text(1);
    QCOMPARE(rows.join(QLatin1Char(',')), QStringLiteral("002=仕入先002,001=仕入先001,003=仕入先003"));
}

void TestFrmCliantU::choosingHandsTheRowOver_data()
{
    QTest::addColumn<int>("key"); // 0: the choose button
    QTest::addColumn<bool>("takes");
    QTest::newRow("選択 button") << 0 << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("a letter") << int(Qt::Key_K) << true;
    QTest::newRow("space") << int(Qt::Key_Space) << true;
    QTest::newRow("arrow moves only") << int(Qt::Key_Down) << false;
    QTest::newRow("Tab moves on") << int(Qt::Key_Tab) << false;
}

void TestFrmCliantU::choosingHandsTheRowOver()
{
    QFETCH(int, key);
    QFETCH(bool, takes);
    FrmCliantU *w = load();
    w->show();
    list(w)->setCurrentItem(list(w)->topLevelItem(1));
    if (key == 0)
        QTest::mouseClick(button(w, "Command1"), Qt::LeftButton);
    else
        QTest::keyClick(list(w), Qt::Key(key));
    QCOMPARE(m_entry->picks, takes ? 1 : 0);
    QCOMPARE(w->isVisible(), !takes);
    if (takes) {
        QCOMPARE(m_entry->code.text(), QStringLiteral("001"));
        QCOMPARE(m_entry->name.text(), QStringLiteral("仕入先001"));
    }
}

void TestFrmCliantU::endOrCloseOnlyHides_data()
{
    QTest::addColumn<bool>("endButton");
    QTest::newRow("終了") << true;
    QTest::newRow("window closed") << false;
}

void TestFrmCliantU::endOrCloseOnlyHides()
{
    QFETCH(bool, endButton);
    QPointer<FrmCliantU> w = load();
    w->show();
    if (endButton)
        QTest::mouseClick(button(w, "Command2"), Qt::LeftButton);
    else
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w);
    QVERIFY(!w->isVisible());
    QCOMPARE(m_windows->window(WindowId::FrmCliantU), w.data());
    QCOMPARE(m_entry->picks, 0);
    QCOMPARE(m_entry->code.text(), QStringLiteral("old"));
}

void TestFrmCliantU::choiceWithoutRowWritesNothing_data()
{
    QTest::addColumn<bool>("emptyTable");
    QTest::newRow("empty list") << true;
    QTest::newRow("no row selected") << false;
}

void TestFrmCliantU::choiceWithoutRowWritesNothing()
{
    QFETCH(bool, emptyTable);
    if (emptyTable)
        m_folder->exec(QStringLiteral("DELETE FROM SireCliant"));
    FrmCliantU *w = load();
    w->show();
    list(w)->clearSelection();
    QTest::mouseClick(button(w, "Command1"), Qt::LeftButton);
    QTest::keyClick(list(w), Qt::Key_Return);
    QCOMPARE(list(w)->topLevelItemCount(), emptyTable ? 0 : 3);
    QCOMPARE(m_entry->picks, 0);
    QCOMPARE(m_entry->code.text(), QStringLiteral("old"));
}

void TestFrmCliantU::focusStartsOnEndThenChoose()
{
    FrmCliantU *w = load();
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(QApplication::focusWidget(), button(w, "Command2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button(w, "Command1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), list(w));
}

void TestFrmCliantU::listIsFilledOnceWhenLoaded()
{
    FrmCliantU *w = load();
    m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('004', 'later')"));
    w->show();
    w->hide();
    w->show();
    QCOMPARE(list(w)->topLevelItemCount(), 3);
}

void TestFrmCliantU::targetDefaultsToTheLoadedEntryWindow()
{
    auto *w = qobject_cast<FrmCliantU *>(m_windows->load(WindowId::FrmCliantU));
    w->show();
    QTest::keyClick(list(w), Qt::Key_Return); // no entry window loaded: only hides
    QVERIFY(!w->isVisible());

    m_windows->registerFactory(WindowId::FrmSite, [] { return std::make_unique<EntryStandIn>(); });
    auto *entry = dynamic_cast<EntryStandIn *>(m_windows->load(WindowId::FrmSite));
    w->show();
    QTest::keyClick(list(w), Qt::Key_Return);
    QCOMPARE(entry->code.text(), QStringLiteral("002"));
}

void TestFrmCliantU::destroyedTargetIsForgotten()
{
    FrmCliantU *w = load();
    m_entry.reset();
    w->show();
    QTest::mouseClick(button(w, "Command1"), Qt::LeftButton);
    QVERIFY(!w->isVisible());
}

QTEST_MAIN(TestFrmCliantU)
#include "tst_FrmCliantU.moc"
