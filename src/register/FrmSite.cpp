#include "FrmSite.h"

#include "AmountText.h"
#include "CodeItem.h"
#include "DateSerial.h"
#include "DateTextBox.h"
#include "SettlementDateLabel.h"
#include "NoteWarningPanel.h"

#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/EscapeKey.h"
#include "ui/InputMethod.h"
#include "ui/NamedButton.h"
#include "ui/NoteHistoryTarget.h"
#include "ui/WaitCursor.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowRegistry.h"
#include "masters/FrmCliantU.h"
#include "store/BankClass.h"
#include "store/JetSql.h"
#include "store/RibodoClass.h"
#include "store/RibodoKbns.h"
#include "store/RowVersion.h"
#include "store/SireCliantClass.h"
#include "store/StoreError.h"
#include "store/StoreText.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString warningTitle = QStringLiteral("警告");

QDate dateOf(const QVariant &value)
{
    return value.typeId() == QMetaType::QDate ? value.toDate() : JetSql::parseDate(value.toString());
}

} // namespace

FrmSite::FrmSite(AppContext &ctx, QWidget *parent)
    : QWidget(parent)
    , m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmSite"));
    setWindowTitle(QStringLiteral("手形帳"));
    buildLayout();
    setTabChain();

    FillCategoryCombos();
    FillBankCombo();
    // The lists line up at the width of the widest.
    int widest = 0;
    for (const QComboBox *combo : Combo1)
        widest = std::max(widest, combo->sizeHint().width());
    for (QComboBox *combo : Combo1)
        combo->setMinimumWidth(widest);
    WindowPlacement::keepTopLeft(this);
    // Esc closes the window as 終り does.
    EscapeKey::runs(this, [this] { CmdEnd_Click(); });
    SetRegisterMode();
    Combo1[0]->setFocus();
}

