#include "ServerRegister.h"
#include "TestDataFolder.h"

#include "store/RibodoClass.h"
#include "store/SireCliantClass.h"
#include "store/StoreError.h"

#include <QtTest>

#include <memory>

// Two PCs on one register: each record object has its own connection, as
// two instances of the program have. A row called up on one PC and changed on
// the other since may not be overwritten.
class TestConflict : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }

    void init()
    {
        QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error()));
        m_data = std::make_unique<TestDataFolder>();
        m_data->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '山田製作所'), "
                                    "('200', '佐藤工業')"));
        m_data->addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"));
        m_data->addNote(QStringLiteral("B-1"), QStringLiteral("2024-06-30"));
    }

    void cleanup() { m_data.reset(); }

    void noteChangedElsewhere_data()
    {
        QTest::addColumn<QString>("elsewhere");
        QTest::addColumn<QString>("here");

        QTest::newRow("corrected, then corrected") << "correct" << "correct";
        QTest::newRow("corrected, then deleted") << "correct" << "delete";
        QTest::newRow("corrected, then settled") << "correct" << "settle";
        QTest::newRow("settled, then corrected") << "settle" << "correct";
        QTest::newRow("deleted, then settled") << "delete" << "settle";
        QTest::newRow("renumbered, then corrected") << "renumber" << "correct";
        QTest::newRow("changed in its number's case, then deleted") << "recase" << "delete";
        QTest::newRow("nothing elsewhere") << "" << "correct";
    }

    void noteChangedElsewhere()
    {
        QFETCH(QString, elsewhere);
        QFETCH(QString, here);

        const auto pcB = callUpNote(QStringLiteral("A-12"));
        if (!elsewhere.isEmpty())
            changeNote(*callUpNote(QStringLiteral("A-12")), elsewhere);
        const QString rowsBefore = notes();
        const int historyBefore = historyRows();
        const QString changedBy = lastChange();

        const bool written = wentThrough([&] { changeNote(*pcB, here); });
        if (elsewhere.isEmpty()) {
            QVERIFY(written);
            // The object's own change is no other PC's.
            changeNote(*pcB, QStringLiteral("settle"));
            QCOMPARE(historyRows(), historyBefore + 2);
            return;
        }
        QVERIFY(!written);
        QCOMPARE(m_refusalKind, StoreError::Kind::Conflict);
        QCOMPARE(m_refusal, QStringLiteral("この手形は他の端末で変更されています（%1）。呼び出し直してください。")
                                     .arg(changedBy));
        QCOMPARE(notes(), rowsBefore);
        QCOMPARE(historyRows(), historyBefore);

        // Called up again, the change goes through.
        if (elsewhere != QLatin1String("delete") && elsewhere != QLatin1String("renumber")) {
            const auto again = callUpNote(QStringLiteral("A-12"));
            changeNote(*again, here);
            QCOMPARE(historyRows(), historyBefore + 1);
        }
    }

    void supplierChangedElsewhere_data()
    {
        QTest::addColumn<QString>("elsewhere");
        QTest::addColumn<QString>("here");

        QTest::newRow("corrected, then corrected") << "correct" << "correct";
        QTest::newRow("corrected, then deleted") << "correct" << "delete";
        QTest::newRow("deleted, then corrected") << "delete" << "correct";
        QTest::newRow("recoded, then corrected") << "recode" << "correct";
        QTest::newRow("other supplier corrected") << "other" << "correct";
    }

    void supplierChangedElsewhere()
    {
        QFETCH(QString, elsewhere);
        QFETCH(QString, here);

        const auto pcB = callUpSupplier(QStringLiteral("100"));
        changeSupplier(*callUpSupplier(elsewhere == QLatin1String("other") ? QStringLiteral("200")
                                                                            : QStringLiteral("100")),
                       elsewhere);
        const QString rowsBefore = suppliers();
        const int historyBefore = historyRows();
        const QString changedBy = lastChange();

        const bool written = wentThrough([&] { changeSupplier(*pcB, here); });
        if (elsewhere == QLatin1String("other")) {
            QVERIFY(written);
            QCOMPARE(historyRows(), historyBefore + 1);
            return;
        }
        QVERIFY(!written);
        QCOMPARE(m_refusalKind, StoreError::Kind::Conflict);
        QCOMPARE(m_refusal, QStringLiteral("このデータは他の端末で変更されています（%1）。呼び出し直してください。")
                                     .arg(changedBy));
        QCOMPARE(suppliers(), rowsBefore);
        QCOMPARE(historyRows(), historyBefore);
    }

    // Both PCs find the number free; the engine's unique index lets one in.
    void sameNumberAtOnce()
    {
        RibodoClass pcA;
        RibodoClass pcB;
        for (RibodoClass *pc : {&pcA, &pcB}) {
            pc->setDirPath(m_data->path());
            pc->CntDb();
            QCOMPARE(pc->RibodoBangoCheck(QStringLiteral("N-7")).toString(), QString());
            pc->setRibodoNo(QStringLiteral("N-7"));
            pc->setCliantCode(QStringLiteral("100"));
            pc->setRibodoKDate(QDate(2024, 8, 31));
            pc->setKingaku(QStringLiteral("1000"));
        }
        pcA.SaveRs();
        try {
            pcB.SaveRs();
            QFAIL("the second registration was written");
        } catch (const StoreError &e) {
            QCOMPARE(e.explanation(), QStringLiteral("手形番号が重複しています。"));
        }
        QCOMPARE(m_data->scalar(QStringLiteral("SELECT count(*) FROM SiteTbl WHERE TNo = 'N-7'")).toInt(), 1);
    }

