#include "ReportTestData.h"
#include "ScriptedDialogService.h"
#include "TestDataFolder.h"

#include "app/AppContext.h"
#include "app/AppValues.h"
#include "app/WindowRegistry.h"
#include "reports/FrmView.h"
#include "reports/ReportDocument.h"
#include "reports/ReportPageWidget.h"
#include "reports/ReportViewer.h"

#include <QGuiApplication>
#include <QPrinter>
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
    void init();
    void cleanup();
    void titleAndReportFollowModeFlag_data();
    void titleAndReportFollowModeFlag();
    void readsModeFlagOnlyWhileLoading();
    void failuresWarnAndLeaveTheViewerEmpty_data();
    void failuresWarnAndLeaveTheViewerEmpty();
    void viewerFillsTheWindow();
    void notesBookShowsGroupOutline();
    void pagesThroughTheReport();
    void firstPageIsDrawn();
    void printsAndSavesPdf_data();
    void printsAndSavesPdf();

private:
    FrmView *open(const QString &modeFlag);

    std::unique_ptr<TestDataFolder> m_folder;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<AppValues> m_values;
    std::unique_ptr<CursorWatchingDialogs> m_dialogs;
    std::unique_ptr<WindowRegistry> m_windows;
    std::unique_ptr<AppContext> m_context;
};

void TestFrmView::init()
{
    m_folder = std::make_unique<TestDataFolder>();
    m_scratch = std::make_unique<QTemporaryDir>();
    ReportTestData::addMasters(*m_folder);
    ReportTestData::addNotes(*m_folder, 60, [](int i) {
        return ReportTestData::Note{QStringLiteral("N%1").arg(i, 3, 10, QLatin1Char('0')),
                                    QDate(2024, 5, 1).addDays(i).toString(Qt::ISODate), 1000.0 * (i + 1),
                                    i < 40 ? QStringLiteral("1") : (i < 50 ? QStringLiteral("2") : QStringLiteral("10"))};
    });
    m_values = std::make_unique<AppValues>();
    m_values->setDataFolder(m_folder->path());
    m_values->setProgramFolder(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    m_dialogs = std::make_unique<CursorWatchingDialogs>();
    m_windows = std::make_unique<WindowRegistry>();
    m_context = std::make_unique<AppContext>(*m_values, *m_dialogs, *m_windows);
    m_windows->registerFactory(WindowId::FrmView, [this] { return FrmView::create(*m_context); });
}

void TestFrmView::cleanup()
{
    m_windows.reset();
    m_context.reset();
    m_dialogs.reset();
    m_values.reset();
    m_folder.reset();
    m_scratch.reset();
}

FrmView *TestFrmView::open(const QString &modeFlag)
{
    m_values->setModeFlag(modeFlag);
    return qobject_cast<FrmView *>(m_windows->show(WindowId::FrmView));
}

void TestFrmView::titleAndReportFollowModeFlag_data()
{
    QTest::addColumn<QString>("modeFlag");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("reportTitle");
    QTest::newRow("1") << "1" << "印刷プレビュー" << "仕入先一覧";
    QTest::newRow("2") << "2" << "印刷プレビュー" << "銀行一覧";
    QTest::newRow("8") << "8" << "印刷プレビュー" << "支払手形一覧";
    QTest::newRow("10") << "10" << "手形帳印刷プレビュー" << "手形帳";
    QTest::newRow("11") << "11" << "印刷プレビュー" << "手形決済一覧";
    QTest::newRow("12") << "12" << "印刷プレビュー" << "振出先別支払予定表";
    QTest::newRow("empty") << "" << "印刷プレビュー" << "";
    QTest::newRow("0") << "0" << "印刷プレビュー" << "";
    QTest::newRow("13") << "13" << "印刷プレビュー" << "";
    QTest::newRow("save mode") << "E" << "印刷プレビュー" << "";
}

void TestFrmView::titleAndReportFollowModeFlag()
{
    QFETCH(QString, modeFlag);
    QFETCH(QString, title);
    QFETCH(QString, reportTitle);
    m_values->setReportDate(QStringLiteral("2024/05/01"));
    m_values->setReportKeiri(QStringLiteral("1"));
    FrmView *view = open(modeFlag);
    QVERIFY(view);
    QCOMPARE(view->windowTitle(), title);
    QCOMPARE(view->ReportFolder(), m_values->programFolder() + QDir::separator());
    const ReportDocument *report = view->CRViewer1()->reportSource();
    QCOMPARE(report ? report->definition().title : QString(), reportTitle);
    QCOMPARE(view->CRViewer1()->pageCount() > 0, !reportTitle.isEmpty());
    QCOMPARE(view->CRViewer1()->currentPage(), 0);
    QVERIFY(m_dialogs->calls().isEmpty());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestFrmView::readsModeFlagOnlyWhileLoading()
{
    FrmView *view = open(QStringLiteral("2"));
    // A second print request brings the open viewer forward unchanged.
    QCOMPARE(open(QStringLiteral("10")), view);
    QCOMPARE(view->windowTitle(), QStringLiteral("印刷プレビュー"));
    QCOMPARE(view->reportNumber(), 2);
    QCOMPARE(view->CRViewer1()->reportSource()->definition().title, QStringLiteral("銀行一覧"));

    // After the viewer is closed, the request is honoured.
    m_windows->unload(WindowId::FrmView);
    FrmView *again = open(QStringLiteral("10"));
    QCOMPARE(again->windowTitle(), QStringLiteral("手形帳印刷プレビュー"));
    QCOMPARE(again->reportNumber(), 10);
}

void TestFrmView::failuresWarnAndLeaveTheViewerEmpty_data()
{
    QTest::addColumn<QString>("modeFlag");
    QTest::addColumn<bool>("programFolder");
    QTest::addColumn<bool>("database");
    QTest::addColumn<QString>("reportDate");
    QTest::addColumn<QString>("named");
    QTest::newRow("report file missing") << "2" << false << true << "" << "RBBank1.rpt";
    QTest::newRow("database missing") << "8" << true << false << "" << "dbRibodo";
    QTest::newRow("date that is no date") << "11" << true << true << "2024/02/30" << "RBKesai.rpt";
}

void TestFrmView::failuresWarnAndLeaveTheViewerEmpty()
{
    QFETCH(QString, modeFlag);
    QFETCH(bool, programFolder);
    QFETCH(bool, database);
    QFETCH(QString, reportDate);
    QFETCH(QString, named);
    TestDataFolder empty(false);
    if (!programFolder)
        m_values->setProgramFolder(QDir::toNativeSeparators(m_scratch->path()));
    if (!database)
        m_values->setDataFolder(empty.path());
    m_values->setReportDate(reportDate);
    FrmView *view = open(modeFlag);
    QVERIFY(view);
    QCOMPARE(m_dialogs->messages().size(), 1);
    const ScriptedDialogService::Call warning = m_dialogs->messages().first();
    QCOMPARE(warning.title, QStringLiteral("警告"));
    QVERIFY2(warning.text.contains(named), qPrintable(warning.text));
    QVERIFY(warning.text.contains(QStringLiteral("理由")));
    QVERIFY(!m_dialogs->waitPointerAtMessage);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!view->CRViewer1()->reportSource());
    QCOMPARE(view->CRViewer1()->pageCount(), 0);
    QCOMPARE(m_windows->window(WindowId::FrmView), view);
}

void TestFrmView::viewerFillsTheWindow()
{
    FrmView *view = open(QStringLiteral("8"));
    for (const QSize size : {QSize(900, 600), QSize(640, 480), QSize(1200, 900)}) {
        view->resize(size);
        QCOMPARE(view->CRViewer1()->geometry(), QRect(QPoint(0, 0), size));
    }
}

void TestFrmView::notesBookShowsGroupOutline()
{
    FrmView *view = open(QStringLiteral("10"));
    ReportViewer *viewer = view->CRViewer1();
    QVERIFY(viewer->displayGroupTree());
    QVERIFY(viewer->repeatGroupHeadings());
    QTreeWidget *tree = viewer->groupTree();
    QVERIFY(tree->isVisible());
    QCOMPARE(tree->topLevelItemCount(), 3);
    QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("支払銀行　2　みなと銀行"));
    // Bank 1 fills the first page and continues on the second under its heading.
    const ReportPage second = viewer->reportSource()->page(1);
    QCOMPARE(second.lines.first().kind, ReportLine::Kind::ContinuedHeading);
    Q_EMIT tree->itemClicked(tree->topLevelItem(2), 0);
    QCOMPARE(viewer->currentPage(), viewer->reportSource()->outline().at(2).page);
    QVERIFY(viewer->currentPage() > 0);

    m_windows->unload(WindowId::FrmView);
    ReportViewer *other = open(QStringLiteral("8"))->CRViewer1();
    QVERIFY(!other->displayGroupTree());
    QVERIFY(!other->groupTree()->isVisible());
}

