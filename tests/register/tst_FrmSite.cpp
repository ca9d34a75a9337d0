#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/AppContext.h"
#include "app/AppValues.h"
#include "app/WindowRegistry.h"
#include "masters/FrmCliantU.h"
#include "register/DateTextBox.h"
#include "register/FrmSite.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <array>

using Answer = DialogService::Answer;

class TestFrmSite : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadFillsTheListsAsCodeAndName();
    void emptyTablesAtLoad();
    void registerChecks_data();
    void registerChecks();
    void registerThenCallUp();
    void renumber_data();
    void renumber();
    void deleteTheCalledUpNote_data();
    void deleteTheCalledUpNote();
    void clearKeepsTheModeAndDeleteNeedsACallUp();
    void callUpFindingNothing_data();
    void callUpFindingNothing();
    void deletedPayeeShowsX();
    void refusedWriteKeepsTheInput_data();
    void refusedWriteKeepsTheInput();
    void printShowsReportEight();
    void helpLines_data();
    void helpLines();
    void tabOrder();
    void payeeFromTheSearchList();
    void inputMethodModes();

private:
    void open();
    void showActive();
    QLineEdit *box(int i) const;
    QComboBox *combo(int i) const;
    DateTextBox *date(int i) const;
    QPushButton *button(const char *name) const;
    void typeDate(int i, const QString &year, const QString &month, const QString &day) const;
    // A complete note with the first item of every list.
    void enterNote(const QString &number, const QString &amount = QStringLiteral("500000")) const;
    void callUp(const QString &number);
    int notes() const;
    // The stored note numbers in order, joined by commas.
    QString numbers() const;
    // The window in one line: the six boxes, the two dates, the selected item
    // of each list and the mode (R: 登録 enabled, E: 訂正 and 削除 enabled).
    QString screen() const;
    QString stored(const QString &column, const QString &number) const;

    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<AppValues> m_values;
    std::unique_ptr<ScriptedDialogService> m_dialogs;
    std::unique_ptr<WindowRegistry> m_windows;
    std::unique_ptr<AppContext> m_ctx;
    std::unique_ptr<FrmSite> m_window;
};

void TestFrmSite::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    m_folder->exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('01', '中央銀行 本店', 0), "
                                  "('02', 'みなと銀行 駅前支店', 0)"));
    m_folder->exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '株式会社山田製作所'), "
                                  "('200', '有限会社佐藤工業')"));
    m_values = std::make_unique<AppValues>();
    m_values->setDataFolder(m_folder->path());
    m_dialogs = std::make_unique<ScriptedDialogService>();
    m_windows = std::make_unique<WindowRegistry>();
    m_ctx = std::make_unique<AppContext>(*m_values, *m_dialogs, *m_windows);
}

void TestFrmSite::cleanup()
{
    QCOMPARE(m_dialogs->unexpected(), 0);
    m_window.reset();
    m_windows.reset();
    m_ctx.reset();
    m_dialogs.reset();
    m_values.reset();
    m_folder.reset();
}

void TestFrmSite::open()
{
    m_window = std::make_unique<FrmSite>(*m_ctx);
}

void TestFrmSite::showActive()
{
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QLineEdit *TestFrmSite::box(int i) const
{
    return m_window->findChild<QLineEdit *>(QStringLiteral("TxtRibodo_%1").arg(i));
}

QComboBox *TestFrmSite::combo(int i) const
{
    return m_window->findChild<QComboBox *>(QStringLiteral("Combo1_%1").arg(i));
}

DateTextBox *TestFrmSite::date(int i) const
{
    return m_window->findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i));
}

QPushButton *TestFrmSite::button(const char *name) const
{
    return m_window->findChild<QPushButton *>(QLatin1String(name));
}

void TestFrmSite::typeDate(int i, const QString &year, const QString &month, const QString &day) const
{
    QTest::keyClicks(date(i)->yearPart(), year);
    QTest::keyClicks(date(i)->monthPart(), month);
    QTest::keyClicks(date(i)->dayPart(), day);
}

