#include "ServerRegister.h"
#include "WindowFixture.h"

#include "inquiry/FrmRbView.h"
#include "inquiry/FrmShiwake.h"
#include "exchange/JournalAccounts.h"
#include "ui/ExcelSaveButton.h"
#include "ui/TableGrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
const QString noNotes = QStringLiteral("手形が1件も登録されていません。");
const QString badPeriod = QStringLiteral("集計終了日が開始日より前の日付になっています。");
const QString sqlBase = QStringLiteral("SELECT * FROM QRYRibodo");
}

// Notes inserted out of date order; codes A01 and 007 are text codes.
class TestFrmRbView : public QObject
{
    Q_OBJECT

private:
    void open()
    {
        m_window = std::make_unique<FrmRbView>(m_f->context);
        QVERIFY(WindowFixture::show(m_window.get()));
    }
    template<typename T>
    T *child(const char *name) const { return WindowFixture::child<T>(m_window.get(), name); }
    QComboBox *combo(const char *name) const { return child<QComboBox>(name); }
    QDateEdit *date(const char *name) const { return child<QDateEdit>(name); }
    void click(const char *name) const { WindowFixture::click(m_window.get(), name); }
    // "0" chooses the first item (all payees, all banks).
    void choose(const char *name, const QString &code) const
    {
        combo(name)->setCurrentIndex(code == QLatin1String("0") ? 0 : combo(name)->findData(code));
    }

    void clickNode(const QString &text) const
    {
        auto *tree = child<QTreeWidget>("TreeView1");
        const QTreeWidgetItem *node = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
        QVERIFY(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
    }

    QString tree() const
    {
        const QTreeWidgetItem *root = child<QTreeWidget>("TreeView1")->topLevelItem(0);
        QStringList dates;
        for (int i = 0; i < root->childCount(); ++i)
            dates << root->child(i)->text(0);
        return root->text(0) + QLatin1Char(':') + dates.join(QLatin1Char(','));
    }

    // The note numbers listed, then the totals row's caption and amount.
    QString listed(bool sorted = false) const
    {
        const QAbstractItemModel *m = child<TableGrid>("ListView1")->model();
        QStringList numbers;
        for (int row = 0; row + 1 < m->rowCount(); ++row)
            numbers << m->index(row, 1).data().toString();
        if (sorted)
            numbers.sort();
        const int last = m->rowCount() - 1;
        return last < 0 ? QString()
                        : numbers.join(QLatin1Char(',')) + QLatin1Char('/') + m->index(last, 2).data().toString()
                        + QLatin1Char(' ') + m->index(last, 3).data().toString();
    }

    QString pickers() const
    {
        return date("DTStart")->date().toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('-')
                + date("DTEnd")->date().toString(QStringLiteral("yyyy/MM/dd"));
    }

    // Title, "!" for the critical icon, and the text ("db" for a database failure).
    QStringList shown() const
    {
        QStringList out;
        for (const auto &m : m_f->dialogs.messages())
            out << m.title + (m.icon == DialogService::Icon::Critical ? QStringLiteral("!") : QString())
                            + (m.text == noNotes || m.text == badPeriod ? m.text : QStringLiteral("db"));
        return out;
    }

    QString workTable() const
    {
        // A null field drops its row: every field must be text, empty or not.
        return m_f->data.scalar(QStringLiteral("SELECT group_concat(F1||'|'||F2||'|'||F3||'|'||F4||'|'||F5||'|'||F6||'|'||F7, "
                                               "';') FROM (SELECT * FROM TMPTbl ORDER BY rowid)")).toString();
    }

    std::unique_ptr<WindowFixture> m_f;
    std::unique_ptr<FrmRbView> m_window;

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }

    void cleanup() { m_window.reset(); }


