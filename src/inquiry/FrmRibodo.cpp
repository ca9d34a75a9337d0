#include "FrmRibodo.h"

#include "HolidayDueCheck.h"

#include "store/DisplayFormat.h"
#include "store/BankClass.h"
#include "store/JetSql.h"
#include "store/RibodoClass.h"
#include "store/RibodoKbns.h"
#include "store/RowVersion.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "store/UnregisteredNames.h"
#include "ui/ChangeNotice.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DatePicker.h"
#include "ui/DialogService.h"
#include "ui/NamedButton.h"
#include "ui/ExcelSaveButton.h"
#include "ui/QueryTableModel.h"
#include "ui/TableGrid.h"
#include "ui/WindowPlacement.h"

#include <QBrush>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

const QString settledName = QStringLiteral("決済済み");
const QString listFormat = QStringLiteral("##,###");
const QString frameFormat = QStringLiteral("###,###");
constexpr std::array<int, 5> columnTwips {800, 2500, 1500, 1600, 1000};

} // namespace

FrmRibodo::FrmRibodo(AppContext &ctx, QWidget *parent)
    : QWidget(parent)
    , m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmRibodo"));
    setWindowTitle(QStringLiteral("本日の手形決済"));
    buildLayout();
    WindowPlacement::keepTopLeft(this);

    DTPicker1->setDate(QDate::currentDate());
    FillBankCombo();
    FillStateCombo();
    ShowSettlement();
    FlexGSettings();
    HFGrid1->setFocus();
}