void TestFrmView::pagesThroughTheReport()
{
    ReportViewer *viewer = open(QStringLiteral("8"))->CRViewer1();
    const int pages = viewer->pageCount();
    QVERIFY(pages >= 3);
    viewer->showPage(1);
    QCOMPARE(viewer->currentPage(), 1);
    QCOMPARE(viewer->pageWidget()->page(), 1);
    viewer->showPage(pages + 5);
    QCOMPARE(viewer->currentPage(), pages - 1);
    viewer->showPage(-1);
    QCOMPARE(viewer->currentPage(), 0);
    viewer->setZoom(ReportViewer::Zoom::Percent, 200);
    const double doubled = viewer->pageScale();
    viewer->setZoom(ReportViewer::Zoom::Percent, 100);
    QCOMPARE(viewer->pageScale() * 2, doubled);
}

void TestFrmView::firstPageIsDrawn()
{
    ReportViewer *viewer = open(QStringLiteral("10"))->CRViewer1();
    const QImage image = viewer->pageWidget()->grab().toImage();
    QVERIFY(image.width() > 100 && image.height() > 100);
    QVERIFY(image.width() > image.height());
    // Text and rules cover a good part of the page.
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            inked += qGray(image.pixel(x, y)) < 200;
    }
    QVERIFY(inked > image.width() * image.height() / 50);
}

void TestFrmView::printsAndSavesPdf_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("expected");
    QTest::newRow("all pages") << 0 << 0 << -1;
    QTest::newRow("pages 2 to 3") << 2 << 3 << 2;
    QTest::newRow("page 3 only") << 3 << 3 << 1;
}

void TestFrmView::printsAndSavesPdf()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, expected);
    ReportViewer *viewer = open(QStringLiteral("10"))->CRViewer1();
    if (expected < 0)
        expected = viewer->pageCount();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString printed = m_scratch->filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(printed);
    printer.setPageLayout(viewer->reportSource()->pageLayout());
    if (from > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(from, to);
    }
    QVERIFY(viewer->printTo(printer));
    QCOMPARE(ReportTestData::pdfPages(printed), expected);

    const QString saved = m_scratch->filePath(QStringLiteral("saved.pdf"));
    viewer->savePdf(saved);
    QCOMPARE(ReportTestData::pdfPages(saved), viewer->pageCount());
    QVERIFY(!QGuiApplication::overrideCursor());
}

QTEST_MAIN(TestFrmView)
#include "tst_FrmView.moc"
