#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/AppContext.h"
#include "app/AppValues.h"
#include "app/Startup.h"
#include "app/WindowRegistry.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(DialogService::Icon)

// The data-folder file in the program folder, in every form it is written in.
class tst_ResolveDirPath : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        Run() { values.setProgramFolder(programFolder()); }

        QTemporaryDir program;
        QTemporaryDir other;
        AppValues values;
        ScriptedDialogService dialogs;
        WindowRegistry windows;
        AppContext context{values, dialogs, windows};

        QString programFolder() const { return QDir::toNativeSeparators(program.path()); }
        QString otherFolder() const { return QDir::toNativeSeparators(other.path()); }
        // <P> program folder, <D> another folder, <S> the separator.
        QString expand(QString text) const
        {
            return text.replace(QLatin1String("<P>"), programFolder())
                    .replace(QLatin1String("<D>"), otherFolder())
                    .replace(QLatin1String("<S>"), QString(QDir::separator()));
        }
    };

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private Q_SLOTS:
    void firstField_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("dataFolder");
        QTest::addColumn<QString>("databasePath");

        QTest::newRow("App.Path") << "RibodoDa.sys" << "App.Path\r\n" << "<P><S>" << "<P><S>dbRibodo.sqlite";
        QTest::newRow("App.Path without line end") << "RibodoDa.sys" << "App.Path" << "<P><S>" << "<P><S>dbRibodo.sqlite";
        QTest::newRow("app.path is a folder path")
                << "RibodoDa.sys" << "app.path\r\n" << "app.path" << "app.pathdbRibodo.sqlite";
        QTest::newRow("path with trailing separator")
                << "RibodoDa.sys" << "<D><S>\r\n" << "<D><S>" << "<D><S>dbRibodo.sqlite";
        QTest::newRow("path without trailing separator")
                << "RibodoDa.sys" << "<D>\r\n" << "<D>" << "<D>dbRibodo.sqlite";
        QTest::newRow("comma ends the field")
                << "RibodoDa.sys" << "<D><S>,more,text\r\n" << "<D><S>" << "<D><S>dbRibodo.sqlite";
        QTest::newRow("quoted value keeps its commas")
                << "RibodoDa.sys" << "\"<D><S>a,b<S>\",more\r\n" << "<D><S>a,b<S>" << "<D><S>a,b<S>dbRibodo.sqlite";
        QTest::newRow("quoted App.Path") << "RibodoDa.sys" << "\"App.Path\"\n" << "<P><S>" << "<P><S>dbRibodo.sqlite";
        QTest::newRow("further lines ignored")
                << "RibodoDa.sys" << "<D><S>\r\nApp.Path\r\n" << "<D><S>" << "<D><S>dbRibodo.sqlite";
        QTest::newRow("blanks around the value")
                << "RibodoDa.sys" << "  <D><S>  , x\n" << "<D><S>" << "<D><S>dbRibodo.sqlite";
        QTest::newRow("name as tested") << "Ribododa.sys" << "App.Path\r\n" << "<P><S>" << "<P><S>dbRibodo.sqlite";
        QTest::newRow("name in capitals") << "RIBODODA.SYS" << "App.Path\r\n" << "<P><S>" << "<P><S>dbRibodo.sqlite";
        QTest::newRow("name in small letters")
                << "ribododa.sys" << "App.Path\r\n" << "<P><S>" << "<P><S>dbRibodo.sqlite";
        QTest::newRow("UTF-8 with byte order mark")
                << "RibodoDa.sys" << "\xEF\xBB\xBF<D><S>経理<S>\r\n" << "<D><S>経理<S>" << "<D><S>経理<S>dbRibodo.sqlite";
    }

    void firstField()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, content);
        QFETCH(QString, dataFolder);
        QFETCH(QString, databasePath);
        Run run;
        writeFile(QDir(run.program.path()).filePath(fileName), run.expand(content).toUtf8());

        QVERIFY(Startup(run.context).ResolveDirPath());

        QCOMPARE(run.values.dataFolder(), run.expand(dataFolder));
        QCOMPARE(Schema::databasePath(run.values.dataFolder()), run.expand(databasePath));
        QVERIFY(run.dialogs.calls().isEmpty());
    }

    void legacyEncoding()
    {
        QStringEncoder sjis("Shift_JIS");
        if (!sjis.isValid())
            QSKIP("no Shift_JIS codec here");
        Run run;
        const QString folder = run.expand(QStringLiteral("<D><S>支払手形<S>"));
        writeFile(QDir(run.program.path()).filePath(QStringLiteral("RibodoDa.sys")),
                  QByteArray(sjis.encode(QLatin1Char('"') + folder + QStringLiteral("\"\r\n"))));

        QVERIFY(Startup(run.context).ResolveDirPath());
        QCOMPARE(run.values.dataFolder(), folder);
    }

    void messages_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<QString>("text");
        QTest::addColumn<DialogService::Icon>("icon");

        const QString missing = QStringLiteral("ファイルを開くときにエラーが発生しました。\r\n"
                                               "Config.txtをQXRibodo.exeと同じ場所に置いてください。");
        QTest::newRow("no data-folder file")
                << QString() << QByteArray() << false << missing << DialogService::Icon::Exclamation;
        QTest::newRow("a folder of that name")
                << QStringLiteral("RibodoDa.sys/") << QByteArray() << false << missing << DialogService::Icon::Exclamation;
        QTest::newRow("other file name")
                << QStringLiteral("RibodoDa.txt") << QByteArray("App.Path\r\n") << false << missing
                << DialogService::Icon::Exclamation;
        QTest::newRow("empty first line")
                << QStringLiteral("RibodoDa.sys") << QByteArray("\r\n") << true
                << QStringLiteral("ファイルが見つかりません。") << DialogService::Icon::Critical;
        QTest::newRow("empty first field")
                << QStringLiteral("RibodoDa.sys") << QByteArray(",App.Path\r\n") << true
                << QStringLiteral("ファイルが見つかりません。") << DialogService::Icon::Critical;
        QTest::newRow("empty quotes")
                << QStringLiteral("RibodoDa.sys") << QByteArray("\"\"\r\n") << true
                << QStringLiteral("ファイルが見つかりません。") << DialogService::Icon::Critical;
        QTest::newRow("empty file")
                << QStringLiteral("RibodoDa.sys") << QByteArray() << false
                << QStringLiteral("データ フォルダの設定ファイルが空です。") << DialogService::Icon::Exclamation;
    }

    void messages()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(bool, goesOn);
        QFETCH(QString, text);
        QFETCH(DialogService::Icon, icon);
        Run run;
        if (fileName.endsWith(QLatin1Char('/')))
            QVERIFY(QDir(run.program.path()).mkdir(fileName.chopped(1)));
        else if (!fileName.isEmpty())
            writeFile(QDir(run.program.path()).filePath(fileName), content);

        QCOMPARE(Startup(run.context).ResolveDirPath(), goesOn);

        // One beep, then one message with a single confirm button.
        const QList<ScriptedDialogService::Call> calls = run.dialogs.calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls.at(0).kind, ScriptedDialogService::Call::Kind::Beep);
        QCOMPARE(calls.at(1).kind, ScriptedDialogService::Call::Kind::Message);
        QVERIFY2(calls.at(1).text.startsWith(text), qPrintable(calls.at(1).text));
        QCOMPARE(calls.at(1).title, QStringLiteral("警告"));
        QCOMPARE(calls.at(1).buttons, DialogService::Buttons::Ok);
        QCOMPARE(calls.at(1).icon, icon);
        if (goesOn)
            QCOMPARE(run.values.dataFolder(), QString());
    }

    void unreadableFile()
    {
        Run run;
        const QString path = QDir(run.program.path()).filePath(QStringLiteral("RibodoDa.sys"));
        writeFile(path, "App.Path\r\n");
        QFile::setPermissions(path, QFileDevice::Permissions());
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("this user reads files without read permission");

        QVERIFY(!Startup(run.context).ResolveDirPath());
        QCOMPARE(run.dialogs.beeps(), 1);
        QCOMPARE(run.dialogs.messages().size(), 1);
        QCOMPARE(run.dialogs.messages().at(0).title, QStringLiteral("警告"));
        QVERIFY(run.dialogs.messages().at(0).text.contains(QDir::toNativeSeparators(path)));
    }
};

QTEST_MAIN(tst_ResolveDirPath)
#include "tst_ResolveDirPath.moc"
