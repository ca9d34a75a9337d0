#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/FrmHelp.h"
#include "masters/FrmCliantU.h"
#include "reports/FrmView.h"
#include "reports/ReportViewer.h"
#include "register/FrmSite.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/QtDialogService.h"
#include "ui/QtTranslations.h"
#include "ui/SupplierPickTarget.h"
#include "ui/WindowRegistry.h"

#include <QAbstractItemView>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {
struct Picked : SupplierPickTarget
{
    void supplierPicked(const QString &code, const QString &name) override { taken = code + QLatin1Char(' ') + name; }
    QString taken;
};
}

// Keys, dialogs and messages of the shell and the secondary windows.
class TestShellKeys : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<TestDataFolder>();
        m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '山田製作所')"));
        m_values.setDataFolder(m_folder->path());
        m_dialogs.clear();
    }

    void escCloses_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("help") << 0;
        QTest::newRow("report viewer") << 1;
        QTest::newRow("supplier search list") << 2;
        QTest::newRow("note entry") << 3;
    }
    void escCloses()
    {
        QFETCH(int, window);
        std::unique_ptr<QWidget> w;
        if (window == 0)
            w = std::make_unique<FrmHelp>(m_ctx);
        else if (window == 1)
            w = std::make_unique<FrmView>(m_ctx);
        else if (window == 2)
            w = std::make_unique<FrmCliantU>(m_ctx);
        else
            w = std::make_unique<FrmSite>(m_ctx);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QWidget *focused = w->focusWidget() ? w->focusWidget() : w.get();
        QTest::keyClick(focused, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }

    void searchListTakesDoubleClickedRow()
    {
        FrmCliantU list(m_ctx);
        Picked target;
        list.setTarget(&target);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        auto *view = list.findChild<QAbstractItemView *>(QStringLiteral("ListView1"));
        const QModelIndex first = view->model()->index(0, 1);
        const QPoint at = view->visualRect(first).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(target.taken, QStringLiteral("100 山田製作所"));
        QVERIFY(!list.isVisible());
    }

    void viewerToolbarHasAccessKeys()
    {
        m_folder->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 90) "
                                      "INSERT INTO SiteTbl (TNo, TKDate, TBank, TTo, TKingaku) "
                                      "SELECT 'N' || i, '2024-05-01', '1', '100', 1000 FROM n"));
        m_values.setModeFlag(QStringLiteral("10"));
        FrmView view(m_ctx);
        QStringList keys;
        for (const QToolButton *b : view.findChildren<QToolButton *>()) {
            if (b->defaultAction() && b->defaultAction()->isVisible())
                keys << b->text().section(QLatin1Char('&'), 1).left(1);
        }
        QCOMPARE(keys, QStringList({QStringLiteral("G"), QStringLiteral("F"), QStringLiteral("B"), QStringLiteral("N"),
                                    QStringLiteral("L"), QStringLiteral("P"), QStringLiteral("S")}));
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QVERIFY(view.CRViewer1()->pageCount() > 1);
        QTest::keyClick(&view, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(view.CRViewer1()->currentPage(), 1);
    }

    void storeErrorDetails_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        const QString cannot = QStringLiteral("変更を書き込めません。");
        QTest::newRow("other failure") << QStringLiteral("disk I/O error") << cannot;
        QTest::newRow("locked") << QStringLiteral("database is locked Unable to fetch row")
                                << cannot + QLatin1Char('\n') + DialogService::lockedText();
    }
    void storeErrorDetails()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        m_dialogs.showStoreError(StoreError(QStringLiteral("変更を書き込めません。"), engine));
        const ScriptedDialogService::Call shown = m_dialogs.messages().value(0);
        QCOMPARE(shown.title, QStringLiteral("警告"));
        QCOMPARE(shown.text, text);
        QCOMPARE(shown.details, engine);
    }

    void standardDialogsSpeakJapanese()
    {
        QVERIFY(QtTranslations::installJapanese(*qApp));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
    }

    void messagesCentredOverTheirWindow()
    {
        QWidget owner;
        owner.setGeometry(120, 90, 600, 420);
        owner.show();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        QtDialogService service;
        QList<QPoint> centres;
        for (int i = 0; i < 3; ++i) {
            QTimer::singleShot(0, this, [&centres] {
                QWidget *box = QApplication::activeModalWidget();
                centres << (box ? box->frameGeometry().center() : QPoint());
                if (box)
                    static_cast<QMessageBox *>(box)->done(0);
            });
            service.message(QStringLiteral("確認 %1").arg(i), QStringLiteral("警告"), DialogService::Buttons::Ok,
                            DialogService::Icon::Critical);
        }
        for (const QPoint &c : std::as_const(centres))
            QVERIFY2((c - owner.frameGeometry().center()).manhattanLength() <= 4,
                     qPrintable(QStringLiteral("%1,%2").arg(c.x()).arg(c.y())));
    }

    void newDataFolderHasTheManual()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("data"));
        QCOMPARE(QProcess::execute(QStringLiteral(RIBODO_DATAFOLDER_TOOL), {QStringLiteral("create"), folder}), 0);
        QVERIFY(QFileInfo(folder + QStringLiteral("/help/RBHelp.html")).size() > 1000);
    }

private:
    std::unique_ptr<TestDataFolder> m_folder;
    AppValues m_values;
    ScriptedDialogService m_dialogs;
    WindowRegistry m_windows;
    AppContext m_ctx{m_values, m_dialogs, m_windows};
};

QTEST_MAIN(TestShellKeys)
#include "tst_ShellKeys.moc"
