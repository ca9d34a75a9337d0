#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/FrmHelp.h"
#include "masters/FrmCliantU.h"
#include "reports/FrmView.h"
#include "reports/ReportViewer.h"
#include "register/DateTextBox.h"
#include "register/FrmSite.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/EnterPressesButton.h"
#include "ui/QtDialogService.h"
#include "ui/QtTranslations.h"
#include "ui/SupplierPickTarget.h"
#include "ui/WindowRegistry.h"

#include <QAbstractItemView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct Picked : SupplierPickTarget
{
    void supplierPicked(const QString &code, const QString &name) override { taken = code + QLatin1Char(' ') + name; }
    QString taken;
};

} // namespace

// Keys, dialogs and messages of the shell, the secondary windows
// and the note entry window.
class TestShellKeys : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<TestDataFolder>();
        m_folder->exec(u"INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '山田製作所')"_s);
        m_values.setDataFolder(m_folder->path());
        m_folder->exec(u"INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('01', '中央銀行', 0)"_s);
        m_dialogs.clear();
        m_window = std::make_unique<FrmSite>(m_ctx);
    }

    void cleanup()
    {
        QCOMPARE(m_dialogs.unexpected(), 0);
        m_window.reset();
        m_folder.reset();
    }

    void escClosesSecondaryWindows()
    {
        const std::unique_ptr<QWidget> windows[] = {std::make_unique<FrmHelp>(m_ctx), std::make_unique<FrmView>(m_ctx),
                                                    std::make_unique<FrmCliantU>(m_ctx)};
        for (QWidget *w : {windows[0].get(), windows[1].get(), windows[2].get(), static_cast<QWidget *>(m_window.get())}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
            QVERIFY2(!w->isVisible(), w->metaObject()->className());
        }
    }

    void searchListTakesDoubleClickedRow()
    {
        FrmCliantU list(m_ctx);
        Picked target;
        list.setTarget(&target);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        auto *view = list.findChild<QAbstractItemView *>(u"ListView1"_s);
        const QPoint at = view->visualRect(view->model()->index(0, 1)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(target.taken, u"100 山田製作所"_s);
        QVERIFY(!list.isVisible());
    }

    void viewerToolbarHasAccessKeys()
    {
        m_folder->exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 90) "
                       "INSERT INTO SiteTbl (TNo, TKDate, TBank, TTo, TKingaku) "
                       "SELECT 'N' || i, '2024-05-01', '1', '100', 1000 FROM n"_s);
        m_values.setModeFlag(u"10"_s);
        FrmView view(m_ctx);
        QString keys;
        for (const QToolButton *b : view.findChildren<QToolButton *>()) {
            if (b->defaultAction() && b->defaultAction()->isVisible())
                keys += b->text().section(u'&', 1).left(1);
        }
        QCOMPARE(keys, u"GFBNLPSX"_s);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QVERIFY(view.CRViewer1()->pageCount() > 1);
        QTest::keyClick(&view, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(view.CRViewer1()->currentPage(), 1);
    }

    // The engine's words go to the details; a lock is explained.
    void storeErrorDetails()
    {
        const QString cannot = u"変更を書き込めません。"_s;
        for (const auto &[engine, text] : {std::pair{u"disk I/O error"_s, cannot},
                                           {u"database is locked Unable to fetch row"_s, cannot + u'\n' + DialogService::lockedText()}}) {
            m_dialogs.clear();
            m_dialogs.showStoreError(StoreError(cannot, engine));
            const ScriptedDialogService::Call shown = m_dialogs.messages().value(0);
            QCOMPARE(shown.title, u"警告"_s);
            QCOMPARE(shown.text, text);
            QCOMPARE(shown.details, engine);
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

    void newDataFolderHasTheManual()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"data"_s);
        QCOMPARE(QProcess::execute(QStringLiteral(RIBODO_DATAFOLDER_TOOL), {u"create"_s, folder}), 0);
        QVERIFY(QFileInfo(folder + u"/help/RBHelp.html"_s).size() > 1000);
    }

    // The note entry window as a first user met it: the amount field, a change
    // of letter case in a note number, Enter on a button, the layout.
    void amount_data()
    {
        QTest::addColumn<QString>("typed"); // full-width text comes through the input method
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored");
        const QString wholeYen = u"金額は1円以上の整数で入力してください。"_s;
        QTest::newRow("full width") << u"１２０，４５６"_s << QString() << u"120456"_s;
        QTest::newRow("negative fraction") << u"-100.5"_s << wholeYen << QString();
        QTest::newRow("fraction only") << u".5"_s << wholeYen << QString();
        QTest::newRow("zero") << u"0"_s << wholeYen << QString();
        QTest::newRow("full-width minus") << u"－５"_s << wholeYen << QString();
    }

    void amount()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        enterNote(u"A-1"_s);
        const QString plain = typed.normalized(QString::NormalizationForm_KC);
        if (plain != typed) {
            QInputMethodEvent commit;
            commit.setCommitString(typed);
            QApplication::sendEvent(box(3), &commit);
            // Converted as it is typed, not refused.
            QCOMPARE(box(3)->text(), QString(plain).replace(QChar(0x2212), u'-'));
        } else {
            QTest::keyClicks(box(3), typed);
        }
        click("CmdRecorde");
        QCOMPARE(m_dialogs.messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        QTEST(m_folder->scalar(u"SELECT CAST(TKingaku AS INTEGER) FROM SiteTbl"_s).toString(), "stored");
    }

    void caseOfTheCalledUpNumber()
    {
        enterNote(u"TEST-101"_s);
        QTest::keyClicks(box(3), u"5000"_s);
        click("CmdRecorde");
        m_dialogs.queueAnswer(DialogService::Answer::Yes);
        m_dialogs.queueInput(u"TEST-101"_s);
        click("CmdCall");
        box(0)->setText(u"test-101"_s);
        click("CmdEdit");
        QCOMPARE(m_dialogs.messages().size(), 1); // the call-up question alone
        QCOMPARE(m_folder->scalar(u"SELECT group_concat(TNo) FROM SiteTbl"_s).toString(), u"test-101"_s);
    }

    void enterPressesTheFocusedButton()
    {
        EnterPressesButton::install(*qApp);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        box(0)->setText(u"X-1"_s);
        button("CmdClear")->setFocus();
        QTest::keyClick(button("CmdClear"), Qt::Key_Return);
        QCOMPARE(box(0)->text(), QString());
    }

    void layoutAndPayeeBox()
    {
        m_window->show();
        const QWidget *due = m_window->findChild<DateTextBox *>(u"DateTextBox1_1"_s);
        const int height = due->height();
        m_window->resize(m_window->width() * 2, m_window->height() * 3);
        QTest::qWait(20);
        QCOMPARE(due->height(), height);

        const QString name = u"株式会社ＡＢＣホールディングス東日本本社営業部第一課"_s;
        m_window->supplierPicked(u"130"_s, name);
        QCOMPARE(box(2)->cursorPosition(), 0);
        QCOMPARE(box(2)->toolTip(), name);
        QCOMPARE(box(2)->palette().color(QPalette::Base), box(2)->palette().color(QPalette::Window));
    }

private:
    QLineEdit *box(int i) const { return m_window->findChild<QLineEdit *>(u"TxtRibodo_%1"_s.arg(i)); }
    QPushButton *button(const char *name) const { return m_window->findChild<QPushButton *>(QLatin1String(name)); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void enterNote(const QString &number) const
    {
        QTest::keyClicks(box(0), number);
        m_window->supplierPicked(u"100"_s, u"山田製作所"_s);
        for (int i = 0; i < 2; ++i) {
            auto *date = m_window->findChild<DateTextBox *>(u"DateTextBox1_%1"_s.arg(i));
            QTest::keyClicks(date->yearPart(), u"2024"_s);
            QTest::keyClicks(date->monthPart(), u"5"_s);
            QTest::keyClicks(date->dayPart(), QString::number(10 + i));
        }
    }

    std::unique_ptr<TestDataFolder> m_folder;
    AppValues m_values;
    ScriptedDialogService m_dialogs;
    WindowRegistry m_windows;
    AppContext m_ctx{m_values, m_dialogs, m_windows};
    std::unique_ptr<FrmSite> m_window;
};

QTEST_MAIN(TestShellKeys)
#include "tst_ShellKeys.moc"
