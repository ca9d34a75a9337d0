#include "ServerRegister.h"
#include "WindowFixture.h"

#include "app/FrmHelp.h"
#include "app/FrmMain.h"
#include "app/Startup.h"
#include "app/frmSplash.h"
#include "store/DatabaseBackup.h"
#include "store/RegisterLock.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <set>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(DialogService::Buttons)
Q_DECLARE_METATYPE(DialogService::Icon)
Q_DECLARE_METATYPE(WindowId)

namespace {

const QString missingFile = QStringLiteral("ファイルを開くときにエラーが発生しました。\r\n"
                                           "Config.txtをQXRibodo.exeと同じ場所に置いてください。");
const QString notFound = QStringLiteral("ファイルが見つかりません。");

// A program folder whose data-folder file names a data folder, the
// application objects around them, and stand-ins for the screens that other
// parts of the application provide.
struct App : WindowFixture
{
    App()
        : WindowFixture(false)
    {
        values.setProgramFolder(QDir::toNativeSeparators(program.path()));
        write(QStringLiteral("<F>"), (QLatin1Char('"') + data.path() + QStringLiteral("\"\r\n")).toUtf8());
        add<FrmMain>(WindowId::FrmMain);
        for (WindowId id : {WindowId::FrmCliantU, WindowId::FrmSite, WindowId::FrmSKbn, WindowId::FrmBank,
                            WindowId::frmCliant, WindowId::FrmRbView, WindowId::FrmRibodo, WindowId::FrmRBKeikaku,
                            WindowId::FrmShikin, WindowId::FrmView, WindowId::FrmHelp}) {
            windows.registerFactory(id, [this, id]() -> std::unique_ptr<QWidget> {
                ++made[id];
                if (id == WindowId::FrmHelp)
                    return std::make_unique<FrmHelp>(context);
                return std::make_unique<QWidget>();
            });
        }
    }

    // <F> the data-folder file, <B> the database, <H> the holiday list,
    // <P> the program folder, <D> the data folder (both without separator),
    // <S> the separator.
    QString expand(QString text) const
    {
        return text.replace(QLatin1String("<F>"), QStringLiteral("<P><S>RibodoDa.sys"))
                .replace(QLatin1String("<B>"), QStringLiteral("<D><S>dbRibodo.sqlite"))
                .replace(QLatin1String("<H>"), QStringLiteral("<D><S>syukujitsu.csv"))
                .replace(QLatin1String("<P>"), QDir::toNativeSeparators(program.path()))
                .replace(QLatin1String("<D>"), data.path().chopped(1))
                .replace(QLatin1String("<S>"), QString(QDir::separator()));
    }

    void write(const QString &file, const QByteArray &bytes) const
    {
        QFile f(expand(file));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // Shows the splash, does `whileShown` before its work begins and waits
    // for the end of start-up; true when the main menu came up.
    bool start(const std::function<void()> &whileShown = {})
    {
        splash = std::make_unique<frmSplash>(context);
        QSignalSpy finished(splash.get(), &frmSplash::finished);
        splash->show();
        if (whileShown)
            whileShown();
        if (!QTest::qWaitFor([&] { return finished.count() == 1; }))
            return false;
        return finished.at(0).at(0).toBool();
    }

    // The main menu opened on the data folder without the splash.
    bool open()
    {
        values.setDataFolder(data.path());
        menu = qobject_cast<FrmMain *>(windows.show(WindowId::FrmMain));
        return menu && QTest::qWaitForWindowExposed(menu);
    }

    QWidget *mainMenu() const { return windows.window(WindowId::FrmMain); }
    QPushButton *button(const QString &name) const { return menu->findChild<QPushButton *>(name); }
    void click(const QString &name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    bool shown(WindowId id) const { return windows.window(id) && windows.window(id)->isVisible(); }
    // The states of the notes in number order, one letter each.
    QString states() const
    {
        return data.scalar(QStringLiteral("SELECT group_concat(TCond, '') FROM (SELECT TCond FROM SiteTbl ORDER BY TNo)")).toString();
    }

    QTemporaryDir program;
    QHash<WindowId, int> made;
    std::unique_ptr<frmSplash> splash;
    QPointer<FrmMain> menu;
};

// One beep, then one message titled 警告 with `text`; a text ending in … is
// the message's beginning.
void warned(const ScriptedDialogService &dialogs, const QString &text, DialogService::Icon icon,
            DialogService::Buttons buttons = DialogService::Buttons::Ok)
{
    const QList<ScriptedDialogService::Call> calls = dialogs.calls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls.at(0).kind, ScriptedDialogService::Call::Kind::Beep);
    QCOMPARE(calls.at(1).kind, ScriptedDialogService::Call::Kind::Message);
    if (text.endsWith(QChar(u'…')))
        QVERIFY2(calls.at(1).text.startsWith(text.chopped(1)), qPrintable(calls.at(1).text));
    else
        QCOMPARE(calls.at(1).text, text);
    QCOMPARE(calls.at(1).title, QStringLiteral("警告"));
    QCOMPARE(calls.at(1).buttons, buttons);
    QCOMPARE(calls.at(1).icon, icon);
}

} // namespace

// The application shell as a user meets it: the data-folder file read, the
// splash handing over to the main menu or telling why it cannot, and the main
// menu driven by its buttons.
class tst_Shell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dataFolderFile_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QByteArray>("codec");
        QTest::addColumn<QString>("dataFolder");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QString>("message");
        QTest::addColumn<DialogService::Icon>("icon");
        const auto row = [](const char *name, const char *file, const char *content, const char *folder,
                            bool goesOn = true, const QString &message = {},
                            DialogService::Icon icon = DialogService::Icon::None, const char *codec = "UTF-8") {
            QTest::newRow(name) << QString::fromUtf8(file) << QString::fromUtf8(content) << QByteArray(codec)
                                << QString::fromUtf8(folder) << goesOn << message << icon;
        };
        const auto none = DialogService::Icon::None;
        const auto critical = DialogService::Icon::Critical;
        const auto stop = DialogService::Icon::Exclamation;

