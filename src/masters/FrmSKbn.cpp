#include "FrmSKbn.h"

#include "ui/AppValues.h"
#include "ui/InputMethod.h"
#include "store/RibodoKbns.h"
#include "store/StateMeaning.h"
#include "ui/NamedButton.h"
#include "store/UsageCount.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>
#include <limits>

namespace {

struct Category
{
    const char *item;
    const char *caption;
    const char *codeLabel;
    const char *nameLabel;
    const char *frame;
    const char *report;
};

const std::array<Category, 5> categories{{
        {"1:手形種類", "手形の種類メンテ", "手形種類コード", "手形種類名", "手形種類一覧", "3"},
        {"2:目的", "手形目的メンテ", "手形目的コード", "手形目的名", "手形目的一覧", "4"},
        {"3:手形の状態", "手形の状態メンテ", "手形状態コード", "手形状態名", "手形状態一覧", "5"},
        {"4:経理区分", "経理区分メンテ", "経理区分コード", "経理区分名", "経理区分一覧", "6"},
        {"5:仕入先区分", "仕入先区分メンテ", "仕入先区分コード", "仕入先区分名", "仕入先区分一覧", "7"},
}};

constexpr int noteKinds = 0;
constexpr int noteStates = 2;
constexpr int supplierCategories = 4;

} // namespace

