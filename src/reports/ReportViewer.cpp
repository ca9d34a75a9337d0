#include "ReportViewer.h"

#include "ReportDocument.h"
#include "ReportError.h"
#include "ReportExportSource.h"
#include "ReportFonts.h"
#include "ReportPageWidget.h"
#include "ReportPainter.h"
#include "ReportPdf.h"

#include "ui/ExcelSaveButton.h"

#include "ui/DialogService.h"
#include "ui/WaitCursor.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int pageRole = Qt::UserRole + 1;

const int percents[] = {50, 75, 100, 125, 150, 200};

// Restores the normal pointer however the work ends.
} // namespace

ReportViewer::ReportViewer(DialogService &dialogs, QWidget *parent)
    : QWidget(parent)
    , m_dialogs(dialogs)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolBar = new QToolBar(this);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle *s = style();
    m_treeToggle = m_toolBar->addAction(s->standardIcon(QStyle::SP_FileDialogListView), QStringLiteral("グループ"));
    m_treeToggle->setCheckable(true);
    m_treeToggle->setToolTip(QStringLiteral("グループの一覧を表示します"));
    m_treeToggle->setVisible(false);
    m_treeToggle->setIconText(QStringLiteral("グループ(&G)"));
    m_first = m_toolBar->addAction(s->standardIcon(QStyle::SP_MediaSkipBackward), QStringLiteral("先頭"));
    m_previous = m_toolBar->addAction(s->standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("前へ"));
    m_pageBox = new QSpinBox(this);
    m_pageBox->setMinimum(1);
    m_pageBox->setToolTip(QStringLiteral("ページ"));
    m_toolBar->addWidget(m_pageBox);
    m_pageCount = new QLabel(this);
    m_pageCount->setContentsMargins(4, 0, 8, 0);
    m_toolBar->addWidget(m_pageCount);
    m_next = m_toolBar->addAction(s->standardIcon(QStyle::SP_ArrowRight), QStringLiteral("次へ"));
    m_last = m_toolBar->addAction(s->standardIcon(QStyle::SP_MediaSkipForward), QStringLiteral("最後"));
    m_toolBar->addSeparator();
    m_zoomBox = new QComboBox(this);
    m_zoomBox->addItem(QStringLiteral("ページ全体"));
    m_zoomBox->addItem(QStringLiteral("ページ幅"));
    for (const int p : percents)
        m_zoomBox->addItem(QStringLiteral("%1%").arg(p), p);
    m_zoomBox->setCurrentIndex(1);
    m_zoomBox->setToolTip(QStringLiteral("表示倍率"));
    m_toolBar->addWidget(m_zoomBox);
    m_toolBar->addSeparator();
    m_print = m_toolBar->addAction(QIcon::fromTheme(QStringLiteral("document-print"), s->standardIcon(QStyle::SP_ComputerIcon)),
                                   QStringLiteral("印刷..."));
    m_print->setShortcut(QKeySequence::Print);
    m_pdf = m_toolBar->addAction(QIcon::fromTheme(QStringLiteral("document-save-as"), s->standardIcon(QStyle::SP_DialogSaveButton)),
                                 QStringLiteral("PDF 保存..."));
    m_excel = m_toolBar->addAction(s->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Excel 保存..."));
    m_excel->setObjectName(QStringLiteral("actionExcel"));
    // The buttons show their access keys: a tool button takes its mnemonic
    // from the action's icon text.
    const std::pair<QAction *, const char *> accessKeys[] = {
        {m_first, "先頭(&F)"}, {m_previous, "前へ(&B)"}, {m_next, "次へ(&N)"},
        {m_last, "最後(&L)"},  {m_print, "印刷(&P)..."}, {m_pdf, "PDF 保存(&S)..."}, {m_excel, "Excel 保存(&X)..."},
    };
    for (const auto &[action, text] : accessKeys)
        action->setIconText(QString::fromUtf8(text));
    m_first->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home));
    m_previous->setShortcut(QKeySequence(Qt::Key_PageUp));
    m_next->setShortcut(QKeySequence(Qt::Key_PageDown));
    m_last->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_End));
    layout->addWidget(m_toolBar);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_tree = new QTreeWidget(m_splitter);
    m_tree->setHeaderLabel(QStringLiteral("グループ"));
    m_tree->setVisible(false);
    m_scroll = new QScrollArea(m_splitter);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_page = new ReportPageWidget(m_scroll);
    m_scroll->setWidget(m_page);
    m_scroll->viewport()->installEventFilter(this);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({220, 800});
    layout->addWidget(m_splitter, 1);

    connect(m_first, &QAction::triggered, this, [this] { showPage(0); });
    connect(m_previous, &QAction::triggered, this, [this] { showPage(currentPage() - 1); });
    connect(m_next, &QAction::triggered, this, [this] { showPage(currentPage() + 1); });
    connect(m_last, &QAction::triggered, this, [this] { showPage(pageCount() - 1); });
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int v) { showPage(v - 1); });
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this, &ReportViewer::zoomChosen);
    connect(m_print, &QAction::triggered, this, &ReportViewer::print);
    connect(m_pdf, &QAction::triggered, this, &ReportViewer::exportPdf);
    connect(m_excel, &QAction::triggered, this, &ReportViewer::exportRows);
    connect(m_treeToggle, &QAction::toggled, m_tree, &QWidget::setVisible);
    connect(m_tree, &QTreeWidget::itemClicked, this, &ReportViewer::groupChosen);
    connect(m_tree, &QTreeWidget::itemActivated, this, &ReportViewer::groupChosen);

    updateControls();
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::setDisplayGroupTree(bool on)
{
    m_displayGroupTree = on;
    m_treeToggle->setVisible(on);
    m_treeToggle->setChecked(on);
    m_tree->setVisible(on);
}