private:
    std::unique_ptr<RibodoClass> callUpNote(const QString &number) const
    {
        auto note = std::make_unique<RibodoClass>();
        note->setDirPath(m_data->path());
        note->CntDb();
        note->setRibodoNo(number);
        note->SearchRs();
        return note;
    }

    static void changeNote(RibodoClass &note, const QString &how)
    {
        note.setRibodoNo2(note.RibodoNo());
        if (how == QLatin1String("delete"))
            return note.DeleteRs();
        if (how == QLatin1String("settle")) {
            note.setJyotai(note.Jyotai() == QLatin1String("2") ? QStringLiteral("3") : QStringLiteral("2"));
            return note.EditRsJ();
        }
        if (how == QLatin1String("renumber"))
            note.setRibodoNo(QStringLiteral("A-13"));
        else if (how == QLatin1String("recase"))
            note.setRibodoNo(QStringLiteral("a-12"));
        else
            note.setKingaku(QString::number(note.Kingaku().toDouble() + 1));
        note.EditRs();
    }

    std::unique_ptr<SireCliantClass> callUpSupplier(const QString &code) const
    {
        auto supplier = std::make_unique<SireCliantClass>();
        supplier->setDirPath(m_data->path());
        supplier->CntDb();
        supplier->setCliantCode(code);
        supplier->SearchRs();
        return supplier;
    }

    static void changeSupplier(SireCliantClass &supplier, const QString &how)
    {
        supplier.setCliantCode2(supplier.CliantCode());
        if (how == QLatin1String("delete"))
            return supplier.DeleteRs();
        if (how == QLatin1String("recode"))
            supplier.setCliantCode(QStringLiteral("101"));
        supplier.setCliantname(supplier.Cliantname() + QStringLiteral("＊"));
        supplier.EditRs();
    }

    // True when `change` went through; else the refusal is kept.
    bool wentThrough(const std::function<void()> &change)
    {
        try {
            change();
            return true;
        } catch (const StoreError &e) {
            m_refusal = e.text();
            m_refusalKind = e.kind();
            return false;
        }
    }

    QString notes() const
    {
        return m_data->scalar(QStringLiteral("SELECT group_concat(TNo || '|' || TKingaku || '|' || TCond, ',') "
                                             "FROM (SELECT * FROM SiteTbl ORDER BY TNo)")).toString();
    }

    QString suppliers() const
    {
        return m_data->scalar(QStringLiteral("SELECT group_concat(ClCode || '|' || ClName, ',') "
                                             "FROM (SELECT * FROM SireCliant ORDER BY ClCode)")).toString();
    }

    int historyRows() const { return m_data->scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl")).toInt(); }

    // "user, yyyy/MM/dd HH:mm" of the newest change.
    QString lastChange() const
    {
        return m_data->scalar(QStringLiteral("SELECT RUser || ', ' || replace(substr(RAt, 1, 16), '-', '/') "
                                             "FROM RirekiTbl ORDER BY RNo DESC LIMIT 1")).toString();
    }

    std::unique_ptr<TestDataFolder> m_data;
    QString m_refusal;
    StoreError::Kind m_refusalKind = StoreError::Kind::Failure;
    ServerRegister m_register;
};

QTEST_MAIN(TestConflict)
#include "tst_Conflict.moc"
