#include "FrmShikin.h"

#include "FrmZanList.h"
#include "ShikinChart.h"

#include "rules/BankBalance.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "store/WorkTable.h"
#include "ui/ChangeNotice.h"
#include "ui/AppContext.h"
#include "ui/DatePicker.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/EscapeKey.h"
#include "ui/NamedButton.h"
#include "ui/TableGrid.h"
#include "ui/WaitCursor.h"
#include "ui/WindowPlacement.h"

#include <QShortcut>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

const QString dateFormat = QStringLiteral("yyyy/MM/dd");
const QColor shortRed(0xc0, 0x00, 0x00);
const QColor shortBackground(0xff, 0xe4, 0xe4);

QStandardItem *item(const QString &text, bool right = false)
{
    auto *i = new QStandardItem(text);
    if (right)
        i->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return i;
}

void markShort(const QList<QStandardItem *> &row)
{
    for (QStandardItem *i : row) {
        i->setForeground(shortRed);
        i->setBackground(shortBackground);
    }
}

QDateEdit *dateEdit(QWidget *parent, const char *name)
{
    auto *edit = new DatePicker(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

FrmShikin::FrmShikin(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_ctx(context)
{
    setObjectName(QStringLiteral("FrmShikin"));
    setWindowTitle(QStringLiteral("資金繰り予定"));
    buildLayout();
    resize(1200, 760);
    WindowPlacement::keepTopLeft(this);
    EscapeKey::closes(this);
    const QDate today = QDate::currentDate();
    DTFrom->setDate(today);
    DTTo->setDate(today.addDays(FundingPlan::defaultDays));
    DTZan->setDate(today);
    ShowPlan();
}

void FrmShikin::buildLayout()
{
    DTFrom = dateEdit(this, "DTFrom");
    DTTo = dateEdit(this, "DTTo");
    auto *periodLabel = new QLabel(QStringLiteral("期間(&T)"), this);
    periodLabel->setBuddy(DTFrom);
    Command1 = NamedButton::create(this, "Command1", QStringLiteral("表示(&V)"), &FrmShikin::Command1_Click);
    Command2 = NamedButton::create(this, "Command2", QStringLiteral("印刷(&P)"), &FrmShikin::Command2_Click);
    Command3 = NamedButton::create(this, "Command3", QStringLiteral("グラフ保存(&G)"), &FrmShikin::Command3_Click);
    Command4 = NamedButton::create(this, "Command4", QStringLiteral("終わり(&Q)"), &FrmShikin::Command4_Click);

    auto *top = new QHBoxLayout;
    top->addWidget(periodLabel);
    top->addWidget(DTFrom);
    top->addWidget(new QLabel(QStringLiteral("～"), this));
    top->addWidget(DTTo);
    top->addStretch(1);
    top->addWidget(Command1);
    top->addWidget(Command2);
    top->addWidget(Command3);
    top->addWidget(Command4);

    auto *balanceBox = new QGroupBox(QStringLiteral("当座預金残高の入力 (その日の決済前の残高)"), this);
    CboBank = new QComboBox(balanceBox);
    CboBank->setObjectName(QStringLiteral("CboBank"));
    CboBank->setMinimumContentsLength(18);
    DTZan = dateEdit(balanceBox, "DTZan");
    TxtZan = new QLineEdit(balanceBox);
    TxtZan->setObjectName(QStringLiteral("TxtZan"));
    TxtZan->setAlignment(Qt::AlignRight);
    TxtZan->setMaxLength(20);
    Command5 = NamedButton::create(this, "Command5", QStringLiteral("残高登録(&R)"), &FrmShikin::Command5_Click);
    Command6 = NamedButton::create(this, "Command6", QStringLiteral("残高一覧(&L)"), &FrmShikin::Command6_Click);
    auto *bankLabel = new QLabel(QStringLiteral("銀行(&B)"), balanceBox);
    bankLabel->setBuddy(CboBank);
    auto *dateLabel = new QLabel(QStringLiteral("日付(&D)"), balanceBox);
    dateLabel->setBuddy(DTZan);
    auto *zanLabel = new QLabel(QStringLiteral("残高(&Z)"), balanceBox);
    zanLabel->setBuddy(TxtZan);
    auto *balanceRow = new QHBoxLayout(balanceBox);
    balanceRow->addWidget(bankLabel);
    balanceRow->addWidget(CboBank);
    balanceRow->addSpacing(8);
    balanceRow->addWidget(dateLabel);
    balanceRow->addWidget(DTZan);
    balanceRow->addSpacing(8);
    balanceRow->addWidget(zanLabel);
    balanceRow->addWidget(TxtZan);
    balanceRow->addWidget(new QLabel(QStringLiteral("円"), balanceBox));
    balanceRow->addWidget(Command5);
    balanceRow->addWidget(Command6);
    balanceRow->addStretch(1);

    lblShortage = new QLabel(this);
    lblShortage->setObjectName(QStringLiteral("lblShortage"));
    lblShortage->setWordWrap(true);

    m_summary = new QStandardItemModel(this);
    GridSummary = new TableGrid(this);
    GridSummary->setObjectName(QStringLiteral("GridSummary"));
    GridSummary->setModel(m_summary);
    m_days = new QStandardItemModel(this);
    GridDays = new TableGrid(this);
    GridDays->setObjectName(QStringLiteral("GridDays"));
    GridDays->setModel(m_days);
    ChartView1 = new ShikinChart(this);
    ChartView1->setObjectName(QStringLiteral("ChartView1"));

    auto *lower = new QSplitter(Qt::Horizontal, this);
    lower->addWidget(GridDays);
    lower->addWidget(ChartView1);
    lower->setSizes({430, 770});
    auto *body = new QSplitter(Qt::Vertical, this);
    body->addWidget(GridSummary);
    body->addWidget(lower);
    body->setSizes({150, 520});

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(balanceBox);
    outer->addWidget(lblShortage);
    outer->addWidget(body, 1);
    lblChanged = new ChangeNotice(m_ctx.values().dataFolder(), this);
    outer->addWidget(lblChanged);
    auto *refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refresh, &QShortcut::activated, this, &FrmShikin::Command1_Click);
}

void FrmShikin::ShowPlan()
{
    const WaitCursor wait;
    try {
        m_plan = FundingPlan::build(m_ctx.values().dataFolder(), DTFrom->date(), DTTo->date());
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    FillBankCombo();
    FillSummary();
    FillDays();
    ChartView1->setPlan(m_plan);
    lblChanged->reset();
}

void FrmShikin::FillBankCombo()
{
    const QString chosen = CboBank->currentData().toString();
    CboBank->clear();
    for (const FundingPlan::Bank &bank : m_plan.banks()) {
        if (bank.registered)
            CboBank->addItem(bank.code + QStringLiteral(", ") + bank.name, bank.code);
    }
    const int at = CboBank->findData(chosen);
    CboBank->setCurrentIndex(at >= 0 ? at : (CboBank->count() > 0 ? 0 : -1));
}

void FrmShikin::FillSummary()
{
    m_summary->clear();
    m_summary->setHorizontalHeaderLabels({QStringLiteral("銀行"), QStringLiteral("残高の日付"), QStringLiteral("入力残高"),
                                          QStringLiteral("開始残高"), QStringLiteral("決済額計"), QStringLiteral("期末残高"),
                                          QStringLiteral("最初の不足日"), QStringLiteral("不足額"),
                                          QStringLiteral("当座貸越極度額")});
    QStringList shortages;
    for (const FundingPlan::Bank &bank : m_plan.banks()) {
        if (bank.days.isEmpty() && !bank.hasBalance)
            continue;
        const bool isShort = bank.firstShortfall.isValid();
        // A balance dated within the period is named with its date: the
        // days before it start from zero.
        const bool entered = bank.hasBalance || bank.balanceInPeriod;
        const QList<QStandardItem *> row{
            item(bank.name),
            item(entered ? bank.balanceDate.toString(dateFormat) + (bank.balanceInPeriod ? QStringLiteral(" (期間中)") : QString())
                         : QStringLiteral("未入力")),
            item(entered ? FundingPlan::yenText(bank.balanceZan) : QString(), true),
            item(FundingPlan::yenText(bank.opening), true),
            item(FundingPlan::yenText(bank.total), true),
            item(FundingPlan::yenText(bank.closing), true),
            item(isShort ? FundingPlan::dayText(bank.firstShortfall) : QString()),
            item(isShort ? FundingPlan::yenText(bank.shortfall) : QString(), true),
            item(bank.limit > 0 ? FundingPlan::yenText(bank.limit) : QString(), true),
        };
        if (isShort) {
            markShort(row);
            shortages << QStringLiteral("%1 %2 に %3 円不足").arg(bank.name, FundingPlan::dayText(bank.firstShortfall),
                                                                 FundingPlan::yenText(bank.shortfall));
        }
        m_summary->appendRow(row);
    }
    lblShortage->setText(shortages.isEmpty() ? QStringLiteral("期間中に残高が不足する銀行はありません。")
                                             : QStringLiteral("最初の不足: ") + shortages.join(QStringLiteral("、")));
    lblShortage->setStyleSheet(shortages.isEmpty() ? QString() : QStringLiteral("color: #c00000; font-weight: bold;"));
    GridSummary->resizeColumnsToContents();
}

void FrmShikin::FillDays()
{
    m_days->clear();
    m_days->setHorizontalHeaderLabels({QStringLiteral("銀行"), QStringLiteral("決済日"), QStringLiteral("決済額"),
                                       QStringLiteral("残高"), QStringLiteral("摘要")});
    for (const FundingPlan::Bank &bank : m_plan.banks()) {
        for (const FundingPlan::Day &day : bank.days) {
            const QList<QStandardItem *> row{
                item(bank.name),
                item(FundingPlan::dayText(day.date)),
                item(FundingPlan::yenText(day.amount), true),
                item(FundingPlan::yenText(day.balance), true),
                item(day.balanceEntered ? QStringLiteral("残高入力") : QString()),
            };
            if (day.balance < -bank.limit)
                markShort(row);
            m_days->appendRow(row);
        }
    }
    GridDays->resizeColumnsToContents();
}

bool FrmShikin::saveChart(const QString &path)
{
    return ChartView1->savePng(path);
}

void FrmShikin::Command1_Click()
{
    if (DTTo->date() < DTFrom->date()) {
        m_ctx.dialogs().message(QStringLiteral("期間の終わりが始めより前です。"), QStringLiteral("警告"),
                                DialogService::Buttons::Ok, DialogService::Icon::Critical);
        DTTo->setFocus();
        return;
    }
    ShowPlan();
}

void FrmShikin::Command2_Click()
{
    try {
        Connection connection;
        connection.open(Schema::connectionText(m_ctx.values().dataFolder()));
        WorkTable::replace(connection, m_plan.workRows());
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    m_ctx.values().setReportDate(m_plan.periodText());
    m_ctx.showReport(QStringLiteral("13"));
}

void FrmShikin::Command3_Click()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString suggested = QDir(folder).filePath(QStringLiteral("資金繰り予定.png"));
    QString filter = QStringLiteral("PNG 画像 (*.png)");
    DialogService &dialogs = m_ctx.dialogs();
    const QString path = dialogs.saveFileName(QStringLiteral("グラフを画像で保存"), suggested, {filter}, &filter);
    if (path.isEmpty() || !dialogs.confirmReplace(path))
        return;
    if (!saveChart(path))
        m_ctx.dialogs().message(QStringLiteral("画像「%1」を保存できません。").arg(QDir::toNativeSeparators(path)),
                                QStringLiteral("警告"), DialogService::Buttons::Ok, DialogService::Icon::Exclamation);
}

void FrmShikin::Command4_Click()
{
    close();
}

void FrmShikin::Command5_Click()
{
    if (CboBank->currentIndex() < 0) {
        m_ctx.dialogs().message(QStringLiteral("残高を入力する銀行を選んでください。"), QStringLiteral("警告"),
                                DialogService::Buttons::Ok, DialogService::Icon::Critical);
        CboBank->setFocus();
        return;
    }
    const auto zan = BankBalance::parseYen(TxtZan->text());
    if (!zan) {
        m_ctx.dialogs().message(QStringLiteral("残高「%1」は円単位の整数ではありません。\n"
                                               "12 桁までの数字で入力してください (例 1,250,000)。")
                                        .arg(TxtZan->text()),
                                QStringLiteral("警告"), DialogService::Buttons::Ok, DialogService::Icon::Critical);
        TxtZan->setFocus();
        TxtZan->selectAll();
        return;
    }
    const QString bank = CboBank->currentData().toString();
    try {
        const auto before = BankBalance::find(m_ctx.values().dataFolder(), bank, DTZan->date());
        if (before) {
            const QString question = QStringLiteral("%1 の %2 の残高は %3 円で入力済みです。\n%4 円に置き換えますか？")
                                             .arg(CboBank->currentText(), DTZan->date().toString(dateFormat),
                                                  FundingPlan::yenText(*before), FundingPlan::yenText(double(*zan)));
            if (m_ctx.dialogs().message(question, QStringLiteral("残高登録"), DialogService::Buttons::YesNoDefaultNo,
                                        DialogService::Icon::None)
                != DialogService::Answer::Yes)
                return;
        }
        BankBalance::save(m_ctx.values().dataFolder(), bank, DTZan->date(), double(*zan));
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    TxtZan->clear();
    ShowPlan();
}

void FrmShikin::Command6_Click()
{
    QHash<QString, QString> names;
    for (const FundingPlan::Bank &bank : m_plan.banks())
        names.insert(bank.code.toCaseFolded(), bank.name);
    auto *list = new FrmZanList(m_ctx, names, this);
    list->setAttribute(Qt::WA_DeleteOnClose);
    connect(list, &QDialog::finished, this, [this, list] {
        if (list->changed())
            ShowPlan();
    });
    list->open();
}
