#include "FrmZandaka.h"

#include "calendar/BankCalendar.h"
#include "exchange/UchiwakeCsv.h"
#include "rules/UchiwakeSchedule.h"
#include "store/JetSql.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/EscapeKey.h"
#include "ui/TableGrid.h"
#include "ui/WaitCursor.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

const QString warningTitle = QStringLiteral("警告");

QString yen(double amount)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(qint64(amount));
}

QStandardItem *item(const QString &text, bool right = false)
{
    auto *i = new QStandardItem(text);
    if (right)
        i->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return i;
}

QString dateText(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy/MM/dd"));
}

} // namespace

FrmZandaka::FrmZandaka(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_ctx(context)
{
    setObjectName(QStringLiteral("FrmZandaka"));
    setWindowTitle(QStringLiteral("支払手形残高"));
    EscapeKey::closes(this);

    auto *dateLabel = new QLabel(QStringLiteral("基準日(&D)"), this);
    txtDate = new QLineEdit(dateText(QDate::currentDate()), this);
    txtDate->setObjectName(QStringLiteral("txtDate"));
    txtDate->setFixedWidth(txtDate->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00000")));
    dateLabel->setBuddy(txtDate);
    CmdShow = new QPushButton(QStringLiteral("表示(&H)"), this);
    CmdShow->setObjectName(QStringLiteral("CmdShow"));
    lblTotal = new QLabel(this);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));

    m_payees = new QStandardItemModel(0, 5, this);
    m_payees->setHorizontalHeaderLabels({QStringLiteral("振出先"), QStringLiteral("手形"), QStringLiteral("電子記録債務"),
                                         QStringLiteral("枚数"), QStringLiteral("不渡り")});
    GridPayees = new TableGrid(this);
    GridPayees->setObjectName(QStringLiteral("GridPayees"));
    GridPayees->setModel(m_payees);
    GridPayees->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    lblReminder = new QLabel(this);
    lblReminder->setObjectName(QStringLiteral("lblReminder"));
    lblReminder->setWordWrap(true);
    m_reminders = new QStandardItemModel(0, 4, this);
    m_reminders->setHorizontalHeaderLabels(
            {QStringLiteral("手形番号"), QStringLiteral("振出先"), QStringLiteral("期日"), QStringLiteral("金額")});
    GridReminders = new TableGrid(this);
    GridReminders->setObjectName(QStringLiteral("GridReminders"));
    GridReminders->setModel(m_reminders);
    GridReminders->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    chkDenshi = new QCheckBox(QStringLiteral("内訳書に電子記録債務を含める(&E)"), this);
    chkDenshi->setObjectName(QStringLiteral("chkDenshi"));
    CmdCsv = new QPushButton(QStringLiteral("e-Tax CSV(&C)"), this);
    CmdCsv->setObjectName(QStringLiteral("CmdCsv"));
    CmdPrint = new QPushButton(QStringLiteral("内訳書印刷(&P)"), this);
    CmdPrint->setObjectName(QStringLiteral("CmdPrint"));
    CmdEnd = new QPushButton(QStringLiteral("終り(&Q)"), this);
    CmdEnd->setObjectName(QStringLiteral("CmdEnd"));

    auto *top = new QHBoxLayout;
    top->addWidget(dateLabel);
    top->addWidget(txtDate);
    top->addWidget(CmdShow);
    top->addSpacing(16);
    top->addWidget(lblTotal, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(chkDenshi);
    bottom->addStretch();
    bottom->addWidget(CmdCsv);
    bottom->addWidget(CmdPrint);
    bottom->addWidget(CmdEnd);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(GridPayees, 3);
    outer->addWidget(lblReminder);
    outer->addWidget(GridReminders, 1);
    outer->addLayout(bottom);

    connect(CmdShow, &QPushButton::clicked, this, &FrmZandaka::CmdShow_Click);
    connect(txtDate, &QLineEdit::returnPressed, this, &FrmZandaka::CmdShow_Click);
    connect(CmdCsv, &QPushButton::clicked, this, &FrmZandaka::CmdCsv_Click);
    connect(CmdPrint, &QPushButton::clicked, this, &FrmZandaka::CmdPrint_Click);
    connect(CmdEnd, &QPushButton::clicked, this, &QWidget::close);

    resize(760, 560);
    CmdShow_Click();
}

QDate FrmZandaka::typedDate()
{
    QString text;
    for (QChar c : txtDate->text().trimmed()) {
        const char16_t u = c.unicode();
        text += (u >= u'０' && u <= u'９') ? QChar(char16_t(u - 0xFEE0)) : (u == u'／' ? QChar(u'/') : c);
    }
    const QDate date = text.contains(QLatin1Char('#')) ? QDate() : JetSql::parseDate(text);
    if (!date.isValid()) {
        m_ctx.dialogs().message(QStringLiteral("基準日「%1」が日付ではありません。yyyy/mm/dd の形で入力してください。")
                                        .arg(txtDate->text()),
                                warningTitle, DialogService::Buttons::Ok, DialogService::Icon::Critical);
        txtDate->setFocus();
        return QDate();
    }
    txtDate->setText(dateText(date));
    return date;
}

void FrmZandaka::CmdShow_Click()
{
    const QDate date = typedDate();
    if (!date.isValid())
        return;
    const WaitCursor wait;
    try {
        const QString folder = m_ctx.values().dataFolder();
        m_balance = TegataZandaka::at(folder, date, BankCalendar(folder));
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    FillLists();
}

void FrmZandaka::FillLists()
{
    m_payees->removeRows(0, m_payees->rowCount());
    const QList<TegataZandaka::Payee> payees = m_balance.payees();
    for (const TegataZandaka::Payee &p : payees)
        m_payees->appendRow({item(p.name.isEmpty() ? QStringLiteral("(未登録 %1)").arg(p.code) : p.name),
                             item(p.paper ? yen(p.paper) : QString(), true),
                             item(p.electronic ? yen(p.electronic) : QString(), true),
                             item(QString::number(p.notes), true),
                             item(p.dishonoured ? QStringLiteral("不渡り") : QString())});
    const double paper = m_balance.paperTotal();
    const double electronic = m_balance.electronicTotal();
    lblTotal->setText(QStringLiteral("%1 現在の残高 %2円（手形 %3円、電子記録債務 %4円、%5枚）")
                              .arg(dateText(m_balance.date), yen(paper + electronic), yen(paper), yen(electronic))
                              .arg(m_balance.notes.size()));

    m_reminders->removeRows(0, m_reminders->rowCount());
    for (const TegataZandaka::Note &n : std::as_const(m_balance.reminders))
        m_reminders->appendRow({item(n.number), item(n.payeeName), item(dateText(n.due)), item(yen(n.amount), true)});
    QString reminder = m_balance.reminderCount == 0
            ? QStringLiteral("期日に銀行が支払ったはずで、状態が未決済のままの手形はありません。")
            : QStringLiteral("確認してください: 期日に銀行が支払ったはずで、状態が未決済のままの手形 %1枚"
                             "（残高には含めていません）")
                      .arg(m_balance.reminderCount);
    if (m_balance.reminderCount > m_balance.reminders.size())
        reminder += QStringLiteral("。期日の新しい %1枚を表示しています。").arg(m_balance.reminders.size());
    lblReminder->setText(reminder);
}

void FrmZandaka::CmdCsv_Click()
{
    const QDate date = typedDate();
    if (!date.isValid())
        return;
    if (date != m_balance.date)
        CmdShow_Click();
    if (m_balance.date != date)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString filter = QStringLiteral("CSV ファイル (*.csv)");
    DialogService &dialogs = m_ctx.dialogs();
    const QString path = dialogs.saveFileName(QStringLiteral("支払手形の内訳書を e-Tax CSV で保存"),
                                              QDir(folder).filePath(UchiwakeCsv::fileName()), {filter}, &filter);
    if (path.isEmpty() || !dialogs.confirmReplace(path))
        return;
    try {
        const int lost = UchiwakeCsv::write(UchiwakeSchedule::lines(m_balance.notes, chkDenshi->isChecked()), path);
        if (lost > 0)
            dialogs.message(QStringLiteral("Shift_JIS にない文字 %1字を「?」で書きました。e-Tax で直してください。").arg(lost),
                            warningTitle, DialogService::Buttons::Ok, DialogService::Icon::Exclamation);
    } catch (const StoreError &e) {
        dialogs.showStoreError(e);
    }
}

void FrmZandaka::CmdPrint_Click()
{
    const QDate date = typedDate();
    if (!date.isValid())
        return;
    m_ctx.values().setReportDate(dateText(date));
    m_ctx.values().setReportKeiri(chkDenshi->isChecked() ? QStringLiteral("denshi") : QString());
    m_ctx.showReport(QStringLiteral("17"));
}
