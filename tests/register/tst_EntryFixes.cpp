#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/EnterPressesButton.h"
#include "ui/WindowRegistry.h"
#include "register/DateTextBox.h"
#include "register/FrmSite.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using Answer = DialogService::Answer;

// The note entry window as a first user met it: the amount field, a change
// of letter case in a note number, Enter on a button, the layout.
class TestEntryFixes : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_folder = std::make_unique<TestDataFolder>();
        m_folder->exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('01', '中央銀行', 0)"));
        m_values.setDataFolder(m_folder->path());
        m_dialogs.clear();
        m_window = std::make_unique<FrmSite>(m_ctx);
    }
    void cleanup()
    {
        QCOMPARE(m_dialogs.unexpected(), 0);
        m_window.reset();
        m_folder.reset();
    }

    void amount_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("withInputMethod");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored");
        const QString wholeYen = QStringLiteral("金額は1円以上の整数で入力してください。");
        QTest::newRow("commas") << QStringLiteral("1,000,000") << false << QString() << QStringLiteral("1000000");
        QTest::newRow("full width") << QStringLiteral("１２３，４５６") << true << QString() << QStringLiteral("123456");
        QTest::newRow("negative fraction") << QStringLiteral("-100.5") << false << wholeYen << QString();
        QTest::newRow("fraction only") << QStringLiteral(".5") << false << wholeYen << QString();
        QTest::newRow("zero") << QStringLiteral("0") << false << wholeYen << QString();
        QTest::newRow("full-width minus") << QStringLiteral("－５") << true << wholeYen << QString();
        QTest::newRow("letters") << QStringLiteral("12a") << false << QStringLiteral("金額は数値で入力してください。")
                                 << QString();
    }
    void amount()
    {
        QFETCH(QString, typed);
        QFETCH(bool, withInputMethod);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        enterNote(QStringLiteral("A-1"));
        if (withInputMethod) {
            QInputMethodEvent commit;
            commit.setCommitString(typed);
            QApplication::sendEvent(box(3), &commit);
            // Converted as it is typed, not refused.
            QCOMPARE(box(3)->text(), QString(typed).normalized(QString::NormalizationForm_KC).replace(QChar(0x2212), QLatin1Char('-')));
        } else {
            QTest::keyClicks(box(3), typed);
        }
        click("CmdRecorde");
        QCOMPARE(m_dialogs.messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(m_folder->scalar(QStringLiteral("SELECT CAST(TKingaku AS INTEGER) FROM SiteTbl")).toString(), stored);
    }

    void caseOfTheCalledUpNumber()
    {
        enterNote(QStringLiteral("TEST-101"));
        QTest::keyClicks(box(3), QStringLiteral("5000"));
        click("CmdRecorde");
        m_dialogs.queueAnswer(Answer::Yes);
        m_dialogs.queueInput(QStringLiteral("TEST-101"));
        click("CmdCall");
        box(0)->setText(QStringLiteral("test-101"));
        click("CmdEdit");
        QCOMPARE(m_dialogs.messages().size(), 1); // the call-up question alone
        QCOMPARE(m_folder->scalar(QStringLiteral("SELECT group_concat(TNo) FROM SiteTbl")).toString(),
                 QStringLiteral("test-101"));
    }

    void enterPressesTheFocusedButton()
    {
        EnterPressesButton::install(*qApp);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        box(0)->setText(QStringLiteral("X-1"));
        button("CmdClear")->setFocus();
        QTest::keyClick(button("CmdClear"), Qt::Key_Return);
        QCOMPARE(box(0)->text(), QString());
    }

    void layoutAndPayeeBox()
    {
        m_window->show();
        const QWidget *due = m_window->findChild<DateTextBox *>(QStringLiteral("DateTextBox1_1"));
        const int height = due->height();
        m_window->resize(m_window->width() * 2, m_window->height() * 3);
        QTest::qWait(20);
        QCOMPARE(due->height(), height);

        const QString name = QStringLiteral("株式会社ＡＢＣホールディングス東日本本社営業部第一課");
        m_window->supplierPicked(QStringLiteral("130"), name);
        QCOMPARE(box(2)->cursorPosition(), 0);
        QCOMPARE(box(2)->toolTip(), name);
        QVERIFY(box(2)->isReadOnly());
        QCOMPARE(box(2)->palette().color(QPalette::Base), box(2)->palette().color(QPalette::Window));
    }

private:
    QLineEdit *box(int i) const { return m_window->findChild<QLineEdit *>(QStringLiteral("TxtRibodo_%1").arg(i)); }
    QPushButton *button(const char *name) const { return m_window->findChild<QPushButton *>(QLatin1String(name)); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void enterNote(const QString &number) const
    {
        QTest::keyClicks(box(0), number);
        m_window->supplierPicked(QStringLiteral("100"), QStringLiteral("山田製作所"));
        for (int i = 0; i < 2; ++i) {
            auto *date = m_window->findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i));
            QTest::keyClicks(date->yearPart(), QStringLiteral("2024"));
            QTest::keyClicks(date->monthPart(), QStringLiteral("5"));
            QTest::keyClicks(date->dayPart(), QStringLiteral("%1").arg(10 + i));
        }
    }

    std::unique_ptr<TestDataFolder> m_folder;
    AppValues m_values;
    ScriptedDialogService m_dialogs;
    WindowRegistry m_windows;
    AppContext m_ctx{m_values, m_dialogs, m_windows};
    std::unique_ptr<FrmSite> m_window;
};

QTEST_MAIN(TestEntryFixes)
#include "tst_EntryFixes.moc"
