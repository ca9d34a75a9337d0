#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/AppContext.h"
#include "app/AppValues.h"
#include "app/FrmMain.h"
#include "app/VersionLabel.h"
#include "app/WindowRegistry.h"
#include "app/frmSplash.h"
#include "store/Schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(DialogService::Answer)

// The start-up as a user sees it: the splash appears, does its work and
// hands over to the main menu, or tells why it cannot.
class tst_Startup : public QObject
{
    Q_OBJECT

private:
    // A program folder whose data-folder file names the test's data folder,
    // and the application objects around one splash window.
    struct Launch
    {
        explicit Launch(bool createDatabase = true)
            : data(createDatabase)
        {
            windows.registerFactory(WindowId::FrmMain, [this] { return std::make_unique<FrmMain>(context); });
            windows.registerFactory(WindowId::FrmCliantU, [] { return std::make_unique<QWidget>(); });
            writeDataFolderFile(QLatin1Char('"') + data.path() + QStringLiteral("\"\r\n"));
            values.setProgramFolder(QDir::toNativeSeparators(program.path()));
        }

        void writeDataFolderFile(const QString &content) const
        {
            QFile f(QDir(program.path()).filePath(QStringLiteral("RibodoDa.sys")));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(content.toUtf8());
        }

        // Shows the splash and waits for the end of start-up; true when the
        // main menu came up.
        bool start()
        {
            splash = std::make_unique<frmSplash>(context);
            QSignalSpy finished(splash.get(), &frmSplash::finished);
            splash->show();
            if (!QTest::qWaitFor([&] { return finished.count() == 1; }))
                return false;
            return finished.at(0).at(0).toBool();
        }

        QWidget *mainMenu() const { return windows.window(WindowId::FrmMain); }

        TestDataFolder data;
        QTemporaryDir program;
        AppValues values;
        ScriptedDialogService dialogs;
        WindowRegistry windows;
        AppContext context{values, dialogs, windows};
        std::unique_ptr<frmSplash> splash;
    };

    static QByteArray contentOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void mainMenuAfterStart()
    {
        Launch launch;
        QVERIFY(launch.start());

        QVERIFY(launch.mainMenu());
        QVERIFY(launch.mainMenu()->isVisible());
        QCOMPARE(launch.mainMenu()->windowTitle(), QStringLiteral("支払手形管理"));
        QVERIFY(!launch.splash->isVisible());
        QCOMPARE(launch.values.dataFolder(), launch.data.path());
        QVERIFY(launch.dialogs.calls().isEmpty());
    }

    void noteStates_data()
    {
        QTest::addColumn<int>("dueInDays");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("stateAfterStart");

        QTest::newRow("state 1 due today") << 0 << "1" << "2";
        QTest::newRow("state 1 due yesterday") << -1 << "1" << "2";
        QTest::newRow("state 1 due last year") << -365 << "1" << "2";
        QTest::newRow("state 1 due tomorrow") << 1 << "1" << "1";
        QTest::newRow("state 1 due next month") << 31 << "1" << "1";
        QTest::newRow("state 2 due yesterday") << -1 << "2" << "2";
        QTest::newRow("state 3 due today") << 0 << "3" << "3";
        QTest::newRow("state 4 due last year") << -365 << "4" << "4";
        QTest::newRow("state 5 due tomorrow") << 1 << "5" << "5";
    }

    void noteStates()
    {
        QFETCH(int, dueInDays);
        QFETCH(QString, state);
        QFETCH(QString, stateAfterStart);
        Launch launch;
        const QString due = QDate::currentDate().addDays(dueInDays).toString(Qt::ISODate);
        launch.data.addNote(QStringLiteral("T-1"), due, state);
        // A note in state 1 well ahead keeps the update honest about its date.
        launch.data.addNote(QStringLiteral("T-2"), QDate::currentDate().addYears(1).toString(Qt::ISODate));

        QVERIFY(launch.start());

        QCOMPARE(launch.data.scalar(QStringLiteral("SELECT TCond FROM SiteTbl WHERE TNo = 'T-1'")).toString(),
                 stateAfterStart);
        QCOMPARE(launch.data.scalar(QStringLiteral("SELECT TCond FROM SiteTbl WHERE TNo = 'T-2'")).toString(),
                 QStringLiteral("1"));
        QCOMPARE(launch.data.scalar(QStringLiteral("SELECT TKDate FROM SiteTbl WHERE TNo = 'T-1'")).toString(), due);
    }

    void missingDataFolderFile()
    {
        Launch launch;
        launch.data.addNote(QStringLiteral("T-1"), QDate::currentDate().toString(Qt::ISODate));
        QVERIFY(QFile::remove(QDir(launch.program.path()).filePath(QStringLiteral("RibodoDa.sys"))));

        QVERIFY(!launch.start());

        QVERIFY(!launch.mainMenu());
        QVERIFY(!launch.splash->isVisible());
        QCOMPARE(launch.dialogs.messageTexts(),
                 QStringList{QStringLiteral("ファイルを開くときにエラーが発生しました。\r\n"
                                            "Config.txtをQXRibodo.exeと同じ場所に置いてください。")});
        QCOMPARE(launch.dialogs.calls().first().kind, ScriptedDialogService::Call::Kind::Beep);
        QCOMPARE(launch.data.scalar(QStringLiteral("SELECT TCond FROM SiteTbl")).toString(), QStringLiteral("1"));
    }