void TestFrmSite::enterNote(const QString &number, const QString &amount) const
{
    QTest::keyClicks(box(0), number);
    m_window->supplierPicked(QStringLiteral("100"), QStringLiteral("株式会社山田製作所"));
    typeDate(0, QStringLiteral("2024"), QStringLiteral("4"), QStringLiteral("15"));
    QTest::keyClicks(box(3), amount);
    typeDate(1, QStringLiteral("2024"), QStringLiteral("7"), QStringLiteral("31"));
}

void TestFrmSite::callUp(const QString &number)
{
    m_dialogs->queueAnswer(Answer::Yes);
    m_dialogs->queueInput(number);
    QTest::mouseClick(button("CmdCall"), Qt::LeftButton);
}

int TestFrmSite::notes() const
{
    return m_folder->scalar(QStringLiteral("SELECT COUNT(*) FROM SiteTbl")).toInt();
}

QString TestFrmSite::numbers() const
{
    return m_folder->scalar(QStringLiteral("SELECT group_concat(TNo, ',') FROM (SELECT TNo FROM SiteTbl ORDER BY TNo)"))
            .toString();
}

QString TestFrmSite::screen() const
{
    QStringList parts;
    for (int i = 0; i < 6; ++i)
        parts << box(i)->text();
    for (int i = 0; i < 2; ++i)
        parts << QStringList({date(i)->Year(), date(i)->Month(), date(i)->Day()}).join(QLatin1Char('/'));
    QString lists;
    for (int i = 0; i < 5; ++i)
        lists += QString::number(combo(i)->currentIndex());
    const bool registering = button("CmdRecorde")->isEnabled();
    const bool editing = button("CmdEdit")->isEnabled() && button("CmdDelete")->isEnabled();
    parts << lists << (registering == editing ? QStringLiteral("?") : registering ? QStringLiteral("R") : QStringLiteral("E"));
    return parts.join(QLatin1Char('|'));
}

QString TestFrmSite::stored(const QString &column, const QString &number) const
{
    return m_folder->scalar(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM SiteTbl WHERE TNo = ?"), {number})
            .toString();
}

void TestFrmSite::loadFillsTheListsAsCodeAndName()
{
    open();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("手形帳"));
    QVERIFY(m_dialogs->calls().isEmpty());
    QCOMPARE(combo(1)->count(), 2);
    QCOMPARE(combo(1)->itemText(0), QStringLiteral("01 : 中央銀行 本店"));
    QCOMPARE(combo(1)->itemText(1), QStringLiteral("02 : みなと銀行 駅前支店"));
    // Kind, state, purpose and accounting category from kbn1, Kbn3, kbn2, Kbn4.
    const QStringList tables {QStringLiteral("kbn1"), QString(), QStringLiteral("Kbn3"), QStringLiteral("kbn2"),
                              QStringLiteral("Kbn4")};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(combo(i)->currentIndex(), 0);
        if (tables.at(i).isEmpty())
            continue;
        const QString first = m_folder->scalar(QStringLiteral("SELECT KbnCode || ' : ' || KbnName FROM ") + tables.at(i)
                                               + QStringLiteral(" ORDER BY rowid")).toString();
        QCOMPARE(combo(i)->itemText(0), first);
        QCOMPARE(combo(i)->count(),
                 m_folder->scalar(QStringLiteral("SELECT COUNT(*) FROM ") + tables.at(i)).toInt());
    }
    QCOMPARE(screen(), QStringLiteral("||||||//|//|00000|R"));
}

void TestFrmSite::emptyTablesAtLoad()
{
    m_folder->exec(QStringLiteral("DELETE FROM kbn6"));
    m_folder->exec(QStringLiteral("DELETE FROM Kbn4"));
    open();
    QCOMPARE(m_dialogs->messageTexts(), QStringList {QStringLiteral("支払銀行が登録されていません。")});
    QCOMPARE(m_dialogs->messages().first().title, QStringLiteral("警告"));
    QCOMPARE(m_dialogs->messages().first().icon, DialogService::Icon::Critical);
    QCOMPARE(combo(1)->count(), 0);
    QCOMPARE(combo(4)->count(), 0);

    // Still usable: the note is saved with empty bank and category codes.
    m_dialogs->clear();
    enterNote(QStringLiteral("E-1"));
    QTest::mouseClick(button("CmdRecorde"), Qt::LeftButton);
    QVERIFY(m_dialogs->calls().isEmpty());
    QCOMPARE(stored(QStringLiteral("TBank"), QStringLiteral("E-1")), QString());
    QCOMPARE(stored(QStringLiteral("TKeiri"), QStringLiteral("E-1")), QString());
    QCOMPARE(combo(4)->currentIndex(), -1);
}

