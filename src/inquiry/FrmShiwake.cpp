#include "FrmShiwake.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/NamedButton.h"
#include "ui/WaitCursor.h"
#include "exchange/JournalExport.h"
#include "store/StoreError.h"

#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

const QString title = QStringLiteral("仕訳出力");

} // namespace

FrmShiwake::FrmShiwake(AppContext &ctx, const QDate &from, const QDate &to, QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmShiwake"));
    setWindowTitle(title);
    const auto picker = [this](const char *name, const QDate &date) {
        auto *d = new QDateEdit(date, this);
        d->setObjectName(QLatin1String(name));
        d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        d->setCalendarPopup(true);
        return d;
    };
    DTStart = picker("DTStart", from);
    DTEnd = picker("DTEnd", to);

    JournalAccounts accounts;
    try {
        accounts = JournalAccounts::load(ctx.values().dataFolder());
    } catch (const StoreError &e) {
        ctx.dialogs().showStoreError(e);
    }
    const QString names[] = {accounts.payables, accounts.notesPayable, accounts.bankAccount, accounts.electronicRecords};
    for (int i = 0; i < 4; ++i) {
        TxtKamoku[i] = new QLineEdit(names[i], this);
        TxtKamoku[i]->setObjectName(QStringLiteral("TxtKamoku%1").arg(i));
    }

    cmdOK = NamedButton::create(this, "cmdOK", QStringLiteral("出力(&O)"), &FrmShiwake::cmdOK_Click);
    cmdCancel = NamedButton::create(this, "cmdCancel", QStringLiteral("終了(&Q)"));
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *period = new QHBoxLayout;
    period->addWidget(DTStart);
    period->addWidget(new QLabel(QStringLiteral("～"), this));
    period->addWidget(DTEnd);
    period->addStretch();
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("期間(&T)"), period);
    form->addRow(QStringLiteral("振出時の借方科目(&A)"), TxtKamoku[0]);
    form->addRow(QStringLiteral("支払手形の科目(&B)"), TxtKamoku[1]);
    form->addRow(QStringLiteral("決済時の貸方科目(&C)"), TxtKamoku[2]);
    form->addRow(QStringLiteral("電子記録債務の科目(&D)"), TxtKamoku[3]);
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(period)))
        label->setBuddy(DTStart);
    auto *note = new QLabel(QStringLiteral("期間内に振り出した手形と、期間内に銀行が決済した (状態の意味が「決済済み」の) "
                                           "手形を、弥生インポート形式 (Shift_JIS の CSV) で書き出します。"
                                           "状態の意味が「無効」の手形は、期間内の振出なら書き出さず、"
                                           "前の期間の振出なら期日に振出を取り消します。"),
                            this);
    note->setWordWrap(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(note);
    outer->addLayout(form);
    outer->addLayout(buttons);
    resize(460, sizeHint().height());
}

FrmShiwake *FrmShiwake::start(AppContext &ctx, const QDate &from, const QDate &to, QWidget *parent)
{
    auto *dialog = new FrmShiwake(ctx, from, to, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

void FrmShiwake::warn(const QString &text)
{
    m_ctx.dialogs().message(text, QStringLiteral("警告"), DialogService::Buttons::Ok, DialogService::Icon::Critical);
}

void FrmShiwake::cmdOK_Click()
{
    const QDate from = DTStart->date();
    const QDate to = DTEnd->date();
    if (to < from) {
        warn(QStringLiteral("集計終了日が開始日より前の日付になっています。"));
        return;
    }
    JournalAccounts accounts;
    accounts.payables = TxtKamoku[0]->text().trimmed();
    accounts.notesPayable = TxtKamoku[1]->text().trimmed();
    accounts.bankAccount = TxtKamoku[2]->text().trimmed();
    accounts.electronicRecords = TxtKamoku[3]->text().trimmed();
    for (QLineEdit *box : TxtKamoku) {
        if (box->text().trimmed().isEmpty()) {
            warn(QStringLiteral("勘定科目名を入力してください。"));
            box->setFocus();
            return;
        }
    }

    DialogService &dialogs = m_ctx.dialogs();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(QStringLiteral("仕訳_%1-%2.csv")
                                                            .arg(from.toString(QStringLiteral("yyyyMMdd")),
                                                                 to.toString(QStringLiteral("yyyyMMdd"))));
    QString filter = QStringLiteral("弥生インポート形式 CSV (*.csv)");
    QString path = dialogs.saveFileName(title, suggested, {filter}, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    if (!dialogs.confirmReplace(path))
        return;

    JournalExport::Result result;
    try {
        const WaitCursor wait;
        accounts.save(m_ctx.values().dataFolder());
        result = JournalExport::write(m_ctx.values().dataFolder(), from, to, path, accounts);
    } catch (const StoreError &e) {
        dialogs.showStoreError(e);
        return;
    }
    QString text = QStringLiteral("仕訳 %1 件を書き出しました。").arg(result.written);
    if (result.lostLetters > 0)
        text += QStringLiteral("\nShift_JIS で表せない文字 %1 字は「?」にしました。").arg(result.lostLetters);
    if (!result.refused.isEmpty()) {
        text += QStringLiteral("\n\n次の手形は、金額が弥生インポート形式で扱える範囲 (1 円から 999,999,999 円) "
                               "にないため書き出していません:\n")
                + result.refused.join(u'\n');
    }
    dialogs.message(text, title, DialogService::Buttons::Ok,
                    result.refused.isEmpty() ? DialogService::Icon::Information : DialogService::Icon::Exclamation);
    accept();
}
