#pragma once

#include <QDate>
#include <QToolButton>

#include <utility>

class AppContext;
class QPushButton;

// The arrow beside the explorer's print button and its menu of the reports
// the explorer prints: the list as shown (report 9, what the button itself
// prints and the menu's default), the stamp duties of the paper notes drawn
// in a period (report 14) and the unsettled notes that need attention
// (report 15). The same menu opens on the print button by a right click or
// Alt+↓.
class ExplorerPrintMenu : public QToolButton
{
    Q_OBJECT

public:
    ExplorerPrintMenu(AppContext &context, QPushButton *printButton, QWidget *parent);

    // Asks for the period of drawing dates, then opens report 14.
    void printStampDuties();
    void printWarnings();

    // A period typed as "2026/04/01-2026/04/30": full-width digits and
    // signs and a wave dash between the dates are accepted. Invalid dates
    // when the text is no such period.
    static std::pair<QDate, QDate> parsePeriod(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openReport(const QString &number);
    void warn(const QString &text);

    AppContext &m_context;
    QPushButton *m_printButton = nullptr;
};
