#include "WindowFixture.h"

#include "register/DateTextBox.h"
#include "register/FrmSite.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

// Kind 1 is a promissory note, kind 3 an electronic record; supplier 100 is
// covered by the subcontract law, 200 is not.
struct Entry : WindowFixture
{
    Entry()
    {
        data.exec(QStringLiteral("INSERT INTO kbn6 (KbnCode, KbnName) VALUES ('01', '中央銀行')"));
        data.exec(QStringLiteral("INSERT INTO SireCliant (ClCode, ClName, ClTekiho) VALUES ('100', '山田', 1), "
                                 "('200', '佐藤', 0)"));
        window = std::make_unique<FrmSite>(context);
        window->show();
    }

    QLineEdit *box(int i) const { return window->findChild<QLineEdit *>(QStringLiteral("TxtRibodo_%1").arg(i)); }
    void kind(const QString &code) const
    {
        auto *kinds = child<QComboBox>(window.get(), "Combo1_0");
        kinds->setCurrentIndex(kinds->findText(code + QStringLiteral(" : "), Qt::MatchStartsWith));
    }
    // Typed text, full-width too, arrives from the input method as a committed string.
    static void typeInto(QLineEdit *box, const QString &text)
    {
        box->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(box, &commit);
    }
    void type(const QString &number, const QString &payee, const QString &amount, const QString &drawn,
              const QString &due) const
    {
        typeInto(box(0), number);
        if (!payee.isEmpty())
            window->supplierPicked(payee, QString());
        typeInto(box(3), amount);
        for (int i = 0; i < 2; ++i) {
            const QStringList ymd = (i == 0 ? drawn : due).split(u'/');
            auto *date = window->findChild<DateTextBox *>(QStringLiteral("DateTextBox1_%1").arg(i));
            QTest::keyClicks(date->yearPart(), ymd.at(0));
            QTest::keyClicks(date->monthPart(), ymd.at(1));
            QTest::keyClicks(date->dayPart(), ymd.at(2));
        }
    }
    // The panel in one line: term, 60日超, stamp duty, then C and S for the
    // clearing-house and subcontract warnings shown.
    QString panel() const
    {
        const auto shown = [&](const char *name) { return child<QLabel>(window.get(), name)->isVisible(); };
        return QStringList{child<QLabel>(window.get(), "lblTerm")->text(),
                           shown("lblLongTerm") ? QStringLiteral("60日超") : QString(),
                           child<QLabel>(window.get(), "lblStampDuty")->text(),
                           QLatin1String(shown("lblClearing") ? "C" : "") + QLatin1String(shown("lblSubcontract") ? "S" : "")}
                .join(u'|');
    }

    std::unique_ptr<FrmSite> window;
};

} // namespace

// What the note entry window shows beside its fields, and the record number
// it refuses for an electronic record.
class TestNoteWarnings : public QObject
{
    Q_OBJECT

private slots:
    void panel_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("payee");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("drawn");
        QTest::addColumn<QString>("due");
        QTest::addColumn<QString>("shown");
        QTest::newRow("paper, 60 days") << "1" << "200" << "99999" << "2025/5/1" << "2025/6/30"
                                        << "サイト 60日||印紙税 非課税（100,000円未満）|";
        QTest::newRow("paper, 61 days") << "1" << "200" << "1,000,001" << "2025/5/1" << "2025/7/1"
                                        << "サイト 61日|60日超|印紙税 400円|";
        QTest::newRow("paper, all warnings") << "1" << "100" << "５００００００" << "2027/1/4" << "2027/4/1"
                                             << "サイト 87日|60日超|印紙税 1,000円|CS";
        QTest::newRow("electronic") << "3" << "100" << "5000000" << "2027/1/4" << "2027/4/1"
                                    << "サイト 87日||印紙税 不要（電子記録債務）|";
        QTest::newRow("nothing typed") << "1" << "" << "" << "//" << "//" << "|||";
    }

    void panel()
    {
        QFETCH(QString, kind);
        QFETCH(QString, payee);
        QFETCH(QString, amount);
        QFETCH(QString, drawn);
        QFETCH(QString, due);
        Entry e;
        e.kind(kind);
        e.type(QString(), payee, amount, drawn, due);
        QTEST(e.panel(), "shown");
        // The panel warns; it never stops a save or asks anything.
        QVERIFY(e.dialogs.calls().isEmpty());
    }

    void recordNumber_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("20 half-width") << "3" << "AB345678901234567890" << "AB345678901234567890";
        QTest::newRow("20 full-width") << "3" << "ＡＢ３４５６７８９０１２３４５６７８９０" << "AB345678901234567890";
        QTest::newRow("19 characters") << "3" << "AB34567890123456789" << "";
        QTest::newRow("a hyphen") << "3" << "AB-45678901234567890" << "";
        QTest::newRow("paper note, any number") << "1" << "A-1" << "A-1";
    }

    void recordNumber()
    {
        QFETCH(QString, kind);
        QFETCH(QString, number);
        QFETCH(QString, stored);
        Entry e;
        e.kind(kind);
        e.type(number, QStringLiteral("200"), QStringLiteral("100000"), QStringLiteral("2025/5/1"), QStringLiteral("2025/6/1"));
        WindowFixture::click(e.window.get(), "CmdRecorde");
        QCOMPARE(e.data.scalar(QStringLiteral("SELECT group_concat(TNo) FROM SiteTbl")).toString(), stored);
        QCOMPARE(e.dialogs.messages().size(), stored.isEmpty() ? 1 : 0);
        if (stored.isEmpty()) {
            QCOMPARE(e.dialogs.messages().first().title, QStringLiteral("警告"));
            QVERIFY(e.dialogs.messages().first().text.startsWith(
                    QStringLiteral("電子記録債務の手形番号には、記録番号（半角の英数字20文字）を入力してください。")));
        }
    }
};

QTEST_MAIN(TestNoteWarnings)
#include "tst_NoteWarnings.moc"
