#include "ScriptedDialogService.h"

#include "ui/ExcelSaveButton.h"

#include <QDir>
#include <QFile>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

// An existing file is replaced only when the user agrees; declined, it keeps
// its bytes and no temporary file is left beside it.
class TestExcelSaveButton : public QObject
{
    Q_OBJECT

private slots:
    void replaceAsked_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("declined") << QStringLiteral("list.xlsx") << int(DialogService::Answer::No) << QByteArray("old");
        QTest::newRow("workbook") << QStringLiteral("list.xlsx") << int(DialogService::Answer::Yes) << QByteArray("PK");
        QTest::newRow("csv") << QStringLiteral("list.csv") << int(DialogService::Answer::Yes)
                             << QByteArray("\xEF\xBB\xBF\xE3\x82\xB3");
    }
    void replaceAsked()
    {
        QFETCH(QString, name);
        QFETCH(int, answer);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        QStandardItemModel model(1, 2);
        model.setHorizontalHeaderLabels({QStringLiteral("コード"), QStringLiteral("名前")});
        model.setItem(0, 0, new QStandardItem(QStringLiteral("007")));
        model.setItem(0, 1, new QStandardItem(QStringLiteral("山田商事")));

        ScriptedDialogService dialogs;
        dialogs.queueSaveFile(path);
        dialogs.queueAnswer(DialogService::Answer(answer));
        QWidget window;
        ExcelSaveButton button(dialogs, &model, &window);
        button.click();

        QCOMPARE(dialogs.messages().size(), 1);
        QCOMPARE(dialogs.messages().at(0).text,
                 QDir::toNativeSeparators(path) + QStringLiteral(" は既に存在します。\n置き換えますか?"));
        QCOMPARE(dialogs.messages().at(0).buttons, DialogService::Buttons::YesNoDefaultNo);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().startsWith(start));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestExcelSaveButton)
#include "tst_ExcelSaveButton.moc"
