#include "ServerRegister.h"
#include "ReportTestData.h"
#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/WindowRegistry.h"
#include "reports/FrmView.h"
#include "reports/ReportDocument.h"
#include "reports/ReportError.h"
#include "reports/ReportExportSource.h"
#include "reports/ReportPageWidget.h"
#include "reports/ReportViewer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QToolButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

// Notes whether the wait pointer was still showing when a message came up.
class CursorWatchingDialogs : public ScriptedDialogService
{
public:
    Answer message(const QString &text, const QString &title, Buttons buttons, Icon icon) override
    {
        waitPointerAtMessage = waitPointerAtMessage || QGuiApplication::overrideCursor() != nullptr;
        return ScriptedDialogService::message(text, title, buttons, icon);
    }
    bool waitPointerAtMessage = false;
};

} // namespace

class TestFrmView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { ServerRegister::addEngineRows(); }

    void init()
    {
        QVERIFY2(m_register.selectEngine(), qPrintable(m_register.error()));
        m = std::make_unique<Fixture>();
        ReportTestData::addMasters(m->folder);
        // Three pages of notes book: 40 notes of bank 1, 10 of bank 2, 10 of bank 10.
        ReportTestData::addNotes(m->folder, 60, [](int i) {
            return ReportTestData::Note{QStringLiteral("N%1").arg(i, 3, 10, QLatin1Char('0')),
                                        QDate(2024, 5, 1).addDays(i).toString(Qt::ISODate), 1000.0 * (i + 1),
                                        i < 40 ? QStringLiteral("1") : (i < 50 ? QStringLiteral("2") : QStringLiteral("10"))};
        });
        m->values.setDataFolder(m->folder.path());
        m->values.setProgramFolder(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
        m->windows.registerFactory(WindowId::FrmView, [this] { return FrmView::create(m->context); });
    }

    void cleanup()
    {
        m.reset();
    }

    void opensTheReportModeFlagNames_data()
    {
        QTest::addColumn<QString>("modeFlag");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("titles"); // of the window and of the report
        QTest::addColumn<QString>("warningNames");
        QTest::newRow("2") << "2" << "" << "印刷プレビュー|銀行一覧" << "";
        QTest::newRow("10") << "10" << "" << "手形帳印刷プレビュー|手形帳" << "";
        QTest::newRow("11") << "11" << "" << "印刷プレビュー|手形決済一覧" << "";
        QTest::newRow("13") << "13" << "" << "印刷プレビュー|資金繰り予定表" << "";
        QTest::newRow("16") << "16" << "" << "印刷プレビュー|訂正・削除履歴一覧" << "";
        // Anything but a number of the catalogue leaves the viewer empty, without a word.
        for (const char *flag : {"", "0", "18", "01", " 1", "E"})
            QTest::addRow("\"%s\"", flag) << QString::fromUtf8(flag) << "" << "印刷プレビュー|" << "";
        // A failure is told, naming the file, and leaves the viewer empty.
        QTest::newRow("report file missing") << "2" << "no report files" << "印刷プレビュー|" << "RBBank1.rpt";
        QTest::newRow("database missing") << "8" << "no database" << "印刷プレビュー|" << "dbRibodo";
        QTest::newRow("date that is no date") << "11" << "no such date" << "印刷プレビュー|" << "RBKesai.rpt";
    }

    void opensTheReportModeFlagNames()
    {
        QFETCH(QString, modeFlag);
        QFETCH(QString, fault);
        QFETCH(QString, warningNames);
        TestDataFolder empty(false);
        if (fault == QLatin1String("no report files"))
            m->values.setProgramFolder(QDir::toNativeSeparators(m->scratch.path()));
        if (fault == QLatin1String("no database"))
            m->values.setDataFolder(empty.path());
        m->values.setReportDate(fault == QLatin1String("no such date") ? QStringLiteral("2024/02/30")
                                                                       : QStringLiteral("2024/05/01"));
        m->values.setReportKeiri(QStringLiteral("1"));
        m->values.setReportDateEnd(QStringLiteral("2024/05/31"));
        FrmView *view = open(modeFlag);
        QVERIFY(view);
        QCOMPARE(m->windows.window(WindowId::FrmView), view);
        QCOMPARE(view->ReportFolder(), m->values.programFolder() + QDir::separator());
        const ReportDocument *report = view->CRViewer1()->reportSource();
        const QString reportTitle = report ? report->definition().title : QString();
        QTEST(view->windowTitle() + u'|' + reportTitle, "titles");
        QCOMPARE(view->CRViewer1()->pageCount() > 0, !reportTitle.isEmpty());
        QCOMPARE(view->CRViewer1()->currentPage(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(!m->dialogs.waitPointerAtMessage);
        QCOMPARE(m->dialogs.calls().size(), warningNames.isEmpty() ? 0 : 1);
        if (!warningNames.isEmpty()) {
            const ScriptedDialogService::Call warning = m->dialogs.messages().first();
            QCOMPARE(warning.title, QStringLiteral("警告"));
            QVERIFY2(warning.text.contains(warningNames) && warning.text.contains(QStringLiteral("理由")),
                     qPrintable(warning.text));
        }
    }

    void readsModeFlagOnlyWhileLoading()
    {
        FrmView *view = open(QStringLiteral("2"));
        // A second print request brings the open viewer forward unchanged.
        QCOMPARE(open(QStringLiteral("10")), view);
        QCOMPARE(QStringLiteral("%1|%2|%3").arg(view->windowTitle()).arg(view->reportNumber())
                         .arg(view->CRViewer1()->reportSource()->definition().title),
                 QStringLiteral("印刷プレビュー|2|銀行一覧"));
        // After the viewer is closed, the request is honoured.
        m->windows.unload(WindowId::FrmView);
        FrmView *again = open(QStringLiteral("10"));
        QCOMPARE(again->windowTitle() + QString::number(again->reportNumber()), QStringLiteral("手形帳印刷プレビュー10"));
    }

    void toolbarAccessKeys()
    {
        FrmView *view = open(QStringLiteral("10"));
        QString keys;
        for (const QToolButton *b : view->findChildren<QToolButton *>()) {
            if (b->defaultAction() && b->defaultAction()->isVisible())
                keys += b->text().section(u'&', 1).left(1);
        }
        QCOMPARE(keys, QStringLiteral("GFBNLPSX"));
        QVERIFY(QTest::qWaitForWindowActive(view));
        QTest::keyClick(view, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(view->CRViewer1()->currentPage(), 1);
    }

    void navigatesByOutlineAndPage()
    {
        ReportViewer *viewer = open(QStringLiteral("10"))->CRViewer1();
        QVERIFY(viewer->repeatGroupHeadings());
        QTreeWidget *tree = viewer->groupTree();
        QVERIFY(viewer->displayGroupTree() && tree->isVisible());
        QCOMPARE(tree->topLevelItemCount(), 3);
        QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("支払銀行　2　みなと銀行"));
        // Bank 1 fills the first page and continues on the second under its heading.
        QCOMPARE(viewer->reportSource()->page(1).lines.first().kind, ReportLine::Kind::ContinuedHeading);
        Q_EMIT tree->itemClicked(tree->topLevelItem(2), 0);
        QCOMPARE(viewer->currentPage(), viewer->reportSource()->outline().at(2).page);
        QVERIFY(viewer->currentPage() > 0);
        QCOMPARE(viewer->pageWidget()->page(), viewer->currentPage());
        // Pages beyond either end show the last or the first.
        viewer->showPage(viewer->pageCount() + 5);
        QCOMPARE(viewer->currentPage(), viewer->pageCount() - 1);
        viewer->showPage(-1);
        QCOMPARE(viewer->currentPage(), 0);
        viewer->setZoom(ReportViewer::Zoom::Percent, 200);
        const double doubled = viewer->pageScale();
        viewer->setZoom(ReportViewer::Zoom::Percent, 100);
        QCOMPARE(viewer->pageScale() * 2, doubled);

        m->windows.unload(WindowId::FrmView);
        ReportViewer *other = open(QStringLiteral("8"))->CRViewer1();
        QVERIFY(!other->displayGroupTree() && !other->groupTree()->isVisible());
    }

    void firstPageIsDrawn()
    {
        const QImage image = open(QStringLiteral("10"))->CRViewer1()->pageWidget()->grab().toImage();
        QVERIFY(image.width() > image.height() && image.height() > 100);
        // Text and rules cover a good part of the page.
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                inked += qGray(image.pixel(x, y)) < 200;
        }
        QVERIFY(inked > image.width() * image.height() / 50);
    }

    void printsAndSavesPdf_data()
    {
        QTest::addColumn<QString>("modeFlag");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("printed");
        QTest::addColumn<int>("pages");
        QTest::newRow("all pages") << "10" << 0 << 0 << 3 << 3;
        QTest::newRow("pages 2 to 3") << "10" << 2 << 3 << 2 << 3;
        // The explorer's list is empty here: one page with the notice.
        QTest::newRow("empty report") << "9" << 0 << 0 << 1 << 1;
    }

    void printsAndSavesPdf()
    {
        QFETCH(QString, modeFlag);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, printed);
        QFETCH(int, pages);
        ReportViewer *viewer = open(modeFlag)->CRViewer1();
        QCOMPARE(viewer->pageCount(), pages);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m->scratch.filePath(QStringLiteral("printed.pdf")));
        printer.setPageLayout(viewer->reportSource()->pageLayout());
        if (from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(from, to);
        }
        QVERIFY(viewer->printTo(printer));
        QCOMPARE(ReportTestData::pdfPages(printer.outputFileName()), printed);

        const QString saved = m->scratch.filePath(QStringLiteral("saved.pdf"));
        viewer->savePdf(saved);
        QCOMPARE(ReportTestData::pdfPages(saved), pages);
        QVERIFY(!QGuiApplication::overrideCursor());
        try {
            viewer->savePdf(m->scratch.filePath(QStringLiteral("no/such/folder/x.pdf")));
            QFAIL("a PDF was written into a missing folder");
        } catch (const ReportError &e) {
            QVERIFY(e.file().endsWith(QStringLiteral("x.pdf")));
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // The toolbar's Excel 保存 writes the report's rows under its column
    // headings, one line a note.
    void savesTheRows()
    {
        ReportViewer *viewer = open(QStringLiteral("10"))->CRViewer1();
        const QString path = m->scratch.filePath(QStringLiteral("rows.csv"));
        m->dialogs.queueSaveFile(path, QStringLiteral("CSV UTF-8 (*.csv)"));
        viewer->exportRows();
        const QStringList lines =
                QString::fromUtf8(TestDataFolder::fileBytes(path).mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 61);
        // Each row keeps its bank, which the print shows above its group.
        QStringList headings{QStringLiteral("銀行コード"), QStringLiteral("支払銀行")};
        for (const ReportDefinition::Column &c : viewer->reportSource()->definition().columns)
            headings << c.heading;
        QCOMPARE(lines.first(), headings.join(u','));
        QVERIFY(lines.at(1).startsWith(QStringLiteral("1,中央銀行,2024/05/01,N000,")));
        QVERIFY(lines.at(60).startsWith(QStringLiteral("10,東都信用金庫,")));

        // PDF 保存 over an existing file: declined, the file stays; agreed,
        // the report takes its place and no temporary file is left.
        const QString pdf = m->scratch.filePath(QStringLiteral("rows.pdf"));
        for (const auto answer : {DialogService::Answer::No, DialogService::Answer::Yes}) {
            QVERIFY(TestDataFolder::writeFile(pdf, "old"));
            m->dialogs.queueSaveFile(pdf);
            m->dialogs.queueAnswer(answer);
            viewer->exportPdf();
            QCOMPARE(QFileInfo(pdf).size() == 3, answer == DialogService::Answer::No);
        }
        QCOMPARE(ReportTestData::pdfPages(pdf), viewer->pageCount());
        QCOMPARE(QDir(m->scratch.path()).entryList({QStringLiteral(".~*")}, QDir::Hidden | QDir::Files), QStringList());
        QCOMPARE(m->dialogs.unexpected(), 0);
    }

    // Saved from the viewer, the rows of reports 11 and 13 keep their bank
    // (and report 11 its day), and report 13's days and amounts, which it
    // prints as text, are dates and numbers (report 10: savesTheRows).
    void savedRowsKeepTheirGroup_data()
    {
        QTest::addColumn<QString>("modeFlag");
        QTest::addColumn<QStringList>("headings"); // the first ones
        QTest::addColumn<QStringList>("firstRow"); // T text, A amount, D date; * not compared
        const auto list = ReportTestData::texts;
        QTest::newRow("11") << "11" << list({"決済日", "支払銀行", "手形番号", "振出先", "金額"})
                            << list({"D2024-05-01", "T中央銀行", "TN000", "*", "A1000"});
        QTest::newRow("13") << "13" << list({"支払銀行", "決済日", "決済額", "残高", "摘要"})
                            << list({"T1 中央銀行", "D2024-05-07", "A1000", "A-5000", "T不足"});
    }
    void savedRowsKeepTheirGroup()
    {
        QFETCH(QString, modeFlag);
        QFETCH(QStringList, headings);
        QFETCH(QStringList, firstRow);
        m->folder.exec(QStringLiteral("INSERT INTO TMPTbl (F1, F2, F3, F4, F5, F6) VALUES ('1 中央銀行', "
                                      "'2024/05/07(火)', '1,000', '-5,000', '不足', '開始残高 -4,000')"));
        m->values.setReportDate(QStringLiteral("2024/05/01"));
        ReportViewer *viewer = open(modeFlag)->CRViewer1();
        const QString path = m->scratch.filePath(QStringLiteral("rows.xlsx"));
        m->dialogs.queueSaveFile(path);
        viewer->exportRows();
        QVERIFY(QFileInfo::exists(path));

        const ReportExportSource source(*viewer->reportSource());
        QStringList shownHeadings;
        QStringList shownRow;
        for (int c = 0; c < headings.size(); ++c) {
            shownHeadings << source.columns().at(c).heading;
            const ExportSource::Cell cell = source.cell(0, c);
            switch (cell.kind) {
            case ExportSource::Kind::Text: shownRow << u'T' + cell.text; break;
            case ExportSource::Kind::Amount: shownRow << u'A' + QString::number(cell.amount); break;
            case ExportSource::Kind::Date: shownRow << u'D' + cell.date.toString(Qt::ISODate); break;
            }
            if (firstRow.at(c) == QLatin1String("*"))
                shownRow.last() = firstRow.at(c);
        }
        QCOMPARE(shownHeadings + shownRow, headings + firstRow);
        QCOMPARE(m->dialogs.unexpected(), 0);
    }

private:
    FrmView *open(const QString &modeFlag);

    // Destroyed in reverse order: the windows before the values and dialogs they use.
    struct Fixture
    {
        TestDataFolder folder;
        QTemporaryDir scratch;
        AppValues values;
        CursorWatchingDialogs dialogs;
        WindowRegistry windows;
        AppContext context{values, dialogs, windows};
    };
    std::unique_ptr<Fixture> m;
    ServerRegister m_register;
};

FrmView *TestFrmView::open(const QString &modeFlag)
{
    m->values.setModeFlag(modeFlag);
    return qobject_cast<FrmView *>(m->windows.show(WindowId::FrmView));
}

QTEST_MAIN(TestFrmView)
#include "tst_FrmView.moc"