    void init()
    {
        QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error()));
        m_f = std::make_unique<WindowFixture>();
        m_f->data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES ('12', '山田'), ('A01', '佐藤'), "
                                      "('007', '鈴木')"));
        m_f->data.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('3', '中央'), ('007', 'みなと')"));
        m_f->data.exec(QStringLiteral(
                "INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TKeiri, TRemarks) "
                "VALUES ('N4', '2024-03-01', '2024-06-15', '007', '12', 1234567, '1', '1', '1', '2', 'x'), "
                "('N2', '2024-02-01', '2024-04-30', '007', 'A01', 250000, '1', '1', '1', '2', ''), "
                "('N1', '2024-01-10', '2024-04-01', '3', '12', 100000, '1', '2', '1', '1', '3月分'), "
                "('N3', NULL, '2024-04-01', '3', '007', 0.4, '1', '1', '1', '1', NULL), "
                "('N5', '2024-04-01', '2024-07-01', '3', '12', 0, '1', '1', '1', '1', NULL)"));
        m_f->windows.registerFactory(WindowId::FrmView, [] { return std::make_unique<QWidget>(); });
    }

    void opening_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("lists"); // ComboF and ComboB items, then the position of Combo2

        const QString dates = QStringLiteral("支払手形:2024/04/01,2024/04/30,2024/06/15,2024/07/01");
        const QString lists = QStringLiteral("<振出先全部>;12, 山田;A01, 佐藤;007, 鈴木|<銀行全部>;3, 中央;007, みなと|");
        QTest::newRow("dates ascending") << "" << dates << QStringList() << lists + QStringLiteral("0");
        QTest::newRow("no notes") << "DELETE FROM SiteTbl" << QStringLiteral("支払手形:")
                                  << QStringList {QStringLiteral("警告!") + noNotes} << lists + QStringLiteral("-1");
        QTest::newRow("supplier and bank tables unreadable")
                << "DROP TABLE SireCliant;DROP TABLE kbn6" << dates << QStringList {QStringLiteral("警告!db"), QStringLiteral("警告!db")}
                << QStringLiteral("<振出先全部>|<銀行全部>|0");
    }

    void opening()
    {
        QFETCH(QString, setup);
        QFETCH(QString, lists);
        for (const QString &sql : setup.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (sql.startsWith(QLatin1String("DROP TABLE ")))
                m_f->data.drop(sql.mid(11));
            else
                m_f->data.exec(sql);
        }
        open();
        QTEST(tree(), "tree");
        QTEST(shown(), "messages");
        QString shownLists;
        for (QComboBox *c : {combo("ComboF"), combo("ComboB")}) {
            QCOMPARE(c->currentIndex(), 0);
            for (int i = 0; i < c->count(); ++i)
                shownLists += c->itemText(i) + (i + 1 < c->count() ? QLatin1Char(';') : QLatin1Char('|'));
        }
        QCOMPARE(shownLists + QString::number(combo("Combo2")->currentIndex()), lists);
        QCOMPARE(listed(), QString());
    }

    void nodeClick_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("pickers");
        QTest::addColumn<QString>("sql");

        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
        QTest::newRow("root lists all") << "支払手形" << "N4,N2,N1,N3,N5/金額計 1,584,567" << today + QLatin1Char('-') + today
                                        << "";
        QTest::newRow("one date") << "2024/04/01" << "N1,N3/金額計 100,000" << "2024/04/01-2024/04/01"
                                  << sqlBase + QStringLiteral(" WHERE TKDate = #2024/04/01#");
        QTest::newRow("zero total shows empty") << "2024/07/01" << "N5/金額計 " << "2024/07/01-2024/07/01"
                                                << sqlBase + QStringLiteral(" WHERE TKDate = #2024/07/01#");
    }

    void nodeClick()
    {
        QFETCH(QString, node);
        open();
        choose("ComboF", QStringLiteral("A01"));
        choose("ComboB", QStringLiteral("3"));
        combo("Combo2")->setCurrentIndex(2);
        QCOMPARE(combo("Combo1")->count(), 4);
        clickNode(node);
        QTEST(listed(), "list");
        QTEST(pickers(), "pickers");
        QTEST(m_window->ExplorerSql(), "sql");
        QCOMPARE(combo("ComboF")->currentText() + combo("ComboB")->currentText() + combo("Combo2")->currentText()
                         + QString::number(combo("Combo1")->count()),
                 QStringLiteral("<振出先全部><銀行全部><区分選択なし>0"));
        // The same node clicked again reads the notes again.
        clickNode(QStringLiteral("2024/04/30"));
        m_f->data.addNote(QStringLiteral("N6"), QStringLiteral("2024-04-30"), QStringLiteral("1"), 5000);
        clickNode(QStringLiteral("2024/04/30"));
        QCOMPARE(listed(), QStringLiteral("N2,N6/金額計 255,000"));
        QCOMPARE(shown(), QStringList());
    }

    void search_data()
    {
        QTest::addColumn<QString>("choice"); // payee|bank|end of April or not|kind|item ("-": no items)
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("list");

        const QString from = QStringLiteral(" TKDate >= #2024/04/01#");
        const QString april = QStringLiteral(" TKDate BETWEEN #2024/04/01# AND #2024/04/30#");
        const QString where = QStringLiteral("WHERE");
        QTest::newRow("000") << "0|0||0|" << where + from << "N1,N2,N3,N4,N5/金額計 1,584,567";
        QTest::newRow("001") << "0|0|4/30|0|" << where + april << "N1,N2,N3/金額計 350,000";
        QTest::newRow("010, text bank code") << "0|007||0|" << QStringLiteral("WHERE TBank = '007' AND") + from
                                             << "N2,N4/金額計 1,484,567";
        QTest::newRow("100, text payee code") << "A01|0||0|" << QStringLiteral("WHERE TTo = 'A01' AND") + from
                                              << "N2/金額計 250,000";
        QTest::newRow("011") << "0|3|4/30|0|" << QStringLiteral("WHERE TBank = '3' AND") + april << "N1,N3/金額計 100,000";
        QTest::newRow("101") << "12|0|4/30|0|" << QStringLiteral("WHERE TTo = '12' AND") + april << "N1/金額計 100,000";
        QTest::newRow("110") << "12|3||0|" << QStringLiteral("WHERE TTo = '12' AND TBank = '3' AND") + from
                             << "N1,N5/金額計 100,000";
        QTest::newRow("100 purpose 2") << "12|0||2|2" << QStringLiteral("WHERE TTo = '12' AND") + from + QStringLiteral(" AND TYoto = '2'")
                                       << "N1/金額計 100,000";
        QTest::newRow("001 accounting 2") << "0|0|4/30|4|2" << where + april + QStringLiteral(" AND TKeiri = '2'")
                                          << "N2/金額計 250,000";
        QTest::newRow("kind without items") << "0|0||1|-" << where + from << "N1,N2,N3,N4,N5/金額計 1,584,567";
        QTest::newRow("nothing found, no totals row") << "007|007||0|" << QStringLiteral("WHERE TTo = '007' AND TBank = '007' AND") + from << "";
    }

    void search()
    {
        QFETCH(QString, choice);
        QFETCH(QString, sql);
        const QStringList c = choice.split(u'|');
        if (c[4] == QLatin1String("-"))
            m_f->data.exec(QStringLiteral("DELETE FROM kbn1"));
        open();
        choose("ComboF", c[0]);
        choose("ComboB", c[1]);
        date("DTStart")->setDate(QDate(2024, 4, 1));
        date("DTEnd")->setDate(c[2].isEmpty() ? QDate(2024, 4, 1) : QDate(2024, 4, 30));
        combo("Combo2")->setCurrentIndex(c[3].toInt());
        if (!c[4].isEmpty() && c[4] != QLatin1String("-"))
            choose("Combo1", c[4]);
        click("cmdGo");
        QCOMPARE(m_window->ExplorerSql(), sqlBase + QLatin1Char(' ') + sql);
        QTEST(listed(true), "list");
    }

    void periodRule()
    {
        open();
        clickNode(QStringLiteral("2024/04/30"));
        date("DTStart")->setDate(QDate(2024, 1, 1));
        QCOMPARE(pickers(), QStringLiteral("2024/01/01-2024/12/01"));
        date("DTStart")->setDate(QDate(2024, 5, 1));
        date("DTEnd")->setDate(QDate(2024, 4, 30));
        click("cmdGo");
        QCOMPARE(shown(), QStringList {QStringLiteral("警告!") + badPeriod});
        QCOMPARE(listed(), QStringLiteral("N2/金額計 250,000"));
        QCOMPARE(m_window->ExplorerSql(), sqlBase + QStringLiteral(" WHERE TKDate = #2024/04/30#"));
        QTest::keyClick(child<QTreeWidget>("TreeView1"), Qt::Key_Escape);
        QVERIFY(!m_window->isVisible());
    }

    void printing_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("table"); // empty: the first print's rows stay

        QTest::newRow("second list replaces the first")
                << "" << "2024/04/01" << false << "2024/01/10|N1|山田|100,000|2024/04/01|中央|3月分;|N3|鈴木||2024/04/01|中央|";
        QTest::newRow("amount 0 as empty text") << "" << "2024/07/01" << false << "2024/04/01|N5|山田||2024/07/01|中央|";
        QTest::newRow("refused write keeps the table") << "" << "2024/07/01" << true << "";
        // A deleted payee or bank shows its code, marked as the reports mark it.
        QTest::newRow("deleted payee and bank")
                << "DELETE FROM SireCliant WHERE ClCode = '12';DELETE FROM kbn6 WHERE KbnCode = '3'" << "2024/04/01" << false
                << "2024/01/10|N1|(未登録 12)|100,000|2024/04/01|(未登録 3)|3月分;|N3|鈴木||2024/04/01|(未登録 3)|";
    }

    void printing()
    {
        QFETCH(QString, node);
        QFETCH(bool, refused);
        QFETCH(QString, table);
        QFETCH(QString, setup);
        for (const QString &sql : setup.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            m_f->data.exec(sql);
        open();
        clickNode(QStringLiteral("支払手形"));
        click("cmdPrint");
        const QString first = workTable();
        QCOMPARE(first.count(QLatin1Char(';')), 4);
        QCOMPARE(m_f->values.ModeFlag(), QStringLiteral("9"));
        QVERIFY(m_f->windows.window(WindowId::FrmView));
        m_f->windows.unload(WindowId::FrmView);
        if (refused)
            m_f->data.refuseWrites(QStringLiteral("INSERT"), QStringLiteral("TMPTbl"));
        clickNode(node);
        click("cmdPrint");
        QCOMPARE(workTable(), table.isEmpty() ? first : table);
        QCOMPARE(m_f->windows.window(WindowId::FrmView) != nullptr, !refused);
        QCOMPARE(shown(), refused ? QStringList {QStringLiteral("警告!db")} : QStringList());
    }


    // 「Excel 保存」 saves the listed notes without the totals row; 仕訳出力
    // writes the journal of the period the pickers show and keeps the
    // account names typed.
    void savingAndJournal()
    {
        open();
        clickNode(QStringLiteral("支払手形"));
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("list.csv"));
        m_f->dialogs.queueSaveFile(csv, ExcelSaveButton::filters().at(1));
        click("cmdExcel");
        const QString text = QString::fromUtf8(TestDataFolder::fileBytes(csv));
        QCOMPARE(text.count(QStringLiteral("\r\n")), 6);
        QVERIFY(text.contains(QStringLiteral("\r\n2024/03/01,N4,山田,1234567,2024/06/15,みなと,x\r\n")));

        date("DTStart")->setDate(QDate(2024, 1, 1));
        date("DTEnd")->setDate(QDate(2024, 2, 29));
        click("cmdShiwake");
        auto *dialog = m_window->findChild<FrmShiwake *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->DTStart->date(), QDate(2024, 1, 1));
        dialog->TxtKamoku[2]->setText(QStringLiteral("普通預金"));
        QCOMPARE(dialog->TxtKamoku[3]->text(), QStringLiteral("電子記録債務"));
        dialog->TxtKamoku[3]->setText(QStringLiteral("でんさい債務"));
        m_f->dialogs.queueSaveFile(dir.filePath(QStringLiteral("shiwake.csv")));
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
        QCOMPARE(m_f->dialogs.messageTexts(), QStringList{QStringLiteral("仕訳 2 件を書き出しました。")});
        const JournalAccounts accounts = JournalAccounts::load(m_f->data.path());
        QCOMPARE(accounts.bankAccount + u'|' + accounts.electronicRecords, QStringLiteral("普通預金|でんさい債務"));
        QCOMPARE(m_f->dialogs.unexpected(), 0);
    }

    // The menu beside 印刷: the list as shown, the stamp duties of a period
    // asked for (full-width input accepted) and the notes to watch.
    void printMenu_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("report"); // ModeFlag and the period, empty when none opens
        QTest::addColumn<QString>("message");

        QTest::newRow("list") << 0 << "" << "9" << "";
        QTest::newRow("stamp duties") << 2 << "２０２６／４／１～２０２６／０４／３０" << "14 2026/04/01-2026/04/30" << "";
        QTest::newRow("cancelled") << 2 << "" << "" << "";
        QTest::newRow("no period") << 2 << "2026/04/01" << ""
                                   << "期間は「2026/04/01-2026/04/30」のように、開始日と終了日を - でつないで入力してください。";
        QTest::newRow("reversed") << 2 << "2026/05/01-2026/04/30" << "" << badPeriod;
        QTest::newRow("watched") << 3 << "" << "15" << "";
    }

    void printMenu()
    {
        QFETCH(int, item);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        open();
        clickNode(QStringLiteral("支払手形"));
        m_f->dialogs.queueInput(typed);
        child<QToolButton>("cmdPrintMenu")->menu()->actions().at(item)->trigger();
        const bool opened = m_f->windows.window(WindowId::FrmView);
        QString shownReport = opened ? m_f->values.ModeFlag() : QString();
        if (shownReport == QLatin1String("14"))
            shownReport += QLatin1Char(' ') + m_f->values.ReportDate() + QLatin1Char('-') + m_f->values.ReportDateEnd();
        QTEST(shownReport, "report");
        QCOMPARE(m_f->dialogs.messageTexts(), message.isEmpty() ? QStringList() : QStringList {message});
        if (item == 0)
            QCOMPARE(workTable().count(QLatin1Char(';')), 4);
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestFrmRbView)
#include "tst_FrmRbView.moc"
