#include "frmCliant.h"

#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/InputMethod.h"
#include "ui/WaitCursor.h"
#include "ui/WindowRegistry.h"
#include "rules/TourokuBangou.h"
#include "store/NumberText.h"
#include "store/RibodoKbns.h"
#include "store/SireCliantClass.h"
#include "store/UsageCount.h"

#include <QCloseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <limits>

namespace {

constexpr int supplierCategoryTable = 4;

struct Field
{
    const char *label;
    const char *hint;
    bool hiragana;
};

const std::array<Field, 15> fields{{
        {"仕入先コード", "仕入先コードを入力してください。", false},
        {"仕入先名", "仕入先名称、会社名などを入力してください。", true},
        {"よみがな", "仕入先名称の読み仮名を入力してください。", true},
        {"代表者名", "代表者の名前を入力してください。", true},
        {"郵便番号", "郵便番号を入力してください。", false},
        {"都道府県", "都道府県名を入力してください。", true},
        {"市郡", "市や郡の名前を入力してください。", true},
        {"区町村", "区や市町村名を入力してください。", true},
        {"字番地", "番地名などを入力してください。", true},
        {"電話番号", "電話番号を入力してください。", false},
        {"FAX番号", "FAX番号を入力してください。", false},
        {"請求〆日", "請求〆日を入力してください。（末は31と入力）", false},
        {"期首請求残", "請求残を入力してください。", false},
        {"支払予定日", "支払予定日を入力してください。(末日は31と入力）", false},
        {"手形残高", nullptr, false},
}};

// The wait pointer for the duration of a save.
// The number a text begins with, 0 when it begins with none.
double leadingNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?))"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0;
}

void paintRequired(QWidget *w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, QColor(192, 255, 255));
    p.setColor(QPalette::Button, QColor(192, 255, 255));
    w->setPalette(p);
}

} // namespace

frmCliant::frmCliant(const AppContext &context, QWidget *parent)
    : MasterWindow(context, QStringLiteral("呼出(&C)"), QStringLiteral("印刷(&P)"), parent)
{
    setObjectName(QStringLiteral("frmCliant"));
    setWindowTitle(QStringLiteral("仕入先マスター"));

    Frame1 = new QGroupBox(QStringLiteral("個別情報"), this);
    Frame2 = new QGroupBox(QStringLiteral("支払情報"), this);
    Frame3 = new QGroupBox(QStringLiteral("各種区分情報"), this);
    auto *identity = new QGridLayout(Frame1);
    auto *payment = new QGridLayout(Frame2);
    Label2 = new QLabel(QStringLiteral("準備中"), Frame2);
    QFont large = Label2->font();
    large.setPointSizeF(large.pointSizeF() * 2);
    large.setBold(true);
    Label2->setFont(large);
    Label2->setAlignment(Qt::AlignCenter);
    payment->addWidget(Label2, 0, 0, 1, 2);

    const int wide = fontMetrics().horizontalAdvance(QStringLiteral("株式会社山田製作所本社工場"));
    for (int i = 0; i < 15; ++i) {
        const Field &f = fields.at(std::size_t(i));
        QGroupBox *frame = i < 11 ? Frame1 : Frame2;
        text1[i] = new QLineEdit(frame);
        text1[i]->setObjectName(QStringLiteral("text1_%1").arg(i));
        InputMethod::apply(text1[i], f.hiragana ? InputMethod::Mode::Hiragana : InputMethod::Mode::Off);
        auto *label = new QLabel(QString::fromUtf8(f.label), frame);
        if (i < 11) {
            identity->addWidget(label, i, 0);
            identity->addWidget(text1[i], i, 1);
            text1[i]->setMinimumWidth(wide);
        } else {
            // The payment information is not ready: never seen, never typed.
            payment->addWidget(label, i - 10, 0);
            payment->addWidget(text1[i], i - 10, 1);
            label->setVisible(false);
            text1[i]->setVisible(false);
            text1[i]->setEnabled(false);
        }
        if (f.hint)
            setHint(text1[i], QString::fromUtf8(f.hint));
    }
    paintRequired(text1[0]);
    paintRequired(text1[1]);

    Combo1 = new QComboBox(Frame3);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumContentsLength(14);
    paintRequired(Combo1);
    setHint(Combo1, QStringLiteral("仕入先の区分を選択してください。"));
    auto *category = new QGridLayout(Frame3);
    category->addWidget(new QLabel(QStringLiteral("仕入先区分"), Frame3), 0, 0);
    category->addWidget(Combo1, 0, 1);
    chkTekiho = new QCheckBox(QStringLiteral("取適法対象（中小受託事業者）"), Frame3);
    chkTekiho->setObjectName(QStringLiteral("chkTekiho"));
    setHint(chkTekiho, QStringLiteral("手形で支払えない中小受託事業者のときにチェックしてください。"));
    category->addWidget(chkTekiho, 1, 0, 1, 2);
    txtTouroku = new QLineEdit(Frame3);
    txtTouroku->setObjectName(QStringLiteral("txtTouroku"));
    txtTouroku->setMaxLength(20);
    InputMethod::apply(txtTouroku, InputMethod::Mode::Off);
    setHint(txtTouroku, QStringLiteral("適格請求書発行事業者の登録番号（T＋13桁）か法人番号（13桁）を入力してください。"));
    category->addWidget(new QLabel(QStringLiteral("登録番号/法人番号"), Frame3), 2, 0);
    category->addWidget(txtTouroku, 2, 1);
    category->setColumnStretch(1, 1);
    category->setRowStretch(3, 1);

    lbCcode = new QLabel(this);
    lbCcode->setObjectName(QStringLiteral("lbCcode"));
    lbCcode->setVisible(false);

    auto *middle = new QVBoxLayout;
    middle->addWidget(Frame2, 1);
    middle->addWidget(Frame3);
    auto *body = new QHBoxLayout;
    body->addWidget(Frame1);
    body->addLayout(middle);
    layOutAround(body, 8);

    QList<QWidget *> chain;
    for (int i = 0; i < 11; ++i)
        chain << text1[i];
    setTabChain(chain << Combo1 << chkTekiho << txtTouroku);

    Form_Load();
}