FrmSKbn::FrmSKbn(const AppContext &context, QWidget *parent)
    : MasterWindow(context, QStringLiteral("呼び出し(&C)"), QStringLiteral("一覧印刷(&P)"), parent)
{
    setObjectName(QStringLiteral("FrmSKbn"));

    Label1 = new QLabel(QStringLiteral("手形の各区分選択"), this);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    for (const Category &c : categories)
        Combo1->addItem(QString::fromUtf8(c.item));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtClKubunKode = new QLineEdit(this);
    txtClKubunKode->setObjectName(QStringLiteral("txtClKubunKode"));
    InputMethod::apply(txtClKubunKode, InputMethod::Mode::Off);
    lbClKubun = new QLabel(this);
    lbClKubun->setObjectName(QStringLiteral("lbClKubun"));
    lbClKubun->setVisible(false);
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    txtClKubunName = new QLineEdit(this);
    txtClKubunName->setObjectName(QStringLiteral("txtClKubunName"));
    InputMethod::apply(txtClKubunName, InputMethod::Mode::Hiragana);
    chkDenshi = new QCheckBox(QStringLiteral("電子記録債務"), this);
    chkDenshi->setObjectName(QStringLiteral("chkDenshi"));
    FrameImi = new QGroupBox(QStringLiteral("状態の意味"), this);
    FrameImi->setObjectName(QStringLiteral("FrameImi"));
    CboState = new QComboBox(FrameImi);
    CboState->setObjectName(QStringLiteral("CboState"));
    CboImi = new QComboBox(FrameImi);
    CboImi->setObjectName(QStringLiteral("CboImi"));
    CboImi->addItems(StateMeaning::names());
    CmdImi = NamedButton::create(this, "CmdImi", QStringLiteral("意味を設定(&M)"), &FrmSKbn::CmdImi_Click);
    auto *imiLayout = new QHBoxLayout(FrameImi);
    imiLayout->addWidget(CboState, 1);
    imiLayout->addWidget(new QLabel(QStringLiteral("→"), FrameImi));
    imiLayout->addWidget(CboImi);
    imiLayout->addWidget(CmdImi);
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    ListView1 = makeCodeList(Frame1);
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(ListView1);

    auto *fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(Combo1, 0, 1, Qt::AlignLeft);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(txtClKubunKode, 1, 1, Qt::AlignLeft);
    fields->addWidget(Label3, 2, 0);
    fields->addWidget(txtClKubunName, 2, 1);
    fields->addWidget(chkDenshi, 3, 1);
    fields->addWidget(FrameImi, 4, 0, 1, 2);
    fields->addWidget(Frame1, 5, 0, 1, 2);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(5, 1);
    txtClKubunKode->setFixedWidth(txtClKubunKode->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")));
    auto *body = new QHBoxLayout;
    body->addLayout(fields, 1);
    layOutAround(body, 12);

    setTabChain({Combo1, txtClKubunKode, txtClKubunName, chkDenshi, CboState, CboImi, CmdImi, ListView1});
    setHint(Combo1, QStringLiteral("処理をする区分を選択してください。3:手形の状態は変更不可。"));
    setHint(txtClKubunKode, QStringLiteral("処理をする区分コードを入力してください。"));
    setHint(txtClKubunName, QStringLiteral("処理をする区分名を入力してください。"));
    setHint(chkDenshi, QStringLiteral("電子記録債務（でんさい）の手形種類のときにチェックしてください。"));
    setHint(CboState, QStringLiteral("意味を設定する手形の状態を選択してください。"));
    setHint(CboImi, QStringLiteral("資金繰り予定・仕訳・要注意手形一覧は、状態の名前ではなくこの意味で手形を扱います。"));

    connect(CboState, &QComboBox::currentIndexChanged, this, &FrmSKbn::CboState_Click);

    connect(Combo1, &QComboBox::currentIndexChanged, this, &FrmSKbn::Combo1_Click);
    resize(560, 440);
    Form_Load();
    // Not on 登録, where a Space at once would report missing input.
    startAt(Combo1);
}

qint16 FrmSKbn::tableNo() const
{
    return qint16(Combo1->currentIndex());
}

void FrmSKbn::Form_Load()
{
    Combo1->setCurrentIndex(0);
    Combo1_Click();
    SetNormalButtons();
}

void FrmSKbn::Combo1_Click()
{
    const int index = Combo1->currentIndex();
    if (index < 0)
        return;
    FillList();
    const Category &c = categories.at(std::size_t(index));
    setWindowTitle(QString::fromUtf8(c.caption));
    Label2->setText(QString::fromUtf8(c.codeLabel));
    Label3->setText(QString::fromUtf8(c.nameLabel));
    Frame1->setTitle(QString::fromUtf8(c.frame));
    // Only note kinds are paper or electronic.
    chkDenshi->setVisible(index == noteKinds);
    FrameImi->setVisible(index == noteStates);
    if (index == noteStates)
        SetReadOnlyButtons();
    else
        SetNormalButtons();
}

void FrmSKbn::FillList()
{
    fillCodes<RibodoKbns>(ListView1, tableNo());
    const bool states = tableNo() == noteStates;
    ListView1->setColumnCount(states ? 3 : 2);
    if (!states)
        return;
    ListView1->setHeaderLabels({QStringLiteral("コード"), QStringLiteral("区分名"), QStringLiteral("意味")});
    ListView1->setColumnWidth(1, 200);
    guarded([this] {
        RibodoKbns kbns;
        openCodes(kbns, noteStates);
        Recordset &rs = kbns.RsEd();
        if (!rs.fieldNames().contains(StateMeaning::column(), Qt::CaseInsensitive) || (rs.bof() && rs.eof()))
            return;
        int row = 0;
        for (rs.moveFirst(); !rs.eof() && row < ListView1->topLevelItemCount(); rs.moveNext(), ++row)
            ListView1->topLevelItem(row)->setText(
                    2, StateMeaning::name(StateMeaning::fromValue(rs.value(StateMeaning::column()))));
    });
    FillStateMeanings();
}

void FrmSKbn::FillStateMeanings()
{
    const QString chosen = CboState->currentData().toString();
    const QSignalBlocker quiet(CboState);
    CboState->clear();
    for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = ListView1->topLevelItem(row);
        CboState->addItem(item->text(0) + QStringLiteral(" : ") + item->text(1), item->text(0));
    }
    const int at = CboState->findData(chosen);
    CboState->setCurrentIndex(at >= 0 ? at : (CboState->count() > 0 ? 0 : -1));
    CboState_Click();
}

void FrmSKbn::CboState_Click()
{
    const int row = CboState->currentIndex();
    const QTreeWidgetItem *item = row >= 0 ? ListView1->topLevelItem(row) : nullptr;
    CboImi->setCurrentIndex(item ? qMax(0, int(StateMeaning::names().indexOf(item->text(2)))) : 0);
    CmdImi->setEnabled(item != nullptr);
}

void FrmSKbn::CmdImi_Click()
{
    if (CboState->currentIndex() < 0)
        return;
    const QString code = CboState->currentData().toString();
    const bool written = guarded([&] {
        RibodoKbns kbns;
        openCodes(kbns, noteStates);
        kbns.setKCode2(code);
        kbns.setKbnKesai(CboImi->currentIndex());
        kbns.McSetKesai();
    });
    if (written)
        FillList();
}

