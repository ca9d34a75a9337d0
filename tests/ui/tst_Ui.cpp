#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "store/Connection.h"
#include "store/Schema.h"
#include "ui/ExcelSaveButton.h"
#include "ui/FitTextDelegate.h"
#include "ui/QueryTableModel.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

// What every window shares: its list model, its narrow columns and its
// Excel 保存 button.
class TestUi : public QObject
{
    Q_OBJECT

private slots:
    // Values read into the list model come back as the generic query gives
    // them, whatever their kind and however many the blocks of text they fill.
    void valuesComeBackAsStored()
    {
        TestDataFolder folder;
        const QString longText(20000, QChar(u'長'));
        folder.exec(QStringLiteral("CREATE TABLE t (v)"));
        folder.exec(QStringLiteral("INSERT INTO t VALUES (NULL), (''), ('A-1'), ('仕入先'), (42), (2.5), (?)"), {longText});
        folder.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                                   "INSERT INTO t SELECT printf('名前%d', i) FROM n"));
        Connection c;
        c.open(Schema::connectionText(folder.path()));
        QueryTableModel model;
        model.load(c, QStringLiteral("SELECT v FROM t ORDER BY rowid"));
        QSqlQuery &q = c.exec(QStringLiteral("SELECT v FROM t ORDER BY rowid"));
        int row = 0;
        for (; q.next(); ++row) {
            const QVariant want = q.value(0), have = model.value(row, 0);
            QCOMPARE(have.typeId(), want.typeId());
            QCOMPARE(have.isNull(), want.isNull());
            QCOMPARE(have, want);
        }
        QCOMPARE(model.rowCount(), row);
        QCOMPARE(model.text(6, 0), longText);

        // Given columns keep every kind of value as it was.
        const QVariantList given{QVariant(), QDate(2024, 4, 30), 7, QStringLiteral("x"), 1.5, qlonglong(9), true};
        model.setColumns({QStringLiteral("a")}, {given});
        for (int i = 0; i < given.size(); ++i)
            QCOMPARE(model.value(i, 0), given.at(i));
    }

    // Narrow columns draw their texts narrower, never cut.
    void stretchToFit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("room");
        QTest::addColumn<bool>("squeezed");
        QTest::newRow("fits") << QStringLiteral("1,000") << 200 << false;
        QTest::newRow("amount over its column") << QStringLiteral("9,999,999,999") << 63 << true;
        QTest::newRow("name over its column") << QStringLiteral("東都信用金庫 蒲田支店") << 107 << true;
        QTest::newRow("empty") << QString() << 10 << false;
    }

    void stretchToFit()
    {
        QFETCH(QString, text);
        QFETCH(int, room);
        QFETCH(bool, squeezed);
        QFont font;
        font.setPixelSize(13);
        const int stretch = FitTextDelegate::stretchToFit(font, text, room);
        QCOMPARE(stretch < 100, squeezed);
        const int needed = QFontMetrics(font).horizontalAdvance(text);
        QVERIFY(needed * stretch / 100 <= room || stretch == 50);
    }

    // An existing file is replaced only when the user agrees; declined, it
    // keeps its bytes and no temporary file is left beside it.
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
        QVERIFY(TestDataFolder::writeFile(path, "old"));
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
        QVERIFY(TestDataFolder::fileBytes(path).startsWith(start));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestUi)
#include "tst_Ui.moc"
