#include "app/Startup.h"

#include "ScriptedDialogService.h"
#include "TestDataFolder.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// A data folder that holds the earlier version's database and nothing else.
class TestStartupImport : public QObject
{
    Q_OBJECT

private slots:
    void offerAtStart_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("second"); // beginning of the message after the offer
        QTest::addColumn<int>("notes");
        QTest::newRow("declined: the empty database is offered")
                << "dbRibodo.mdb" << false << false << "このデータ フォルダには既存のデータが見つかりませんでした。" << -1;
        QTest::newRow("imported") << "dbRibodo.mdb" << true << true
                                  << "以前の版のデータを取り込みました。\n\n手形種類（kbn1）: 2 件\n" << 600;
        QTest::newRow("truncated file")
                << "broken.mdb" << true << false
                << "以前の版のデータを取り込めませんでした。\n以前の版のデータベースを読み込めません。" << -1;
    }
    void offerAtStart()
    {
        if (!QFileInfo::exists(QStringLiteral(RIBODO_LEGACY_FIXTURES "/dbRibodo.mdb")))
            QSKIP("the legacy sample files are not beside the project (../shared/fixtures/legacy)");
        QFETCH(QString, sample);
        QFETCH(bool, accept);
        QFETCH(bool, started);
        QFETCH(QString, second);
        QFETCH(int, notes);
        QTemporaryDir dir;
        const QString folder = QDir::toNativeSeparators(dir.path()) + QDir::separator();
        const QString legacy = folder + QStringLiteral("dbRibodo.mdb");
        QVERIFY(QFile::copy(QStringLiteral(RIBODO_LEGACY_FIXTURES "/") + sample, legacy));
        AppValues values;
        values.setDataFolder(folder);
        ScriptedDialogService dialogs;
        WindowRegistry windows;
        dialogs.queueAnswer(accept ? DialogService::Answer::Yes : DialogService::Answer::No);
        dialogs.queueAnswer(DialogService::Answer::No);
        const QByteArray before = TestDataFolder::fileBytes(legacy);

        QCOMPARE(Startup(AppContext(values, dialogs, windows)).CheckDatabase(), started);

        const auto messages = dialogs.messages();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages.at(0).text, QStringLiteral("このデータ フォルダには以前の版のデータベースがあります。\n%1\n\n"
                                                     "このデータを取り込んで新しいデータベースを作成しますか？\n"
                                                     "元のファイルは変更しません。"
                                                     "「いいえ」を選ぶと、空のデータベースを作成するかどうかをたずねます。")
                                              .arg(QDir::toNativeSeparators(QFileInfo(legacy).absoluteFilePath())));
        QCOMPARE(messages.at(0).buttons, DialogService::Buttons::YesNo);
        QVERIFY2(messages.at(1).text.startsWith(second), qPrintable(messages.at(1).text));
        QCOMPARE(TestDataFolder::fileBytes(legacy), before);
        const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (notes < 0) {
            QCOMPARE(files, QStringList{QStringLiteral("dbRibodo.mdb")});
            return;
        }
        // The folder gets the manual, as one made by the data-folder tool.
        QVERIFY(QFileInfo(folder + QStringLiteral("help/RBHelp.html")).size() > 0);
        QCOMPARE(TestDataFolder::scalarAt(folder, QStringLiteral("SELECT COUNT(*) FROM SiteTbl")).toInt(), notes);
    }
};

QTEST_MAIN(TestStartupImport)
#include "tst_StartupImport.moc"
