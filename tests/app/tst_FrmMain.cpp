#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/AppContext.h"
#include "app/AppValues.h"
#include "app/FrmHelp.h"
#include "app/FrmMain.h"
#include "app/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

#include <algorithm>
#include <set>

Q_DECLARE_METATYPE(WindowId)

// The main menu driven by its buttons, with stand-ins for the screens that
// other parts of the application provide.
class tst_FrmMain : public QObject
{
    Q_OBJECT

private:
    struct Menu
    {
        // Stand-ins for every screen window unless told otherwise.
        explicit Menu(bool standIns = true)
        {
            values.setDataFolder(data.path());
            windows.registerFactory(WindowId::FrmMain, [this] { return std::make_unique<FrmMain>(context); });
            windows.registerFactory(WindowId::FrmHelp, [this] { return std::make_unique<FrmHelp>(context); });
            if (!standIns)
                return;
            for (WindowId id : {WindowId::FrmCliantU, WindowId::FrmSite, WindowId::FrmSKbn, WindowId::FrmBank,
                                WindowId::frmCliant, WindowId::FrmRbView, WindowId::FrmRibodo, WindowId::FrmRBKeikaku,
                                WindowId::FrmView}) {
                windows.registerFactory(id, [this, id] {
                    ++made[id];
                    return std::make_unique<QWidget>();
                });
            }
        }

        FrmMain *open()
        {
            auto *menu = qobject_cast<FrmMain *>(windows.show(WindowId::FrmMain));
            if (menu && !QTest::qWaitForWindowExposed(menu))
                return nullptr;
            return menu;
        }

        QPushButton *button(const QString &name) const
        {
            return windows.window(WindowId::FrmMain)->findChild<QPushButton *>(name);
        }

        void click(const QString &name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

        bool shown(WindowId id) const { return windows.window(id) && windows.window(id)->isVisible(); }

        void writeHelpFile(const QString &folder, const QString &name, const QByteArray &content) const
        {
            QVERIFY(QDir().mkpath(folder + QStringLiteral("help")));
            QFile f(folder + QStringLiteral("help") + QDir::separator() + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }

        TestDataFolder data;
        AppValues values;
        ScriptedDialogService dialogs;
        WindowRegistry windows;
        AppContext context{values, dialogs, windows};
        QHash<WindowId, int> made;
    };

    static int visibleWindows()
    {
        const QWidgetList all = QApplication::topLevelWidgets();
        return int(std::count_if(all.cbegin(), all.cend(), [](const QWidget *w) { return w->isVisible(); }));
    }

    static const QByteArray &manual()
    {
        static const QByteArray text =
                "<html><head><title>manual</title></head><body><h1>支払手形管理 ヘルプ</h1></body></html>";
        return text;
    }

private Q_SLOTS:
    void buttons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("nextOnTab");

        QTest::newRow("Command1") << "Command1" << "各区分(&K)" << 1 << 2 << "Command2";
        QTest::newRow("Command2") << "Command2" << "振出先(&F)" << 1 << 3 << "Command3";
        QTest::newRow("Command3") << "Command3" << "手形(&T)" << 2 << 1 << "Command4";
        QTest::newRow("Command4") << "Command4" << "銀行(&B)" << 1 << 1 << "Command5";
        QTest::newRow("Command5") << "Command5" << "エクスプローラー(&E)" << 3 << 1 << "Command6";
        QTest::newRow("Command6") << "Command6" << "終わり(&Q)" << 4 << 2 << "Command7";
        QTest::newRow("Command7") << "Command7" << "本日決済(&S)" << 2 << 2 << "Command8";
        QTest::newRow("Command8") << "Command8" << "振出先別一覧(&N)" << 3 << 2 << "Command9";
        QTest::newRow("Command9") << "Command9" << "手形帳(&J)" << 3 << 3 << "Command10";
        QTest::newRow("Command10") << "Command10" << "ヘルプ(&H)" << 4 << 1 << "Command1";
    }

    void buttons()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, nextOnTab);
        Menu m;
        FrmMain *menu = m.open();
        QVERIFY(menu);