void frmCliant::Form_Load()
{
    FillCategoryList();
    SetRegisterButtons();
}

void frmCliant::FillCategoryList()
{
    bool empty = false;
    guarded([&] {
        RibodoKbns kbns;
        kbns.setKbnTblNo(supplierCategoryTable);
        kbns.setDirPath(m_context.values().dataFolder());
        kbns.CntDb();
        Recordset &rs = kbns.RsEd();
        empty = rs.bof() && rs.eof();
        if (empty)
            return;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            const QString code = rs.value(QStringLiteral("KbnCode")).toString();
            bool whole = false;
            const int tag = code.toInt(&whole);
            // Only a 16-bit whole number can be kept with a supplier.
            if (!whole || tag < std::numeric_limits<qint16>::min() || tag > std::numeric_limits<qint16>::max())
                continue;
            Combo1->addItem(code + QStringLiteral(" : ") + rs.value(QStringLiteral("KbnName")).toString(), tag);
        }
    });
    Combo1->setCurrentIndex(-1);
    if (empty)
        warn(QStringLiteral("振出先の区分が登録されていません。"));
}

void frmCliant::CheckInput(bool forEdit)
{
    AppValues &values = m_context.values();
    values.setResultFlag(QString());
    const QString code = text1[0]->text();
    if (code.isEmpty() || text1[1]->text().isEmpty() || Combo1->currentIndex() < 0) {
        values.setResultFlag(QStringLiteral("X1"));
        return;
    }
    if (refusesQuote(code)) {
        values.setResultFlag(QStringLiteral("X3"));
        return;
    }
    if (forEdit && code == lbCcode->text())
        return;
    QString found;
    const bool read = guarded([&] {
        SireCliantClass supplier;
        supplier.setDirPath(values.dataFolder());
        supplier.CntDb();
        found = supplier.CliantCodeCheck(code).toString();
    });
    if (!read)
        values.setResultFlag(QStringLiteral("E"));
    else if (found == QLatin1String("X"))
        values.setResultFlag(QStringLiteral("X2"));
}

void frmCliant::registerOrEdit(bool edit)
{
    AppValues &values = m_context.values();
    CheckInput(edit);
    if (values.ResultFlag() == QLatin1String("X1")) {
        warn(QStringLiteral("未入力の項目があります。"));
        return;
    }
    if (values.ResultFlag() == QLatin1String("X2")) {
        warn(QStringLiteral("コードが重複しています。"));
        return;
    }
    if (!values.ResultFlag().isEmpty())
        return;
    if (!acceptTouroku())
        return;
    bool saved = false;
    {
        WaitCursor wait;
        values.setModeFlag(edit ? QStringLiteral("E") : QStringLiteral("R"));
        saved = guarded([this] { SaveSupplier(); });
    }
    if (!saved)
        return;
    ClearInput();
    SetRegisterButtons();
}

bool frmCliant::acceptTouroku()
{
    const QString number = TourokuBangou::normalized(txtTouroku->text());
    if (number.isEmpty() || TourokuBangou::isValid(number)) {
        txtTouroku->setText(number);
        return true;
    }
    warn(QStringLiteral("登録番号/法人番号「%1」が正しくありません。\n"
                        "登録番号は T と13桁の数字、法人番号は13桁の数字です。先頭の検査用数字が合いません。")
                 .arg(number));
    txtTouroku->setFocus();
    return false;
}

void frmCliant::CmdRecorde_Click()
{
    registerOrEdit(false);
}

void frmCliant::CmdEdit_Click()
{
    registerOrEdit(true);
}