void TestFrmSite::registerChecks_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("payee");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QStringList>("drawn");
    QTest::addColumn<QStringList>("due");
    QTest::addColumn<QStringList>("messages");

    const QStringList drawn {QStringLiteral("2024"), QStringLiteral("4"), QStringLiteral("15")};
    const QStringList due {QStringLiteral("2024"), QStringLiteral("7"), QStringLiteral("31")};
    const QStringList none {QString(), QString(), QString()};
    const QString missing = QStringLiteral("未入力の項目があります。");
    const QString noDrawn = QStringLiteral("振出日が入力されていません。");
    const QString noDue = QStringLiteral("決済日が入力されていません。");

    QTest::newRow("number and dates empty") << "" << true << "1000" << none << none
                                            << QStringList {missing, noDrawn, noDue};
    QTest::newRow("payee missing") << "N-1" << false << "1000" << drawn << due << QStringList {missing};
    QTest::newRow("amount missing") << "N-1" << true << "" << drawn << due << QStringList {missing};
    QTest::newRow("only the drawing date empty") << "N-1" << true << "1000" << none << due << QStringList {noDrawn};
    QTest::newRow("day part missing") << "N-1" << true << "1000" << drawn
                                      << QStringList {QStringLiteral("2024"), QStringLiteral("7"), QString()}
                                      << QStringList {noDue};
    QTest::newRow("no valid date") << "N-1" << true << "1000"
                                   << QStringList {QStringLiteral("9999"), QStringLiteral("13"), QStringLiteral("1")}
                                   << due << QStringList {noDrawn};
    QTest::newRow("number taken") << "OLD-1" << true << "1000" << drawn << due
                                  << QStringList {QStringLiteral("手形番号が重複しています。")};
    QTest::newRow("quote in the number") << "A'1" << true << "1000" << drawn << due
                                         << QStringList {QStringLiteral("手形番号に「'」は使えません。")};
    const QString notANumber = QStringLiteral("金額は数値で入力してください。");
    QTest::newRow("amount not a number") << "N-1" << true << "1.2.3" << drawn << due << QStringList {notANumber};
    QTest::newRow("everything wrong") << "OLD-1" << true << "x" << none << none
                                      << QStringList {notANumber, noDrawn, noDue,
                                                      QStringLiteral("手形番号が重複しています。")};
    // Month 13 is January of the next year.
    QTest::newRow("all checks pass") << "N-1" << true << "1,000"
                                     << QStringList {QStringLiteral("2024"), QStringLiteral("13"), QStringLiteral("10")}
                                     << due << QStringList {};
}