void FrmRibodo::buildLayout()
{
    const auto valueLabel = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("999,999,999,999")));
        return l;
    };

    Frame1 = new QGroupBox(QStringLiteral("本日の手形決済"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    DTPicker1 = new DatePicker(Frame1);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumContentsLength(14);
    Command1 = NamedButton::create(this, "Command1", QStringLiteral("表示(&V)"), &FrmRibodo::Command1_Click);
    auto *dateCaption = new QLabel(QStringLiteral("日付"), Frame1);
    dateCaption->setBuddy(DTPicker1);
    auto *bankCaption = new QLabel(QStringLiteral("銀行"), Frame1);
    bankCaption->setBuddy(Combo1);
    auto *frame1Layout = new QGridLayout(Frame1);
    frame1Layout->addWidget(dateCaption, 0, 0);
    frame1Layout->addWidget(DTPicker1, 0, 1, Qt::AlignLeft);
    frame1Layout->addWidget(bankCaption, 1, 0);
    frame1Layout->addWidget(Combo1, 1, 1);
    frame1Layout->addWidget(Command1, 1, 2);
    frame1Layout->addWidget(ChkHolidayDue = new HolidayDueCheck(Frame1), 2, 1, 1, 2);

    Command5 = NamedButton::create(this, "Command5", QStringLiteral("印刷(&P)"), &FrmRibodo::Command5_Click);
    Command2 = NamedButton::create(this, "Command2", QStringLiteral("終わり(&Q)"), &FrmRibodo::Command2_Click);
    m_browseButtons = new QWidget(this);
    auto *browseLayout = new QVBoxLayout(m_browseButtons);
    browseLayout->setContentsMargins(0, 0, 0, 0);
    browseLayout->addWidget(Command5);
    browseLayout->addWidget(Command2);
    browseLayout->addStretch();

    // The frame 決済入力 takes the place of 印刷 and 終わり while a note is open.
    Frame2 = new QGroupBox(QStringLiteral("決済入力"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Label2 = new QLabel(Frame2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(Frame2);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setMinimumWidth(Label3->fontMetrics().horizontalAdvance(QStringLiteral("株式会社山田製作所本社工場")));
    Label4 = new QLabel(Frame2);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Combo2 = new QComboBox(Frame2);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Command3 = NamedButton::create(this, "Command3", QStringLiteral("変更(&E)"), &FrmRibodo::Command3_Click);
    Command4 = NamedButton::create(this, "Command4", QStringLiteral("取消(&C)"), &FrmRibodo::Command4_Click);
    auto *stateCaption = new QLabel(QStringLiteral("状態"), Frame2);
    stateCaption->setBuddy(Combo2);
    auto *amountRow = new QHBoxLayout;
    amountRow->addWidget(Label4);
    amountRow->addWidget(new QLabel(QStringLiteral("円"), Frame2));
    amountRow->addStretch();
    auto *stateRow = new QHBoxLayout;
    stateRow->addWidget(stateCaption);
    stateRow->addWidget(Combo2, 1);
    auto *frame2Buttons = new QHBoxLayout;
    frame2Buttons->addStretch();
    frame2Buttons->addWidget(Command3);
    frame2Buttons->addWidget(Command4);
    auto *frame2Layout = new QVBoxLayout(Frame2);
    frame2Layout->addWidget(Label2);
    frame2Layout->addWidget(Label3);
    frame2Layout->addLayout(amountRow);
    frame2Layout->addLayout(stateRow);
    frame2Layout->addLayout(frame2Buttons);

    m_topRight = new QStackedWidget(this);
    m_topRight->addWidget(m_browseButtons);
    m_topRight->addWidget(Frame2);

    Adodc1 = new QueryTableModel(this);
    Adodc1->setObjectName(QStringLiteral("Adodc1"));
    Adodc1->setHeaders({QStringLiteral("手形番号"), QStringLiteral("振出先"), QStringLiteral("金額"),
                        QStringLiteral("支払銀行"), QStringLiteral("状態"), QString()});
    Adodc1->setFormatter(5, [](const QVariant &v) {
        const QDate date = JetSql::parseDate(v.toString());
        return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : v.toString();
    });
    Adodc1->setRowBackground([this](int row) -> QVariant {
        if (m_settledRows.value(row))
            return QBrush(QColor(192, 255, 192));
        return QVariant();
    });
    HFGrid1 = new TableGrid(this);
    HFGrid1->setObjectName(QStringLiteral("HFGrid1"));
    HFGrid1->setModel(Adodc1);
    auto *excelSave = new ExcelSaveButton(m_ctx.dialogs(), Adodc1, m_browseButtons);
    excelSave->setKinds([](int c) {
        return c == 2 ? ExportSource::Kind::Amount : c == 5 ? ExportSource::Kind::Date : ExportSource::Kind::Text;
    });
    excelSave->setHeading(5, QStringLiteral("決済日"));
    static_cast<QVBoxLayout *>(m_browseButtons->layout())->insertWidget(2, excelSave);
    connect(HFGrid1, &TableGrid::rowActivated, this, &FrmRibodo::HFGrid1_RowActivated);
    int listWidth = HFGrid1->horizontalHeader()->defaultSectionSize() + 2 * HFGrid1->frameWidth()
            + HFGrid1->verticalScrollBar()->sizeHint().width();
    for (int twips : columnTwips)
        listWidth += TableGrid::twipsToPixels(twips, HFGrid1);
    HFGrid1->setMinimumSize(listWidth, HFGrid1->verticalHeader()->defaultSectionSize() * 14);

    Label7 = valueLabel("Label7");
    Label8 = valueLabel("Label8");
    auto *totals = new QHBoxLayout;
    totals->addStretch();
    totals->addWidget(new QLabel(QStringLiteral("決済待ち金額"), this));
    totals->addWidget(Label7);
    totals->addWidget(new QLabel(QStringLiteral("円"), this));
    totals->addSpacing(16);
    totals->addWidget(new QLabel(QStringLiteral("決済済み金額"), this));
    totals->addWidget(Label8);
    totals->addWidget(new QLabel(QStringLiteral("円"), this));

    auto *top = new QHBoxLayout;
    top->addWidget(Frame1, 0, Qt::AlignTop);
    top->addStretch();
    top->addWidget(m_topRight, 0, Qt::AlignTop);

    lblChanged = new ChangeNotice(m_ctx.values().dataFolder(), this);
    // F5 lists again, as 表示 does; not while a note is being settled.
    auto *refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refresh, &QShortcut::activated, this, [this] {
        if (m_topRight->currentWidget() != Frame2)
            Command1_Click();
    });

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(HFGrid1, 1);
    outer->addLayout(totals);
    outer->addWidget(lblChanged);

    setTabOrder(DTPicker1, Combo1);
    setTabOrder(Combo1, Command1);
    setTabOrder(Command1, Command5);
    setTabOrder(Command5, Command2);
    setTabOrder(Command2, Combo2);
    setTabOrder(Combo2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, HFGrid1);
    setTabOrder(Command1, ChkHolidayDue);

    // Esc closes an open 決済入力 first, then the window.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &FrmRibodo::Escape_Pressed);

    setSettling(false);
}

void FrmRibodo::setSettling(bool settling)
{
    m_topRight->setCurrentWidget(settling ? static_cast<QWidget *>(Frame2) : m_browseButtons);
    Frame2->setVisible(settling);
    Command5->setVisible(!settling);
    Command2->setVisible(!settling);
}

void FrmRibodo::FillBankCombo()
{
    Combo1->clear();
    try {
        BankClass bank;
        bank.setDirPath(m_ctx.values().dataFolder());
        bank.CntDb();
        Recordset &rs = bank.RsEd();
        if (!(rs.bof() && rs.eof())) {
            rs.moveFirst();
            Combo1->addItem(QStringLiteral("<銀行全部>"), 0);
            while (!rs.eof()) {
                Combo1->addItem(rs.value(QStringLiteral("KbnName")).toString(),
                                rs.value(QStringLiteral("KbnCode")).toInt());
                rs.moveNext();
            }
        }
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
    }
    if (Combo1->count() > 0)
        Combo1->setCurrentIndex(0);
}

void FrmRibodo::FillStateCombo()
{
    Combo2->clear();
    try {
        RibodoKbns states;
        states.setDirPath(m_ctx.values().dataFolder());
        states.setKbnTblNo(2);
        states.CntDb();
        Recordset &rs = states.RsEd();
        if (!(rs.bof() && rs.eof())) {
            rs.moveFirst();
            while (!rs.eof()) {
                // The code is kept as it is stored (03 stays 03), so that
                // 変更 never writes a state the table does not have.
                Combo2->addItem(rs.value(QStringLiteral("KbnName")).toString(),
                                rs.value(QStringLiteral("KbnCode")).toString());
                rs.moveNext();
            }
        }
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
    }
    if (Combo2->count() > 0)
        Combo2->setCurrentIndex(0);
}

void FrmRibodo::ShowSettlement()
{
    const QString reportDate = DTPicker1->date().toString(QStringLiteral("yyyy/MM/dd"));
    m_ctx.values().setReportDate(reportDate);

    // The bank is matched by its name; its quotes are doubled, so that any
    // name gives one well-formed statement.
    const QString ending = Combo1->currentIndex() == 0
            ? QStringLiteral("#")
            : QStringLiteral("# AND Ginko = ") + JetSql::quote(Combo1->currentIndex() < 0 ? QString() : Combo1->currentText());
    m_recordSource = QStringLiteral("SELECT * FROM QRYKesai WHERE TKDate =#") + reportDate + ending;
    m_totalSource = QStringLiteral("SELECT SUM(QRYkesai!TKingaku) AS gokei FROM QRYKesai WHERE TKDate =#") + reportDate
            + ending;
    m_recordSource = ChkHolidayDue->widened(m_recordSource, DTPicker1->date(), m_ctx.values().dataFolder());
    m_totalSource = ChkHolidayDue->widened(m_totalSource, DTPicker1->date(), m_ctx.values().dataFolder());

    const int keptRow = HFGrid1->currentRow();
    try {
        for (Connection *c : {&m_listConnection, &m_totalConnection}) {
            if (!c->isOpen())
                c->open(Schema::connectionText(m_ctx.values().dataFolder()));
        }
        m_settledRows.clear();
        m_listConnection.beginRead();
        Adodc1->load(m_listConnection, JetSql::toSqlite(m_recordSource));
        MarkUnregistered();
        readVersions();
        m_listConnection.commitTrans();
        QSqlQuery &query = m_totalConnection.exec(JetSql::toSqlite(m_totalSource));
        m_gokei = query.next() ? query.value(0) : QVariant();
        query.finish();
    } catch (const StoreError &e) {
        // No list is better than one that does not match the date shown.
        m_listConnection.close();
        m_totalConnection.close();
        clearList();
        m_ctx.dialogs().showStoreError(e);
        return;
    }

    m_settledRows.fill(false, Adodc1->rowCount());
    m_settledTotal = 0;
    if (m_gokei.isNull()) {
        Label7->setText(QStringLiteral("0"));
        Label8->setText(QStringLiteral("0"));
    } else {
        FormatAmounts();
        SumSettled();
        Label7->setText(DisplayFormat::number(m_gokei.toDouble() - m_settledTotal, listFormat));
    }
    // A rebuilt list forgets its column widths; they are set again.
    FlexGSettings();
    if (Adodc1->rowCount() > 0)
        HFGrid1->selectRow(std::clamp(keptRow, 0, Adodc1->rowCount() - 1));
    lblChanged->reset();
}

void FrmRibodo::MarkUnregistered()
{
    // The list's query has the names only: a note whose payee or bank has
    // been deleted is found by its number, as report 11 finds it.
    QVector<QVariantList> columns(Adodc1->columnCount());
    bool marked = false;
    UnregisteredNames names(m_listConnection);
    for (int row = 0; row < Adodc1->rowCount(); ++row) {
        for (int c = 0; c < columns.size(); ++c)
            columns[c].append(Adodc1->value(row, c));
        if (!Adodc1->text(row, 1).isEmpty() && !Adodc1->text(row, 3).isEmpty())
            continue;
        QSqlQuery &codes = m_listConnection.exec(QStringLiteral("SELECT TTo, TBank FROM SiteTbl WHERE TNo = ?"),
                                                 {Adodc1->value(row, 0)});
        if (codes.next()) {
            const QString payee = names.payee(Adodc1->text(row, 1), codes.value(0).toString());
            const QString bank = names.bank(Adodc1->text(row, 3), codes.value(1).toString());
            marked = marked || payee != Adodc1->text(row, 1) || bank != Adodc1->text(row, 3);
            columns[1].last() = payee;
            columns[3].last() = bank;
        }
        codes.finish();
    }
    if (marked)
        Adodc1->setColumns(Adodc1->columnNames(), std::move(columns));
}

void FrmRibodo::readVersions()
{
    m_rowVersions.clear();
    try {
        for (int row = 0; row < Adodc1->rowCount(); ++row)
            m_rowVersions.append(RowVersion::newest(m_listConnection, QStringLiteral("SiteTbl"),
                                                    Adodc1->value(row, 0).toString()).number);
    } catch (const StoreError &) {
        // A register whose history cannot be read gives no versions to check.
        m_rowVersions.clear();
    }
}

void FrmRibodo::clearList()
{
    Adodc1->clear();
    m_rowVersions.clear();
    m_settledRows.clear();
    m_settledTotal = 0;
    m_gokei = QVariant();
    Label7->clear();
    Label8->clear();
}

void FrmRibodo::FlexGSettings()
{
    for (int column = 0; column < int(columnTwips.size()); ++column)
        HFGrid1->setColumnTwips(column, columnTwips[column]);
}

void FrmRibodo::FormatAmounts()
{
    Adodc1->setFormatter(2, [](const QVariant &v) {
        return DisplayFormat::number(DisplayFormat::toNumber(v), listFormat);
    });
    Adodc1->setAlignment(2, Qt::AlignRight);
}

void FrmRibodo::SumSettled()
{
    for (int row = 0; row < Adodc1->rowCount(); ++row) {
        if (Adodc1->text(row, 4) == settledName) {
            m_settledRows[row] = true;
            m_settledTotal += DisplayFormat::toNumber(Adodc1->value(row, 2));
        }
    }
    Label8->setText(DisplayFormat::number(m_settledTotal, listFormat));
}

void FrmRibodo::HFGrid1_RowActivated(int row)
{
    if (Adodc1->rowCount() == 0 || row < 0 || row >= Adodc1->rowCount())
        return;
    setSettling(true);
    m_settlingVersion = m_rowVersions.value(row, RowVersion::unknown);
    Label2->setText(Adodc1->text(row, 0));
    Label3->setText(Adodc1->text(row, 1));
    Label4->setText(DisplayFormat::number(DisplayFormat::toNumber(Adodc1->value(row, 2)), frameFormat));
    // A state name the list does not hold leaves the choice as it was.
    const int item = Combo2->findText(Adodc1->text(row, 4), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (item >= 0)
        Combo2->setCurrentIndex(item);
    Combo2->setFocus();
}

void FrmRibodo::Command1_Click()
{
    FlexGSettings();
    ShowSettlement();
}

void FrmRibodo::Command3_Click()
{
    if (Combo2->currentIndex() < 0) {
        m_ctx.dialogs().beep();
        return;
    }
    try {
        RibodoClass note;
        note.setDirPath(m_ctx.values().dataFolder());
        note.CntDb();
        note.setJyotai(Combo2->currentData().toString());
        note.setRibodoNo2(Label2->text());
        note.setVersion(m_settlingVersion);
        note.EditRsJ();
    } catch (const StoreError &e) {
        // The frame stays open: the user may try again or cancel.
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    setSettling(false);
    ShowSettlement();
    HFGrid1->setFocus();
}

void FrmRibodo::Command4_Click()
{
    setSettling(false);
    Label2->clear();
    Label3->clear();
    Label4->clear();
    HFGrid1->setFocus();
}

void FrmRibodo::Command5_Click()
{
    m_ctx.showReport(QStringLiteral("11"));
}

void FrmRibodo::Command2_Click()
{
    close();
}

void FrmRibodo::Escape_Pressed()
{
    if (m_topRight->currentWidget() == Frame2)
        Command4_Click();
    else
        close();
}
