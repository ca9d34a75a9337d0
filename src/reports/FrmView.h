#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class AppContext;
class ReportViewer;

// The report viewer window through which everything is printed. A screen
// sets ModeFlag to a report number ("1" to "12"; for "11" and "12" first
// ReportDate and ReportKeiri; "14" with the period ReportDate to
// ReportDateEnd; "15") and shows this window; the window reads the
// number once, while it loads, and shows that report until it is closed.
// Esc closes it.
class FrmView : public QWidget
{
    Q_OBJECT

public:
    explicit FrmView(AppContext &context, QWidget *parent = nullptr);
    ~FrmView() override;

    // The factory for the window registry.
    static std::unique_ptr<QWidget> create(AppContext &context);

    // The program folder and the separator, fixed when the window loads.
    QString ReportFolder() const { return m_reportFolder; }
    // The report number read at load; 0 when ModeFlag named no report.
    int reportNumber() const { return m_reportNumber; }

    ReportViewer *CRViewer1() const { return m_viewer; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void openReport();

    AppContext &m_context;
    QString m_reportFolder;
    int m_reportNumber = 0;
    ReportViewer *m_viewer = nullptr;
};
