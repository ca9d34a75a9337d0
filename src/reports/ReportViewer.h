#pragma once

#include <QWidget>

#include <memory>

class DialogService;
class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;
class QSpinBox;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class ReportDocument;
class ReportPageWidget;

// The report viewer control: a toolbar to page through, zoom, print and save
// as PDF, the page itself, and an outline of the report's groups that can be
// shown beside it. It owns the report it shows.
class ReportViewer : public QWidget
{
    Q_OBJECT

public:
    enum class Zoom { WholePage, PageWidth, Percent };

    explicit ReportViewer(DialogService &dialogs, QWidget *parent = nullptr);
    ~ReportViewer() override;

    // The two display options, set before a report is given: the outline
    // of groups beside the page, and group headings repeated at the top of
    // each page a group continues on (read when the report is made).
    void setDisplayGroupTree(bool on);
    bool displayGroupTree() const { return m_displayGroupTree; }
    void setRepeatGroupHeadings(bool on) { m_repeatGroupHeadings = on; }
    bool repeatGroupHeadings() const { return m_repeatGroupHeadings; }

    // nullptr gives an empty viewer.
    void setReportSource(std::unique_ptr<ReportDocument> document);
    const ReportDocument *reportSource() const { return m_document.get(); }
    // Shows the first page of the report source.
    void viewReport();

    int pageCount() const;
    int currentPage() const;
    void showPage(int index);

    void setZoom(Zoom zoom, int percent = 100);
    Zoom zoom() const { return m_zoom; }
    double pageScale() const;

    QTreeWidget *groupTree() const { return m_tree; }
    ReportPageWidget *pageWidget() const { return m_page; }

    // Prints the pages the printer's range asks for (all by default).
    // False when the printer cannot be started.
    bool printTo(QPrinter &printer);
    // Raises ReportError when the file cannot be written.
    void savePdf(const QString &path);

    // The commands of the toolbar, with their dialogs.
    void print();
    void exportPdf();
    // The report's rows as a workbook or CSV file.
    void exportRows();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateScale();
    void updateControls();
    void fillGroupTree();
    void zoomChosen(int index);
    void groupChosen(QTreeWidgetItem *item);

    DialogService &m_dialogs;
    std::unique_ptr<ReportDocument> m_document;
    bool m_displayGroupTree = false;
    bool m_repeatGroupHeadings = false;
    Zoom m_zoom = Zoom::PageWidth;
    int m_percent = 100;

    QToolBar *m_toolBar = nullptr;
    QAction *m_first = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_next = nullptr;
    QAction *m_last = nullptr;
    QAction *m_print = nullptr;
    QAction *m_pdf = nullptr;
    QAction *m_excel = nullptr;
    QAction *m_treeToggle = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QSplitter *m_splitter = nullptr;
    QTreeWidget *m_tree = nullptr;
    QScrollArea *m_scroll = nullptr;
    ReportPageWidget *m_page = nullptr;
};