void FrmSite::buildLayout()
{
    for (int i = 0; i < 5; ++i) {
        Combo1[i] = new QComboBox(this);
        Combo1[i]->setObjectName(QStringLiteral("Combo1_%1").arg(i));
        Combo1[i]->setMinimumContentsLength(16);
        Combo1[i]->installEventFilter(this);
    }
    for (int i = 0; i < 6; ++i) {
        TxtRibodo[i] = new QLineEdit(this);
        TxtRibodo[i]->setObjectName(QStringLiteral("TxtRibodo_%1").arg(i));
        TxtRibodo[i]->installEventFilter(this);
    }
    for (int i = 0; i < 2; ++i) {
        DateTextBox1[i] = new DateTextBox(this);
        DateTextBox1[i]->setObjectName(QStringLiteral("DateTextBox1_%1").arg(i));
        DateTextBox1[i]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    InputMethod::apply(TxtRibodo[0], InputMethod::Mode::Off);
    InputMethod::apply(TxtRibodo[4], InputMethod::Mode::Hiragana);
    // The payee comes only from the supplier search list.
    TxtRibodo[1]->setReadOnly(true);
    TxtRibodo[2]->setReadOnly(true);
    const QFontMetrics metrics = fontMetrics();
    TxtRibodo[0]->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000000000000000")));
    TxtRibodo[1]->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0000000000")));
    TxtRibodo[2]->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("株式会社山田製作所本社工場")));
    TxtRibodo[3]->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("9,999,999,999,999")));
    TxtRibodo[3]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Digits and commas typed with the input method on become ASCII at once.
    connect(TxtRibodo[3], &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString ascii = AmountText::normalized(text);
        if (ascii == text)
            return;
        const int cursor = TxtRibodo[3]->cursorPosition();
        TxtRibodo[3]->setText(ascii);
        TxtRibodo[3]->setCursorPosition(cursor);
    });
    // The payee boxes look as read-only as they are.
    for (QLineEdit *box : {TxtRibodo[1], TxtRibodo[2]}) {
        QPalette p = box->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Window));
        box->setPalette(p);
    }
    TxtRibodo[4]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TxtRibodo[4]->setMinimumHeight(TxtRibodo[4]->sizeHint().height() * 3);
    TxtRibodo[5]->setVisible(false);

    CmdCKensaku = NamedButton::create(this, "CmdCKensaku", QStringLiteral("振出先検索(&K)"), &FrmSite::CmdCKensaku_Click);
    CmdRecorde = NamedButton::create(this, "CmdRecorde", QStringLiteral("登録(&R)"), &FrmSite::CmdRecorde_Click);
    CmdCall = NamedButton::create(this, "CmdCall", QStringLiteral("呼び出し(&C)"), &FrmSite::CmdCall_Click);
    CmdEdit = NamedButton::create(this, "CmdEdit", QStringLiteral("訂正(&E)"), &FrmSite::CmdEdit_Click);
    CmdDelete = NamedButton::create(this, "CmdDelete", QStringLiteral("削除(&D)"), &FrmSite::CmdDelete_Click);
    CmdClear = NamedButton::create(this, "CmdClear", QStringLiteral("入力消去(&S)"), &FrmSite::CmdClear_Click);
    CmdPrint = NamedButton::create(this, "CmdPrint", QStringLiteral("一覧印刷(&P)"), &FrmSite::CmdPrint_Click);
    CmdEnd = NamedButton::create(this, "CmdEnd", QStringLiteral("終り(&Q)"), &FrmSite::CmdEnd_Click);
    CmdRireki = NamedButton::create(this, "CmdRireki", QStringLiteral("履歴(&H)"), &FrmSite::CmdRireki_Click);
    CmdRireki->setToolTip(QStringLiteral("呼び出した手形の訂正・削除の履歴を帳簿検索で表示します"));
    // Outside the tab cycle of the entry fields and commands; Alt+H reaches it.
    CmdRireki->setFocusPolicy(Qt::NoFocus);

    auto *fields = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString &caption, QWidget *field, Qt::Alignment labelAlignment = Qt::AlignVCenter) {
        fields->addWidget(new QLabel(caption, this), row, 0, labelAlignment | Qt::AlignLeft);
        fields->addWidget(field, row, 1);
        ++row;
    };
    addRow(QStringLiteral("手形種類"), Combo1[0]);
    addRow(QStringLiteral("手形番号"), TxtRibodo[0]);
    auto *payee = new QWidget(this);
    auto *payeeLayout = new QHBoxLayout(payee);
    payeeLayout->setContentsMargins(0, 0, 0, 0);
    payeeLayout->addWidget(TxtRibodo[1]);
    payeeLayout->addWidget(TxtRibodo[2], 1);
    addRow(QStringLiteral("振り出し先"), payee);
    addRow(QStringLiteral("振出日"), DateTextBox1[0]);
    addRow(QStringLiteral("金額"), TxtRibodo[3]);
    addRow(QStringLiteral("決済日"), SettlementDateLabel::besideField(DateTextBox1[1], m_ctx.values().dataFolder(), this));
    addRow(QStringLiteral("支払銀行"), Combo1[1]);
    addRow(QStringLiteral("手形の状態"), Combo1[2]);
    addRow(QStringLiteral("手形用途"), Combo1[3]);
    addRow(QStringLiteral("経理区分"), Combo1[4]);
    addRow(QStringLiteral("備考"), TxtRibodo[4], Qt::AlignTop);
    fields->addWidget(CmdCKensaku, row, 1, Qt::AlignLeft);
    fields->setColumnStretch(1, 1);
    // A taller window gives its room to the space below the fields.
    fields->setRowStretch(row + 1, 1);
    for (int i : {0, 1, 2, 3, 4})
        fields->setAlignment(Combo1[i], Qt::AlignLeft);
    for (QWidget *w : {static_cast<QWidget *>(DateTextBox1[0]), static_cast<QWidget *>(DateTextBox1[1]),
                       static_cast<QWidget *>(TxtRibodo[0]), static_cast<QWidget *>(TxtRibodo[3])})
        fields->setAlignment(w, Qt::AlignLeft);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {CmdRecorde, CmdCall, CmdEdit, CmdDelete, CmdClear, CmdPrint, CmdEnd})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    buttons->addWidget(CmdRireki);
    buttons->addStretch();

    auto *body = new QHBoxLayout;
    body->addLayout(fields, 1);
    body->addSpacing(12);
    m_notePanel = new NoteWarningPanel(
            m_ctx, {Combo1[0], TxtRibodo[0], TxtRibodo[1], DateTextBox1[0], TxtRibodo[3], DateTextBox1[1], Combo1[1]},
            this);
    body->addWidget(m_notePanel);
    body->addSpacing(12);
    body->addLayout(buttons);

    auto *statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(false);
    m_panel1 = new QLabel(this);
    m_panel1->setObjectName(QStringLiteral("StatusPanel1"));
    m_panel1->setMinimumWidth(m_panel1->fontMetrics().horizontalAdvance(QStringLiteral("訂正モード　")));
    m_panel2 = new QLabel(this);
    m_panel2->setObjectName(QStringLiteral("StatusPanel2"));
    statusBar->addWidget(m_panel1);
    statusBar->addWidget(m_panel2, 1);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(body);
    outer->addWidget(statusBar);
}