void TestFrmSite::registerChecks()
{
    QFETCH(QString, number);
    QFETCH(bool, payee);
    QFETCH(QString, amount);
    QFETCH(QStringList, drawn);
    QFETCH(QStringList, due);
    QFETCH(QStringList, messages);

    m_folder->addNote(QStringLiteral("OLD-1"), QStringLiteral("2024-06-30"));
    open();
    QTest::keyClicks(box(0), number);
    if (payee)
        m_window->supplierPicked(QStringLiteral("100"), QStringLiteral("株式会社山田製作所"));
    typeDate(0, drawn.at(0), drawn.at(1), drawn.at(2));
    QTest::keyClicks(box(3), amount);
    typeDate(1, due.at(0), due.at(1), due.at(2));
    QTest::mouseClick(button("CmdRecorde"), Qt::LeftButton);

    QCOMPARE(m_dialogs->messageTexts(), messages);
    for (const ScriptedDialogService::Call &c : m_dialogs->messages()) {
        QCOMPARE(c.title, QStringLiteral("警告"));
        QCOMPARE(c.icon, DialogService::Icon::Critical);
        QCOMPARE(c.buttons, DialogService::Buttons::Ok);
    }
    if (messages.isEmpty()) {
        QCOMPARE(notes(), 2);
        QCOMPARE(stored(QStringLiteral("TKingaku"), number).toDouble(), 1000.0);
        QCOMPARE(stored(QStringLiteral("TFDate"), number), QStringLiteral("2025-01-10"));
        QCOMPARE(box(0)->text(), QString());
        QCOMPARE(m_values->ModeFlag(), QStringLiteral("R"));
    } else {
        QCOMPARE(notes(), 1);
        QCOMPARE(m_values->ResultFlag(), QStringLiteral("X"));
        QCOMPARE(box(0)->text(), number);
        QCOMPARE(box(3)->text(), amount);
    }
}

void TestFrmSite::registerThenCallUp()
{
    open();
    enterNote(QStringLiteral("A-12"), QStringLiteral("1,234,567"));
    // Third kind, second bank, second state, fourth purpose, second category.
    const std::array<int, 5> downs {2, 1, 1, 3, 1};
    for (int list = 0; list < 5; ++list) {
        for (int i = 0; i < downs[list]; ++i)
            QTest::keyClick(combo(list), Qt::Key_Down);
    }
    // Japanese text arrives from the input method as a committed string.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("4月分 支払"));
    QApplication::sendEvent(box(4), &commit);
    QTest::mouseClick(button("CmdRecorde"), Qt::LeftButton);

    QVERIFY(m_dialogs->calls().isEmpty());
    QCOMPARE(m_folder->scalar(QStringLiteral("SELECT TNo || '|' || TTo || '|' || TFDate || '|' || TKDate || '|' || "
                                             "TBank || '|' || TKingaku || '|' || TKubun || '|' || TCond || '|' || "
                                             "TYoto || '|' || TKeiri || '|' || TRemarks FROM SiteTbl")).toString(),
             QStringLiteral("A-12|100|2024-04-15|2024-07-31|02|1234567.0|3|2|4|2|4月分 支払"));
    QCOMPARE(screen(), QStringLiteral("||||||//|//|00000|R"));

    callUp(QStringLiteral("A-12"));
    const QList<ScriptedDialogService::Call> calls = m_dialogs->calls();
    QCOMPARE(calls.size(), 2);
    QCOMPARE(QStringList({calls[0].text, calls[0].title, calls[1].text, calls[1].title}),
             QStringList({QStringLiteral("表示されているデータが消去されます。"), QStringLiteral("警告"),
                          QStringLiteral("訂正、削除する手形番号を入力してください。"), QStringLiteral("訂正、削除")}));
    QCOMPARE(calls[0].buttons, DialogService::Buttons::YesNo);
    QCOMPARE(calls[0].icon, DialogService::Icon::None);
    QCOMPARE(m_values->ResultFlag(), QStringLiteral("o"));
    QCOMPARE(screen(), QStringLiteral("A-12|100|株式会社山田製作所|1234567|4月分 支払|A-12|2024/4/15|2024/7/31|21131|E"));

    // Saved under its own number: no duplicate message.
    box(3)->clear();
    QTest::keyClicks(box(3), QStringLiteral("2000"));
    QTest::mouseClick(button("CmdEdit"), Qt::LeftButton);
    QCOMPARE(m_dialogs->messageTexts().size(), 1);
    QCOMPARE(stored(QStringLiteral("TKingaku"), QStringLiteral("A-12")).toDouble(), 2000.0);
    QCOMPARE(screen(), QStringLiteral("||||||//|//|00000|R"));
}

void TestFrmSite::renumber_data()
{
    QTest::addColumn<QString>("newNumber");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("numbersAfter");

    QTest::newRow("to a free number") << "A-13" << QStringList {} << "A-13,B-1";
    QTest::newRow("to a taken number") << "B-1" << QStringList {QStringLiteral("手形番号が重複しています。")} << "A-12,B-1";
}