    void emptyFirstFieldLooksInCurrentFolder()
    {
        Launch launch;
        launch.writeDataFolderFile(QStringLiteral("\r\n"));
        launch.data.addNote(QStringLiteral("T-1"), QDate::currentDate().toString(Qt::ISODate));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(launch.data.path()));

        const bool started = launch.start();
        QDir::setCurrent(before);

        QVERIFY(started);
        QCOMPARE(launch.dialogs.messageTexts(), QStringList{QStringLiteral("ファイルが見つかりません。")});
        QCOMPARE(launch.dialogs.messages().first().icon, DialogService::Icon::Critical);
        QCOMPARE(launch.dialogs.calls().first().kind, ScriptedDialogService::Call::Kind::Beep);
        QVERIFY(launch.mainMenu()->isVisible());
        QCOMPARE(launch.data.scalar(QStringLiteral("SELECT TCond FROM SiteTbl")).toString(), QStringLiteral("2"));
    }

    void missingDatabase_data()
    {
        QTest::addColumn<DialogService::Answer>("answer");
        QTest::addColumn<bool>("mainMenu");

        QTest::newRow("create it") << DialogService::Answer::Yes << true;
        QTest::newRow("do not create it") << DialogService::Answer::No << false;
    }

    void missingDatabase()
    {
        QFETCH(DialogService::Answer, answer);
        QFETCH(bool, mainMenu);
        Launch launch(false);
        launch.dialogs.queueAnswer(answer);

        QCOMPARE(launch.start(), mainMenu);

        const QList<ScriptedDialogService::Call> questions = launch.dialogs.messages();
        QCOMPARE(questions.size(), 1);
        QCOMPARE(questions.at(0).title, QStringLiteral("警告"));
        QCOMPARE(questions.at(0).buttons, DialogService::Buttons::YesNo);
        QVERIFY(questions.at(0).text.contains(launch.data.databasePath()));
        QCOMPARE(QFile::exists(launch.data.databasePath()), mainMenu);
        QCOMPARE(launch.mainMenu() != nullptr, mainMenu);
        if (mainMenu) {
            // The new database is a complete one, with the standard states.
            QCOMPARE(launch.data.scalar(QStringLiteral("SELECT KbnName FROM Kbn3 WHERE KbnCode = '3'")).toString(),
                     QStringLiteral("決済済み"));
        }
    }

    void unusableDatabase_data()
    {
        QTest::addColumn<QByteArray>("content");

        QTest::newRow("not a database") << QByteArray(4096, 'x');
        QTest::newRow("a text file") << QByteArray("SiteTbl,TNo,TCond\r\nT-1,1\r\n");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("damaged header") << QByteArray("SQLite format 3\0", 16) + QByteArray(2032, '\x7f');
    }

    void unusableDatabase()
    {
        QFETCH(QByteArray, content);
        Launch launch(false);
        {
            QFile f(launch.data.databasePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }

        QVERIFY(!launch.start());

        QVERIFY(!launch.mainMenu());
        const QList<ScriptedDialogService::Call> messages = launch.dialogs.messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.at(0).title, QStringLiteral("警告"));
        QCOMPARE(messages.at(0).icon, DialogService::Icon::Critical);
        QVERIFY2(messages.at(0).text.contains(launch.data.databasePath()), qPrintable(messages.at(0).text));
        QVERIFY2(messages.at(0).text.contains(QStringLiteral("理由")), qPrintable(messages.at(0).text));
        QCOMPARE(launch.dialogs.calls().first().kind, ScriptedDialogService::Call::Kind::Beep);
        QCOMPARE(contentOf(launch.data.databasePath()), content);
    }

    void versionLabel_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");

        QTest::newRow("1.0.5") << 1 << 0 << 5 << "Version 1.0.5";
        QTest::newRow("2.10.3") << 2 << 10 << 3 << "Version 2.10.3";
        QTest::newRow("0.0.0") << 0 << 0 << 0 << "Version 0.0.0";
        QTest::newRow("12.0.100") << 12 << 0 << 100 << "Version 12.0.100";
    }

    void versionLabel()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        QCOMPARE(VersionLabel::text(major, minor, revision), text);
    }

    void splashShowsTheProjectVersion()
    {
        Launch launch;
        frmSplash splash(launch.context);
        const auto *label = splash.findChild<QLabel *>(QStringLiteral("lbversion"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Version " RIBODO_PROJECT_VERSION));
        const auto *wait = splash.findChild<QLabel *>(QStringLiteral("lblCompanyProduct"));
        QVERIFY(wait);
        QCOMPARE(wait->text(), QStringLiteral("起動処理中！しばらくお待ちください。"));
        QVERIFY(splash.windowTitle().isEmpty());
    }

    void splashClosesAtOnce_data()
    {
        QTest::addColumn<bool>("byKey");

        QTest::newRow("key press") << true;
        QTest::newRow("click on Frame1") << false;
    }

    void splashClosesAtOnce()
    {
        QFETCH(bool, byKey);
        Launch launch;
        launch.splash = std::make_unique<frmSplash>(launch.context);
        QSignalSpy finished(launch.splash.get(), &frmSplash::finished);
        launch.splash->show();
        if (byKey) {
            QTest::keyClick(launch.splash.get(), Qt::Key_Space);
        } else {
            auto *frame = launch.splash->findChild<QFrame *>(QStringLiteral("Frame1"));
            QVERIFY(frame);
            QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(200, 150));
        }
        QVERIFY(!launch.splash->isVisible());

        // The work goes on and the main menu still comes up.
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(finished.at(0).at(0).toBool());
        QVERIFY(launch.mainMenu()->isVisible());
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_Startup.moc"