void FrmSite::setTabChain()
{
    // A date box stands right before its parts, so that tabbing into it
    // lands on the year and tabbing on leaves it after the day.
    const QList<QWidget *> chain {
        Combo1[0], TxtRibodo[0], TxtRibodo[5], CmdCKensaku, TxtRibodo[1], TxtRibodo[2], DateTextBox1[0],
        DateTextBox1[0]->yearPart(), DateTextBox1[0]->monthPart(), DateTextBox1[0]->dayPart(), TxtRibodo[3],
        DateTextBox1[1], DateTextBox1[1]->yearPart(), DateTextBox1[1]->monthPart(), DateTextBox1[1]->dayPart(),
        Combo1[1], Combo1[2], Combo1[3], Combo1[4], TxtRibodo[4], CmdRecorde, CmdCall, CmdEdit, CmdDelete,
        CmdClear, CmdEnd, CmdPrint,
    };
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
}

bool FrmSite::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        showHelpLine(watched);
    return QWidget::eventFilter(watched, event);
}

void FrmSite::showHelpLine(QObject *field)
{
    static const std::array<const char *, 5> comboHelp {
        "手形の種類（約束/為替）を選択してください。",
        "決済する銀行を選択してください。",
        "手形の状態を選択してください。",
        "手形を振り出す用途を選択してください。",
        "長期、短期などの区分を選択してください。",
    };
    static const std::array<const char *, 6> textHelp {
        "手形番号（手形帳記載）を入力してください。",
        "振出先を選択してください。",
        nullptr,
        "振出た手形の金額を入力してください。",
        "手形に関するコメントがあれば入力してください。",
        nullptr,
    };
    for (int i = 0; i < 5; ++i) {
        if (field == Combo1[i])
            m_panel2->setText(QString::fromUtf8(comboHelp[i]));
    }
    for (int i = 0; i < 6; ++i) {
        if (field == TxtRibodo[i] && textHelp[i])
            m_panel2->setText(QString::fromUtf8(textHelp[i]));
    }
}

void FrmSite::FillCategoryCombos()
{
    // Combo index and the number of its category table.
    static const std::array<std::pair<int, qint16>, 4> tables {{{0, 0}, {2, 2}, {3, 1}, {4, 3}}};
    try {
        RibodoKbns kbns;
        for (const auto &[combo, tableNo] : tables) {
            kbns.setKbnTblNo(tableNo);
            kbns.setDirPath(m_ctx.values().dataFolder());
            kbns.CntDb();
            Recordset &rs = kbns.RsEd();
            if (rs.bof() && rs.eof())
                continue;
            rs.moveFirst();
            while (!rs.eof()) {
                Combo1[combo]->addItem(CodeItem::text(rs.value(QStringLiteral("KbnCode")).toString(),
                                                      rs.value(QStringLiteral("KbnName")).toString()));
                rs.moveNext();
            }
            Combo1[combo]->setCurrentIndex(0);
        }
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
    }
}

void FrmSite::FillBankCombo()
{
    try {
        BankClass bank;
        bank.setDirPath(m_ctx.values().dataFolder());
        bank.CntDb();
        Recordset &rs = bank.RsEd();
        if (!(rs.bof() && rs.eof())) {
            rs.moveFirst();
            while (!rs.eof()) {
                Combo1[1]->addItem(CodeItem::text(rs.value(QStringLiteral("KbnCode")).toString(),
                                                  rs.value(QStringLiteral("KbnName")).toString()));
                rs.moveNext();
            }
        }
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
    }
    if (Combo1[1]->count() > 0)
        Combo1[1]->setCurrentIndex(0);
    else
        m_ctx.dialogs().message(QStringLiteral("支払銀行が登録されていません。"), warningTitle,
                                DialogService::Buttons::Ok, DialogService::Icon::Critical);
}

void FrmSite::CodeOfItem()
{
    m_workText = CodeItem::cutAtFirstSpace(m_workText);
}

void FrmSite::SelectByCode()
{
    QComboBox *combo = Combo1[m_ctx.values().ModeFlag().toInt()];
    for (int i = 0; i < combo->count(); ++i) {
        if (CodeItem::positioningCode(combo->itemText(i)) == m_targetCode) {
            combo->setCurrentIndex(i);
            return;
        }
    }
}

