#include "ServerRegister.h"
#include "WindowFixture.h"

#include "app/FrmHelp.h"
#include "masters/FrmCliantU.h"
#include "reports/FrmView.h"
#include "register/FrmSite.h"
#include "store/StoreError.h"
#include "ui/QtDialogService.h"
#include "ui/QtTranslations.h"

#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

// Keys, dialogs and messages of the shell and the secondary windows.
class TestShellKeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }

    void init()
    {
        QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error()));
        m_f = std::make_unique<WindowFixture>();
    }

    void cleanup()
    {
        QCOMPARE(m_f->dialogs.unexpected(), 0);
        m_f.reset();
    }

    void escClosesSecondaryWindows()
    {
        AppContext &c = m_f->context;
        const std::unique_ptr<QWidget> windows[] = {std::make_unique<FrmHelp>(c), std::make_unique<FrmView>(c),
                                                    std::make_unique<FrmCliantU>(c), std::make_unique<FrmSite>(c)};
        for (const auto &window : windows) {
            QWidget *w = window.get();
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
            QVERIFY2(!w->isVisible(), w->metaObject()->className());
        }
    }

    // The engine's words go to the details; a lock is explained.
    void storeErrorDetails()
    {
        const QString cannot = u"変更を書き込めません。"_s;
        for (const auto &[engine, text] : {std::pair{u"disk I/O error"_s, cannot},
                                           {u"database is locked Unable to fetch row"_s, cannot + u'\n' + DialogService::lockedText()}}) {
            m_f->dialogs.clear();
            m_f->dialogs.showStoreError(StoreError(cannot, engine));
            const ScriptedDialogService::Call shown = m_f->dialogs.messages().value(0);
            QCOMPARE(QStringList({shown.title, shown.text, shown.details}), QStringList({u"警告"_s, text, engine}));
        }
    }

    void standardDialogsSpeakJapanese()
    {
        QVERIFY(QtTranslations::installJapanese(*qApp));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"キャンセル"_s);
    }

    void messagesCentredOverTheirWindow()
    {
        QWidget owner;
        owner.setGeometry(120, 90, 600, 420);
        owner.show();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        QtDialogService service;
        QList<QPoint> centres;
        for (int i = 0; i < 3; ++i) {
            QTimer::singleShot(0, this, [&centres] {
                QWidget *box = QApplication::activeModalWidget();
                centres << (box ? box->frameGeometry().center() : QPoint());
                if (box)
                    static_cast<QMessageBox *>(box)->done(0);
            });
            service.message(u"確認 %1"_s.arg(i), u"警告"_s, DialogService::Buttons::Ok, DialogService::Icon::Critical);
        }
        for (const QPoint &c : std::as_const(centres))
            QVERIFY2((c - owner.frameGeometry().center()).manhattanLength() <= 4, qPrintable(u"%1,%2"_s.arg(c.x()).arg(c.y())));
    }

private:
    std::unique_ptr<WindowFixture> m_f;
    ServerRegister m_register;
};

QTEST_MAIN(TestShellKeys)
#include "tst_ShellKeys.moc"
