#include "ServerRegister.h"
#include "WindowFixture.h"

#include "inquiry/FrmZandaka.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

// The balance window as a user drives it: a day typed, a day refused, the
// schedule saved as CSV and printed.
class TestFrmZandaka : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void dayTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("warning");
        QTest::newRow("Sunday, full width") << "２０２４／０３／３１" << "2024/03/31 現在の残高 100,000円" << "";
        QTest::newRow("no date") << "2024/02/30" << ""
                                 << "基準日「2024/02/30」が日付ではありません。yyyy/mm/dd の形で入力してください。";
    }

    void dayTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, total);
        QFETCH(QString, warning);
        WindowFixture f;
        f.data.addNote(QStringLiteral("A"), QStringLiteral("2024-03-31"));
        FrmZandaka window(f.context);
        f.dialogs.clear();
        WindowFixture::child<QLineEdit>(&window, "txtDate")->setText(typed);
        WindowFixture::child<QLabel>(&window, "lblTotal")->clear();
        WindowFixture::click(&window, "CmdShow");
        QCOMPARE(WindowFixture::child<QLabel>(&window, "lblTotal")->text().left(total.size()), total);
        QCOMPARE(f.dialogs.messageTexts().join(u'|'), warning);
        if (!warning.isEmpty()) {
            QCOMPARE(f.dialogs.messages().constFirst().title, QStringLiteral("警告"));
            QCOMPARE(f.dialogs.messages().constFirst().icon, DialogService::Icon::Critical);
        }
    }

    void csvAndPrint()
    {
        WindowFixture f;
        f.data.addNote(QStringLiteral("A"), QStringLiteral("2024-03-31"));
        QStringList reports;
        f.windows.registerFactory(WindowId::FrmView, [&] {
            reports << f.values.ModeFlag() + u' ' + f.values.ReportDate() + u' ' + f.values.ReportKeiri();
            return std::make_unique<QWidget>();
        });
        FrmZandaka window(f.context);
        WindowFixture::child<QLineEdit>(&window, "txtDate")->setText(QStringLiteral("2024/03/31"));
        const QString path = f.data.path() + QStringLiteral("out.csv");
        f.dialogs.queueSaveFile(path);
        WindowFixture::click(&window, "CmdCsv");
        QCOMPARE(TestDataFolder::fileBytes(path).count('\n'), 2);
        WindowFixture::child<QCheckBox>(&window, "chkDenshi")->setChecked(true);
        WindowFixture::click(&window, "CmdPrint");
        QCOMPARE(reports, QStringList{QStringLiteral("17 2024/03/31 denshi")});
        QCOMPARE(f.dialogs.unexpected(), 0);
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestFrmZandaka)
#include "tst_FrmZandaka.moc"