void ReportViewer::setReportSource(std::unique_ptr<ReportDocument> document)
{
    m_page->setDocument(nullptr);
    m_document = std::move(document);
    m_page->setDocument(m_document.get());
    fillGroupTree();
    updateScale();
    updateControls();
}

void ReportViewer::viewReport()
{
    showPage(0);
}

int ReportViewer::pageCount() const
{
    return m_document ? m_document->pageCount() : 0;
}

int ReportViewer::currentPage() const
{
    return m_page->page();
}

void ReportViewer::showPage(int index)
{
    if (!m_document)
        return;
    index = std::clamp(index, 0, pageCount() - 1);
    m_page->setPage(index);
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

void ReportViewer::setZoom(Zoom zoom, int percent)
{
    m_zoom = zoom;
    m_percent = percent;
    updateScale();
}

void ReportViewer::zoomChosen(int index)
{
    if (index == 0)
        setZoom(Zoom::WholePage);
    else if (index == 1)
        setZoom(Zoom::PageWidth);
    else
        setZoom(Zoom::Percent, m_zoomBox->itemData(index).toInt());
}

double ReportViewer::pageScale() const
{
    return m_page->scale();
}

void ReportViewer::updateScale()
{
    if (!m_document)
        return;
    const QSizeF paper = m_document->metrics().paper();
    const QSize room = m_scroll->maximumViewportSize();
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    double scale = m_page->logicalDpiX() / 720.0 * m_percent / 100.0;
    if (m_zoom == Zoom::WholePage)
        scale = std::min((room.width() - 4) / paper.width(), (room.height() - 4) / paper.height());
    else if (m_zoom == Zoom::PageWidth)
        scale = (room.width() - bar) / paper.width();
    m_page->setScale(std::max(scale, 0.01));
}

void ReportViewer::updateControls()
{
    const int count = pageCount();
    const int current = currentPage();
    const bool any = count > 0;
    m_first->setEnabled(any && current > 0);
    m_previous->setEnabled(any && current > 0);
    m_next->setEnabled(any && current < count - 1);
    m_last->setEnabled(any && current < count - 1);
    m_print->setEnabled(any);
    m_pdf->setEnabled(any);
    m_excel->setEnabled(any);
    m_zoomBox->setEnabled(any);
    m_pageBox->setEnabled(any);
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setMaximum(std::max(count, 1));
        m_pageBox->setValue(current + 1);
    }
    m_pageCount->setText(any ? QStringLiteral("/ %1").arg(count) : QString());
}

void ReportViewer::fillGroupTree()
{
    m_tree->clear();
    if (!m_document)
        return;
    QList<QTreeWidgetItem *> parents;
    const QList<ReportDocument::OutlineItem> outline = m_document->outline();
    for (const ReportDocument::OutlineItem &o : outline) {
        while (parents.size() > o.level)
            parents.removeLast();
        QTreeWidgetItem *item = parents.isEmpty() ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(parents.last());
        item->setText(0, o.label);
        item->setData(0, pageRole, o.page);
        parents.append(item);
    }
}

void ReportViewer::groupChosen(QTreeWidgetItem *item)
{
    if (item)
        showPage(item->data(0, pageRole).toInt());
}

bool ReportViewer::eventFilter(QObject *watched, QEvent *event)
{
    // The fitted zooms follow the room the page has, whichever way it changes.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize)
        updateScale();
    return QWidget::eventFilter(watched, event);
}

bool ReportViewer::printTo(QPrinter &printer)
{
    if (!m_document)
        return false;
    int from = 0;
    int to = pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::clamp(printer.fromPage() - 1, 0, to);
        to = std::clamp(printer.toPage() > 0 ? printer.toPage() - 1 : to, from, to);
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = currentPage();
    }
    printer.setFullPage(true);
    QPainter p;
    if (!p.begin(&printer))
        return false;
    const WaitCursor wait;
    const ReportPainter painter(m_document->metrics(), ReportFonts::japaneseFamily());
    const QRectF target(QPointF(0, 0), printer.pageLayout().fullRectPixels(printer.resolution()).size());
    for (int i = from; i <= to; ++i) {
        if (i > from)
            printer.newPage();
        painter.paint(p, m_document->page(i), target);
    }
    return p.end();
}

void ReportViewer::savePdf(const QString &path)
{
    if (!m_document)
        return;
    const WaitCursor wait;
    ReportPdf::write(*m_document, path);
}

void ReportViewer::print()
{
    if (!m_document)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_document->pageLayout());
    printer.setDocName(m_document->definition().title);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printTo(printer))
        m_dialogs.message(QStringLiteral("プリンタ「%1」に印刷できません。").arg(printer.printerName()),
                          QStringLiteral("警告"), DialogService::Buttons::Ok, DialogService::Icon::Exclamation);
}

void ReportViewer::exportRows()
{
    if (!m_document)
        return;
    const ReportExportSource source(*m_document);
    ExcelSaveButton::saveSource(m_dialogs, source, m_document->definition().title);
}

void ReportViewer::exportPdf()
{
    if (!m_document)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(m_document->definition().title + QStringLiteral(".pdf"));
    QString filter = QStringLiteral("PDF (*.pdf)");
    const QString path = m_dialogs.saveFileName(QStringLiteral("PDF に保存"), suggested, {filter}, &filter);
    if (path.isEmpty() || !m_dialogs.confirmReplace(path))
        return;
    try {
        savePdf(path);
    } catch (const ReportError &e) {
        m_dialogs.detailedMessage(DialogService::withLockedNote(e.text(), e.details()), e.details(),
                                  QStringLiteral("警告"), DialogService::Buttons::Ok, DialogService::Icon::Exclamation);
    }
}