QString FrmSite::codeOfSelected(int combo)
{
    m_workText = Combo1[combo]->currentIndex() < 0 ? QString() : Combo1[combo]->currentText();
    CodeOfItem();
    return m_workText;
}

void FrmSite::CheckRequired()
{
    if (TxtRibodo[0]->text().isEmpty() || TxtRibodo[1]->text().isEmpty() || TxtRibodo[3]->text().isEmpty()) {
        m_ctx.dialogs().message(QStringLiteral("未入力の項目があります。"), warningTitle, DialogService::Buttons::Ok,
                                DialogService::Icon::Critical);
        m_ctx.values().setResultFlag(QStringLiteral("X"));
    }
}

// A box of blanks counts as filled for the required check, but codes and
// amounts are stored trimmed, so it would store an empty number or code.
void FrmSite::CheckBlankEntries()
{
    if (m_ctx.values().ResultFlag() == QLatin1String("X"))
        return;
    const auto blank = [](const QLineEdit *box) {
        return !box->text().isEmpty() && StoreText::normalizedCode(box->text()).isEmpty();
    };
    if (blank(TxtRibodo[0]) || blank(TxtRibodo[1]) || blank(TxtRibodo[3])) {
        m_ctx.dialogs().message(QStringLiteral("未入力の項目があります。"), warningTitle, DialogService::Buttons::Ok,
                                DialogService::Icon::Critical);
        m_ctx.values().setResultFlag(QStringLiteral("X"));
    }
}

void FrmSite::CheckAmount()
{
    // An empty amount has been reported as missing already.
    const QString amount = AmountText::normalized(TxtRibodo[3]->text());
    if (amount != TxtRibodo[3]->text())
        TxtRibodo[3]->setText(amount);
    if (amount.isEmpty() || AmountText::isWholeYen(amount))
        return;
    m_ctx.dialogs().message(AmountText::isNumber(amount) ? QStringLiteral("金額は1円以上の整数で入力してください。")
                                                         : QStringLiteral("金額は数値で入力してください。"),
                            warningTitle, DialogService::Buttons::Ok, DialogService::Icon::Critical);
    m_ctx.values().setResultFlag(QStringLiteral("X"));
}

void FrmSite::CheckDates()
{
    const auto check = [this](const DateTextBox *box, QDate &kept, const QString &missing) {
        const QDate date = DateSerial::fromParts(box->Year(), box->Month(), box->Day());
        if (!date.isValid()) {
            m_ctx.dialogs().message(missing, warningTitle, DialogService::Buttons::Ok, DialogService::Icon::Critical);
            m_ctx.values().setResultFlag(QStringLiteral("X"));
            return;
        }
        kept = date;
    };
    check(DateTextBox1[0], m_drawingDate, QStringLiteral("振出日が入力されていません。"));
    check(DateTextBox1[1], m_dueDate, QStringLiteral("決済日が入力されていません。"));
}

void FrmSite::CheckDuplicate()
{
    const QString number = TxtRibodo[0]->text();
    if (number.contains(QLatin1Char('\''))) {
        // A quote would break the criteria the note is found by.
        m_ctx.dialogs().message(QStringLiteral("手形番号に「'」は使えません。"), warningTitle,
                                DialogService::Buttons::Ok, DialogService::Icon::Critical);
        m_ctx.values().setResultFlag(QStringLiteral("X"));
        return;
    }
    // Numbers compare without regard to letter case: a called-up note may
    // change only the case of its own number.
    if (number.compare(TxtRibodo[5]->text(), Qt::CaseInsensitive) == 0)
        return;
    try {
        RibodoClass note;
        note.setDirPath(m_ctx.values().dataFolder());
        note.CntDb();
        m_duplicateResult = note.RibodoBangoCheck(number).toString();
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        m_ctx.values().setResultFlag(QStringLiteral("X"));
        return;
    }
    if (m_duplicateResult == QLatin1String("X")) {
        m_ctx.dialogs().message(QStringLiteral("手形番号が重複しています。"), warningTitle,
                                DialogService::Buttons::Ok, DialogService::Icon::Critical);
        m_ctx.values().setResultFlag(QStringLiteral("X"));
    }
}

void FrmSite::SetRegisterMode()
{
    CmdRecorde->setEnabled(true);
    CmdEdit->setEnabled(false);
    CmdDelete->setEnabled(false);
    m_panel1->setText(QStringLiteral("登録モード"));
}

