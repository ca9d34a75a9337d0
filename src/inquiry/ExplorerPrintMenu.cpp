#include "ExplorerPrintMenu.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>

namespace {

const QString dateFormat = QStringLiteral("yyyy/MM/dd");
const QString periodTitle = QStringLiteral("印紙税額一覧");

} // namespace

ExplorerPrintMenu::ExplorerPrintMenu(AppContext &context, QPushButton *printButton, QWidget *parent)
    : QToolButton(parent)
    , m_context(context)
    , m_printButton(printButton)
{
    setObjectName(QStringLiteral("cmdPrintMenu"));
    setArrowType(Qt::DownArrow);
    setPopupMode(QToolButton::InstantPopup);
    // Reached from the keyboard through the print button itself.
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("印刷する帳票を選びます (Alt+↓)"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    auto *reports = new QMenu(this);
    QAction *list = reports->addAction(QStringLiteral("手形照会一覧(&L)"), printButton, &QPushButton::click);
    reports->setDefaultAction(list);
    reports->addSeparator();
    reports->addAction(QStringLiteral("印紙税額一覧(&T)..."), this, &ExplorerPrintMenu::printStampDuties);
    reports->addAction(QStringLiteral("要注意手形一覧(&W)"), this, &ExplorerPrintMenu::printWarnings);
    setMenu(reports);

    printButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(printButton, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { menu()->exec(m_printButton->mapToGlobal(at)); });
    printButton->installEventFilter(this);
}

bool ExplorerPrintMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_printButton && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier) {
            showMenu();
            return true;
        }
    }
    return QToolButton::eventFilter(watched, event);
}

std::pair<QDate, QDate> ExplorerPrintMenu::parsePeriod(const QString &text)
{
    // Compatibility forms turn full-width digits, slashes and signs into
    // their plain ones.
    static const QRegularExpression period(
            QStringLiteral("^\\s*(\\d{4}/\\d{1,2}/\\d{1,2})\\s*[-~〜―ー]\\s*(\\d{4}/\\d{1,2}/\\d{1,2})\\s*$"));
    const QRegularExpressionMatch m = period.match(text.normalized(QString::NormalizationForm_KC));
    if (!m.hasMatch())
        return {};
    return {QDate::fromString(m.captured(1), QStringLiteral("yyyy/M/d")),
            QDate::fromString(m.captured(2), QStringLiteral("yyyy/M/d"))};
}

void ExplorerPrintMenu::printStampDuties()
{
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    const QString typed = m_context.dialogs().input(
            QStringLiteral("印紙税額一覧に載せる手形の振出日の期間を入力してください。\n"
                           "（例: 2026/04/01-2026/04/30）"),
            periodTitle,
            first.toString(dateFormat) + QLatin1Char('-') + first.addMonths(1).addDays(-1).toString(dateFormat));
    if (typed.trimmed().isEmpty())
        return;
    const auto [from, to] = parsePeriod(typed);
    if (!from.isValid() || !to.isValid()) {
        warn(QStringLiteral("期間は「2026/04/01-2026/04/30」のように、開始日と終了日を - でつないで入力してください。"));
        return;
    }
    if (from > to) {
        warn(QStringLiteral("集計終了日が開始日より前の日付になっています。"));
        return;
    }
    AppValues &values = m_context.values();
    values.setReportDate(from.toString(dateFormat));
    values.setReportDateEnd(to.toString(dateFormat));
    openReport(QStringLiteral("14"));
}

void ExplorerPrintMenu::printWarnings()
{
    openReport(QStringLiteral("15"));
}

void ExplorerPrintMenu::openReport(const QString &number)
{
    m_context.showReport(number);
}

void ExplorerPrintMenu::warn(const QString &text)
{
    m_context.dialogs().message(text, QStringLiteral("警告"), DialogService::Buttons::Ok,
                                DialogService::Icon::Critical);
}
