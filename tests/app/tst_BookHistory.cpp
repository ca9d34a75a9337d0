#include "ServerRegister.h"
#include "WindowFixture.h"

#include "app/Startup.h"
#include "inquiry/FrmRibodo.h"
#include "masters/FrmBank.h"
#include "register/DateTextBox.h"
#include "register/FrmSite.h"
#include "store/DatabaseBackup.h"
#include "store/HistoryCheck.h"
#include "store/Schema.h"
#include "ui/TableGrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

using Answer = DialogService::Answer;

// Every path that writes the register leaves exactly its rows in the change
// history, named by the window or the piece of work they came from.
class TestBookHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }

    void init()
    {
        QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error()));
        m_f = std::make_unique<WindowFixture>();
        m_f->data.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('1', '中央銀行', 0)"));
        m_f->data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '山田製作所')"));
        m_f->data.addNote(QStringLiteral("A-1"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 100000);
        m_start = last();
    }
    void cleanup()
    {
        QCOMPARE(m_f->dialogs.unexpected(), 0);
        m_window.reset();
        m_f.reset();
    }

    void commandsLeaveTheirRows_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("entry 登録") << "register" << QStringList {QStringLiteral("登録|SiteTbl|N-1|手形帳")};
        QTest::newRow("entry 訂正") << "correct" << QStringList {QStringLiteral("訂正|SiteTbl|A-1|手形帳")};
        QTest::newRow("entry 訂正 of the number") << "renumber" << QStringList {QStringLiteral("訂正|SiteTbl|A-9|手形帳")};
        QTest::newRow("entry 削除") << "delete" << QStringList {QStringLiteral("削除|SiteTbl|A-1|手形帳")};
        QTest::newRow("settlement") << "settle" << QStringList {QStringLiteral("訂正|SiteTbl|A-1|本日の手形決済")};
        QTest::newRow("start-up update") << "startup" << QStringList {QStringLiteral("訂正|SiteTbl|A-1|起動時の状態更新")};
        QTest::newRow("bank 登録") << "bank" << QStringList {QStringLiteral("登録|kbn6|7|銀行")};
        QTest::newRow("bank 訂正") << "bank name" << QStringList {QStringLiteral("訂正|kbn6|1|銀行")};
        QTest::newRow("restore") << "restore" << QStringList {};
    }

    void commandsLeaveTheirRows()
    {
        QFETCH(QString, path);
        if (path == QLatin1String("register")) {
            openEntry();
            type(entryBox(0), QStringLiteral("N-1"));
            entry()->supplierPicked(QStringLiteral("100"), QStringLiteral("山田製作所"));
            type(entryBox(3), QStringLiteral("500000"));
            for (int i = 0; i < 2; ++i) {
                auto *date = m_window->findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i));
                QTest::keyClicks(date->yearPart(), QStringLiteral("2024"));
                QTest::keyClicks(date->monthPart(), QStringLiteral("7"));
                QTest::keyClicks(date->dayPart(), QStringLiteral("31"));
            }
            click("CmdRecorde");
        } else if (path == QLatin1String("correct") || path == QLatin1String("renumber")) {
            openEntry();
            callUp();
            if (path == QLatin1String("renumber")) {
                entryBox(0)->selectAll();
                QTest::keyClicks(entryBox(0), QStringLiteral("A-9"));
            }
            entryBox(3)->selectAll();
            QTest::keyClicks(entryBox(3), QStringLiteral("2,000"));
            click("CmdEdit");
        } else if (path == QLatin1String("delete")) {
            openEntry();
            callUp();
            m_f->dialogs.queueAnswer(Answer::Ok);
            click("CmdDelete");
        } else if (path == QLatin1String("settle")) {
            show(std::make_unique<FrmRibodo>(m_f->context));
            m_window->findChild<QDateEdit *>(QStringLiteral("DTPicker1"))->setDate(QDate(2024, 4, 30));
            click("Command1");
            auto *grid = m_window->findChild<TableGrid *>(QStringLiteral("HFGrid1"));
            const QPoint at = grid->visualRect(grid->model()->index(0, 0)).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
            m_window->findChild<QComboBox *>(QStringLiteral("Combo2"))->setCurrentText(QStringLiteral("決済済み"));
            click("Command3");
        } else if (path == QLatin1String("startup")) {
            QVERIFY(Startup(m_f->context).UpdateNoteStates());
        } else if (path.startsWith(QLatin1String("bank"))) {
            show(std::make_unique<FrmBank>(m_f->context));
            auto *code = m_window->findChild<QLineEdit *>(QStringLiteral("txtClKubunKode"));
            auto *name = m_window->findChild<QLineEdit *>(QStringLiteral("txtClKubunName"));
            if (path == QLatin1String("bank")) {
                code->setText(QStringLiteral("7"));
                name->setText(QStringLiteral("みなと銀行"));
                click("CmdRecorde");
            } else {
                m_f->dialogs.queueInput(QStringLiteral("1"));
                click("CmdCall");
                name->setText(QStringLiteral("中央銀行 本店"));
                click("CmdEdit");
            }
        } else if (path == QLatin1String("restore")) {
            if (ServerRegister::selected())
                QSKIP("A server register is restored by push into an empty database, which tst_server tries.");
            // The copy's history comes back with it, and the check starts
            // from its head: the restored register verifies.
            DatabaseBackup::daily(m_f->data.path(), QDate::currentDate());
            const QString copy = QDir(DatabaseBackup::folder(m_f->data.path())).filePath(
                    DatabaseBackup::fileName(QDate::currentDate()));
            m_f->data.addNote(QStringLiteral("L-1"), QStringLiteral("2030-01-31"));
            DatabaseBackup::restore(m_f->data.path(), copy);
            QVERIFY(HistoryCheck::verify(m_f->data.path()).sound);
        }
        QTEST(rowsSince(m_start), "expected");
        QVERIFY(HistoryCheck::checkTail(m_f->data.path()).sound);
    }

    // The earlier version's database imported at start-up: one 登録 row per
    // row written, and a register that verifies.
    void importedRowsEachHaveOne()
    {
        if (!QFileInfo::exists(QStringLiteral(RIBODO_LEGACY_FIXTURES "/dbRibodo.mdb")))
            QSKIP("no legacy sample");
        if (ServerRegister::selected())
            QSKIP("The start-up imports the earlier version into a register file; an office then pushes it.");
        WindowFixture w(true);
        QFile::remove(w.data.databasePath());
        QVERIFY(QFile::copy(QStringLiteral(RIBODO_LEGACY_FIXTURES "/dbRibodo.mdb"), w.data.path() + QStringLiteral("dbRibodo.mdb")));
        w.dialogs.queueAnswer(Answer::Yes);
        QVERIFY(Startup(w.context).CheckDatabase());
        qint64 rows = 0;
        for (const QString &table : Schema::historyTables())
            rows += w.data.scalar(QStringLiteral("SELECT count(*) FROM ") + table).toLongLong();
        QVERIFY(rows > 0);
        QCOMPARE(w.data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl WHERE RAction = '登録' "
                                              "AND RSource = '以前の版の取り込み'")).toLongLong(),
                 rows);
        // Beyond them only the states' meanings the import sets.
        QCOMPARE(w.data.scalar(QStringLiteral("SELECT count(*) FROM RirekiTbl WHERE RAction <> '登録' "
                                              "AND NOT (RAction = '訂正' AND RTable = 'Kbn3')")).toLongLong(),
                 0);
        const HistoryCheck::Result check = HistoryCheck::verify(w.data.path());
        QVERIFY2(check.sound, qPrintable(check.problem));
    }

    // A fault in the newest rows is told once, as a warning, and the start
    // goes on.
    void startUpWarnsAndGoesOn_data()
    {
        QTest::addColumn<QString>("outside");
        QTest::addColumn<QString>("problem");
        QTest::newRow("intact") << "" << "";
        QTest::newRow("newest row edited")
                << "DROP TRIGGER RirekiTbl_NoUpdate; UPDATE RirekiTbl SET RUser = 'x' WHERE RNo = (SELECT max(RNo) FROM RirekiTbl)"
                << "履歴 No.%1 (表 SiteTbl, キー A-1) の内容が書き換えられています。";
        QTest::newRow("recording stopped") << "DROP TRIGGER Rireki_kbn6_Upd" << "変更履歴を記録するトリガーの一部がありません。";
    }

    void startUpWarnsAndGoesOn()
    {
        QFETCH(QString, outside);
        QFETCH(QString, problem);
        if (ServerRegister::selected() && !outside.isEmpty())
            QSKIP("The server's history is altered outside the program in tst_shell's server start.");
        for (const QString &sql : outside.split(QStringLiteral("; "), Qt::SkipEmptyParts))
            m_f->data.exec(sql);
        QVERIFY(Startup(m_f->context).CheckHistory());
        if (problem.isEmpty()) {
            QVERIFY(m_f->dialogs.messages().isEmpty());
            return;
        }
        QCOMPARE(m_f->dialogs.messages().size(), 1);
        const ScriptedDialogService::Call m = m_f->dialogs.messages().first();
        QCOMPARE(m.title, QStringLiteral("警告"));
        QCOMPARE(m.buttons, DialogService::Buttons::Ok);
        QCOMPARE(m.text, QStringLiteral("変更履歴の検査で異常が見つかりました。\n%1\n"
                                        "記録が書き換えられた可能性があります。処理はこのまま続けます。\n"
                                        "ribodo-datafolder verify で全体を検証してください。")
                                 .arg(QString(problem).replace(QStringLiteral("%1"), QString::number(m_start))));
    }