        QPushButton *b = m.button(name);
        QVERIFY(b);
        QCOMPARE(b->text(), caption);
        QVERIFY(b->isVisible());

        // Columns and rows as seen on the screen: the distinct left and top
        // edges of the buttons, in order.
        std::set<int> lefts;
        std::set<int> tops;
        const QList<QPushButton *> all = menu->findChildren<QPushButton *>();
        QCOMPARE(all.size(), 10);
        for (const QPushButton *other : all) {
            lefts.insert(other->x());
            tops.insert(other->y());
            QCOMPARE(other->width(), b->width());
        }
        QCOMPARE(lefts.size(), size_t(4));
        QCOMPARE(tops.size(), size_t(3));
        QCOMPARE(int(std::distance(lefts.begin(), lefts.find(b->x()))) + 1, column);
        QCOMPARE(int(std::distance(tops.begin(), tops.find(b->y()))) + 1, row);
        const int singleHeight = m.button(QStringLiteral("Command1"))->height();
        QCOMPARE(b->height() > singleHeight, name == QLatin1String("Command6"));
        if (name == QLatin1String("Command6"))
            QCOMPARE(b->geometry().bottom(), m.button(QStringLiteral("Command9"))->geometry().bottom());

        QVERIFY(QTest::qWaitForWindowActive(menu));
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), nextOnTab);
    }

    void accessKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<WindowId>("window");

        QTest::newRow("K") << int(Qt::Key_K) << WindowId::FrmSKbn;
        QTest::newRow("F") << int(Qt::Key_F) << WindowId::frmCliant;
        QTest::newRow("T") << int(Qt::Key_T) << WindowId::FrmSite;
        QTest::newRow("B") << int(Qt::Key_B) << WindowId::FrmBank;
        QTest::newRow("E") << int(Qt::Key_E) << WindowId::FrmRbView;
        QTest::newRow("S") << int(Qt::Key_S) << WindowId::FrmRibodo;
        QTest::newRow("N") << int(Qt::Key_N) << WindowId::FrmRBKeikaku;
        QTest::newRow("J") << int(Qt::Key_J) << WindowId::FrmView;
        QTest::newRow("H") << int(Qt::Key_H) << WindowId::FrmHelp;
    }

    void accessKeys()
    {
        QFETCH(int, key);
        QFETCH(WindowId, window);
        Menu m;
        m.writeHelpFile(m.data.path(), QStringLiteral("RBHelp.html"), manual());
        FrmMain *menu = m.open();
        QVERIFY(QTest::qWaitForWindowActive(menu));

        QTest::keyClick(menu, Qt::Key(key), Qt::AltModifier);

        // An access key presses its button as a click would, a moment later.
        QTRY_VERIFY(m.shown(window));
    }

    void singleInstance_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<WindowId>("window");

        QTest::newRow("各区分") << "Command1" << WindowId::FrmSKbn;
        QTest::newRow("手形") << "Command3" << WindowId::FrmSite;
        QTest::newRow("銀行") << "Command4" << WindowId::FrmBank;
        QTest::newRow("エクスプローラー") << "Command5" << WindowId::FrmRbView;
        QTest::newRow("本日決済") << "Command7" << WindowId::FrmRibodo;
        QTest::newRow("振出先別一覧") << "Command8" << WindowId::FrmRBKeikaku;
        QTest::newRow("手形帳") << "Command9" << WindowId::FrmView;
    }

    void singleInstance()
    {
        QFETCH(QString, button);
        QFETCH(WindowId, window);
        Menu m;
        FrmMain *menu = m.open();

        m.click(button);
        QWidget *first = m.windows.window(window);
        QVERIFY(first && first->isVisible());
        first->showMinimized();
        m.click(button);

        QCOMPARE(m.made.value(window), 1);
        QCOMPARE(m.windows.window(window), first);
        QVERIFY(first->isVisible());
        QVERIFY(menu->isVisible());
    }

    void notesBookIsReportTen()
    {
        Menu m;
        m.values.setModeFlag(QStringLiteral("E"));
        m.open();
        QWidget *seenByViewer = nullptr;
        QString modeAtLoad;
        connect(&m.windows, &WindowRegistry::windowLoaded, this, [&](WindowId id, QWidget *w) {
            if (id == WindowId::FrmView) {
                seenByViewer = w;
                modeAtLoad = m.values.ModeFlag();
            }
        });

        m.click(QStringLiteral("Command9"));

        QVERIFY(seenByViewer && seenByViewer->isVisible());
        QCOMPARE(modeAtLoad, QStringLiteral("10"));
    }

    void buttonsWithoutWindowsDoNothing()
    {
        Menu m(false);
        FrmMain *menu = m.open();
        for (const char *name : {"Command1", "Command2", "Command3", "Command4", "Command5", "Command7", "Command8",
                                 "Command9"})
            m.click(QLatin1String(name));
        QVERIFY(menu->isVisible());
        QVERIFY(m.dialogs.calls().isEmpty());
        QCOMPARE(visibleWindows(), 1);
    }

    void searchListLoadedHidden()
    {
        Menu m;
        m.open();
        QWidget *searchList = m.windows.window(WindowId::FrmCliantU);
        QVERIFY(searchList);
        QVERIFY(!searchList->isVisible());
        QCOMPARE(m.made.value(WindowId::FrmCliantU), 1);
    }

    void menuAtTopLeft()
    {
        Menu m;
        FrmMain *menu = m.open();
        QCOMPARE(menu->pos(), menu->screen()->availableGeometry().topLeft());
    }

    void supplierWindowHidesMenu_data()
    {
        QTest::addColumn<bool>("unload");

        QTest::newRow("supplier window closed") << false;
        QTest::newRow("supplier window unloaded") << true;
    }

    void supplierWindowHidesMenu()
    {
        QFETCH(bool, unload);
        Menu m;
        FrmMain *menu = m.open();
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

        for (int round = 0; round < 2; ++round) {
            m.click(QStringLiteral("Command2"));
            QVERIFY(m.shown(WindowId::frmCliant));
            QVERIFY(!menu->isVisible());

            if (unload)
                m.windows.unload(WindowId::frmCliant);
            else
                m.windows.window(WindowId::frmCliant)->close();

            QVERIFY(menu->isVisible());
            QTRY_VERIFY(!m.windows.window(WindowId::frmCliant));
        }
        QCOMPARE(m.made.value(WindowId::frmCliant), 2);
        QCOMPARE(lastClosed.count(), 0);
    }

    void supplierWindowMinimizedKeepsMenuHidden()
    {
        Menu m;
        FrmMain *menu = m.open();
        m.click(QStringLiteral("Command2"));
        m.windows.window(WindowId::frmCliant)->showMinimized();
        QVERIFY(!menu->isVisible());
    }

    void closingMenuUnloadsSearchList_data()
    {
        QTest::addColumn<QString>("how");

        QTest::newRow("終わり(&Q) clicked") << "click";
        QTest::newRow("終わり(&Q) by its access key") << "key";
        QTest::newRow("window manager") << "close";
    }

    void closingMenuUnloadsSearchList()
    {
        QFETCH(QString, how);
        Menu m;
        FrmMain *menu = m.open();
        m.click(QStringLiteral("Command5"));
        QWidget *explorer = m.windows.window(WindowId::FrmRbView);
        QVERIFY(m.windows.window(WindowId::FrmCliantU));

        if (how == QLatin1String("click")) {
            m.click(QStringLiteral("Command6"));
        } else if (how == QLatin1String("key")) {
            menu->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(menu));
            QTest::keyClick(menu, Qt::Key_Q, Qt::AltModifier);
        } else {
            menu->close();
        }

        QTRY_VERIFY(!m.windows.window(WindowId::FrmMain));
        QVERIFY(!m.windows.window(WindowId::FrmCliantU));
        // Screens left open stay usable after the menu is gone.
        QCOMPARE(m.windows.window(WindowId::FrmRbView), explorer);
        QVERIFY(explorer->isVisible());
    }

    void help_data()
    {
        QTest::addColumn<bool>("trailingSeparator");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("helpShown");
        QTest::addColumn<QString>("missing");

        QTest::newRow("manual beside the help file")
                << true << QStringList{QStringLiteral("RBHelp.hlp"), QStringLiteral("RBHelp.html")} << true << QString();
        QTest::newRow("manual alone") << true << QStringList{QStringLiteral("RBHelp.html")} << true << QString();
        QTest::newRow("legacy help file alone") << true << QStringList{QStringLiteral("RBHelp.hlp")} << false << "RBHelp.html";
        QTest::newRow("neither") << true << QStringList{} << false << "RBHelp.hlp";
        QTest::newRow("data folder without separator")
                << false << QStringList{QStringLiteral("RBHelp.html")} << true << QString();
        QTest::newRow("data folder without separator, neither")
                << false << QStringList{} << false << "RBHelp.hlp";
    }

    void help()
    {
        QFETCH(bool, trailingSeparator);
        QFETCH(QStringList, files);
        QFETCH(bool, helpShown);
        QFETCH(QString, missing);
        Menu m;
        // Without a trailing separator "help" is joined to the folder's name.
        const QString folder = trailingSeparator ? m.data.path() : m.data.path() + QStringLiteral("data");
        m.values.setDataFolder(folder);
        for (const QString &name : std::as_const(files))
            m.writeHelpFile(folder, name, name.endsWith(QLatin1String(".html")) ? manual() : QByteArray("?_\x03\0", 4));
        m.open();

        m.click(QStringLiteral("Command10"));
        m.click(QStringLiteral("Command10"));

        QCOMPARE(m.shown(WindowId::FrmHelp), helpShown);
        if (helpShown) {
            QVERIFY(m.dialogs.calls().isEmpty());
            const auto *browser = m.windows.window(WindowId::FrmHelp)->findChild<QTextBrowser *>();
            QVERIFY(browser);
            QVERIFY(browser->toPlainText().contains(QStringLiteral("支払手形管理 ヘルプ")));
            const QWidgetList all = QApplication::topLevelWidgets();
            QCOMPARE(std::count_if(all.cbegin(), all.cend(), [](const QWidget *w) { return qobject_cast<const FrmHelp *>(w); }),
                     1);
        } else {
            const QList<ScriptedDialogService::Call> messages = m.dialogs.messages();
            QCOMPARE(messages.size(), 2);
            QCOMPARE(messages.at(0).title, QStringLiteral("警告"));
            const QString path = folder + QStringLiteral("help") + QDir::separator() + missing;
            QVERIFY2(messages.at(0).text.contains(path), qPrintable(messages.at(0).text));
        }
    }

    void shippedManualDescribesEachScreen_data()
    {
        QTest::addColumn<QString>("text");

        for (const char *caption : {"各区分(&K)", "振出先(&F)", "手形(&T)", "銀行(&B)", "エクスプローラー(&E)", "終わり(&Q)",
                                    "本日決済(&S)", "振出先別一覧(&N)", "手形帳(&J)", "ヘルプ(&H)"})
            QTest::newRow(caption) << QString::fromUtf8(caption);
        for (const char *title : {"仕入先マスター", "手形エクスプローラー", "本日の手形決済", "得意先検索", "印刷プレビュー",
                                  "RibodoDa.sys", "App.Path", "ファイルを開くときにエラーが発生しました。"})
            QTest::newRow(title) << QString::fromUtf8(title);
    }

    void shippedManualDescribesEachScreen()
    {
        QFETCH(QString, text);
        Menu m;
        QFile shipped(QStringLiteral(RIBODO_MANUAL));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        m.writeHelpFile(m.data.path(), QStringLiteral("RBHelp.html"), shipped.readAll());
        m.open();

        m.click(QStringLiteral("Command10"));

        const auto *browser = m.windows.window(WindowId::FrmHelp)->findChild<QTextBrowser *>();
        QVERIFY(browser);
        QVERIFY(browser->toPlainText().contains(text));
    }
};

QTEST_MAIN(tst_FrmMain)
#include "tst_FrmMain.moc"