void TestFrmSite::renumber()
{
    QFETCH(QString, newNumber);
    QFETCH(QStringList, messages);
    QFETCH(QString, numbersAfter);

    m_folder->addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"));
    m_folder->addNote(QStringLiteral("B-1"), QStringLiteral("2024-06-30"));
    open();
    callUp(QStringLiteral("A-12"));
    m_dialogs->clear();
    box(0)->selectAll();
    QTest::keyClicks(box(0), newNumber);
    QTest::mouseClick(button("CmdEdit"), Qt::LeftButton);

    QCOMPARE(m_dialogs->messageTexts(), messages);
    QCOMPARE(numbers(), numbersAfter);
    QCOMPARE(box(5)->text().isEmpty(), messages.isEmpty());
}

void TestFrmSite::deleteTheCalledUpNote_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("numbersAfter");

    QTest::newRow("cancel") << Answer::Cancel << "A-12,B-1";
    QTest::newRow("confirm") << Answer::Ok << "B-1";
}

void TestFrmSite::deleteTheCalledUpNote()
{
    QFETCH(Answer, answer);
    QFETCH(QString, numbersAfter);

    m_folder->addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"));
    m_folder->addNote(QStringLiteral("B-1"), QStringLiteral("2024-06-30"));
    open();
    callUp(QStringLiteral("A-12"));
    m_dialogs->clear();
    // The number in the box no longer matters: the called-up note is deleted.
    box(0)->selectAll();
    QTest::keyClicks(box(0), QStringLiteral("B-1"));
    m_dialogs->queueAnswer(answer);
    QTest::mouseClick(button("CmdDelete"), Qt::LeftButton);

    QCOMPARE(m_dialogs->messages().size(), 1);
    const ScriptedDialogService::Call question = m_dialogs->messages().first();
    QCOMPARE(question.text, QStringLiteral("手形番号：A-12を　削除しますか？"));
    QCOMPARE(question.title, QStringLiteral("削除"));
    QCOMPARE(question.buttons, DialogService::Buttons::OkCancel);
    QCOMPARE(question.icon, DialogService::Icon::None);
    QCOMPARE(numbers(), numbersAfter);
    const bool deleted = answer == Answer::Ok;
    QCOMPARE(box(0)->text().isEmpty(), deleted);
    QCOMPARE(button("CmdRecorde")->isEnabled(), deleted);
}

void TestFrmSite::clearKeepsTheModeAndDeleteNeedsACallUp()
{
    m_folder->addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"), QStringLiteral("3"));
    open();
    callUp(QStringLiteral("A-12"));
    QCOMPARE(screen(), QStringLiteral("A-12|100|株式会社山田製作所|100000||A-12|2024/1/10|2024/6/30|00200|E"));
    QTest::mouseClick(button("CmdClear"), Qt::LeftButton);
    QCOMPARE(screen(), QStringLiteral("||||||//|//|00000|E"));

    m_dialogs->clear();
    QTest::mouseClick(button("CmdDelete"), Qt::LeftButton);
    QCOMPARE(m_dialogs->messageTexts(), QStringList {QStringLiteral("削除する手形を呼び出してください。")});
    QCOMPARE(m_dialogs->messages().first().icon, DialogService::Icon::Critical);
    QCOMPARE(notes(), 1);
}

void TestFrmSite::callUpFindingNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("missing number") << "ZZ-9" << QStringList {QStringLiteral("手形番号が見つかりません。")};
    QTest::newRow("input cancelled") << "" << QStringList {};
}