private:
    qint64 last() const { return m_f->data.scalar(QStringLiteral("SELECT max(RNo) FROM RirekiTbl")).toLongLong(); }
    QStringList rowsSince(qint64 start) const
    {
        const QString rows = m_f->data.scalar(QStringLiteral("SELECT group_concat(RAction || '|' || RTable || '|' || "
                                                             "RKey || '|' || RSource, ';') FROM (SELECT * FROM "
                                                             "RirekiTbl WHERE RNo > ? ORDER BY RNo)"),
                                              {start}).toString();
        return rows.isEmpty() ? QStringList() : rows.split(u';');
    }
    void show(std::unique_ptr<QWidget> window)
    {
        m_window = std::move(window);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void openEntry() { show(std::make_unique<FrmSite>(m_f->context)); }
    FrmSite *entry() const { return static_cast<FrmSite *>(m_window.get()); }
    QLineEdit *entryBox(int i) const
    {
        return m_window->findChild<QLineEdit *>(QStringLiteral("TxtRibodo_%1").arg(i));
    }
    void click(const char *name) const { WindowFixture::click(m_window.get(), name); }
    void callUp() const
    {
        m_f->dialogs.queueAnswer(Answer::Yes);
        m_f->dialogs.queueInput(QStringLiteral("A-1"));
        click("CmdCall");
    }
    static void type(QLineEdit *box, const QString &text) { QTest::keyClicks(box, text); }

    std::unique_ptr<WindowFixture> m_f;
    std::unique_ptr<QWidget> m_window;
    qint64 m_start = 0;
    ServerRegister m_register;
};

QTEST_MAIN(TestBookHistory)
#include "tst_BookHistory.moc"
