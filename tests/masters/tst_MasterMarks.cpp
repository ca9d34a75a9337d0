#include "WindowFixture.h"

#include "masters/FrmSKbn.h"
#include "masters/frmCliant.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The marks kept beside a code: an electronic-record note kind in the
// category window, a supplier covered by the subcontract law in the
// supplier window. Each is stored, called up and corrected with its row.
class TestMasterMarks : public QObject
{
    Q_OBJECT

private slots:
    void marks_data()
    {
        QTest::addColumn<bool>("supplier");
        QTest::newRow("note kind 電子記録債務") << false;
        QTest::newRow("supplier 取適法対象") << true;
    }

    void marks()
    {
        QFETCH(bool, supplier);
        WindowFixture f;
        std::unique_ptr<QWidget> window;
        if (supplier)
            window = std::make_unique<frmCliant>(f.context);
        else
            window = std::make_unique<FrmSKbn>(f.context);
        window->show();
        auto *mark = window->findChild<QCheckBox *>(supplier ? QStringLiteral("chkTekiho") : QStringLiteral("chkDenshi"));
        QCOMPARE(mark->text(), supplier ? QStringLiteral("取適法対象（中小受託事業者）") : QStringLiteral("電子記録債務"));
        auto *selector = f.child<QComboBox>(window.get(), "Combo1");
        if (!supplier) {
            // Only the note kinds are marked.
            selector->setCurrentIndex(1);
            QVERIFY(!mark->isVisible());
            selector->setCurrentIndex(0);
            QVERIFY(mark->isVisible());
        }
        const auto box = [&](int i) {
            return window->findChild<QLineEdit *>(supplier ? QStringLiteral("text1_%1").arg(i)
                                                           : QLatin1String(i == 0 ? "txtClKubunKode" : "txtClKubunName"));
        };
        const QString flag = supplier ? QStringLiteral("SELECT ClTekiho FROM SireCliant WHERE ClCode = 'M1'")
                                      : QStringLiteral("SELECT KbnDenshi FROM kbn1 WHERE KbnCode = 'M1'");

        box(0)->setText(QStringLiteral("M1"));
        box(1)->setText(QStringLiteral("印"));
        if (supplier)
            selector->setCurrentIndex(0);
        const auto toggle = [&] { QTest::mouseClick(mark, Qt::LeftButton, {}, QPoint(6, mark->height() / 2)); };
        toggle();
        f.click(window.get(), "CmdRecorde");
        QCOMPARE(f.data.scalar(flag).toInt(), 1);
        QVERIFY(!mark->isChecked());

        if (supplier)
            f.dialogs.queueAnswer(DialogService::Answer::Yes);
        f.dialogs.queueInput(QStringLiteral("M1"));
        f.click(window.get(), "CmdCall");
        QVERIFY(mark->isChecked());
        toggle();
        f.click(window.get(), "CmdEdit");
        QCOMPARE(f.data.scalar(flag).toInt(), 0);
        QCOMPARE(f.dialogs.unexpected(), 0);
    }
};

QTEST_MAIN(TestMasterMarks)
#include "tst_MasterMarks.moc"
