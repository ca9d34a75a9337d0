#include "FrmView.h"

#include "ReportCatalogue.h"
#include "ReportDocument.h"
#include "ReportEngine.h"
#include "ReportError.h"
#include "ReportViewer.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/EscapeKey.h"
#include "ui/WaitCursor.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

FrmView::FrmView(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("FrmView"));
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    m_viewer = new ReportViewer(context.dialogs(), this);
    m_viewer->setObjectName(QStringLiteral("CRViewer1"));

    QSize size(1100, 780);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size);
    EscapeKey::closes(this);

    QString programFolder = context.values().programFolder();
    if (programFolder.isEmpty())
        programFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    m_reportFolder = programFolder + QDir::separator();

    openReport();
}

FrmView::~FrmView() = default;

std::unique_ptr<QWidget> FrmView::create(AppContext &context)
{
    return std::make_unique<FrmView>(context);
}

void FrmView::openReport()
{
    QString failure;
    QString details;
    {
        const WaitCursor wait;
        const AppValues &values = m_context.values();
        const auto entry = ReportCatalogue::find(values.ModeFlag());
        std::unique_ptr<ReportDocument> document;
        if (entry) {
            m_reportNumber = entry->number;
            setWindowTitle(ReportCatalogue::viewerTitle(entry->number));
            m_viewer->setDisplayGroupTree(ReportCatalogue::showsGroupOutline(entry->number));
            m_viewer->setRepeatGroupHeadings(ReportCatalogue::repeatsGroupHeadings(entry->number));
            try {
                ReportRequest request =
                        ReportEngine::catalogueRequest(entry->number, m_reportFolder, values.dataFolder(),
                                                       values.ReportDate(), values.ReportKeiri(),
                                                       values.ReportDateEnd());
                request.repeatGroupHeadings = m_viewer->repeatGroupHeadings();
                document = ReportEngine::build(request);
            } catch (const ReportError &e) {
                failure = e.text();
                details = e.details();
            }
        }
        m_viewer->setReportSource(std::move(document));
        m_viewer->viewReport();
    }
    if (!failure.isEmpty())
        m_context.dialogs().detailedMessage(DialogService::withLockedNote(failure, details), details,
                                            QStringLiteral("警告"), DialogService::Buttons::Ok,
                                            DialogService::Icon::Exclamation);
}

void FrmView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_viewer->setGeometry(0, 0, width(), height());
}
