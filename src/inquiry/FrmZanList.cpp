#include "FrmZanList.h"

#include "rules/FundingPlan.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/NamedButton.h"
#include "ui/TableGrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

const QString title = QStringLiteral("当座預金残高の一覧");

} // namespace

FrmZanList::FrmZanList(AppContext &context, const QHash<QString, QString> &bankNames, QWidget *parent)
    : QDialog(parent)
    , m_ctx(context)
    , m_bankNames(bankNames)
{
    setObjectName(QStringLiteral("FrmZanList"));
    setWindowTitle(title);
    m_model = new QStandardItemModel(this);
    GridZan = new TableGrid(this);
    GridZan->setObjectName(QStringLiteral("GridZan"));
    GridZan->setModel(m_model);
    CmdDelete = NamedButton::create(this, "CmdDelete", QStringLiteral("削除(&D)"), &FrmZanList::CmdDelete_Click);
    CmdEnd = NamedButton::create(this, "CmdEnd", QStringLiteral("閉じる(&Q)"));
    connect(CmdEnd, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdDelete);
    buttons->addWidget(CmdEnd);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(GridZan, 1);
    outer->addLayout(buttons);
    resize(520, 420);
    FillList();
}

void FrmZanList::FillList()
{
    m_model->clear();
    m_model->setHorizontalHeaderLabels({QStringLiteral("銀行"), QStringLiteral("日付"), QStringLiteral("残高")});
    try {
        m_balances = BankBalance::all(m_ctx.values().dataFolder());
    } catch (const StoreError &e) {
        m_balances.clear();
        m_ctx.dialogs().showStoreError(e);
    }
    for (const BankBalance &b : std::as_const(m_balances)) {
        auto *zan = new QStandardItem(FundingPlan::yenText(b.zan));
        zan->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_model->appendRow({new QStandardItem(b.bank + QStringLiteral(", ") + m_bankNames.value(b.bank.toCaseFolded())),
                            new QStandardItem(b.date.toString(QStringLiteral("yyyy/MM/dd"))), zan});
    }
    GridZan->resizeColumnsToContents();
    CmdDelete->setEnabled(!m_balances.isEmpty());
    if (!m_balances.isEmpty())
        GridZan->selectRow(0);
}

void FrmZanList::CmdDelete_Click()
{
    const int row = GridZan->currentRow();
    if (row < 0 || row >= m_balances.size())
        return;
    const BankBalance b = m_balances.at(row);
    DialogService &dialogs = m_ctx.dialogs();
    const QString text = QStringLiteral("%1 の %2 の残高 %3 円を削除しますか？")
                                 .arg(m_model->index(row, 0).data().toString(), b.date.toString(QStringLiteral("yyyy/MM/dd")),
                                      FundingPlan::yenText(b.zan));
    if (dialogs.message(text, title, DialogService::Buttons::YesNoDefaultNo, DialogService::Icon::None)
        != DialogService::Answer::Yes)
        return;
    try {
        BankBalance::remove(m_ctx.values().dataFolder(), b.bank, b.date);
    } catch (const StoreError &e) {
        dialogs.showStoreError(e);
        return;
    }
    m_changed = true;
    FillList();
    GridZan->selectRow(qMin(row, int(m_balances.size()) - 1));
}