void FrmSite::SetEditMode()
{
    CmdRecorde->setEnabled(false);
    CmdEdit->setEnabled(true);
    CmdDelete->setEnabled(true);
    m_panel1->setText(QStringLiteral("訂正モード"));
}

void FrmSite::CmdRecorde_Click()
{
    m_ctx.values().setResultFlag(QString());
    if (!checksPassed())
        return;
    saveAndClear(QStringLiteral("R"));
}

void FrmSite::CmdEdit_Click()
{
    m_ctx.values().setResultFlag(QString());
    m_ctx.values().setModeFlag(QStringLiteral("E"));
    if (!checksPassed())
        return;
    saveAndClear(QString());
}

// All checks run, so that the user sees every message for one press.
bool FrmSite::checksPassed()
{
    CheckRequired();
    CheckBlankEntries();
    CheckAmount();
    CheckDates();
    if (!m_notePanel->acceptRecordNumber())
        m_ctx.values().setResultFlag(QStringLiteral("X"));
    CheckDuplicate();
    return m_ctx.values().ResultFlag() != QLatin1String("X");
}

// A refused write keeps the input on the screen.
void FrmSite::saveAndClear(const QString &mode)
{
    try {
        WaitCursor wait;
        if (!mode.isEmpty())
            m_ctx.values().setModeFlag(mode);
        SaveNote();
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    ClearNoteInput();
    SetRegisterMode();
}

void FrmSite::SaveNote()
{
    RibodoClass note;
    note.setDirPath(m_ctx.values().dataFolder());
    note.CntDb();
    note.setRibodoNo(TxtRibodo[0]->text());
    note.setCliantCode(TxtRibodo[1]->text());
    note.setRibodoFDate(m_drawingDate);
    note.setRibodoKDate(m_dueDate);
    note.setGinkou(codeOfSelected(1));
    note.setKingaku(TxtRibodo[3]->text());
    note.setSyurui(codeOfSelected(0));
    note.setBiko(TxtRibodo[4]->text());
    note.setMokuteki(codeOfSelected(3));
    note.setJyotai(codeOfSelected(2));
    note.setKeiri(codeOfSelected(4));
    if (m_ctx.values().ModeFlag() == QLatin1String("R")) {
        note.SaveRs();
    } else if (m_ctx.values().ModeFlag() == QLatin1String("E")) {
        note.setRibodoNo2(TxtRibodo[5]->text());
        note.setVersion(calledUpVersion());
        note.EditRs();
    }
}

void FrmSite::CmdCall_Click()
{
    const DialogService::Answer answer = m_ctx.dialogs().message(
            QStringLiteral("表示されているデータが消去されます。"), warningTitle, DialogService::Buttons::YesNo,
            DialogService::Icon::None);
    if (answer != DialogService::Answer::Yes)
        return;
    m_ctx.values().setResultFlag(QString());
    ClEdPrs();
    if (m_ctx.values().ResultFlag() == QLatin1String("x")) {
        // The note on the screen, if any, is no longer the called-up one:
        // registering it again must be tested as a new number.
        TxtRibodo[5]->clear();
        SetRegisterMode();
    } else {
        SetEditMode();
        Combo1[0]->setFocus();
    }
}

void FrmSite::ClEdPrs()
{
    const QString number = m_ctx.dialogs().input(QStringLiteral("訂正、削除する手形番号を入力してください。"),
                                                 QStringLiteral("訂正、削除"), QString());
    if (number.isEmpty()) {
        m_ctx.values().setResultFlag(QStringLiteral("x"));
        return;
    }
    try {
        fillFromNote(number);
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        m_ctx.values().setResultFlag(QStringLiteral("x"));
    }
}

void FrmSite::fillFromNote(const QString &number)
{
    RibodoClass note;
    note.setDirPath(m_ctx.values().dataFolder());
    note.CntDb();
    note.setRibodoNo(number);
    note.SearchRs();
    if (note.RibodoNo() == QLatin1String("X")) {
        m_ctx.dialogs().message(QStringLiteral("手形番号が見つかりません。"), warningTitle, DialogService::Buttons::Ok,
                                DialogService::Icon::None);
        m_ctx.values().setResultFlag(QStringLiteral("x"));
        return;
    }
    TxtRibodo[0]->setText(note.RibodoNo());
    TxtRibodo[5]->setText(note.RibodoNo());
    m_calledUpNumber = note.RibodoNo();
    m_calledUpVersion = note.Version();
    TxtRibodo[1]->setText(note.CliantCode());
    {
        SireCliantClass supplier;
        supplier.setDirPath(m_ctx.values().dataFolder());
        supplier.CntDb();
        showPayeeName(supplier.CliantNameDisplay(note.CliantCode()).toString());
    }
    const auto fillDate = [](DateTextBox *box, const QVariant &value) {
        const QDate date = dateOf(value);
        if (date.isValid())
            box->setDate(date);
        else
            box->clear();
    };
    fillDate(DateTextBox1[0], note.RibodoFDate());
    fillDate(DateTextBox1[1], note.RibodoKDate());
    const auto position = [this](const QString &code, int combo) {
        m_targetCode = code;
        m_ctx.values().setModeFlag(QString::number(combo));
        SelectByCode();
    };
    position(note.Ginkou(), 1);
    TxtRibodo[3]->setText(note.Kingaku());
    position(note.Syurui(), 0);
    TxtRibodo[4]->setText(note.Biko());
    position(note.Mokuteki(), 3);
    position(note.Jyotai(), 2);
    position(note.Keiri(), 4);
    m_ctx.values().setResultFlag(QStringLiteral("o"));
}

void FrmSite::CmdDelete_Click()
{
    const QString calledUp = TxtRibodo[5]->text();
    if (calledUp.isEmpty()) {
        m_ctx.dialogs().message(QStringLiteral("削除する手形を呼び出してください。"), warningTitle,
                                DialogService::Buttons::Ok, DialogService::Icon::Critical);
        return;
    }
    const DialogService::Answer answer = m_ctx.dialogs().message(
            QStringLiteral("手形番号：") + calledUp + QStringLiteral("を　削除しますか？"), QStringLiteral("削除"),
            DialogService::Buttons::OkCancel, DialogService::Icon::None);
    if (answer != DialogService::Answer::Ok)
        return;
    try {
        DeleteNote();
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    ClearNoteInput();
    SetRegisterMode();
}

void FrmSite::DeleteNote()
{
    RibodoClass note;
    note.setDirPath(m_ctx.values().dataFolder());
    note.CntDb();
    note.setRibodoNo2(TxtRibodo[5]->text());
    note.setVersion(calledUpVersion());
    note.DeleteRs();
}

// The hidden box is emptied whenever the note on the screen stops being the
// called-up one.
qint64 FrmSite::calledUpVersion() const
{
    const QString calledUp = TxtRibodo[5]->text();
    return !calledUp.isEmpty() && calledUp == m_calledUpNumber ? m_calledUpVersion : RowVersion::unknown;
}

void FrmSite::CmdClear_Click()
{
    ClearNoteInput();
}

void FrmSite::ClearNoteInput()
{
    for (QLineEdit *box : TxtRibodo)
        box->clear();
    TxtRibodo[2]->setToolTip(QString());
    for (QComboBox *combo : Combo1) {
        if (combo->count() > 0)
            combo->setCurrentIndex(0);
    }
    for (DateTextBox *box : DateTextBox1)
        box->clear();
    Combo1[0]->setFocus();
}

void FrmSite::CmdPrint_Click()
{
    m_ctx.showReport(QStringLiteral("8"));
}

void FrmSite::CmdEnd_Click()
{
    close();
}

void FrmSite::CmdCKensaku_Click()
{
    if (auto *list = qobject_cast<FrmCliantU *>(m_ctx.windows().load(WindowId::FrmCliantU)))
        list->setTarget(this);
    m_ctx.windows().show(WindowId::FrmCliantU);
}

// The history of the called-up note; with none called up, the window alone.
void FrmSite::CmdRireki_Click()
{
    const QString calledUp = TxtRibodo[5]->text();
    auto *target = dynamic_cast<NoteHistoryTarget *>(m_ctx.windows().show(WindowId::FrmKensaku));
    if (target && !calledUp.isEmpty())
        target->showNoteHistory(calledUp);
}

void FrmSite::supplierPicked(const QString &code, const QString &name)
{
    TxtRibodo[1]->setText(code);
    showPayeeName(name);
    activateWindow();
    DateTextBox1[0]->setFocus();
}

// A long name shows its beginning; the whole name is its tooltip.
void FrmSite::showPayeeName(const QString &name)
{
    TxtRibodo[2]->setText(name);
    TxtRibodo[2]->setCursorPosition(0);
    TxtRibodo[2]->setToolTip(name);
}

void FrmSite::closeEvent(QCloseEvent *event)
{
    if (QWidget *list = m_ctx.windows().window(WindowId::FrmCliantU))
        list->hide();
    QWidget::closeEvent(event);
}
