#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/frmSplash.h"
#include "store/DatabaseBackup.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(DialogService::Answer)
Q_DECLARE_METATYPE(DialogService::Buttons)

namespace {

// A program folder whose data-folder file names `data` (or a folder below
// it), and the application objects a start needs.
struct Office
{
    Office()
    {
        values.setProgramFolder(QDir::toNativeSeparators(program.path()));
        name(data.path());
        windows.registerFactory(WindowId::FrmMain, [] { return std::make_unique<QWidget>(); });
        data.addNote(QStringLiteral("T-1"), QDate::currentDate().toString(Qt::ISODate));
    }

    void name(const QString &folder) const
    {
        QFile f(QDir(program.path()).filePath(QStringLiteral("RibodoDa.sys")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\"" + folder.toUtf8() + "\"\r\n");
    }

    // The splash does its work; true when the main menu came up.
    bool start()
    {
        frmSplash splash(context);
        QSignalSpy finished(&splash, &frmSplash::finished);
        splash.show();
        return QTest::qWaitFor([&] { return finished.count() == 1; }) && finished.at(0).at(0).toBool();
    }

    TestDataFolder data;
    QTemporaryDir program;
    AppValues values;
    ScriptedDialogService dialogs;
    WindowRegistry windows;
    AppContext context{values, dialogs, windows};
};

// The folder, database and folder name as the messages show them.
QString expand(QString text, const Office &office)
{
    const QString folder = office.data.path().chopped(1);
    return text.replace(QLatin1String("<B>"), QDir::toNativeSeparators(office.data.databasePath()))
            .replace(QLatin1String("<D>"), folder);
}

} // namespace

// Start-up never makes a second, empty register by accident, says once that a
// read-only folder can only be looked at, and copies the database each day.
class TestStartupSafety : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void start_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<DialogService::Answer>("answer");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<DialogService::Buttons>("buttons");
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("backups");
        const auto ok = DialogService::Buttons::Ok;
        const auto noAnswer = DialogService::Answer::Ok;
        const QString question = QStringLiteral("このデータ フォルダには既存のデータが見つかりませんでした。\n"
                                                "探した場所: <B>\n\nここに新しい空のデータベースを作成しますか？\n"
                                                "フォルダを移動した場合やドライブが接続されていない場合は「いいえ」を選んでください。");

        QTest::newRow("first start of the day") << "" << noAnswer << true << "" << ok << "2" << 1;
        QTest::newRow("second start of the day") << "twice" << noAnswer << true << "" << ok << "2" << 1;
        QTest::newRow("folder moved") << "moved" << noAnswer << false
                                      << "データ フォルダが見つかりません。\n<D>/moved\nフォルダが移動されたか、ドライブが接続されていない"
                                         "可能性があります。RibodoDa.sys の設定とドライブを確かめてから、もう一度起動してください。"
                                      << ok << "" << 0;
        QTest::newRow("drive not mounted") << "unmounted" << noAnswer << false << "データ フォルダが見つかりません。\n…" << ok
                                           << "" << 0;
        QTest::newRow("no database, Enter") << "no database" << DialogService::Answer::No << false << question
                                            << DialogService::Buttons::YesNoDefaultNo << "" << 0;
        QTest::newRow("no database, はい") << "no database" << DialogService::Answer::Yes << true << question
                                          << DialogService::Buttons::YesNoDefaultNo << "" << 1;
        QTest::newRow("folder not writable") << "not writable" << noAnswer << false
                                             << "データ フォルダにデータベースがなく、書き込みもできません。\n<D>\n…" << ok << "" << 0;
        QTest::newRow("read-only folder") << "read-only" << noAnswer << true << "データ フォルダが読み取り専用です。\n<D>\n…"
                                          << ok << "1" << 0;
        QTest::newRow("backup fails") << "backup blocked" << noAnswer << true
                                      << "本日のバックアップを作成できませんでした。\n<D>/backup\n…" << ok << "2" << 0;
    }

    void start()
    {
        QFETCH(QString, setup);
        QFETCH(DialogService::Answer, answer);
        QFETCH(bool, started);
        QFETCH(QString, message);
        QFETCH(DialogService::Buttons, buttons);
        QFETCH(QString, state);
        QFETCH(int, backups);
        Office office;
        const QString dir = office.data.path().chopped(1);
        const auto permissions = qScopeGuard([&] {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        const QString gone = office.data.path() + QStringLiteral("moved") + QDir::separator();
        if (setup == QLatin1String("moved"))
            office.name(gone);
        if (setup == QLatin1String("unmounted"))
            office.name(QDir::toNativeSeparators(office.data.path() + QStringLiteral("mnt/usb/経理/")));
        if (setup == QLatin1String("no database") || setup == QLatin1String("not writable"))
            QVERIFY(QFile::remove(office.data.databasePath()));
        if (setup == QLatin1String("not writable") || setup == QLatin1String("read-only")) {
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            if (QFile(office.data.path() + QStringLiteral("probe")).open(QIODevice::WriteOnly))
                QSKIP("this user writes into read-only folders");
        }
        if (setup == QLatin1String("backup blocked")) {
            QFile blocker(DatabaseBackup::folder(office.data.path()));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        if (setup == QLatin1String("twice"))
            QVERIFY(office.start());
        office.dialogs.queueAnswer(answer);

        QCOMPARE(office.start(), started);

        const QList<ScriptedDialogService::Call> shown = office.dialogs.messages();
        QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            const QString expected = QDir::toNativeSeparators(expand(message, office));
            if (expected.endsWith(QChar(u'…')))
                QVERIFY2(shown.at(0).text.startsWith(expected.chopped(1)), qPrintable(shown.at(0).text));
            else
                QCOMPARE(shown.at(0).text, expected);
            QCOMPARE(shown.at(0).title, QStringLiteral("警告"));
            QCOMPARE(shown.at(0).buttons, buttons);
        }
        // Nothing is created where the data folder is missing.
        QVERIFY(!QFileInfo::exists(gone));
        QVERIFY(!QFileInfo::exists(office.data.path() + QStringLiteral("mnt")));
        if (setup == QLatin1String("no database") || setup == QLatin1String("not writable"))
            QCOMPARE(QFileInfo::exists(office.data.databasePath()), started);
        if (!state.isEmpty())
            QCOMPARE(office.data.scalar(QStringLiteral("SELECT TCond FROM SiteTbl")).toString(), state);
        const QDir copies(DatabaseBackup::folder(office.data.path()));
        QCOMPARE(copies.entryList({QStringLiteral("*.sqlite")}, QDir::Files).size(), backups);
    }
};

QTEST_MAIN(TestStartupSafety)
#include "tst_StartupSafety.moc"
