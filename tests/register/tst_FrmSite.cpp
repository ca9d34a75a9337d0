#include "ServerRegister.h"
#include "WindowFixture.h"

#include "masters/FrmCliantU.h"
#include "register/DateSerial.h"
#include "register/DateTextBox.h"
#include "register/FrmSite.h"
#include "ui/EnterPressesButton.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QAbstractItemView>
#include <QtTest>

#include <algorithm>
#include <array>

using Answer = DialogService::Answer;

namespace {
const QString emptyScreen = QStringLiteral("||||||//|//|00000|R");
const QString taken = QStringLiteral("手形番号が重複しています。");
// How shown() lists a message giving the database's reason for a refused write.
const QString refusal = QStringLiteral("refused");
}

class TestFrmSite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }

    void init()
    {
        QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error()));
        m_f = std::make_unique<WindowFixture>();
        m_f->data.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName, KbnZan) VALUES ('01', '中央銀行 本店', 0), "
                                      "('02', 'みなと銀行 駅前支店', 0)"));
        m_f->data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('100', '株式会社山田製作所'), "
                                      "('200', '有限会社佐藤工業')"));
    }

    void cleanup()
    {
        QCOMPARE(m_f->dialogs.unexpected(), 0);
        m_window.reset();
        m_f.reset();
    }

    void load_data()
    {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("lists");
        QTest::addColumn<QString>("savedCodes");

        QTest::newRow("tables filled") << "" << QStringList {} << "00000" << "01|1";
        QTest::newRow("no banks, no categories") << "kbn6 Kbn4" << QStringList {QStringLiteral("支払銀行が登録されていません。")}
                                                 << "0-100-1" << "|";
    }

    void load()
    {
        QFETCH(QString, emptied);
        QFETCH(QStringList, messages);
        QFETCH(QString, lists);
        QFETCH(QString, savedCodes);

        for (const QString &table : emptied.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            m_f->data.exec(QStringLiteral("DELETE FROM ") + table);
        m_f->windows.registerFactory(WindowId::FrmView, [] { return std::make_unique<QWidget>(); });
        open();
        QCOMPARE(m_f->dialogs.messageTexts(), messages);
        QVERIFY(allWarnings());
        // Kind, bank, state, purpose and accounting category, as "code : name" in table order.
        const std::array<const char *, 5> tables {"kbn1", "kbn6", "Kbn3", "kbn2", "Kbn4"};
        for (int i = 0; i < 5; ++i) {
            QStringList items;
            for (int k = 0; k < combo(i)->count(); ++k)
                items << combo(i)->itemText(k);
            QCOMPARE(items.join(QLatin1Char('|')),
                     m_f->data.scalar(QStringLiteral("SELECT group_concat(KbnCode || ' : ' || KbnName, '|') "
                                                     "FROM (SELECT * FROM %1 ORDER BY rowid)")
                                              .arg(QLatin1String(tables[i]))).toString());
        }
        const QString empty = QStringLiteral("||||||//|//|%1|R").arg(lists);
        QCOMPARE(screen(), empty);

        // Usable either way: a note is saved with the codes of the first items, or none.
        m_f->dialogs.clear();
        enterNote(QStringLiteral("E-1"));
        click("CmdRecorde");
        QVERIFY(m_f->dialogs.calls().isEmpty());
        QCOMPARE(stored(QStringLiteral("IFNULL(TBank, '') || '|' || IFNULL(TKeiri, '')"), QStringLiteral("E-1")),
                 savedCodes);
        QCOMPARE(screen(), empty);
        click("CmdPrint");
        QCOMPARE(m_f->values.ModeFlag(), QStringLiteral("8"));
        QVERIFY(m_f->windows.window(WindowId::FrmView)->isVisible());
    }

    void registerChecks_data()
    {
        QTest::addColumn<QString>("note"); // number|payee|amount|drawn|due
        QTest::addColumn<QStringList>("messages");

        const QString missing = QStringLiteral("未入力の項目があります。");
        const QString notANumber = QStringLiteral("金額は数値で入力してください。");
        const QString noDrawn = QStringLiteral("振出日が入力されていません。");
        const QString noDue = QStringLiteral("決済日が入力されていません。");
        const auto row = [](const char *tag, const char *note, const QStringList &messages) {
            QTest::newRow(tag) << QString::fromUtf8(note) << messages;
        };
        row("number and dates empty", "|100|1000|//|//", {missing, noDrawn, noDue});
        // Stored trimmed, blanks would be an empty number.
        row("number of blanks", " 　 |100|1000|2024/4/15|2024/7/31", {missing});
        row("payee missing", "N-1||1000|2024/4/15|2024/7/31", {missing});
        row("amount missing", "N-1|100||2024/4/15|2024/7/31", {missing});
        row("day part missing", "N-1|100|1000|2024/4/15|2024/7/", {noDue});
        row("no valid date", "N-1|100|1000|9999/13/1|2024/7/31", {noDrawn});
        row("number taken", "OLD-1|100|1000|2024/4/15|2024/7/31", {taken});
        row("quote in the number", "A'1|100|1000|2024/4/15|2024/7/31", {QStringLiteral("手形番号に「'」は使えません。")});
        row("everything wrong", "OLD-1|100|x|//|//", {notANumber, noDrawn, noDue, taken});
        row("database refuses", "LOCKED|100|1000|2024/4/15|2024/7/31", {refusal});
        const QString wholeYen = QStringLiteral("金額は1円以上の整数で入力してください。");
        for (const char *amount : {"-100.5", ".5", "0", "－５"})
            QTest::addRow("amount %s", amount) << QStringLiteral("N-1|100|%1|2024/4/15|2024/7/31").arg(QString::fromUtf8(amount))
                                               << QStringList {wholeYen};
        // Month 13 is January of the next year; full-width digits are read as digits.
        row("all checks pass", "N-1|100|１，０００|2024/13/10|2024/7/31", {});
    }

    void registerChecks()
    {
        QFETCH(QString, note);
        QFETCH(QStringList, messages);
        const QStringList n = note.split(u'|');

        m_f->data.addNote(QStringLiteral("OLD-1"), QStringLiteral("2024-06-30"));
        m_f->data.refuseWrites(QStringLiteral("INSERT"), QStringLiteral("SiteTbl"), QStringLiteral("NEW.TNo = 'LOCKED'"));
        open();
        enterNote(n[0], n[2], n[3], n[4], n[1]);
        const QString typed = screen();
        click("CmdRecorde");

        QCOMPARE(shown(), messages);
        QVERIFY(allWarnings());
        if (messages.isEmpty()) {
            QCOMPARE(numbers(), QStringLiteral("N-1,OLD-1"));
            QCOMPARE(stored(QStringLiteral("(TKingaku + 0.0) || '|' || TFDate"), n[0]), QStringLiteral("1000.0|2025-01-10"));
            QCOMPARE(screen(), emptyScreen);
        } else {
            QCOMPARE(numbers(), QStringLiteral("OLD-1"));
            QCOMPARE(screen(), typed);
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    void registerCallUpClear()
    {
        open();
        enterNote(QStringLiteral("A-12"), QStringLiteral("1,234,567"));
        // Second kind (the third is an electronic record), second bank, second state, fourth purpose,
        // second category.
        const std::array<int, 5> downs {1, 1, 1, 3, 1};
        for (int list = 0; list < 5; ++list) {
            for (int i = 0; i < downs[list]; ++i)
                QTest::keyClick(combo(list), Qt::Key_Down);
        }
        // Japanese text arrives from the input method as a committed string.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("4月分 支払"));
        QApplication::sendEvent(box(4), &commit);
        click("CmdRecorde");

        QVERIFY(m_f->dialogs.calls().isEmpty());
        QCOMPARE(m_f->data.scalar(QStringLiteral("SELECT TNo || '|' || TTo || '|' || TFDate || '|' || TKDate || '|' || "
                                                 "TBank || '|' || (TKingaku + 0.0) || '|' || TKubun || '|' || TCond || '|' || "
                                                 "TYoto || '|' || TKeiri || '|' || TRemarks FROM SiteTbl")).toString(),
                 QStringLiteral("A-12|100|2024-04-15|2024-07-31|02|1234567.0|2|2|4|2|4月分 支払"));
        QCOMPARE(screen(), emptyScreen);

        callUp(QStringLiteral("A-12"));
        // Asked first whether the screen may be overwritten, then for the number.
        QCOMPARE(m_f->dialogs.calls().size(), 2);
        QCOMPARE(m_f->dialogs.messageTexts(), QStringList {QStringLiteral("表示されているデータが消去されます。")});
        QCOMPARE(m_f->dialogs.calls().first().buttons, DialogService::Buttons::YesNo);
        QCOMPARE(screen(), QStringLiteral("A-12|100|株式会社山田製作所|1234567|4月分 支払|A-12|2024/4/15|2024/7/31|11131|E"));

        // Clearing keeps the mode but forgets the called-up note: there is nothing to delete.
        click("CmdClear");
        QCOMPARE(screen(), QStringLiteral("||||||//|//|00000|E"));
        m_f->dialogs.clear();
        click("CmdDelete");
        QCOMPARE(m_f->dialogs.messageTexts(), QStringList {QStringLiteral("削除する手形を呼び出してください。")});
        QCOMPARE(m_f->dialogs.messages().first().icon, DialogService::Icon::Critical);
        QCOMPARE(numbers(), QStringLiteral("A-12"));
    }

    void changeTheCalledUpNote_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("number");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("numbersAfter");
        QTest::addColumn<bool>("written");

        const QStringList none;
        QTest::newRow("correct under its own number") << "CmdEdit" << "A-12" << Answer::Ok << "" << none << "A-12,B-1"
                                                      << true;
        QTest::newRow("correct to a free number") << "CmdEdit" << "A-13" << Answer::Ok << "" << none << "A-13,B-1" << true;
        QTest::newRow("correct to another letter case") << "CmdEdit" << "a-12" << Answer::Ok << "" << none << "a-12,B-1"
                                                        << true;
        QTest::newRow("correct to a taken number") << "CmdEdit" << "B-1" << Answer::Ok << "" << QStringList {taken}
                                                   << "A-12,B-1" << false;
        QTest::newRow("correct refused") << "CmdEdit" << "A-12" << Answer::Ok << "UPDATE" << QStringList {refusal}
                                         << "A-12,B-1" << false;
        // The called-up note is deleted, whatever number is in the box.
        const QStringList asked {QStringLiteral("手形番号：A-12を　削除しますか？")};
        QTest::newRow("delete cancelled") << "CmdDelete" << "B-1" << Answer::Cancel << "" << asked << "A-12,B-1" << false;
        QTest::newRow("delete confirmed") << "CmdDelete" << "B-1" << Answer::Ok << "" << asked << "B-1" << true;
        QTest::newRow("delete refused") << "CmdDelete" << "B-1" << Answer::Ok << "DELETE" << (asked + QStringList {refusal})
                                        << "A-12,B-1" << false;
    }

    void changeTheCalledUpNote()
    {
        QFETCH(QString, command);
        QFETCH(QString, number);
        QFETCH(Answer, answer);
        QFETCH(QString, refused);
        QFETCH(QStringList, messages);
        QFETCH(QString, numbersAfter);
        QFETCH(bool, written);

        m_f->data.addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"));
        m_f->data.addNote(QStringLiteral("B-1"), QStringLiteral("2024-06-30"));
        if (!refused.isEmpty())
            m_f->data.refuseWrites(refused, QStringLiteral("SiteTbl"));
        open();
        callUp(QStringLiteral("A-12"));
        m_f->dialogs.clear();
        box(0)->selectAll();
        QTest::keyClicks(box(0), number);
        box(3)->selectAll();
        QTest::keyClicks(box(3), QStringLiteral("2,000"));
        const QString typed = screen();
        const bool deleting = command == QLatin1String("CmdDelete");
        if (deleting)
            m_f->dialogs.queueAnswer(answer);
        click(command.toLatin1().constData());

        QCOMPARE(shown(), messages);
        if (deleting)
            QCOMPARE(m_f->dialogs.messages().first().buttons, DialogService::Buttons::OkCancel);
        QCOMPARE(numbers(), numbersAfter);
        // Only a correction that went through saves the amount typed.
        QCOMPARE(stored(QStringLiteral("TKingaku"), numbersAfter.section(QLatin1Char(','), 0, 0)).toDouble(),
                 written && !deleting ? 2000.0 : 100000.0);
        QCOMPARE(screen(), written ? emptyScreen : typed);
        QVERIFY(!QApplication::overrideCursor());
    }

    // Another PC changes the note while it is on the screen: the correction
    // or deletion is refused and the typed input stays.
    void noteChangedOnAnotherPc_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("elsewhere");

        QTest::newRow("correct after a settlement") << "CmdEdit" << "UPDATE SiteTbl SET TCond = '2'";
        QTest::newRow("delete after a correction") << "CmdDelete" << "UPDATE SiteTbl SET TKingaku = 7";
        QTest::newRow("correct after a deletion") << "CmdEdit" << "DELETE FROM SiteTbl";
    }

    void noteChangedOnAnotherPc()
    {
        QFETCH(QString, command);
        QFETCH(QString, elsewhere);

        m_f->data.addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"));
        open();
        callUp(QStringLiteral("A-12"));
        m_f->data.exec(elsewhere + QStringLiteral(" WHERE TNo = 'A-12'"));
        // The notes and the number of history rows.
        const auto kept = [this] {
            return m_f->data.scalar(QStringLiteral("SELECT IFNULL((SELECT group_concat(TNo || TKingaku || TCond) FROM SiteTbl), '') "
                                                   "|| '/' || (SELECT count(*) FROM RirekiTbl)")).toString();
        };
        const QString before = kept();
        const QString changedBy = m_f->data.lastChange();
        m_f->dialogs.clear();
        box(3)->selectAll();
        QTest::keyClicks(box(3), QStringLiteral("2,000"));
        const QString typed = screen();
        if (command == QLatin1String("CmdDelete"))
            m_f->dialogs.queueAnswer(Answer::Ok);
        click(command.toLatin1().constData());

        const ScriptedDialogService::Call refusal = m_f->dialogs.messages().constLast();
        QCOMPARE(refusal.title + u'|' + refusal.text,
                 QStringLiteral("警告|この手形は他の端末で変更されています（%1）。呼び出し直してください。").arg(changedBy));
        QCOMPARE(refusal.icon, DialogService::Icon::Critical);
        QCOMPARE(kept(), before);
        QCOMPARE(screen(), typed);
    }

    void callUpFindingNothing_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("missing number") << "ZZ-9" << QStringList {QStringLiteral("手形番号が見つかりません。")};
        QTest::newRow("input cancelled") << "" << QStringList {};
    }

    void callUpFindingNothing()
    {
        QFETCH(QString, typed);

        // The payee's supplier has been deleted since: its name shows as "X".
        m_f->data.addNote(QStringLiteral("A-12"), QStringLiteral("2024-06-30"), QStringLiteral("1"), 100000,
                          QStringLiteral("200"));
        m_f->data.exec(QStringLiteral("DELETE FROM SireCliant WHERE ClCode = '200'"));
        open();
        callUp(QStringLiteral("A-12"));
        QCOMPARE(screen(), QStringLiteral("A-12|200|X|100000||A-12|2024/1/10|2024/6/30|00000|E"));
        m_f->dialogs.clear();
        callUp(typed);

        QTEST(m_f->dialogs.messageTexts().mid(1), "messages");
        // The fields are kept; the called-up number is forgotten.
        const QString kept = QStringLiteral("A-12|200|X|100000|||2024/1/10|2024/6/30|00000|R");
        QCOMPARE(screen(), kept);

        // So registering the note on the screen again is refused as a duplicate.
        m_f->dialogs.clear();
        click("CmdRecorde");
        QCOMPARE(m_f->dialogs.messageTexts(), QStringList {taken});
        QCOMPARE(numbers(), QStringLiteral("A-12"));

        // Answering No to the question changes nothing.
        m_f->dialogs.clear();
        m_f->dialogs.queueAnswer(Answer::No);
        click("CmdCall");
        QCOMPARE(m_f->dialogs.calls().size(), 1);
        QCOMPARE(screen(), kept);
    }

    void tabOrderAndHelpLines()
    {
        open();
        showActive();
        QCOMPARE(QApplication::focusWidget(), combo(0));
        const QList<QWidget *> expected {
            box(0), button("CmdCKensaku"), box(1), box(2), date(0)->yearPart(), date(0)->monthPart(), date(0)->dayPart(),
            box(3), date(1)->yearPart(), date(1)->monthPart(), date(1)->dayPart(), combo(1), combo(2), combo(3), combo(4),
            box(4), button("CmdRecorde"), button("CmdCall"), button("CmdClear"), button("CmdEnd"), button("CmdPrint"),
            combo(0),
        };
        // The help line each time it changes: fields without one keep the last.
        const QLabel *help = m_window->findChild<QLabel *>(QStringLiteral("StatusPanel2"));
        QStringList helpLines {help->text()};
        QList<QWidget *> visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(static_cast<QWidget *>(nullptr), Qt::Key_Tab);
            visited << QApplication::focusWidget();
            if (help->text() != helpLines.last())
                helpLines << help->text();
        }
        QCOMPARE(visited, expected);
        QCOMPARE(helpLines.join(u'\n'),
                 QStringLiteral("手形の種類（約束/為替）を選択してください。\n手形番号（手形帳記載）を入力してください。\n"
                                "振出先を選択してください。\n振出た手形の金額を入力してください。\n決済する銀行を選択してください。\n"
                                "手形の状態を選択してください。\n手形を振り出す用途を選択してください。\n"
                                "長期、短期などの区分を選択してください。\n手形に関するコメントがあれば入力してください。\n"
                                "手形の種類（約束/為替）を選択してください。"));
    }

    void payeeFromTheSearchList()
    {
        m_f->windows.registerFactory(WindowId::FrmCliantU, [this] { return std::make_unique<FrmCliantU>(m_f->context); });
        open();
        showActive();
        // The payee comes only from the list.
        QVERIFY(box(1)->isReadOnly() && box(2)->isReadOnly());
        click("CmdCKensaku");
        QWidget *list = m_f->windows.window(WindowId::FrmCliantU);
        QVERIFY(list && list->isVisible());
        auto *rows = list->findChild<QAbstractItemView *>(QStringLiteral("ListView1"));
        rows->setCurrentIndex(rows->model()->index(1, 0));
        QTest::mouseClick(list->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);

        QCOMPARE(box(1)->text() + u'|' + box(2)->text(), QStringLiteral("200|有限会社佐藤工業"));
        QVERIFY(!list->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(QApplication::focusWidget(), date(0)->yearPart());

        // Closing the window hides the list.
        click("CmdCKensaku");
        QVERIFY(list->isVisible());
        click("CmdEnd");
        QVERIFY(!m_window->isVisible() && !list->isVisible());
    }

    void actualSettlementDate_data()
    {
        QTest::addColumn<QString>("due");
        QTest::addColumn<QString>("label");
        QTest::newRow("business day") << "2026/12/30" << "";
        QTest::newRow("year end") << "2026/12/31" << "実際の決済日 2027/01/04(月)";
    }

    // The label follows the due date; the note is saved as typed and the
    // window's messages and flow stay as they are.
    void actualSettlementDate()
    {
        QFETCH(QString, due);
        open();
        auto *label = m_window->findChild<QLabel *>(QStringLiteral("lblSettlementDate"));
        enterNote(QStringLiteral("H-1"), QStringLiteral("500000"), QStringLiteral("2026/10/1"), due);
        QTEST(label->text(), "label");
        click("CmdRecorde");
        QVERIFY(m_f->dialogs.calls().isEmpty());
        QCOMPARE(stored(QStringLiteral("TKDate"), QStringLiteral("H-1")),
                 QDate::fromString(due, QStringLiteral("yyyy/M/d")).toString(Qt::ISODate));
        QCOMPARE(screen(), emptyScreen);
        QVERIFY(label->text().isEmpty());
    }

    // Beside the fields: term, 60日超, stamp duty, then C and S for the
    // clearing-house and subcontract warnings. Kind 3 is an electronic
    // record; supplier 100 is covered by the subcontract law.
    void warningPanel_data()
    {
        QTest::addColumn<QString>("note"); // kind|payee|amount|drawn|due
        QTest::addColumn<QString>("shown");
        QTest::newRow("paper, 60 days") << "1|200|99999|2025/5/1|2025/6/30" << "サイト 60日||印紙税 非課税（100,000円未満）|";
        QTest::newRow("paper, all warnings") << "1|100|５００００００|2027/1/4|2027/4/1" << "サイト 87日|60日超|印紙税 1,000円|CS";
        // An electronic record over 60 days to a covered payee: 60日超 and
        // the subcontract warning of its term; no clearing-house warning.
        QTest::newRow("electronic") << "3|100|5000000|2027/1/4|2027/4/1" << "サイト 87日|60日超|印紙税 不要（電子記録債務）|S";
        QTest::newRow("nothing typed") << "1|||//|//" << "|||";
    }

    void warningPanel()
    {
        QFETCH(QString, note);
        const QStringList n = note.split(u'|');
        m_f->data.exec(QStringLiteral("UPDATE SireCliant SET ClTekiho = CASE ClCode WHEN '100' THEN 1 ELSE 0 END"));
        open();
        m_window->show();
        chooseKind(n[0]);
        enterNote(QString(), n[2], n[3], n[4], n[1]);
        const auto label = [this](const char *name) { return WindowFixture::child<QLabel>(m_window.get(), name); };
        QTEST(QStringList({label("lblTerm")->text(), label("lblLongTerm")->isVisible() ? QStringLiteral("60日超") : QString(),
                           label("lblStampDuty")->text(),
                           QLatin1String(label("lblClearing")->isVisible() ? "C" : "")
                                   + QLatin1String(label("lblSubcontract")->isVisible() ? "S" : "")})
                      .join(u'|'),
              "shown");
        // The panel warns; it never stops a save or asks anything.
        QVERIFY(m_f->dialogs.calls().isEmpty());
    }

    void recordNumber_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("20 half-width") << "3" << "AB345678901234567890" << "AB345678901234567890";
        QTest::newRow("20 full-width") << "3" << "ＡＢ３４５６７８９０１２３４５６７８９０" << "AB345678901234567890";
        QTest::newRow("small letters") << "3" << "ab345678901234567890" << "AB345678901234567890";
        QTest::newRow("full-width small") << "3" << "ａｂ３４５６７８９０１２３４５６７８９０" << "AB345678901234567890";
        QTest::newRow("19 characters") << "3" << "AB34567890123456789" << "";
        QTest::newRow("a hyphen") << "3" << "AB-45678901234567890" << "";
        QTest::newRow("paper note, any number") << "1" << "A-1" << "A-1";
    }

    void recordNumber()
    {
        QFETCH(QString, kind);
        QFETCH(QString, number);
        QFETCH(QString, stored);
        open();
        chooseKind(kind);
        enterNote(number);
        click("CmdRecorde");
        QCOMPARE(numbers(), stored);
        QCOMPARE(m_f->dialogs.messages().size(), stored.isEmpty() ? 1 : 0);
        if (stored.isEmpty()) {
            QCOMPARE(m_f->dialogs.messages().first().title, QStringLiteral("警告"));
            QVERIFY(m_f->dialogs.messages().first().text.startsWith(
                    QStringLiteral("電子記録債務の手形番号には、記録番号（半角の英数字20文字）を入力してください。")));
        }
    }

    // The date box as it is typed into, and the rules the note's dates and
    // list items are read by.
    void typing_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("parts");
        QTest::addColumn<int>("focus"); // 0 year, 1 month, 2 day

        QTest::newRow("full parts move on") << "20240415" << "2024/04/15" << 2;
        QTest::newRow("separators move on") << "2024/4/5" << "2024/4/5" << 2;
        QTest::newRow("only digits") << "2a0b2x4q" << "2024//" << 1;
        QTest::newRow("day stays full") << "202412319" << "2024/12/31" << 2;
        // Backspace in an empty day goes back to the month without deleting there.
        QTest::newRow("backspace goes back") << "20240415\b\b\b" << "2024/04/" << 1;
        QTest::newRow("backspace then retype") << "20240415\b\b\b\b9" << "2024/09/" << 2;
    }

    void typing()
    {
        QFETCH(QString, keys);
        QFETCH(int, focus);

        DateTextBox box;
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        box.setFocus();
        QTest::keyClicks(static_cast<QWidget *>(nullptr), keys);
        QTEST(QStringList({box.Year(), box.Month(), box.Day()}).join(QLatin1Char('/')), "parts");
        const std::array<QLineEdit *, 3> part {box.yearPart(), box.monthPart(), box.dayPart()};
        QCOMPARE(QApplication::focusWidget(), part.at(focus));
    }

    void dateFromParts_data()
    {
        QTest::addColumn<QString>("parts"); // year|month|day
        QTest::addColumn<QDate>("expected");

        QTest::newRow("leading zeros") << "2024|04|05" << QDate(2024, 4, 5);
        QTest::newRow("month 0 is December before") << "2024|0|1" << QDate(2023, 12, 1);
        QTest::newRow("day beyond the month carries") << "2023|2|30" << QDate(2023, 3, 2);
        QTest::newRow("day 0 is the last day before") << "2024|3|0" << QDate(2024, 2, 29);
        QTest::newRow("two-digit year, 2000s") << "24|1|1" << QDate(2024, 1, 1);
        QTest::newRow("two-digit year, 1900s") << "85|1|1" << QDate(1985, 1, 1);
        QTest::newRow("surrounding spaces") << " 2024 |1|1" << QDate(2024, 1, 1);
        QTest::newRow("letters") << "2024|1a|1" << QDate();
        QTest::newRow("beyond 16 bits") << "2024|1|40000" << QDate();
        QTest::newRow("before year 100") << "100|1|0" << QDate();
    }

    void dateFromParts()
    {
        QFETCH(QString, parts);
        const QStringList p = parts.split(u'|');
        QTEST(DateSerial::fromParts(p[0], p[1], p[2]), "expected");
    }

    void enterPressesTheFocusedButton()
    {
        EnterPressesButton::install(*qApp);
        open();
        showActive();
        box(0)->setText(QStringLiteral("X-1"));
        button("CmdClear")->setFocus();
        QTest::keyClick(button("CmdClear"), Qt::Key_Return);
        QCOMPARE(box(0)->text(), QString());
    }

    // The date boxes keep their height; a long payee name shows from its start.
    void layoutAndPayeeBox()
    {
        open();
        m_window->show();
        const int height = date(1)->height();
        m_window->resize(m_window->width() * 2, m_window->height() * 3);
        QTest::qWait(20);
        QCOMPARE(date(1)->height(), height);
        const QString name = QStringLiteral("株式会社ＡＢＣホールディングス東日本本社営業部第一課");
        m_window->supplierPicked(QStringLiteral("130"), name);
        QCOMPARE(box(2)->cursorPosition(), 0);
        QCOMPARE(box(2)->toolTip(), name);
        QCOMPARE(box(2)->palette().color(QPalette::Base), box(2)->palette().color(QPalette::Window));
    }