void TestFrmSite::callUpFindingNothing()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, messages);

    m_folder->addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"));
    open();
    callUp(QStringLiteral("A-12"));
    m_dialogs->clear();
    callUp(typed);

    QCOMPARE(m_dialogs->messageTexts().mid(1), messages);
    if (!messages.isEmpty()) {
        QCOMPARE(m_dialogs->messages().last().title, QStringLiteral("警告"));
        QCOMPARE(m_dialogs->messages().last().icon, DialogService::Icon::None);
    }
    QCOMPARE(m_values->ResultFlag(), QStringLiteral("x"));
    // The fields are kept; the called-up number is forgotten.
    const QString kept = QStringLiteral("A-12|100|株式会社山田製作所|100000|||2024/1/10|2024/6/30|00000|R");
    QCOMPARE(screen(), kept);

    // The note still on the screen is no longer the called-up one, so
    // registering it again is refused as a duplicate.
    m_dialogs->clear();
    QTest::mouseClick(button("CmdRecorde"), Qt::LeftButton);
    QCOMPARE(m_dialogs->messageTexts(), QStringList {QStringLiteral("手形番号が重複しています。")});
    QCOMPARE(notes(), 1);

    // Answering No to the question changes nothing.
    m_dialogs->clear();
    m_dialogs->queueAnswer(Answer::No);
    QTest::mouseClick(button("CmdCall"), Qt::LeftButton);
    QCOMPARE(m_dialogs->calls().size(), 1);
    QCOMPARE(screen(), kept);
}

void TestFrmSite::deletedPayeeShowsX()
{
    m_folder->addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"), QStringLiteral("1"), 100000,
                      QStringLiteral("200"));
    m_folder->exec(QStringLiteral("DELETE FROM SireCliant WHERE ClCode = '200'"));
    open();
    callUp(QStringLiteral("A-12"));
    QCOMPARE(box(1)->text(), QStringLiteral("200"));
    QCOMPARE(box(2)->text(), QStringLiteral("X"));
}

void TestFrmSite::refusedWriteKeepsTheInput_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("command");

    QTest::newRow("register") << "INSERT" << "CmdRecorde";
    QTest::newRow("correct") << "UPDATE" << "CmdEdit";
    QTest::newRow("delete") << "DELETE" << "CmdDelete";
}

void TestFrmSite::refusedWriteKeepsTheInput()
{
    QFETCH(QString, operation);
    QFETCH(QString, command);

    m_folder->addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"));
    m_folder->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON SiteTbl BEGIN SELECT RAISE(ABORT, 'locked'); END")
                           .arg(operation));
    open();
    if (command == QLatin1String("CmdRecorde")) {
        enterNote(QStringLiteral("N-1"));
    } else {
        callUp(QStringLiteral("A-12"));
    }
    const QString number = box(0)->text();
    m_dialogs->clear();
    if (command == QLatin1String("CmdDelete"))
        m_dialogs->queueAnswer(Answer::Ok);
    QTest::mouseClick(button(command.toLatin1().constData()), Qt::LeftButton);

    QVERIFY(!m_dialogs->messages().isEmpty());
    const ScriptedDialogService::Call failure = m_dialogs->messages().last();
    QCOMPARE(failure.title, QStringLiteral("警告"));
    QVERIFY2(failure.text.contains(QLatin1String("locked")), qPrintable(failure.text));
    QCOMPARE(box(0)->text(), number);
    QCOMPARE(box(3)->text().isEmpty(), false);
    QCOMPARE(notes(), 1);
    QCOMPARE(stored(QStringLiteral("TKingaku"), QStringLiteral("A-12")).toDouble(), 100000.0);
    QVERIFY(!QApplication::overrideCursor());
}

void TestFrmSite::printShowsReportEight()
{
    int viewers = 0;
    m_windows->registerFactory(WindowId::FrmView, [&viewers] {
        ++viewers;
        return std::make_unique<QWidget>();
    });
    open();
    QTest::mouseClick(button("CmdPrint"), Qt::LeftButton);
    QCOMPARE(m_values->ModeFlag(), QStringLiteral("8"));
    QCOMPARE(viewers, 1);
    QVERIFY(m_windows->window(WindowId::FrmView)->isVisible());
}