void FrmSKbn::CmdCall_Click()
{
    callUpCode<RibodoKbns>(tableNo(), QStringLiteral("各区分コードを入力してください。"), QStringLiteral("手形の各区分"),
                           {txtClKubunKode, txtClKubunName, lbClKubun});
    if (tableNo() != noteKinds || lbClKubun->text().isEmpty())
        return;
    guarded([this] {
        RibodoKbns kbns;
        openCodes(kbns, noteKinds);
        kbns.setKCode(lbClKubun->text());
        kbns.McEDsearch();
        chkDenshi->setChecked(kbns.KCode() != QLatin1String("X") && kbns.KbnDenshi());
    });
}

void FrmSKbn::InputCheck(bool forEdit)
{
    // Full-width digits are taken as the digits of a supplier category.
    if (tableNo() == supplierCategories)
        txtClKubunKode->setText(txtClKubunKode->text().normalized(QString::NormalizationForm_KC));
    const QString code = txtClKubunKode->text();
    m_checkResult = checkCodeAndName(
            code, txtClKubunName->text(), lbClKubun->text(), forEdit,
            [&] { return duplicateMark<RibodoKbns>(tableNo(), code); },
            [&] { return supplierCategoryRefused(code); });
}

// Supplier categories are kept with each supplier as a 16-bit whole number.
bool FrmSKbn::supplierCategoryRefused(const QString &code)
{
    if (tableNo() != supplierCategories)
        return false;
    bool whole = false;
    const int number = code.toInt(&whole);
    if (whole && number >= std::numeric_limits<qint16>::min() && number <= std::numeric_limits<qint16>::max())
        return false;
    warn(QStringLiteral("仕入先区分コードは -32768 から 32767 までの整数で入力してください。"));
    return true;
}

void FrmSKbn::registerOrEdit(bool edit)
{
    InputCheck(edit);
    if (!saveChecked(m_checkResult, edit, [this] { Save(); }))
        return;
    FillList();
    ClearInputs();
    if (edit)
        SetNormalButtons();
}

void FrmSKbn::CmdRecorde_Click()
{
    registerOrEdit(false);
}

void FrmSKbn::CmdEdit_Click()
{
    registerOrEdit(true);
}

void FrmSKbn::Save()
{
    RibodoKbns kbns;
    openCodes(kbns, tableNo());
    kbns.setKbnDenshi(tableNo() == noteKinds && chkDenshi->isChecked());
    const QString mode = m_context.values().ModeFlag();
    if (mode == QLatin1String("R")) {
        kbns.setKCode(txtClKubunKode->text());
        kbns.setKName(txtClKubunName->text());
        kbns.Mcsave();
    } else if (mode == QLatin1String("E")) {
        kbns.setKCode2(lbClKubun->text());
        kbns.setVersion(calledUpVersion(lbClKubun->text()));
        kbns.setKCode(txtClKubunKode->text());
        kbns.setKName(txtClKubunName->text());
        kbns.Mcedit();
    }
}

void FrmSKbn::CmdDelete_Click()
{
    const QString calledUp = lbClKubun->text();
    const qint16 table = tableNo();
    const QString folder = m_context.values().dataFolder();
    const DeleteTexts texts{QStringLiteral("削除する得意先区分を呼び出してください。"), QStringLiteral("入金区分"),
                            QStringLiteral("入金区分"),
                            table == supplierCategories ? QStringLiteral("仕入先") : QStringLiteral("手形")};
    if (!confirmDelete(calledUp, texts, [&] { return UsageCount::usesOfCategory(folder, table, calledUp); }))
        return;
    if (!deleteCode<RibodoKbns>(table, calledUp))
        return;
    FillList();
    ClearInputs();
    SetNormalButtons();
}

void FrmSKbn::CmdClear_Click()
{
    askClear([this] { ClearInputs(); });
}

void FrmSKbn::ClearInputs()
{
    txtClKubunKode->clear();
    txtClKubunName->clear();
    lbClKubun->clear();
    chkDenshi->setChecked(false);
}

void FrmSKbn::CmdPrint_Click()
{
    m_context.showReport(QString::fromUtf8(categories.at(std::size_t(Combo1->currentIndex())).report));
}


void FrmSKbn::SetReadOnlyButtons()
{
    setButtons({false, false, false, false, false});
}
