#include "ServerRegister.h"
#include "WindowFixture.h"

#include "register/DateTextBox.h"
#include "register/FrmSite.h"
#include "store/ChangeSource.h"
#include "store/ServerConnectionText.h"
#include "store/ServerDatabase.h"
#include "ui/ChangeNotice.h"

#include <QLineEdit>
#include <QSqlQuery>
#include <QScopeGuard>
#include <QtTest>

// What the windows share on a register on a server: the change line told by
// the server's notification, and the message of a session the server lost.
class TestServerUi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.error())); }
    void cleanupTestCase() { m_server.stop(); }
    void init() { QVERIFY(m_server.reset()); }

    void changeLineNotifiedByServer()
    {
        TestDataFolder folder(false);
        m_server.use(folder);
        QWidget window;
        auto *notice = new ChangeNotice(folder.path(), &window);
        // Far beyond the test's wait: only the notification can bring the line.
        notice->setInterval(3600 * 1000);
        window.show();
        notice->reset();
        QVERIFY(!notice->isVisible());

        QVERIFY(m_server.exec({QStringLiteral("INSERT INTO SiteTbl (TNo, TKingaku) VALUES ('N-1', 1)")}));
        QTRY_VERIFY(notice->isVisible());
        QCOMPARE(notice->text(), ChangeNotice::text());

        notice->reset();
        QVERIFY(!notice->isVisible());
        QVERIFY(m_server.exec({QStringLiteral("DELETE FROM SiteTbl WHERE TNo = 'N-1'")}));
        QTRY_VERIFY(notice->isVisible());
    }

    // The session ends as the note is written: one 警告 says so, the input
    // stays, nothing is stored; the next press registers the note.
    void lostSessionWhileRegistering()
    {
        WindowFixture f;
        m_server.use(f.data);
        QVERIFY(m_server.exec({QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('01', '中央銀行 本店', 0)"),
                               QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '株式会社山田製作所')")}));
        FrmSite window(f.context);
        QLineEdit *number = window.findChild<QLineEdit *>(QStringLiteral("TxtRibodo_0"));
        QVERIFY(number);
        QTest::keyClicks(number, QStringLiteral("L-1"));
        window.supplierPicked(QStringLiteral("100"), QStringLiteral("株式会社山田製作所"));
        QTest::keyClicks(window.findChild<QLineEdit *>(QStringLiteral("TxtRibodo_3")), QStringLiteral("500000"));
        for (int i = 0; i < 2; ++i) {
            auto *date = window.findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i));
            QTest::keyClicks(date->yearPart(), QStringLiteral("2024"));
            QTest::keyClicks(date->monthPart(), i == 0 ? QStringLiteral("4") : QStringLiteral("7"));
            QTest::keyClicks(date->dayPart(), i == 0 ? QStringLiteral("15") : QStringLiteral("31"));
        }

        int writes = 0;
        bool ended = false;
        // A test that stops early leaves no provider behind it.
        const auto uninstall = qScopeGuard([] { ChangeSource::install({}); });
        ChangeSource::install([&] {
            if (++writes == 1)
                ended = m_server.exec({QStringLiteral("SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity "
                                                      "WHERE datname = current_database() AND pid <> pg_backend_pid() "
                                                      "AND application_name = 'QXRibodo'")});
            return QStringLiteral("手形入力");
        });
        WindowFixture::click(&window, "CmdRecorde");
        QVERIFY(ended);
        QCOMPARE(f.dialogs.messages().size(), 1);
        const ScriptedDialogService::Call shown = f.dialogs.messages().constFirst();
        const QString server = ServerConnectionText::fromDataFolder(f.data.path()).serverName();
        QCOMPARE(shown.title + u'|' + shown.text,
                 QStringLiteral("警告|サーバー %1 との接続が切れました。変更は書き込まれていません。もう一度操作してください。")
                         .arg(server));
        QCOMPARE(shown.icon, DialogService::Icon::Critical);
        QCOMPARE(number->text(), QStringLiteral("L-1"));
        QCOMPARE(count(f.data.path()), 0);

        f.dialogs.clear();
        WindowFixture::click(&window, "CmdRecorde");
        QVERIFY(f.dialogs.messages().isEmpty());
        QCOMPARE(count(f.data.path()), 1);
    }

private:
    static int count(const QString &folder)
    {
        ServerDatabase db(ServerConnectionText::fromDataFolder(folder));
        QSqlQuery q = db.exec(QStringLiteral("SELECT count(*) FROM SiteTbl WHERE TNo = 'L-1'"));
        return q.next() ? q.value(0).toInt() : -1;
    }

    ServerRegister m_server;
};

QTEST_MAIN(TestServerUi)
#include "tst_ServerUi.moc"