void TestFrmSite::helpLines_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("help");

    QTest::newRow("kind") << "Combo1_0" << "手形の種類（約束/為替）を選択してください。";
    QTest::newRow("bank") << "Combo1_1" << "決済する銀行を選択してください。";
    QTest::newRow("state") << "Combo1_2" << "手形の状態を選択してください。";
    QTest::newRow("purpose") << "Combo1_3" << "手形を振り出す用途を選択してください。";
    QTest::newRow("category") << "Combo1_4" << "長期、短期などの区分を選択してください。";
    QTest::newRow("number") << "TxtRibodo_0" << "手形番号（手形帳記載）を入力してください。";
    QTest::newRow("payee") << "TxtRibodo_1" << "振出先を選択してください。";
    QTest::newRow("amount") << "TxtRibodo_3" << "振出た手形の金額を入力してください。";
    QTest::newRow("remarks") << "TxtRibodo_4" << "手形に関するコメントがあれば入力してください。";
    // Fields without a help line keep what the panel showed.
    QTest::newRow("payee name") << "TxtRibodo_2" << "振出先を選択してください。";
    QTest::newRow("drawing date") << "DateTextBox1_0" << "振出先を選択してください。";
}

void TestFrmSite::helpLines()
{
    QFETCH(QString, field);
    QFETCH(QString, help);
    open();
    showActive();
    box(1)->setFocus();
    m_window->findChild<QWidget *>(field)->setFocus();
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("StatusPanel2"))->text(), help);
}

void TestFrmSite::tabOrder()
{
    open();
    showActive();
    QCOMPARE(m_window->pos(), m_window->screen()->availableGeometry().topLeft());
    QCOMPARE(QApplication::focusWidget(), combo(0));
    const QList<QWidget *> expected {
        box(0), button("CmdCKensaku"), box(1), box(2), date(0)->yearPart(), date(0)->monthPart(), date(0)->dayPart(),
        box(3), date(1)->yearPart(), date(1)->monthPart(), date(1)->dayPart(), combo(1), combo(2), combo(3), combo(4),
        box(4), button("CmdRecorde"), button("CmdCall"), button("CmdClear"), button("CmdEnd"), button("CmdPrint"),
        combo(0),
    };
    QList<QWidget *> visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    QCOMPARE(visited, expected);

    QList<QWidget *> back;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Backtab, Qt::ShiftModifier);
        back.prepend(QApplication::focusWidget());
    }
    QCOMPARE(back, QList<QWidget *>({combo(0)}) + expected.mid(0, expected.size() - 1));
}

void TestFrmSite::payeeFromTheSearchList()
{
    m_windows->registerFactory(WindowId::FrmCliantU, [this] { return std::make_unique<FrmCliantU>(*m_ctx); });
    open();
    showActive();
    QVERIFY(box(1)->isReadOnly() && box(2)->isReadOnly());
    QTest::keyClicks(box(1), QStringLiteral("999"));
    QTest::keyClicks(box(2), QStringLiteral("abc"));
    QVERIFY(box(1)->text().isEmpty() && box(2)->text().isEmpty());

    QTest::mouseClick(button("CmdCKensaku"), Qt::LeftButton);
    QWidget *list = m_windows->window(WindowId::FrmCliantU);
    QVERIFY(list && list->isVisible());
    auto *rows = list->findChild<QTreeWidget *>(QStringLiteral("ListView1"));
    rows->setCurrentItem(rows->topLevelItem(1));
    QTest::mouseClick(list->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);

    QCOMPARE(box(1)->text(), QStringLiteral("200"));
    QCOMPARE(box(2)->text(), QStringLiteral("有限会社佐藤工業"));
    QVERIFY(!list->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(QApplication::focusWidget(), date(0)->yearPart());

    // Closing the window hides the list.
    QTest::mouseClick(button("CmdCKensaku"), Qt::LeftButton);
    QVERIFY(list->isVisible());
    QTest::mouseClick(button("CmdEnd"), Qt::LeftButton);
    QVERIFY(!m_window->isVisible() && !list->isVisible());
}

void TestFrmSite::inputMethodModes()
{
    open();
    QVERIFY(box(0)->inputMethodHints() & Qt::ImhLatinOnly);
    QVERIFY(!(box(4)->inputMethodHints() & Qt::ImhLatinOnly));
    QVERIFY(box(4)->testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(box(3)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QVERIFY(box(5)->isHidden());
}

QTEST_MAIN(TestFrmSite)
#include "tst_FrmSite.moc"
