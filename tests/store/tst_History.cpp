#include "TestDataFolder.h"

#include "store/ChangeSource.h"
#include "store/Connection.h"
#include "store/HistoryFunctions.h"
#include "store/Schema.h"
#include "store/StatementReader.h"
#include "store/StoreError.h"

#include <QtTest>


class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void noteChangesLeaveRows();
    void historyRefusesChange_data();
    void historyRefusesChange();
};

// A note's registration, correction of its number and deletion, each one
// row holding the values before in the note's own columns.
void TestHistory::noteChangesLeaveRows()
{
    TestDataFolder data;
    const qint64 start = data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl")).toLongLong();
    {
        const ChangeSource::Scope source(QStringLiteral("手形入力"));
        data.addNote(QStringLiteral("A-1"), QStringLiteral("2025-03-31"), QStringLiteral("1"), 5000);
        data.exec(QStringLiteral("UPDATE SiteTbl SET TNo = 'A-2', TKingaku = 7000 WHERE TNo = 'A-1'"));
        data.exec(QStringLiteral("DELETE FROM SiteTbl WHERE TNo = 'A-2'"));
    }

    Connection c;
    c.open(Schema::connectionText(data.path()));
    StatementReader rows(c, QStringLiteral("SELECT RAction, RTable, RKey, RUser, RSource, RTNo, RTKingaku, "
                                           "json_extract(RBefore, '$.TNo'), json_extract(RAfter, '$.TKingaku') "
                                           "FROM RirekiTbl WHERE RNo > ? ORDER BY RNo"),
                         {start});
    const QStringList expected = {
        QStringLiteral("登録|SiteTbl|A-1||||5000.0"),
        QStringLiteral("訂正|SiteTbl|A-2|A-1|5000.0|A-1|7000.0"),
        QStringLiteral("削除|SiteTbl|A-2|A-2|7000.0|A-2|"),
    };
    QStringList found;
    while (rows.next()) {
        QCOMPARE(rows.value(3).toString().toUtf8(), HistoryFunctions::user());
        QCOMPARE(rows.value(4).toString(), QStringLiteral("手形入力"));
        QStringList fields;
        for (int i : {0, 1, 2, 5, 6, 7, 8}) {
            const QVariant v = rows.value(i);
            fields << (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 1) : v.toString());
        }
        found << fields.join(u'|');
    }
    QCOMPARE(found, expected);
}

void TestHistory::historyRefusesChange_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("update") << QStringLiteral("UPDATE RirekiTbl SET RKey = 'x'");
    QTest::newRow("delete") << QStringLiteral("DELETE FROM RirekiTbl");
}

void TestHistory::historyRefusesChange()
{
    QFETCH(QString, sql);
    TestDataFolder data;
    const QVariant rows = data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl"));
    QVERIFY(rows.toInt() > 0);
    QVERIFY_THROWS_EXCEPTION(StoreError, data.exec(sql));
    QCOMPARE(data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl")), rows);
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_History.moc"