        row("App.Path", "RibodoDa.sys", "App.Path\r\n", "<P><S>");
        row("app.path is a folder path", "RibodoDa.sys", "app.path\r\n", "app.path");
        row("path with trailing separator", "RibodoDa.sys", "<D><S>\r\n", "<D><S>");
        row("path without trailing separator", "RibodoDa.sys", "<D>\r\n", "<D>");
        row("comma ends the field", "RibodoDa.sys", "<D><S>,more,text\r\n", "<D><S>");
        row("quoted value keeps its commas", "RibodoDa.sys", "\"<D><S>a,b<S>\",more\r\n", "<D><S>a,b<S>");
        row("further lines ignored", "RibodoDa.sys", "<D><S>\r\nApp.Path\r\n", "<D><S>");
        row("blanks around the value", "RibodoDa.sys", "  <D><S>  , x\n", "<D><S>");
        row("name as tested", "Ribododa.sys", "App.Path\r\n", "<P><S>");
        row("UTF-8 with byte order mark", "RibodoDa.sys", "\xEF\xBB\xBF<D><S>経理<S>\r\n", "<D><S>経理<S>");
        row("Shift_JIS of the older system", "RibodoDa.sys", "\"<D><S>支払手形<S>\"\r\n", "<D><S>支払手形<S>", true, {},
            none, "Shift_JIS");
        row("empty first line", "RibodoDa.sys", "\r\n", "", true, notFound, critical);
        row("empty first field", "RibodoDa.sys", ",App.Path\r\n", "", true, notFound, critical);
        row("no data-folder file", "", "", "", false, missingFile, stop);
        row("a folder of that name", "RibodoDa.sys/", "", "", false, missingFile, stop);
        row("other file name", "RibodoDa.txt", "App.Path\r\n", "", false, missingFile, stop);
        row("empty file", "RibodoDa.sys", "", "", false,
            QStringLiteral("データ フォルダの設定ファイルが空です。\n<F>\n1行目にデータ フォルダのパスを書いてください。"), stop);
    }

    void dataFolderFile()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, content);
        QFETCH(QByteArray, codec);
        QFETCH(QString, dataFolder);
        QFETCH(QString, message);
        QFETCH(DialogService::Icon, icon);
        QStringEncoder encoder(codec.constData());
        if (!encoder.isValid())
            QSKIP("no such codec here");
        App app;
        QVERIFY(QFile::remove(app.expand(QStringLiteral("<F>"))));
        if (fileName.endsWith(QLatin1Char('/')))
            QVERIFY(QDir(app.program.path()).mkdir(fileName.chopped(1)));
        else if (!fileName.isEmpty())
            app.write(QStringLiteral("<P><S>") + fileName, encoder.encode(app.expand(content)));

        QTEST(Startup(app.context).ResolveDirPath(), "goesOn");

        QCOMPARE(app.values.dataFolder(), app.expand(dataFolder));
        if (message.isEmpty())
            QVERIFY(app.dialogs.calls().isEmpty());
        else
            warned(app.dialogs, app.expand(message), icon);
    }

    void unreadableDataFolderFile()
    {
        App app;
        const QString path = app.expand(QStringLiteral("<F>"));
        QFile::setPermissions(path, QFileDevice::Permissions());
        if (QFile(path).open(QIODevice::ReadOnly))
            QSKIP("this user reads files without read permission");

        QVERIFY(!Startup(app.context).ResolveDirPath());
        warned(app.dialogs, app.expand(QStringLiteral("データ フォルダの設定ファイルを読み込めません。\n<F>\n…")),
               DialogService::Icon::Exclamation);
    }

    void start_data()
    {
        QTest::addColumn<QString>("setup"); // <F>, <B> or <H>: that file written with `content`, or removed
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("message"); // ending in …: how it begins; empty: none
        QTest::addColumn<DialogService::Icon>("icon");
        QTest::addColumn<DialogService::Buttons>("buttons");
        QTest::addColumn<QString>("state"); // of a note due today and one due tomorrow
        QTest::addColumn<int>("backups");
        const QByteArray removed;
        const auto ok = DialogService::Buttons::Ok;
        const auto critical = DialogService::Icon::Critical;
        const auto stop = DialogService::Icon::Exclamation;
        const QString question = QStringLiteral("このデータ フォルダには既存のデータが見つかりませんでした。\n"
                                                "探した場所: <B>\n\nここに新しい空のデータベースを作成しますか？\n"
                                                "フォルダを移動した場合やドライブが接続されていない場合は"
                                                "「いいえ」を選んでください。");
        const QString damaged = QStringLiteral("データベースが壊れています。\nファイル: <B>\n"
                                               "バックアップ フォルダに戻せるバックアップがありません。\n<D><S>backup");
        const QString copy = QStringLiteral("<D><S>backup<S>dbRibodo-20240501.sqlite");
        const auto row = [&](const char *tag, const char *setup, const QByteArray &content, bool started,
                             const QString &message, DialogService::Icon icon, DialogService::Buttons buttons,
                             const char *state, int backups) {
            QTest::newRow(tag) << QString::fromUtf8(setup) << content << started << message << icon << buttons
                               << QString::fromUtf8(state) << backups;
        };
        const auto none = DialogService::Icon::None;
        row("first start of the day", "", removed, true, {}, none, ok, "21", 1);
        row("second start of the day", "twice", removed, true, {}, none, ok, "21", 1);
        // Closed before its work begins, the splash still does it.
        row("splash closed by a key", "key", removed, true, {}, none, ok, "21", 1);
        row("splash clicked", "click", removed, true, {}, none, ok, "21", 1);
        row("no data-folder file: stops", "<F>", removed, false, missingFile, stop, ok, "", 0);
        row("empty first field: the current folder", "<F>", "\r\n", true, notFound, critical, ok, "21", 1);
        row("folder moved", "moved", removed, false,
            QStringLiteral("データ フォルダが見つかりません。\n<D><S>moved\nフォルダが移動されたか、ドライブが接続されていない"
                           "可能性があります。RibodoDa.sys の設定とドライブを確かめてから、もう一度起動してください。"),
            stop, ok, "", 0);
        row("drive not mounted", "unmounted", removed, false, QStringLiteral("データ フォルダが見つかりません。\n…"), stop, ok,
            "", 0);
        const auto defaultNo = DialogService::Buttons::YesNoDefaultNo;
        row("no database, created", "<B>", removed, true, question, none, defaultNo, "", 1);
        row("no database, not created", "<B>", removed, false, question, none, defaultNo, "", 0);
        row("not a database", "<B>", QByteArray(4096, 'x'), false, damaged, critical, ok, "", 0);
        row("damaged header", "<B>", QByteArray("SQLite format 3\0", 16) + QByteArray(2032, '\x7f'), false, damaged,
            critical, ok, "", 0);
        row("empty database file", "<B>", QByteArray(""), false, damaged, critical, ok, "", 0);
        // Found by the check of the day's copy, reported as what it is.
        row("damaged pages", "damaged pages", removed, false,
            QStringLiteral("データベースが壊れています。\nファイル: <B>\n最新のバックアップ: %1\n"
                           "QXRibodo を閉じたまま次のコマンドを実行すると、このバックアップに戻せます"
                           "（今のデータベースは消さずに残します）。\nribodo-datafolder restore \"<D>\" \"%1\"")
                    .arg(copy),
            critical, ok, "", 1);
        row("keep out of range", "keep", removed, true,
            QStringLiteral("backup.ini の keep=4294967297 は 1 から 365 までの数ではないため、"
                           "決まりの 10 個のバックアップを残しました。\n<D><S>backup<S>backup.ini"),
            stop, ok, "21", 1);
        row("folder not writable", "not writable", removed, false,
            QStringLiteral("データ フォルダにデータベースがなく、書き込みもできません。\n<D>\n…"), stop, ok, "", 0);
        row("read-only folder", "read-only", removed, true, QStringLiteral("データ フォルダが読み取り専用です。\n<D>\n…"), stop,
            ok, "11", 0);
        row("backup fails", "backup blocked", removed, true,
            QStringLiteral("本日のバックアップを作成できませんでした。\n<D><S>backup\n…"), stop, ok, "21", 0);
        row("holiday list with a line no date", "<H>", "2026/1/1,x\r\n2026/2/30,x\r\n", true,
            QStringLiteral("祝日一覧ファイルに日付として読めない行があります。\n<H>\n2 行目: 2026/2/30,x\n…"), stop, ok, "21", 1);
    }

    // Start-up never makes a second, empty register by accident, says once that
    // a read-only folder can only be looked at, and copies the database each day.
    void start()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, content);
        QFETCH(bool, started);
        QFETCH(QString, message);
        QFETCH(DialogService::Icon, icon);
        QFETCH(DialogService::Buttons, buttons);
        QFETCH(QString, state);
        App app;
        app.data.addNote(QStringLiteral("T-1"), QDate::currentDate().toString(Qt::ISODate));
        app.data.addNote(QStringLiteral("T-2"), QDate::currentDate().addDays(1).toString(Qt::ISODate));
        const QString dir = app.expand(QStringLiteral("<D>"));
        const auto permissions = qScopeGuard([&] {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        const QString gone = app.expand(QStringLiteral("<D><S>moved<S>"));
        const QString unmounted = app.expand(QStringLiteral("<D><S>mnt<S>usb<S>経理<S>"));
        if (setup.startsWith(QLatin1Char('<'))) {
            if (content.isNull())
                QVERIFY(QFile::remove(app.expand(setup)));
            else
                app.write(setup, content);
        } else if (setup == QLatin1String("moved") || setup == QLatin1String("unmounted")) {
            const QString named = setup == QLatin1String("moved") ? gone : unmounted;
            app.write(QStringLiteral("<F>"), (QLatin1Char('"') + named + QStringLiteral("\"\r\n")).toUtf8());
        }
        if (setup == QLatin1String("not writable"))
            QVERIFY(QFile::remove(app.data.databasePath()));
        if (setup == QLatin1String("not writable") || setup == QLatin1String("read-only")) {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            if (QFile(app.expand(QStringLiteral("<D><S>probe"))).open(QIODevice::WriteOnly))
                QSKIP("this user writes into read-only folders");
        }
        QFile blocker(DatabaseBackup::folder(app.data.path()));
        if (setup == QLatin1String("backup blocked"))
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        if (setup == QLatin1String("twice"))
            QVERIFY(app.start());
        if (setup == QLatin1String("damaged pages")) {
            DatabaseBackup::daily(app.data.path(), QDate(2024, 5, 1));
            const int pageSize = app.data.scalar(QStringLiteral("PRAGMA page_size")).toInt();
            const int page =
                    app.data.scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'kbn2'")).toInt();
            QFile file(app.data.databasePath());
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(qint64(page - 1) * pageSize));
            file.write(QByteArray(pageSize, '\xA5'));
        } else if (setup == QLatin1String("keep")) {
            QVERIFY(QDir().mkpath(DatabaseBackup::folder(app.data.path())));
            app.write(QStringLiteral("<D><S>backup<S>backup.ini"), "keep=4294967297\n");
        }
        app.dialogs.clear();
        // The database question, where asked, is answered so as to go on or not.
        app.dialogs.queueAnswer(started ? DialogService::Answer::Yes : DialogService::Answer::No);
        const auto database = [&] { return TestDataFolder::fileBytes(app.data.databasePath()); };
        const QByteArray before = database();
        // An empty data folder means the current folder.
        const QString current = QDir::currentPath();
        QVERIFY(QDir::setCurrent(app.data.path()));

        const bool result = app.start([&] {
            if (setup == QLatin1String("key"))
                QTest::keyClick(app.splash.get(), Qt::Key_Space);
            else if (setup == QLatin1String("click"))
                QTest::mouseClick(app.splash->findChild<QFrame *>(QStringLiteral("Frame1")), Qt::LeftButton, {},
                                  QPoint(200, 150));
            QCOMPARE(app.splash->isVisible(), setup != QLatin1String("key") && setup != QLatin1String("click"));
        });
        QDir::setCurrent(current);

        QCOMPARE(result, started);
        QCOMPARE(app.mainMenu() && app.mainMenu()->isVisible(), started);
        QVERIFY(!app.splash->isVisible());
        if (message.isEmpty())
            QVERIFY(app.dialogs.calls().isEmpty());
        else
            warned(app.dialogs, app.expand(message), icon, buttons);
        // Nothing is created where the data folder is missing.
        QVERIFY(!QFileInfo::exists(gone) && !QFileInfo::exists(app.expand(QStringLiteral("<D><S>mnt"))));
        QTEST(int(QDir(DatabaseBackup::folder(app.data.path())).entryList({QStringLiteral("*.sqlite")}, QDir::Files).size()),
              "backups");
        if (!started) {
            QCOMPARE(database(), before);
            return;
        }
        // Held while the program runs, so that a restore is refused.
        if (setup != QLatin1String("read-only"))
            QCOMPARE(RegisterLock::programs(app.data.path()).size(), 1);
        // A new database is a complete one, with the standard states.
        QCOMPARE(app.data.scalar(QStringLiteral("SELECT KbnName FROM Kbn3 WHERE KbnCode = '3'")).toString(),
                 QStringLiteral("決済済み"));
        QCOMPARE(app.states(), state);
    }

    void serverStart_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("message"); // ending in …: how it begins; empty: none
        QTest::addColumn<QString>("states"); // of a note due today and one due tomorrow
        QTest::newRow("keeper") << "keeper" << true << QString() << "2;1";
        QTest::newRow("reader") << "reader" << true
                                << QStringLiteral("このサーバーの台帳は閲覧だけが許されています。\n<server>\n"
                                                  "手形やマスターを見ることと印刷することだけができます。"
                                                  "登録・訂正・削除はできません。")
                                << "1;1";
        QTest::newRow("history changed behind the program")
                << "tampered" << true << QStringLiteral("変更履歴の検査で異常が見つかりました。\n…") << "2;1";
        QTest::newRow("newer register") << "newer" << false
                                        << QStringLiteral("このサーバーの台帳は新しい版のプログラムで作られているため、開けません。\n<server>\n…")
                                        << "1;1";
        QTest::newRow("unreachable") << "unreachable" << false
                                     << QStringLiteral("サーバー <socket> (ポート 5432) のデータベース ribodo に接続できません。\n…")
                                     << "";
    }

    // A data folder naming a register on a server starts to the main menu
    // with today's due notes moved; nothing of a file's start (lock, daily
    // copy) is made in the folder.
    void serverStart()
    {
        QFETCH(QString, setup);
        QFETCH(bool, started);
        QFETCH(QString, message);
        QFETCH(QString, states);
        App app;
        QString server;
        if (setup == QLatin1String("unreachable")) {
            app.data.useServer(QStringLiteral("Provider=PostgreSQL;Host=%1;Database=ribodo").arg(app.program.path()));
            server = app.program.path();
        } else {
            if (!m_register.isStarted())
                QVERIFY2(m_register.start(), qPrintable(m_register.error()));
            QVERIFY2(m_register.reset(), qPrintable(m_register.error()));
            QVERIFY2(m_register.exec({QStringLiteral("DO $$BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'etsuran1') "
                                                     "THEN CREATE ROLE etsuran1 LOGIN IN ROLE \"閲覧\"; END IF; END$$")}),
                     qPrintable(m_register.error()));
            m_register.use(app.data);
            app.data.addNote(QStringLiteral("T-1"), QDate::currentDate().toString(Qt::ISODate));
            app.data.addNote(QStringLiteral("T-2"), QDate::currentDate().addDays(1).toString(Qt::ISODate));
            if (setup == QLatin1String("reader"))
                m_register.use(app.data, QStringLiteral("etsuran1"));
            if (setup == QLatin1String("tampered"))
                QVERIFY2(m_register.exec({QStringLiteral("ALTER TABLE RirekiTbl DISABLE TRIGGER USER"),
                                          QStringLiteral("UPDATE RirekiTbl SET RTNo = 'X' WHERE RNo = (SELECT max(RNo) FROM RirekiTbl)"),
                                          QStringLiteral("ALTER TABLE RirekiTbl ENABLE TRIGGER USER")}),
                         qPrintable(m_register.error()));
            if (setup == QLatin1String("newer"))
                QVERIFY2(m_register.exec({QStringLiteral("UPDATE RibodoVersion SET Version = Version + 1")},
                                         QStringLiteral("UPDATE RibodoVersion SET Version = Version - 1")),
                         qPrintable(m_register.error()));
            server = m_register.cluster().socketFolder();
        }
        const auto expand = [&](QString text) {
            return text.replace(QLatin1String("<server>"), server + QStringLiteral(" (ポート 5432)"))
                    .replace(QLatin1String("<socket>"), server);
        };
        app.dialogs.clear();

        QCOMPARE(app.start(), started);
        QCOMPARE(app.mainMenu() && app.mainMenu()->isVisible(), started);
        if (message.isEmpty())
            QVERIFY(app.dialogs.calls().isEmpty());
        else
            warned(app.dialogs, expand(message), DialogService::Icon::Exclamation);
        QVERIFY(!QFileInfo::exists(DatabaseBackup::folder(app.data.path())));
        QVERIFY(RegisterLock::programs(app.data.path()).isEmpty());
        QVERIFY(!QFileInfo::exists(app.data.databasePath()));
        if (setup != QLatin1String("unreachable")) {
            QCOMPARE(QStringList({app.data.scalar(QStringLiteral("SELECT TCond FROM SiteTbl WHERE TNo = 'T-1'")).toString(),
                                  app.data.scalar(QStringLiteral("SELECT TCond FROM SiteTbl WHERE TNo = 'T-2'")).toString()})
                             .join(u';'),
                     states);
        }
    }

    void cleanupTestCase()
    {
        m_register.stop();
    }

    void interruptedRestore_data()
    {
        QTest::addColumn<bool>("currentThere");
        QTest::newRow("the copy complete, the current file in place") << true;
        QTest::newRow("the copy complete, the current file gone") << false;
    }

    // A restore cut short after its copy was complete is completed at the
    // next start, which says so.
    void interruptedRestore()
    {
        QFETCH(bool, currentThere);
        App app;
        app.data.addNote(QStringLiteral("T-1"), QDate::currentDate().toString(Qt::ISODate));
        const QString copy = DatabaseBackup::daily(app.data.path(), QDate(2024, 5, 1));
        app.data.addNote(QStringLiteral("T-2"), QDate::currentDate().addDays(1).toString(Qt::ISODate));
        const QString kept = app.data.databasePath() + QStringLiteral(".before-restore-20240501-120000");
        QVERIFY(QFile::copy(app.data.databasePath(), kept));
        DatabaseBackup::copy(copy, app.data.databasePath() + QStringLiteral(".restoring"));
        if (!currentThere)
            QVERIFY(QFile::remove(app.data.databasePath()));

        QVERIFY(app.start());
        const QList<ScriptedDialogService::Call> calls = app.dialogs.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.at(0).title + u'|' + calls.at(0).text,
                 app.expand(QStringLiteral("データベースの復元|中断されていたデータベースの復元を完了しました。\n<B>\n"
                                           "戻す前のデータベース: <B>.before-restore-20240501-120000")));
        QCOMPARE(calls.at(0).icon, DialogService::Icon::Information);
        QCOMPARE(app.states(), QStringLiteral("2"));
        QVERIFY(!QFileInfo::exists(app.data.databasePath() + QStringLiteral(".restoring")));
    }

    void staleTemporaryFiles_data()
    {
        QTest::addColumn<bool>("otherProgram");
        QTest::newRow("no other program at work") << false;
        QTest::newRow("another program at work in the folder") << true;
    }

    // What a stopped program left under its temporary names goes at the next
    // start, unless another program may still be writing it.
    void staleTemporaryFiles()
    {
        QFETCH(bool, otherProgram);
        App app;
        const QDir data(app.data.path());
        QVERIFY(data.mkpath(QStringLiteral("backup")));
        const QStringList left = QStringLiteral("dbRibodo.sqlite.0badf00d.new dbRibodo.sqlite.0badf00d.new-wal "
                                                "dbRibodo.sqlite.bak-20240501.1234abcd.new dbRibodo.sqlite.restoring.89abcdef.new "
                                                ".~一覧.xlsx.part .~一覧.xlsx.5f3e2a1b.part backup/dbRibodo-20240501.sqlite.deadbeef.new")
                                         .split(u' ');
        const QStringList kept {QStringLiteral("一覧.xlsx"), QStringLiteral("backup/memo.new")};
        for (const QString &name : left + kept)
            app.write(data.filePath(name), QByteArray(24, 'p'));
        std::unique_ptr<RegisterLock> other;
        if (otherProgram)
            other = std::make_unique<RegisterLock>(app.data.path(), RegisterLock::Holder::Program);

        QVERIFY(app.start());
        for (const QString &name : left)
            QVERIFY2(QFileInfo::exists(data.filePath(name)) == otherProgram, qPrintable(name));
        for (const QString &name : kept)
            QVERIFY2(QFileInfo::exists(data.filePath(name)), qPrintable(name));
        // The day's copy is the only one counted.
        const QDir backups(DatabaseBackup::folder(app.data.path()));
        QCOMPARE(backups.entryList({QStringLiteral("dbRibodo-*.sqlite")}, QDir::Files).size(), 1);
    }

    // A full disk is named as the reason the day's copy was not made; the
    // start goes on and no partial copy is left.
    void backupOnFullDisk()
    {
        App app;
        app.values.setDataFolder(app.data.path());
        for (int i = 0; i < 40; ++i)
            app.data.addNote(QStringLiteral("F-%1").arg(i), QStringLiteral("2024-05-31"));
        rlimit before {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &before) == 0);
        rlimit small = before;
        small.rlim_cur = 20000; // smaller than the database, as a disk with that much room
        const auto signal = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool goesOn = Startup(app.context).BackUp();
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, signal);
        QVERIFY(goesOn);
        warned(app.dialogs,
               app.expand(QStringLiteral("ディスクの空き容量が足りないため、本日のバックアップを作成しませんでした。\n"
                                         "<D><S>backup\n処理はこのまま続けます。")),
               DialogService::Icon::Exclamation);
        QCOMPARE(QDir(DatabaseBackup::folder(app.data.path())).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void versionLabel()
    {
        App app;
        const frmSplash splash(app.context);
        const auto *label = splash.findChild<QLabel *>(QStringLiteral("lbversion"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Version " RIBODO_PROJECT_VERSION));
    }

    void menuButtons_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("nextOnTab");

        QTest::newRow("Command1") << "各区分(&K)" << 1 << 2 << "Command2";
        QTest::newRow("Command2") << "振出先(&F)" << 1 << 3 << "Command3";
        QTest::newRow("Command3") << "手形(&T)" << 2 << 1 << "Command4";
        QTest::newRow("Command4") << "銀行(&B)" << 1 << 1 << "Command5";
        QTest::newRow("Command5") << "エクスプローラー(&E)" << 3 << 1 << "Command6";
        QTest::newRow("Command6") << "終わり(&Q)" << 4 << 2 << "Command7";
        QTest::newRow("Command7") << "本日決済(&S)" << 2 << 2 << "Command8";
        QTest::newRow("Command8") << "振出先別一覧(&N)" << 3 << 2 << "Command9";
        QTest::newRow("Command9") << "手形帳(&J)" << 3 << 3 << "Command10";
        QTest::newRow("Command10") << "ヘルプ(&H)" << 4 << 1 << "Command11";
        QTest::newRow("Command11") << "資金繰り(&M)" << 2 << 3 << "Command1";
    }

    void menuButtons()
    {
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QFETCH(QString, caption);
        App m;
        QVERIFY(m.open());
        QCOMPARE(m.menu->pos(), m.menu->screen()->availableGeometry().topLeft());
        QPushButton *b = m.button(name);
        QVERIFY(b && b->isVisible());
        QCOMPARE(b->text(), caption);

        // Columns and rows as seen on the screen: the distinct left and top
        // edges of the buttons, in order.
        std::set<int> lefts;
        std::set<int> tops;
        const QList<QPushButton *> all = m.menu->findChildren<QPushButton *>();
        QCOMPARE(all.size(), 11);
        for (const QPushButton *other : all) {
            lefts.insert(other->x());
            tops.insert(other->y());
            QCOMPARE(other->width(), b->width());
        }
        QCOMPARE(lefts.size(), size_t(4));
        QCOMPARE(tops.size(), size_t(3));
        QTEST(int(std::distance(lefts.begin(), lefts.find(b->x()))) + 1, "column");
        QTEST(int(std::distance(tops.begin(), tops.find(b->y()))) + 1, "row");
        // 終わり alone spans the two lower rows.
        const bool tall = name == QLatin1String("Command6");
        QCOMPARE(b->height() > m.button(QStringLiteral("Command1"))->height(), tall);
        if (tall)
            QCOMPARE(b->geometry().bottom(), m.button(QStringLiteral("Command9"))->geometry().bottom());

        QVERIFY(QTest::qWaitForWindowActive(m.menu));
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Tab);
        QTEST(QApplication::focusWidget()->objectName(), "nextOnTab");

        // The access key presses its button as a click would, a moment later.
        QSignalSpy clicked(b, &QPushButton::clicked);
        QTest::keySequence(m.menu, QKeySequence::mnemonic(caption));
        QTRY_COMPARE(clicked.count(), 1);
    }

    void singleInstance_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<WindowId>("window");
        QTest::addColumn<QString>("modeAtLoad");

        QTest::newRow("各区分") << "Command1" << WindowId::FrmSKbn << "E";
        QTest::newRow("手形") << "Command3" << WindowId::FrmSite << "E";
        QTest::newRow("銀行") << "Command4" << WindowId::FrmBank << "E";
        QTest::newRow("エクスプローラー") << "Command5" << WindowId::FrmRbView << "E";
        QTest::newRow("本日決済") << "Command7" << WindowId::FrmRibodo << "E";
        QTest::newRow("振出先別一覧") << "Command8" << WindowId::FrmRBKeikaku << "E";
        QTest::newRow("資金繰り") << "Command11" << WindowId::FrmShikin << "E";
        // The notes book is report 10 of the viewer.
        QTest::newRow("手形帳") << "Command9" << WindowId::FrmView << "10";
    }

    void singleInstance()
    {
        QFETCH(QString, button);
        QFETCH(WindowId, window);
        App m;
        QVERIFY(m.open());
        m.values.setModeFlag(QStringLiteral("E"));
        QString mode;
        connect(&m.windows, &WindowRegistry::windowLoaded, this, [&](WindowId id) {
            if (id == window)
                mode = m.values.ModeFlag();
        });

        m.click(button);
        QWidget *first = m.windows.window(window);
        QVERIFY(first && first->isVisible());
        QTEST(mode, "modeAtLoad");
        first->showMinimized();
        m.click(button);

        QCOMPARE(m.made.value(window), 1);
        QCOMPARE(m.windows.window(window), first);
        QVERIFY(first->isVisible());
        QVERIFY(m.menu->isVisible());
    }

    void supplierWindowHidesMenu()
    {
        App m;
        QVERIFY(m.open());
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

        // Closed, unloaded while minimized, closed again: each time a new
        // window hides the menu and the menu comes back.
        for (int round = 0; round < 3; ++round) {
            m.click(QStringLiteral("Command2"));
            QVERIFY(m.shown(WindowId::frmCliant));
            QVERIFY(!m.menu->isVisible());
            if (round == 1) {
                m.windows.window(WindowId::frmCliant)->showMinimized();
                QVERIFY(!m.menu->isVisible());
                m.windows.unload(WindowId::frmCliant);
            } else {
                m.windows.window(WindowId::frmCliant)->close();
            }

            QVERIFY(m.menu->isVisible());
            QTRY_VERIFY(!m.windows.window(WindowId::frmCliant));
        }
        QCOMPARE(m.made.value(WindowId::frmCliant), 3);
        QCOMPARE(lastClosed.count(), 0);
    }

    void closingMenuUnloadsSearchList_data()
    {
        QTest::addColumn<bool>("byButton");

        // Its access key presses the same button (menuButtons).
        QTest::newRow("終わり(&Q)") << true;
        QTest::newRow("window manager") << false;
    }

    void closingMenuUnloadsSearchList()
    {
        QFETCH(bool, byButton);
        App m;
        QVERIFY(m.open());
        // Loaded with the menu, once, and out of sight.
        const QWidget *searchList = m.windows.window(WindowId::FrmCliantU);
        QVERIFY(searchList && !searchList->isVisible());
        QCOMPARE(m.made.value(WindowId::FrmCliantU), 1);
        m.click(QStringLiteral("Command5"));
        QWidget *explorer = m.windows.window(WindowId::FrmRbView);

        if (byButton)
            m.click(QStringLiteral("Command6"));
        else
            m.menu->close();

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
        QTest::addColumn<QString>("missing");

        const QString manual = QStringLiteral("RBHelp.html");
        const QString legacy = QStringLiteral("RBHelp.hlp");
        QTest::newRow("manual beside the help file") << true << QStringList{legacy, manual} << QString();
        // The message names the file that was looked for.
        QTest::newRow("legacy help file alone") << true << QStringList{legacy} << manual;
        QTest::newRow("data folder without separator") << false << QStringList{manual} << QString();
    }

    void help()
    {
        QFETCH(bool, trailingSeparator);
        QFETCH(QStringList, files);
        QFETCH(QString, missing);
        App m;
        QVERIFY(m.open());
        // Without a trailing separator "help" is joined to the folder's name.
        const QString dataFolder = trailingSeparator ? m.data.path() : m.data.path() + QStringLiteral("data");
        const QString folder = dataFolder + QStringLiteral("help") + QDir::separator();
        m.values.setDataFolder(dataFolder);
        QVERIFY(QDir().mkpath(folder));
        const QByteArray manual = TestDataFolder::fileBytes(QStringLiteral(RIBODO_MANUAL));
        for (const QString &name : std::as_const(files))
            QVERIFY(TestDataFolder::writeFile(folder + name,
                                              name.endsWith(QLatin1String(".html")) ? manual : QByteArray("?_\x03\0", 4)));

        m.click(QStringLiteral("Command10"));
        m.click(QStringLiteral("Command10"));

        if (!missing.isEmpty()) {
            QVERIFY(!m.windows.window(WindowId::FrmHelp));
            const QList<ScriptedDialogService::Call> messages = m.dialogs.messages();
            QCOMPARE(messages.size(), 2);
            QCOMPARE(messages.at(0).title, QStringLiteral("警告"));
            QVERIFY2(messages.at(0).text.contains(folder + missing), qPrintable(messages.at(0).text));
            return;
        }
        QVERIFY(m.shown(WindowId::FrmHelp));
        QVERIFY(m.dialogs.calls().isEmpty());
        QCOMPARE(m.made.value(WindowId::FrmHelp), 1);
        const auto *browser = m.windows.window(WindowId::FrmHelp)->findChild<QTextBrowser *>();
        QVERIFY(browser && browser->toPlainText().contains(QStringLiteral("得意先検索")));
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(tst_Shell)
#include "tst_Shell.moc"
