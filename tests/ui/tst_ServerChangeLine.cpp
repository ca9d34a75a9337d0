#include "ServerRegister.h"
#include "TestDataFolder.h"

#include "ui/ChangeNotice.h"

#include <QWidget>
#include <QtTest>

// On a register pushed onto a server, the change line comes from the
// server's notification, not from the look every few seconds.
class TestServerChangeLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.error())); }
    void cleanupTestCase() { m_server.stop(); }

    void notifiedByServer()
    {
        QVERIFY(m_server.reset());
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

private:
    ServerRegister m_server;
};

QTEST_MAIN(TestServerChangeLine)
#include "tst_ServerChangeLine.moc"