void frmCliant::SaveSupplier()
{
    SireCliantClass s;
    s.setDirPath(m_context.values().dataFolder());
    s.CntDb();
    s.setCliantCode(text1[0]->text());
    s.setCliantname(text1[1]->text());
    s.setCliantYomigana(text1[2]->text());
    s.setCliantPdName(text1[3]->text());
    s.setZipCd(text1[4]->text());
    s.setAds1(text1[5]->text());
    s.setAds2(text1[6]->text());
    s.setAds3(text1[7]->text());
    s.setAds4(text1[8]->text());
    s.setClTelNo(text1[9]->text());
    s.setClFaxNo(text1[10]->text());
    s.setClSimeBi(text1[11]->text());
    s.setClSeikyuZan(leadingNumber(text1[12]->text()));
    s.setClKaisyuYotei(text1[13]->text());
    s.setSClKbn(qint16(Combo1->currentData().toInt()));
    s.setClTekiho(chkTekiho->isChecked());
    s.setClTouroku(txtTouroku->text());
    const QString mode = m_context.values().ModeFlag();
    if (mode == QLatin1String("R")) {
        s.SaveRs();
    } else if (mode == QLatin1String("E")) {
        s.setCliantCode2(lbCcode->text());
        s.setVersion(calledUpVersion(lbCcode->text()));
        s.EditRs();
    }
}

void frmCliant::CmdCall_Click()
{
    if (m_context.dialogs().message(QStringLiteral("表示されているデータが消去されます。"), QStringLiteral("警告"),
                                    DialogService::Buttons::YesNo, DialogService::Icon::None)
        == DialogService::Answer::No)
        return;
    m_context.values().setResultFlag(QString());
    ClEdPrs();
    if (m_context.values().ResultFlag() == QLatin1String("x"))
        SetRegisterButtons();
    else
        SetEditButtons();
}

void frmCliant::ClEdPrs()
{
    AppValues &values = m_context.values();
    const QString code = askCode(QStringLiteral("訂正、削除する得意先番号を入力してください。"), QStringLiteral("訂正、削除"));
    if (code.isEmpty()) {
        values.setResultFlag(QStringLiteral("x"));
        return;
    }
    // The search passes over failures of the database: a supplier that
    // cannot be read is not found.
    SireCliantClass s;
    s.setDirPath(values.dataFolder());
    if (!guarded([&] { s.CntDb(); })) {
        values.setResultFlag(QStringLiteral("x"));
        return;
    }
    s.setCliantCode(code);
    s.SearchRs();
    if (s.CliantCode() == QLatin1String("X")) {
        warn(QStringLiteral("番号が見つかりません。"));
        values.setResultFlag(QStringLiteral("x"));
        return;
    }
    const QStringList texts{s.CliantCode(), s.Cliantname(), s.CliantYomigana(), s.CliantPdName(), s.ZipCd(),
                            s.Ads1(), s.Ads2(), s.Ads3(), s.Ads4(), s.ClTelNo(), s.ClFaxNo(), s.ClSimeBi(),
                            NumberText::fromDouble(s.ClSeikyuZan()), s.ClKaisyuYotei()};
    for (int i = 0; i < 14; ++i)
        text1[i]->setText(texts.at(i));
    lbCcode->setText(s.CliantCode());
    rememberCalledUp(s.CliantCode(), s.Version());
    selectCategory(s.SClKbn());
    chkTekiho->setChecked(s.ClTekiho());
    txtTouroku->setText(s.ClTouroku());
    values.setResultFlag(QStringLiteral("o"));
}

// The last item carrying the code is chosen; none leaves the choice as it was.
void frmCliant::selectCategory(qint16 code)
{
    for (int i = 0; i < Combo1->count(); ++i) {
        if (Combo1->itemData(i).toInt() == code)
            Combo1->setCurrentIndex(i);
    }
}

void frmCliant::CmdDelete_Click()
{
    const QString calledUp = lbCcode->text();
    const QString folder = m_context.values().dataFolder();
    const DeleteTexts texts{QStringLiteral("削除する得意先を呼び出してください。"), QStringLiteral("警告"),
                            QStringLiteral("削除"), QStringLiteral("手形")};
    if (!confirmDelete(calledUp, texts, [&] { return UsageCount::notesOfSupplier(folder, calledUp); }))
        return;
    if (!guarded([this] { DeleteSupplier(); }))
        return;
    ClearInput();
    SetRegisterButtons();
}

void frmCliant::DeleteSupplier()
{
    SireCliantClass s;
    s.setDirPath(m_context.values().dataFolder());
    s.CntDb();
    s.setCliantCode2(lbCcode->text());
    s.setVersion(calledUpVersion(lbCcode->text()));
    s.DeleteRs();
}

void frmCliant::CmdClear_Click()
{
    ClearInput();
    SetRegisterButtons();
}

void frmCliant::ClearInput()
{
    for (int i = 0; i < 14; ++i)
        text1[i]->clear();
    lbCcode->clear();
    Combo1->setCurrentIndex(-1);
    chkTekiho->setChecked(false);
    txtTouroku->clear();
}

void frmCliant::CmdPrint_Click()
{
    m_context.showReport(QStringLiteral("1"));
}

void frmCliant::closeEvent(QCloseEvent *event)
{
    if (QWidget *menu = m_context.windows().window(WindowId::FrmMain))
        menu->show();
    MasterWindow::closeEvent(event);
}

void frmCliant::SetRegisterButtons()
{
    setButtons({true, true, false, false, true});
}

void frmCliant::SetEditButtons()
{
    setButtons({false, true, true, true, true});
}
