#include "ServerRegister.h"
#include "WindowFixture.h"

#include "inquiry/FrmRbView.h"
#include "inquiry/FrmRibodo.h"
#include "inquiry/FrmShikin.h"
#include "ui/ChangeNotice.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestChangeNotice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void showsChangesFromElsewhere_data()
    {
        QTest::addColumn<int>("window");
        QTest::newRow("explorer") << 0;
        QTest::newRow("today's settlement") << 1;
        QTest::newRow("funding plan") << 2;
    }

    // A change this program makes leaves the line away; one another PC
    // makes brings it; F5 lists again and takes it away.
    void showsChangesFromElsewhere()
    {
        QFETCH(int, window);
        WindowFixture f;
        f.data.exec(u"INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '山田製作所')"_s);
        f.data.addNote(u"A1"_s, QDate::currentDate().toString(Qt::ISODate));
        std::unique_ptr<QWidget> w;
        if (window == 0)
            w = std::make_unique<FrmRbView>(f.context);
        else if (window == 1)
            w = std::make_unique<FrmRibodo>(f.context);
        else
            w = std::make_unique<FrmShikin>(f.context);
        QVERIFY(WindowFixture::show(w.get()));
        auto *notice = WindowFixture::child<ChangeNotice>(w.get(), "lblChanged");
        QVERIFY(notice);
        notice->setInterval(5);
        // The explorer and the plan list on demand; settlement at once.
        if (window == 0)
            WindowFixture::click(w.get(), "cmdGo");
        else if (window == 2)
            WindowFixture::click(w.get(), "Command1");

        f.data.exec(u"UPDATE SiteTbl SET TKingaku = 1 WHERE TNo = 'A1'"_s);
        QTest::qWait(50);
        QVERIFY(!notice->isVisible());

        f.data.execElsewhere(u"UPDATE SiteTbl SET TKingaku = 2 WHERE TNo = 'A1'"_s);
        QTRY_VERIFY(notice->isVisible());
        QCOMPARE(notice->text(), u"他の端末で手形が変更されました（F5 で再表示）"_s);
        QVERIFY(f.dialogs.calls().isEmpty());

        QTest::keyClick(w.get(), Qt::Key_F5);
        QVERIFY(!notice->isVisible());
        f.data.execElsewhere(u"UPDATE SiteTbl SET TKingaku = 3 WHERE TNo = 'A1'"_s);
        QTRY_VERIFY(notice->isVisible());
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestChangeNotice)
#include "tst_ChangeNotice.moc"
