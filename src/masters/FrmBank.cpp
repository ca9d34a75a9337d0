#include "FrmBank.h"

#include "ui/AppValues.h"
#include "ui/InputMethod.h"
#include "rules/BankBalance.h"
#include "rules/FundingPlan.h"
#include "store/BankClass.h"
#include "store/NumberText.h"
#include "store/UsageCount.h"

#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// "yyyy/mm/dd" (or with "-", or eight digits), full-width digits taken; a
// null date for an empty box, an invalid one for text that is no date.
QDate typedDate(const QString &typed, bool *empty)
{
    QString text;
    for (QChar c : typed.trimmed()) {
        const char16_t u = c.unicode();
        text += (u >= u'０' && u <= u'９') ? QChar(char16_t(u - 0xFEE0)) : (u == u'／' ? QChar(u'/') : c);
    }
    *empty = text.isEmpty();
    for (const char *format : {"yyyy/M/d", "yyyy-M-d", "yyyyMMdd"}) {
        const QDate d = QDate::fromString(text, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return QDate(0, 0, 0);
}

bool inRange(const QDate &d)
{
    return d >= QDate(1990, 1, 1) && d <= QDate(2100, 12, 31);
}

QString dateText(const QDate &d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

} // namespace

FrmBank::FrmBank(const AppContext &context, QWidget *parent)
    : MasterWindow(context, QStringLiteral("呼び出し(&C)"), QStringLiteral("一覧印刷(&P)"), parent)
{
    setObjectName(QStringLiteral("FrmBank"));
    setWindowTitle(QStringLiteral("銀行"));

    Label2 = new QLabel(QStringLiteral("銀行コード"), this);
    txtClKubunKode = new QLineEdit(this);
    txtClKubunKode->setObjectName(QStringLiteral("txtClKubunKode"));
    InputMethod::apply(txtClKubunKode, InputMethod::Mode::Off);
    Label3 = new QLabel(QStringLiteral("銀行/支店名称"), this);
    txtClKubunName = new QLineEdit(this);
    txtClKubunName->setObjectName(QStringLiteral("txtClKubunName"));
    InputMethod::apply(txtClKubunName, InputMethod::Mode::Hiragana);
    Label1 = new QLabel(QStringLiteral("発行残高"), this);
    Label1->setVisible(false);
    text1 = new QLineEdit(this);
    text1->setObjectName(QStringLiteral("text1"));
    text1->setVisible(false);
    lbClKubun = new QLabel(this);
    lbClKubun->setObjectName(QStringLiteral("lbClKubun"));
    lbClKubun->setVisible(false);
    txtFuriEnd = new QLineEdit(this);
    txtFuriEnd->setObjectName(QStringLiteral("txtFuriEnd"));
    InputMethod::apply(txtFuriEnd, InputMethod::Mode::Off);
    txtKesaiEnd = new QLineEdit(this);
    txtKesaiEnd->setObjectName(QStringLiteral("txtKesaiEnd"));
    InputMethod::apply(txtKesaiEnd, InputMethod::Mode::Off);
    lblKyokudo = new QLabel(QStringLiteral("当座貸越極度額(&K)"), this);
    txtKyokudo = new QLineEdit(this);
    txtKyokudo->setObjectName(QStringLiteral("txtKyokudo"));
    txtKyokudo->setAlignment(Qt::AlignRight);
    txtKyokudo->setMaxLength(20);
    InputMethod::apply(txtKyokudo, InputMethod::Mode::Off);
    lblKyokudo->setBuddy(txtKyokudo);
    Frame1 = new QGroupBox(QStringLiteral("登録済銀行一覧"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    ListView1 = makeCodeList(Frame1);
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(ListView1);

    auto *fields = new QGridLayout;
    fields->addWidget(Label2, 0, 0);
    fields->addWidget(txtClKubunKode, 0, 1, Qt::AlignLeft);
    fields->addWidget(Label3, 1, 0);
    fields->addWidget(txtClKubunName, 1, 1);
    fields->addWidget(lblKyokudo, 2, 0);
    fields->addWidget(txtKyokudo, 2, 1, Qt::AlignLeft);
    fields->addWidget(new QLabel(QStringLiteral("手形最終振出日"), this), 3, 0);
    fields->addWidget(txtFuriEnd, 3, 1, Qt::AlignLeft);
    fields->addWidget(new QLabel(QStringLiteral("手形決済最終日"), this), 4, 0);
    fields->addWidget(txtKesaiEnd, 4, 1, Qt::AlignLeft);
    fields->addWidget(Frame1, 5, 0, 1, 2);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(5, 1);
    txtClKubunKode->setFixedWidth(txtClKubunKode->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")));
    txtFuriEnd->setFixedWidth(txtClKubunKode->width());
    txtKesaiEnd->setFixedWidth(txtClKubunKode->width());
    auto *body = new QHBoxLayout;
    body->addLayout(fields, 1);
    layOutAround(body, 12);

    txtKyokudo->setFixedWidth(txtClKubunKode->minimumWidth());
    setTabChain({txtClKubunKode, txtClKubunName, txtKyokudo, txtFuriEnd, txtKesaiEnd, ListView1});
    setHint(txtClKubunKode, QStringLiteral("銀行コードを入力してください。"));
    setHint(txtClKubunName, QStringLiteral("銀行/支店名称を入力してください。"));
    setHint(txtKyokudo, QStringLiteral("当座貸越の極度額を円で入力してください。資金繰り予定で、残高がこの額のマイナスを下回ると不足とします。"));
    setHint(txtFuriEnd, QStringLiteral("この銀行が支払う手形の最後の振出日です（yyyy/mm/dd、なければ空欄）。"));
    setHint(txtKesaiEnd, QStringLiteral("この銀行が手形交換で決済する最後の期日です（yyyy/mm/dd、なければ空欄）。"));
    setHint(ListView1, QStringLiteral("すでに登録されている銀行/支店名称の一覧です。"));
    setHint(CmdRecorde, QStringLiteral("登録します。未入力、コードの重複に注意！"));
    setHint(CmdCall, QStringLiteral("レコードの訂正、削除のためデータを呼び出します。"));
    setHint(CmdEdit, QStringLiteral("すでに登録されている銀行/支店名称の訂正をします。"));
    setHint(CmdDelete, QStringLiteral("すでに登録されている銀行/支店名称の削除をします。"));
    setHint(CmdClear, QStringLiteral("入力、表示されたコード、銀行/支店名称を消去します。"));
    setHint(CmdPrint, QStringLiteral("すでに登録されている銀行/支店名称の一覧を印刷します。"));
    setHint(CmdEnd, QStringLiteral("銀行/支店名称の処理を終了します。"));

    resize(560, 420);
    Form_Load();
}

void FrmBank::Form_Load()
{
    FillList();
    SetNormalButtons();
}

void FrmBank::FillList()
{
    fillCodes<BankClass>(ListView1, 0);
}

void FrmBank::CmdCall_Click()
{
    // The hidden balance box is not filled.
    callUpCode<BankClass>(0, QStringLiteral("銀行コードを入力してください。"), QStringLiteral("銀行メンテ"),
                          {txtClKubunKode, txtClKubunName, lbClKubun});
    if (lbClKubun->text().isEmpty())
        return;
    guarded([this] {
        BankClass bank;
        openCodes(bank);
        bank.setKCode(lbClKubun->text());
        bank.McEDsearch();
        if (bank.KCode() == QLatin1String("X"))
            return;
        txtKyokudo->setText(bank.Kyokudo() > 0 ? FundingPlan::yenText(bank.Kyokudo()) : QString());
        txtFuriEnd->setText(dateText(bank.KFuriEnd()));
        txtKesaiEnd->setText(dateText(bank.KKesaiEnd()));
    });
}

bool FrmBank::limitRefused()
{
    if (txtKyokudo->text().trimmed().isEmpty())
        return false;
    const auto limit = BankBalance::parseYen(txtKyokudo->text());
    if (limit && *limit >= 0)
        return false;
    warn(QStringLiteral("当座貸越極度額は 0 以上の円単位の整数で入力してください (例 5,000,000)。"));
    txtKyokudo->setFocus();
    return true;
}

bool FrmBank::acceptDates()
{
    for (QLineEdit *box : {txtFuriEnd, txtKesaiEnd}) {
        bool empty = false;
        const QDate d = typedDate(box->text(), &empty);
        if (empty)
            continue;
        const QString caption = box == txtFuriEnd ? QStringLiteral("手形最終振出日") : QStringLiteral("手形決済最終日");
        if (!d.isValid() || !inRange(d)) {
            warn(QStringLiteral("%1「%2」は日付ではないか、1990年から2100年の外です。\n"
                                "yyyy/mm/dd の形で入力してください。")
                         .arg(caption, box->text()));
            box->setFocus();
            return false;
        }
        box->setText(dateText(d));
    }
    return true;
}

void FrmBank::InputCheck(bool forEdit)
{
    const QString code = txtClKubunKode->text();
    m_checkResult = checkCodeAndName(code, txtClKubunName->text(), lbClKubun->text(), forEdit,
                                     [&] { return duplicateMark<BankClass>(0, code); },
                                     [this] { return limitRefused(); });
}

void FrmBank::registerOrEdit(bool edit)
{
    InputCheck(edit);
    if (m_checkResult.isEmpty() && !acceptDates())
        return;
    if (!saveChecked(m_checkResult, edit, [this] { Save(); }))
        return;
    FillList();
    ClearInputs();
    if (edit)
        SetNormalButtons();
}

void FrmBank::CmdRecorde_Click()
{
    registerOrEdit(false);
}

void FrmBank::CmdEdit_Click()
{
    registerOrEdit(true);
}

void FrmBank::Save()
{
    BankClass bank;
    openCodes(bank);
    const QString mode = m_context.values().ModeFlag();
    if (mode == QLatin1String("R")) {
        bank.setKCode(txtClKubunKode->text());
        bank.setKName(txtClKubunName->text());
    } else if (mode == QLatin1String("E")) {
        bank.setKCode2(lbClKubun->text());
        bank.setVersion(calledUpVersion(lbClKubun->text()));
        bank.setKCode(txtClKubunKode->text());
        bank.setKName(txtClKubunName->text());
    } else {
        return;
    }
    if (text1->text().isEmpty())
        text1->setText(QStringLiteral("0"));
    bank.setBZan(NumberText::fromDouble(NumberText::toDouble(text1->text())));
    bool empty = false;
    bank.setKFuriEnd(typedDate(txtFuriEnd->text(), &empty));
    bank.setKKesaiEnd(typedDate(txtKesaiEnd->text(), &empty));
    bank.setKyokudo(double(BankBalance::parseYen(txtKyokudo->text()).value_or(0)));
    if (mode == QLatin1String("R"))
        bank.Mcsave();
    else
        bank.Mcedit();
}

void FrmBank::CmdDelete_Click()
{
    const QString calledUp = lbClKubun->text();
    const QString folder = m_context.values().dataFolder();
    const DeleteTexts texts{QStringLiteral("削除する得意先区分を呼び出してください。"), QStringLiteral("入金区分"),
                            QStringLiteral("入金区分"), QStringLiteral("手形")};
    if (!confirmDelete(calledUp, texts, [&] { return UsageCount::notesOfBank(folder, calledUp); }))
        return;
    if (!deleteCode<BankClass>(0, calledUp))
        return;
    FillList();
    ClearInputs();
    SetNormalButtons();
}

void FrmBank::CmdClear_Click()
{
    askClear([this] { ClearInputs(); });
}

void FrmBank::ClearInputs()
{
    txtClKubunKode->clear();
    txtClKubunName->clear();
    text1->clear();
    txtKyokudo->clear();
    lbClKubun->clear();
    txtFuriEnd->clear();
    txtKesaiEnd->clear();
}

void FrmBank::CmdPrint_Click()
{
    m_context.showReport(QStringLiteral("2"));
}

