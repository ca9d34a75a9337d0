#include "ServerRegister.h"
#include "WindowFixture.h"

#include "app/FrmMain.h"
#include "masters/FrmBank.h"
#include "masters/FrmCliantU.h"
#include "masters/FrmSKbn.h"
#include "masters/frmCliant.h"
#include "ui/SupplierPickTarget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QAbstractItemView>
#include <QTreeWidget>
#include <QtTest>

Q_DECLARE_METATYPE(WindowId)

namespace {

using Answer = DialogService::Answer;

// One maintenance window on a data folder whose table holds A1 (甲) and B2
// (乙); a stand-in report viewer notes the report number it was opened with.
struct Screen : WindowFixture
{
    explicit Screen(WindowId which)
        : id(which)
    {
        const QString insert = id == WindowId::frmCliant
                ? QStringLiteral("INSERT INTO SireCliant (ClCode, ClName, ClSime, ClZan, Clpay, ClTokuiKbn) "
                                 "VALUES (?, ?, '20', 1234.5, '31', 2)")
                : QStringLiteral("INSERT INTO %1 (KbnCode, KbnName) VALUES (?, ?)").arg(table());
        data.exec(insert, {QStringLiteral("A1"), QStringLiteral("甲")});
        data.exec(insert, {QStringLiteral("B2"), QStringLiteral("乙")});
        add<FrmSKbn>(WindowId::FrmSKbn);
        add<FrmBank>(WindowId::FrmBank);
        add<frmCliant>(WindowId::frmCliant);
        add<FrmCliantU>(WindowId::FrmCliantU);
        add<FrmMain>(WindowId::FrmMain);
        windows.registerFactory(WindowId::FrmView, [this] {
            reports << values.ModeFlag();
            return std::make_unique<QWidget>();
        });
        window = windows.load(id);
    }

    QString table() const { return id == WindowId::FrmBank ? QStringLiteral("kbn6") : QStringLiteral("kbn1"); }
    bool supplier() const { return id == WindowId::frmCliant; }
    QLineEdit *box(int i) const
    {
        static const char *const kbn[] = {"txtClKubunKode", "txtClKubunName"};
        return window->findChild<QLineEdit *>(supplier() ? QStringLiteral("text1_%1").arg(i) : QLatin1String(kbn[i]));
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(window, name); }
    QComboBox *combo() const { return child<QComboBox>(window, "Combo1"); }

    // Codes and names of the test rows, in code order.
    QString rows() const
    {
        const QString sql = supplier()
                ? QStringLiteral("SELECT group_concat(ClCode || '=' || ClName) FROM (SELECT * FROM SireCliant ORDER BY ClCode)")
                : QStringLiteral("SELECT group_concat(KbnCode || '=' || KbnName) FROM (SELECT * FROM %1 "
                                 "WHERE KbnCode > '9' ORDER BY KbnCode)").arg(table());
        return data.scalar(sql).toString();
    }
    static constexpr const char *commands[] = {"CmdRecorde", "CmdCall", "CmdEdit", "CmdDelete", "CmdClear"};
    // Enabled buttons: R, C, E, D, S or "-".
    QString buttons() const
    {
        QString s = QStringLiteral("RCEDS");
        for (int i = 0; i < 5; ++i)
            s[i] = button(commands[i])->isEnabled() ? s[i] : u'-';
        return s;
    }
    // Texts of the critical messages, each prefixed by its title unless that is 警告.
    QStringList warnings() const
    {
        QStringList texts;
        for (const auto &m : dialogs.messages()) {
            if (m.icon == DialogService::Icon::Critical)
                texts << (m.title == QStringLiteral("警告") ? m.text : m.title + u':' + m.text);
        }
        return texts;
    }