private:
    void open() { m_window = std::make_unique<FrmSite>(m_f->context); }
    QLineEdit *box(int i) const { return m_window->findChild<QLineEdit *>(QStringLiteral("TxtRibodo_%1").arg(i)); }
    QComboBox *combo(int i) const { return m_window->findChild<QComboBox *>(QStringLiteral("Combo1_%1").arg(i)); }
    DateTextBox *date(int i) const
    {
        return m_window->findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i));
    }
    QPushButton *button(const char *name) const { return WindowFixture::child<QPushButton>(m_window.get(), name); }
    void click(const char *name) const { WindowFixture::click(m_window.get(), name); }

    // Types a note; the defaults make it valid. Dates as "year/month/day".
    void enterNote(const QString &number, const QString &amount = QStringLiteral("500000"),
                   const QString &drawn = QStringLiteral("2024/4/15"), const QString &due = QStringLiteral("2024/7/31"),
                   const QString &payee = QStringLiteral("100")) const
    {
        type(box(0), number);
        if (!payee.isEmpty())
            m_window->supplierPicked(payee, m_f->data.scalar(QStringLiteral("SELECT ClName FROM SireCliant WHERE ClCode = ?"),
                                                             {payee}).toString());
        type(box(3), amount);
        for (int i = 0; i < 2; ++i) {
            const QStringList ymd = (i == 0 ? drawn : due).split(QLatin1Char('/'));
            QTest::keyClicks(date(i)->yearPart(), ymd.at(0));
            QTest::keyClicks(date(i)->monthPart(), ymd.at(1));
            QTest::keyClicks(date(i)->dayPart(), ymd.at(2));
        }
    }

    // Full-width text arrives from the input method as a committed string.
    static void type(QLineEdit *box, const QString &text)
    {
        if (text.toLatin1() == text.toUtf8())
            return QTest::keyClicks(box, text);
        box->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(box, &commit);
    }

    void chooseKind(const QString &code) const
    {
        combo(0)->setCurrentIndex(combo(0)->findText(code + QStringLiteral(" : "), Qt::MatchStartsWith));
    }

    void callUp(const QString &number) const
    {
        m_f->dialogs.queueAnswer(Answer::Yes);
        m_f->dialogs.queueInput(number);
        click("CmdCall");
    }

    // Every message so far is a critical 警告 with only OK.
    bool allWarnings() const
    {
        const QList<ScriptedDialogService::Call> m = m_f->dialogs.messages();
        return std::all_of(m.begin(), m.end(), [](const ScriptedDialogService::Call &c) {
            return c.title == QStringLiteral("警告") && c.icon == DialogService::Icon::Critical
                    && c.buttons == DialogService::Buttons::Ok;
        });
    }

    // The texts of the messages shown, in order.
    QStringList shown() const
    {
        QStringList texts;
        for (const ScriptedDialogService::Call &c : m_f->dialogs.messages())
            texts << (c.details.contains(QLatin1String("locked")) ? refusal : c.text);
        return texts;
    }

    // The stored note numbers in order, joined by commas.
    QString numbers() const
    {
        return m_f->data.scalar(QStringLiteral("SELECT group_concat(TNo, ',') FROM (SELECT TNo FROM SiteTbl "
                                               "ORDER BY TNo)")).toString();
    }

    QString stored(const QString &column, const QString &number) const
    {
        return m_f->data.scalar(QStringLiteral("SELECT %1 FROM SiteTbl WHERE TNo = ?").arg(column), {number})
                .toString();
    }

    // The window in one line: the six boxes, the two dates, the selected item
    // of each list and the mode (R: 登録 enabled, E: 訂正 and 削除 enabled).
    QString screen() const
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
        parts << lists
              << (registering == editing ? QStringLiteral("?") : registering ? QStringLiteral("R") : QStringLiteral("E"));
        return parts.join(QLatin1Char('|'));
    }

    void showActive() const
    {
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    std::unique_ptr<WindowFixture> m_f;
    std::unique_ptr<FrmSite> m_window;
    ServerRegister m_register;
};

QTEST_MAIN(TestFrmSite)
#include "tst_FrmSite.moc"
