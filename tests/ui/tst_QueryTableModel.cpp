#include "TestDataFolder.h"

#include "ui/QueryTableModel.h"
#include "store/Connection.h"
#include "store/Schema.h"

#include <QtTest>

// Values read into the list model come back as the generic query gives them,
// whatever their kind and however many the blocks of text they fill.
class TestQueryTableModel : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestQueryTableModel)
#include "tst_QueryTableModel.moc"