    // Steps separated by ";": "code X", "name X", "R", "E", "D", "S",
    // "call X" (the supplier window's question answered yes), "ok", "cancel"
    // (the answer to the next question).
    void run(const QString &script)
    {
        const QStringList steps = script.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString &step : steps) {
            const QString arg = step.section(QLatin1Char(' '), 1);
            if (step.startsWith(QLatin1String("code"))) {
                box(0)->setText(arg);
                if (supplier() && combo()->currentIndex() < 0)
                    combo()->setCurrentIndex(0);
            } else if (step.startsWith(QLatin1String("name"))) {
                box(1)->setText(arg);
            } else if (step.startsWith(QLatin1String("call"))) {
                if (supplier())
                    dialogs.queueAnswer(Answer::Yes);
                dialogs.queueInput(arg);
                QTest::mouseClick(button("CmdCall"), Qt::LeftButton);
            } else if (step == QLatin1String("ok") || step == QLatin1String("cancel")) {
                dialogs.queueAnswer(step == QLatin1String("ok") ? Answer::Ok : Answer::Cancel);
            } else {
                QTest::mouseClick(button(commands[QStringLiteral("RCEDS").indexOf(step)]), Qt::LeftButton);
            }
        }
    }

    WindowId id;
    QStringList reports;
    QPointer<QWidget> window;
};

const QString missing = QStringLiteral("未入力の項目があります。");
const QString taken = QStringLiteral("コードが重複しています。");
const QString unchanged = QStringLiteral("A1=甲,B2=乙");

// The supplier search list.

// Stands in for the note entry window: its payee boxes and drawing date.
class EntryStandIn : public QWidget, public SupplierPickTarget
{
public:
    EntryStandIn() { code.setText(QStringLiteral("old")); }
    void supplierPicked(const QString &c, const QString &n) override
    {
        ++picks;
        code.setText(c);
        name.setText(n);
        activateWindow();
        drawingDate.setFocus();
    }
    QLineEdit code{this}, name{this}, drawingDate{this};
    int picks = 0;
};

// The search list loaded over three suppliers stored out of code order, or
// none, choosing into an entry window: the second row listed is 001.
struct List : WindowFixture
{
    explicit List(bool suppliers = true)
    {
        for (const char *code : {"002", "001", "003"}) {
            if (suppliers)
                data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName) VALUES (?, ?)"),
                          {QLatin1String(code), QStringLiteral("仕入先") + QLatin1String(code)});
        }
        add<FrmCliantU>(WindowId::FrmCliantU);
        window = qobject_cast<FrmCliantU *>(windows.load(WindowId::FrmCliantU));
        window->setTarget(entry.get());
    }
    // No store error is ever shown.
    ~List() { QVERIFY(dialogs.calls().isEmpty()); }

    QAbstractItemView *list() const { return window->findChild<QAbstractItemView *>(QStringLiteral("ListView1")); }
    int rowCount() const { return list()->model()->rowCount(); }
    QString cell(int row, int column) const { return list()->model()->index(row, column).data().toString(); }
    QPushButton *button(const char *name) const { return child<QPushButton>(window, name); }

    std::unique_ptr<EntryStandIn> entry = std::make_unique<EntryStandIn>();
    QPointer<FrmCliantU> window;
};

// Presses of choosing besides keys.
constexpr int chooseButton = -1;
constexpr int endButton = -2;
constexpr int closed = -3;
constexpr int doubleClicked = -4;

} // namespace

class TestMasterWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data() { ServerRegister::addEngineRows(); }
    void init() { QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error())); }

    void commands_data()
    {
        QTest::addColumn<WindowId>("window");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("codeBox"); // after the script
        QTest::addColumn<QString>("buttons");

        for (WindowId id : {WindowId::FrmSKbn, WindowId::FrmBank, WindowId::frmCliant}) {
            const char *w = id == WindowId::FrmSKbn ? "区分 " : id == WindowId::FrmBank ? "銀行 " : "仕入先 ";
            const QString notFound = id == WindowId::frmCliant ? QStringLiteral("番号が見つかりません。")
                                                               : QStringLiteral("見つかりません。");
            const auto row = [&](const char *name) -> QTestData & { return QTest::newRow((QByteArray(w) + name).constData()) << id; };
            row("register, name missing") << "code Z9;R" << QStringList{missing} << unchanged << "Z9" << "RC--S";
            row("register, code taken") << "code b2;name 新;R" << QStringList{taken} << unchanged << "b2" << "RC--S";
            row("register") << "code Z9;name 新;R" << QStringList{} << "A1=甲,B2=乙,Z9=新" << "" << "RC--S";
            row("register, quote refused") << "code Z'9;name 新;R" << QStringList{QStringLiteral("コードに「'」は使えません。")}
                                           << unchanged << "Z'9" << "RC--S";
            row("call up, not found") << "call Q7" << QStringList{notFound} << unchanged << "" << "RC--S";
            row("call up, cancelled") << "call " << QStringList{} << unchanged << "" << "RC--S";
            row("edit, same code") << "call A1;name 新;E" << QStringList{} << "A1=新,B2=乙" << "" << "RC--S";
            row("edit, free code") << "call A1;code Z9;E" << QStringList{} << "B2=乙,Z9=甲" << "" << "RC--S";
            row("edit, taken code") << "call A1;code B2;E" << QStringList{taken} << unchanged << "B2" << "-CEDS";
            row("delete, cancelled") << "call A1;cancel;D" << QStringList{} << unchanged << "A1" << "-CEDS";
            row("delete") << "call A1;ok;D" << QStringList{} << "B2=乙" << "" << "RC--S";
            if (id == WindowId::frmCliant) {
                // A cancelled call-up after a call-up keeps the old code on screen.
                row("register after a cancelled call-up") << "call A1;call ;R" << QStringList{taken} << unchanged << "A1"
                                                          << "RC--S";
                row("clear") << "call A1;S" << QStringList{} << unchanged << "" << "RC--S";
            } else {
                row("clear, cancelled, then register") << "call A1;cancel;S;R" << QStringList{taken} << unchanged << "A1"
                                                       << "RC--S";
                row("clear") << "call A1;ok;S" << QStringList{} << unchanged << "" << "RC--S";
            }
        }
    }

    void commands()
    {
        QFETCH(WindowId, window);
        QFETCH(QString, script);
        Screen s(window);
        s.run(script);
        QTEST(s.warnings(), "warnings");
        QTEST(s.rows(), "rows");
        QTEST(s.box(0)->text(), "codeBox");
        QTEST(s.buttons(), "buttons");
        QCOMPARE(s.dialogs.unexpected(), 0);
    }

    // Another PC changed the called-up entry since: 訂正 and 削除 are refused.
    void changedOnAnotherPc_data()
    {
        QTest::addColumn<WindowId>("window");
        QTest::addColumn<QString>("script");
        for (WindowId id : {WindowId::FrmSKbn, WindowId::FrmBank, WindowId::frmCliant}) {
            const QByteArray w = id == WindowId::FrmSKbn ? "区分 " : id == WindowId::FrmBank ? "銀行 " : "仕入先 ";
            QTest::newRow((w + "edit").constData()) << id << "name 新;E";
            QTest::newRow((w + "delete").constData()) << id << "ok;D";
        }
    }

    void changedOnAnotherPc()
    {
        QFETCH(WindowId, window);
        QFETCH(QString, script);
        Screen s(window);
        s.run(QStringLiteral("call A1"));
        s.data.exec(s.supplier() ? QStringLiteral("UPDATE SireCliant SET ClName = '他' WHERE ClCode = 'A1'")
                                 : QStringLiteral("UPDATE %1 SET KbnName = '他' WHERE KbnCode = 'A1'").arg(s.table()));
        const QString changedBy = s.data.lastChange();
        s.run(script);
        QCOMPARE(s.warnings(),
                 QStringList{QStringLiteral("このデータは他の端末で変更されています（%1）。呼び出し直してください。").arg(changedBy)});
        QCOMPARE(s.rows(), QStringLiteral("A1=他,B2=乙"));
        QCOMPARE(s.dialogs.unexpected(), 0);
    }

    void deleteQuestions_data()
    {
        QTest::addColumn<WindowId>("window");
        QTest::addColumn<QString>("column"); // of the notes that use A1
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("confirmed"); // the second question
        QTest::newRow("区分, kept") << WindowId::FrmSKbn << "TKubun" << "入金区分" << false;
        QTest::newRow("銀行, deleted") << WindowId::FrmBank << "TBank" << "入金区分" << true;
        QTest::newRow("仕入先, kept") << WindowId::frmCliant << "TTo" << "削除" << false;
        QTest::newRow("仕入先, deleted") << WindowId::frmCliant << "TTo" << "削除" << true;
    }

    void deleteQuestions()
    {
        QFETCH(WindowId, window);
        QFETCH(QString, column);
        QFETCH(bool, confirmed);
        Screen s(window);
        for (const char *note : {"N1", "N2"})
            s.data.addNote(QLatin1String(note), QStringLiteral("2024-05-01"));
        s.data.exec(QStringLiteral("UPDATE SiteTbl SET %1 = 'a1'").arg(column));
        s.run(QStringLiteral("call A1;ok;%1;D").arg(confirmed ? QStringLiteral("ok") : QStringLiteral("cancel")));

        const QList<ScriptedDialogService::Call> m = s.dialogs.messages().mid(s.supplier() ? 1 : 0);
        QCOMPARE(m.size(), 2);
        QCOMPARE(m.at(0).text, QStringLiteral("コード：A1を　削除しますか？"));
        QVERIFY(m.at(1).text.startsWith(QStringLiteral("コード：A1 は 2 件の手形で使われています。")));
        // A message box wraps lines wider than about 36 characters.
        for (const QString &line : m.at(1).text.split(u'\n'))
            QVERIFY2(line.size() <= 26, qPrintable(line));
        for (const auto &q : m) {
            QTEST(q.title, "title");
            QVERIFY(q.buttons == DialogService::Buttons::OkCancel && q.icon == DialogService::Icon::None);
        }
        QCOMPARE(s.rows(), confirmed ? QStringLiteral("B2=乙") : unchanged);
        // The notes keep their codes.
        QCOMPARE(s.data.scalar(QStringLiteral("SELECT COUNT(*) FROM SiteTbl WHERE %1 = 'a1'").arg(column)).toInt(), 2);
    }

    // The category window opens on the category selector, with its hint.
    void categoryWindowStartsAtSelector()
    {
        Screen s(WindowId::FrmSKbn);
        QVERIFY(WindowFixture::show(s.window));
        QCOMPARE(s.window->focusWidget(), s.combo());
        QCOMPARE(s.window->findChild<QLabel *>(QStringLiteral("StatusPanel2"))->text(),
                 QStringLiteral("処理をする区分を選択してください。3:手形の状態は変更不可。"));
    }

    void categories_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("shown"); // caption, frame, buttons, then the report printed
        QTest::newRow("手形種類") << 0 << "手形の種類メンテ|手形種類一覧|RC--S|3";
        QTest::newRow("目的") << 1 << "手形目的メンテ|手形目的一覧|RC--S|4";
        QTest::newRow("手形の状態") << 2 << "手形の状態メンテ|手形状態一覧|-----|5";
        QTest::newRow("経理区分") << 3 << "経理区分メンテ|経理区分一覧|RC--S|6";
        QTest::newRow("仕入先区分") << 4 << "仕入先区分メンテ|仕入先区分一覧|RC--S|7";
    }

    void categories()
    {
        QFETCH(int, index);
        Screen s(WindowId::FrmSKbn);
        QCOMPARE(s.window->windowTitle(), QStringLiteral("手形の種類メンテ"));
        // An entry called up in another category stays on the screen.
        if (index == 0)
            s.combo()->setCurrentIndex(3);
        s.run(QStringLiteral("call 1"));
        s.combo()->setCurrentIndex(index);
        const QString shown = QStringList({s.window->windowTitle(), s.window->findChild<QGroupBox *>(QStringLiteral("Frame1"))->title(),
                                           s.buttons()}).join(u'|');
        const QString table = QStringLiteral("kbn1,kbn2,Kbn3,Kbn4,Kbn5").section(QLatin1Char(','), index, index);
        const int rows = s.data.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
        QCOMPARE(s.window->findChild<QTreeWidget *>(QStringLiteral("ListView1"))->topLevelItemCount(), rows);
        QTest::mouseClick(s.button("CmdPrint"), Qt::LeftButton);
        QTEST(shown + u'|' + s.reports.join(u','), "shown");
        // A register with that code is checked afresh in this category.
        if (index != 2) {
            s.run(QStringLiteral("code 1;name 新;R"));
            QCOMPARE(s.warnings(), QStringList{taken});
        }
    }

    void supplierCategoryCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("stored"); // empty when refused
        QTest::newRow("whole number") << "-32768" << "-32768";
        QTest::newRow("full-width digits") << "１２" << "12";
        QTest::newRow("letters") << "A" << "";
        QTest::newRow("beyond 16 bits") << "32768" << "";
        QTest::newRow("decimal") << "1.5" << "";
    }

    void supplierCategoryCodes()
    {
        QFETCH(QString, code);
        QFETCH(QString, stored);
        Screen s(WindowId::FrmSKbn);
        s.combo()->setCurrentIndex(4);
        s.run(QStringLiteral("code %1;name 新;R").arg(code));
        QCOMPARE(s.warnings().size(), stored.isEmpty() ? 1 : 0);
        QCOMPARE(s.data.scalar(QStringLiteral("SELECT group_concat(KbnCode) FROM Kbn5 WHERE KbnName = '新'")).toString(),
                 stored);
    }

    // The mark kept beside a code: an electronic-record note kind, a supplier
    // covered by the subcontract law. Stored, called up and corrected with its row.
    void marks_data()
    {
        QTest::addColumn<WindowId>("window");
        QTest::addColumn<QString>("caption");
        QTest::newRow("note kind") << WindowId::FrmSKbn << "電子記録債務";
        QTest::newRow("supplier") << WindowId::frmCliant << "取適法対象（中小受託事業者）";
    }

    void marks()
    {
        QFETCH(WindowId, window);
        Screen s(window);
        s.window->show();
        auto *mark = WindowFixture::child<QCheckBox>(s.window, s.supplier() ? "chkTekiho" : "chkDenshi");
        QTEST(mark->text(), "caption");
        if (!s.supplier()) {
            // Only the note kinds are marked.
            s.combo()->setCurrentIndex(1);
            QVERIFY(!mark->isVisible());
            s.combo()->setCurrentIndex(0);
            QVERIFY(mark->isVisible());
        }
        const QString flag = s.supplier() ? QStringLiteral("SELECT ClTekiho FROM SireCliant WHERE ClCode = 'M1'")
                                          : QStringLiteral("SELECT KbnDenshi FROM kbn1 WHERE KbnCode = 'M1'");
        const auto toggle = [&] { QTest::mouseClick(mark, Qt::LeftButton, {}, QPoint(6, mark->height() / 2)); };
        s.run(QStringLiteral("code M1;name 印"));
        toggle();
        s.run(QStringLiteral("R"));
        QCOMPARE(s.data.scalar(flag).toInt(), 1);
        QVERIFY(!mark->isChecked());
        s.run(QStringLiteral("call M1"));
        QVERIFY(mark->isChecked());
        toggle();
        s.run(QStringLiteral("E"));
        QCOMPARE(s.data.scalar(flag).toInt(), 0);
        QCOMPARE(s.dialogs.unexpected(), 0);
    }

    // The supplier's number for the tax office, the bank's two dates and its
    // overdraft limit: typed as users type them, stored in their one form,
    // shown again on call-up and written back by a correction; refused with a
    // warning and nothing written when wrong.
    void extraFields_data()
    {
        QTest::addColumn<WindowId>("window");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");   // after a call-up
        QTest::addColumn<QString>("refusal"); // empty: accepted; *: any warning
        const WindowId cliant = WindowId::frmCliant;
        const WindowId bank = WindowId::FrmBank;
        const QString limit = QStringLiteral("当座貸越極度額は 0 以上の円単位の整数で入力してください (例 5,000,000)。");
        QTest::newRow("registration number, full width") << cliant << "txtTouroku" << "Ｔ７０００－０１２０５－０００２"
                                                         << "T7000012050002" << "T7000012050002" << "";
        QTest::newRow("wrong check digit") << cliant << "txtTouroku" << "T7000012050003" << "" << "" << "*";
        QTest::newRow("empty number") << cliant << "txtTouroku" << "" << "" << "" << "";
        QTest::newRow("last drawing date") << bank << "txtFuriEnd" << "２０２６／９／３０" << "2026-09-30" << "2026/09/30" << "";
        QTest::newRow("last due date") << bank << "txtKesaiEnd" << "2027/03/31" << "2027-03-31" << "2027/03/31" << "";
        QTest::newRow("no date") << bank << "txtFuriEnd" << "2026/02/30" << "" << "" << "*";
        QTest::newRow("before 1990") << bank << "txtKesaiEnd" << "1989/12/31" << "" << "" << "*";
        QTest::newRow("after 2100") << bank << "txtKesaiEnd" << "2101/01/01" << "" << "" << "*";
        QTest::newRow("no overdraft limit") << bank << "txtKyokudo" << "" << "0" << "" << "";
        QTest::newRow("limit in digit groups") << bank << "txtKyokudo" << "5,000,000" << "5000000" << "5,000,000" << "";
        QTest::newRow("limit in full width") << bank << "txtKyokudo" << "３００００００" << "3000000" << "3,000,000" << "";
        QTest::newRow("limit below 0") << bank << "txtKyokudo" << "-1" << "" << "" << limit;
        QTest::newRow("limit in letters") << bank << "txtKyokudo" << "5百万" << "" << "" << limit;
    }

    void extraFields()
    {
        QFETCH(WindowId, window);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        Screen s(window);
        auto *field = s.window->findChild<QLineEdit *>(box);
        s.run(QStringLiteral("code M1;name 印"));
        field->setText(typed);
        s.run(QStringLiteral("R"));
        const QString column = box == QLatin1String("txtTouroku") ? QStringLiteral("IFNULL(ClTouroku, '')")
                : box == QLatin1String("txtKyokudo")              ? QStringLiteral("CAST(KbnKyokudo AS INTEGER)")
                : box == QLatin1String("txtFuriEnd")              ? QStringLiteral("IFNULL(KbnFuriEnd, '')")
                                                                  : QStringLiteral("IFNULL(KbnKesaiEnd, '')");
        const QString table = s.supplier() ? QStringLiteral("SireCliant WHERE ClCode") : QStringLiteral("kbn6 WHERE KbnCode");
        const auto stored = [&] { return s.data.scalar(QStringLiteral("SELECT %1 FROM %2 = 'M1'").arg(column, table)); };
        if (!refusal.isEmpty()) {
            QVERIFY(!stored().isValid());
            QCOMPARE(s.warnings().size(), 1);
            QCOMPARE(s.dialogs.messages().constFirst().title, QStringLiteral("警告"));
            if (refusal != QLatin1String("*"))
                QCOMPARE(s.warnings().constFirst(), refusal);
            return;
        }
        QVERIFY(s.warnings().isEmpty());
        QTEST(stored().toString(), "stored");
        QVERIFY(field->text().isEmpty());
        s.run(QStringLiteral("call M1"));
        QTEST(field->text(), "shown");
        s.run(QStringLiteral("E"));
        QTEST(stored().toString(), "stored");
        QVERIFY(s.warnings().isEmpty());
        QCOMPARE(s.dialogs.unexpected(), 0);
    }

    // The note states stay read only; what each means is listed beside it
    // and set in its own box, shown for the states alone.
    void stateMeanings()
    {
        Screen s(WindowId::FrmSKbn);
        s.window->show();
        auto *frame = WindowFixture::child<QWidget>(s.window, "FrameImi");
        QVERIFY(!frame->isVisible());
        s.combo()->setCurrentIndex(2);
        QVERIFY(frame->isVisible());
        QCOMPARE(s.buttons(), QStringLiteral("-----"));
        auto *list = WindowFixture::child<QTreeWidget>(s.window, "ListView1");
        const auto listed = [&] {
            QStringList rows;
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                rows << list->topLevelItem(i)->text(0) + u'=' + list->topLevelItem(i)->text(2);
            return rows.join(u',');
        };
        QCOMPARE(listed(), QStringLiteral("1=未決済,2=未決済,3=決済済み,4=不渡り,5=無効"));

        auto *state = WindowFixture::child<QComboBox>(s.window, "CboState");
        auto *meaning = WindowFixture::child<QComboBox>(s.window, "CboImi");
        state->setCurrentIndex(4);
        QCOMPARE(meaning->currentText(), QStringLiteral("無効"));
        state->setCurrentIndex(1);
        meaning->setCurrentText(QStringLiteral("決済済み"));
        QTest::mouseClick(s.button("CmdImi"), Qt::LeftButton);
        QCOMPARE(s.data.scalar(QStringLiteral("SELECT KbnKesai || KbnName FROM Kbn3 WHERE KbnCode = '2'")).toString(),
                 QStringLiteral("1期日到来"));
        QCOMPARE(listed(), QStringLiteral("1=未決済,2=決済済み,3=決済済み,4=不渡り,5=無効"));
        QCOMPARE(state->currentIndex(), 1);
        QVERIFY(s.dialogs.calls().isEmpty());
    }

    void supplierKeepsHiddenValuesAndSearchListKeepsItsLoad()
    {
        Screen s(WindowId::frmCliant);
        auto *list = qobject_cast<FrmCliantU *>(s.windows.load(WindowId::FrmCliantU));
        const auto listed = [&] { return WindowFixture::child<QAbstractItemView>(list, "ListView1")->model()->rowCount(); };
        const auto hidden = [&](const char *code) {
            return s.data.scalar(QStringLiteral("SELECT ClSime || '/' || (ClZan + 0.0) || '/' || Clpay || '/' || ClTokuiKbn "
                                                "FROM SireCliant WHERE ClCode = ?"), {QLatin1String(code)}).toString();
        };
        QCOMPARE(listed(), 2);
        s.run(QStringLiteral("call A1;name 新;E"));
        QCOMPARE(hidden("A1"), QStringLiteral("20/1234.5/31/2"));
        s.run(QStringLiteral("code Z9;name 新;R"));
        QCOMPARE(hidden("Z9"), QStringLiteral("/0.0//1"));
        // The search list is read once per load: the new supplier is not in it yet.
        QCOMPARE(listed(), 2);
        QCOMPARE(s.combo()->itemText(0), QStringLiteral("1 : 仕入先"));
        QCOMPARE(s.box(0)->palette().color(QPalette::Base), QColor(192, 255, 255));
        QTest::mouseClick(s.button("CmdPrint"), Qt::LeftButton);
        QCOMPARE(s.reports, QStringList{QStringLiteral("1")});
    }

    void databaseFailureKeepsWindowUsable()
    {
        Screen s(WindowId::FrmBank);
        s.data.drop(QStringLiteral("kbn6"));
        s.run(QStringLiteral("code Z9;name 新;R"));
        QCOMPARE(s.dialogs.messages().size(), 1);
        QCOMPARE(s.warnings().value(0).contains(u':'), false); // titled 警告
        QCOMPARE(s.box(0)->text() + s.buttons(), QStringLiteral("Z9RC--S"));
        QTest::mouseClick(s.button("CmdPrint"), Qt::LeftButton);
        QCOMPARE(s.reports, QStringList{QStringLiteral("2")});
    }

    void menuHiddenWhileSupplierWindowOpen_data()
    {
        // Both keys press 終り.
        QTest::addColumn<int>("key");
        QTest::newRow("its access key") << (Qt::ALT | Qt::Key_Q).toCombined();
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }

    void menuHiddenWhileSupplierWindowOpen()
    {
        QFETCH(int, key);
        Screen s(WindowId::FrmBank);
        auto *menu = s.windows.show(WindowId::FrmMain);
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        WindowFixture::click(menu, "Command2");
        QWidget *supplier = s.windows.window(WindowId::frmCliant);
        QVERIFY(QTest::qWaitForWindowActive(supplier));
        QVERIFY(!menu->isVisible());
        QTest::keySequence(supplier, QKeySequence(key));
        QTRY_VERIFY(menu->isVisible());
        QTRY_VERIFY(!s.windows.window(WindowId::frmCliant));
    }

    void choosing_data()
    {
        QTest::addColumn<int>("press");    // a key, or a button or closing
        QTest::addColumn<int>("selected"); // the row selected; -1 none, -2 an empty list
        QTest::addColumn<bool>("takes");
        QTest::addColumn<bool>("hides");
        QTest::newRow("選択 button") << chooseButton << 1 << true << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << 1 << true << true;
        QTest::newRow("double click") << doubleClicked << 1 << true << true;
        QTest::newRow("a letter") << int(Qt::Key_K) << 1 << true << true;
        QTest::newRow("arrow moves only") << int(Qt::Key_Down) << 1 << false << false;
        QTest::newRow("Tab moves on") << int(Qt::Key_Tab) << 1 << false << false;
        QTest::newRow("終了 only hides") << endButton << 1 << false << true;
        QTest::newRow("closing only hides") << closed << 1 << false << true;
        QTest::newRow("選択 with no row selected") << chooseButton << -1 << false << false;
        QTest::newRow("選択 on an empty list") << chooseButton << -2 << false << false;
    }

    void choosing()
    {
        QFETCH(int, press);
        QFETCH(int, selected);
        QFETCH(bool, takes);
        QFETCH(bool, hides);
        List f(selected != -2);
        QCOMPARE(f.window->windowTitle(), QStringLiteral("得意先検索"));
        f.entry->show();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window));
        // The focus starts on 終了; Tab goes on to 選択, then to the list.
        QCOMPARE(QApplication::focusWidget(), f.button("Command2"));
        for (QWidget *next : {static_cast<QWidget *>(f.button("Command1")), static_cast<QWidget *>(f.list())}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(f.rowCount(), selected == -2 ? 0 : 3);
        if (selected == -1)
            f.list()->clearSelection();
        else if (selected >= 0)
            f.list()->setCurrentIndex(f.list()->model()->index(selected, 0));

        if (press == chooseButton || press == endButton) {
            QTest::mouseClick(f.button(press == chooseButton ? "Command1" : "Command2"), Qt::LeftButton);
        } else if (press == closed) {
            f.window->close();
        } else if (press == doubleClicked) {
            const QPoint at = f.list()->visualRect(f.list()->currentIndex()).center();
            QTest::mouseClick(f.list()->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(f.list()->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::keyClick(f.list(), Qt::Key(press));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // The list lives for the whole run: never destroyed.
        QVERIFY(f.window);
        QCOMPARE(f.windows.window(WindowId::FrmCliantU), f.window.data());
        QCOMPARE(f.window->isVisible(), !hides);
        QCOMPARE(f.entry->picks, takes ? 1 : 0);
        QCOMPARE(f.entry->code.text() + f.entry->name.text(), takes ? QStringLiteral("001仕入先001") : QStringLiteral("old"));
        if (takes)
            QTRY_COMPARE(QApplication::focusWidget(), &f.entry->drawingDate);
    }

    void goneTargetGivesWayToTheEntryWindow()
    {
        List f;
        f.entry.reset();
        f.window->show();
        QTest::keyClick(f.list(), Qt::Key_Return); // no entry window loaded: only hides
        QVERIFY(!f.window->isVisible());

        f.windows.registerFactory(WindowId::FrmSite, [] { return std::make_unique<EntryStandIn>(); });
        auto *entry = dynamic_cast<EntryStandIn *>(f.windows.load(WindowId::FrmSite));
        f.window->show();
        QTest::keyClick(f.list(), Qt::Key_Return);
        QCOMPARE(entry->code.text(), QStringLiteral("002"));
    }

private:
    ServerRegister m_register;
};

QTEST_MAIN(TestMasterWindows)
#include "tst_MasterWindows.moc"
