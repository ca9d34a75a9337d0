#include "FrmRBKeikaku.h"

#include "FrozenColumnGrid.h"
#include "PlanTableModel.h"

#include "ui/ExcelSaveButton.h"

#include "store/Connection.h"
#include "store/JetCrossTab.h"
#include "store/JetSql.h"
#include "store/RibodoKbns.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DatePicker.h"
#include "ui/DialogService.h"
#include "ui/EscapeKey.h"
#include "ui/NamedButton.h"
#include "ui/WaitCursor.h"
#include "ui/WindowPlacement.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString dateFormat = QStringLiteral("yyyy/MM/dd");

} // namespace

FrmRBKeikaku::FrmRBKeikaku(AppContext &ctx, QWidget *parent)
    : QWidget(parent)
    , m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmRBKeikaku"));
    setWindowTitle(QStringLiteral("振出先別一覧"));
    buildLayout();
    resize(960, 600);
    WindowPlacement::keepTopLeft(this);
    EscapeKey::closes(this);
    DTPicker1->setDate(QDate::currentDate());
    FillKeiriCombo();
    ShowPlanAll();
    SetPlanColumns();
}

void FrmRBKeikaku::buildLayout()
{
    Label1 = new QLabel(QStringLiteral("経理区分"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumContentsLength(14);
    Label1->setBuddy(Combo1);
    Label2 = new QLabel(QStringLiteral("日付"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    DTPicker1 = new DatePicker(this);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    Label2->setBuddy(DTPicker1);

    Command1 = NamedButton::create(this, "Command1", QStringLiteral("表示(&V)"), &FrmRBKeikaku::Command1_Click);
    Command2 = NamedButton::create(this, "Command2", QStringLiteral("印刷(&P)"), &FrmRBKeikaku::Command2_Click);
    Command3 = NamedButton::create(this, "Command3", QStringLiteral("終わり(&Q)"), &FrmRBKeikaku::Command3_Click);

    DataGrid1 = new FrozenColumnGrid(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    m_plan = new PlanTableModel(this);
    DataGrid1->setModel(m_plan);

    auto *top = new QHBoxLayout;
    top->addWidget(Label1);
    top->addWidget(Combo1);
    top->addSpacing(12);
    top->addWidget(Label2);
    top->addWidget(DTPicker1);
    top->addStretch(1);
    top->addWidget(Command1);
    top->addWidget(Command2);
    top->addWidget(Command3);
    auto *excelSave = new ExcelSaveButton(m_ctx.dialogs(), m_plan, this);
    excelSave->setKinds([](int column) { return column == 0 ? ExportSource::Kind::Text : ExportSource::Kind::Amount; });
    // As on screen, the payee stays in view beside the days; the day
    // headings are saved as dates.
    excelSave->setFrozenColumns(1);
    excelSave->setTotalsLabel(QStringLiteral("合計"));
    top->addWidget(excelSave);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(DataGrid1, 1);
}

void FrmRBKeikaku::FillKeiriCombo()
{
    Combo1->clear();
    try {
        RibodoKbns kbns;
        kbns.setDirPath(m_ctx.values().dataFolder());
        kbns.setKbnTblNo(3);
        kbns.CntDb();
        Recordset &rs = kbns.RsEd();
        if (!(rs.bof() && rs.eof())) {
            rs.moveFirst();
            while (!rs.eof()) {
                // The code text is the item's value, so that 007 and L1 find
                // their own notes, not those of 7 or 0.
                const QString code = rs.value(QStringLiteral("KbnCode")).toString();
                Combo1->addItem(code + QStringLiteral(", ") + rs.value(QStringLiteral("KbnName")).toString(), code);
                rs.moveNext();
            }
        }
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
    }
    if (Combo1->count() > 0)
        Combo1->setCurrentIndex(0);
}

void FrmRBKeikaku::ShowPlanAll()
{
    m_recordSource = QStringLiteral("TRANSFORM Sum(QRYRibodo.TKingaku) AS 値 SELECT QRYRibodo.ClName, Sum(QRYRibodo.TKingaku) AS SSum_")
            + QStringLiteral(" From QRYRibodo WHERE TKDate >= #") + QDate::currentDate().toString(dateFormat)
            + QStringLiteral("# GROUP BY QRYRibodo.ClName ") + QStringLiteral(" PIVOT Format([TKDate],'Short Date')");
    refreshPlan();
}

void FrmRBKeikaku::ShowPlan()
{
    m_recordSource = QStringLiteral("TRANSFORM Sum(QRYRibodo.TKingaku) AS 値 SELECT QRYRibodo.ClName, Sum(QRYRibodo.TKingaku) AS SSum_")
            + QStringLiteral(" From QRYRibodo WHERE TKDate >= #") + DTPicker1->date().toString(dateFormat)
            + QStringLiteral("# AND Tkeiri = ") + JetSql::quote(Combo1->currentData().toString())
            + QStringLiteral(" GROUP BY QRYRibodo.ClName ") + QStringLiteral(" PIVOT Format([TKDate],'Short Date')");
    refreshPlan();
}

void FrmRBKeikaku::refreshPlan()
{
    const WaitCursor wait;
    try {
        Connection connection;
        connection.open(Schema::connectionText(m_ctx.values().dataFolder()));
        m_plan->setTable(JetCrossTab(m_recordSource).run(connection));
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
    }
}

void FrmRBKeikaku::SetPlanColumns()
{
    const int n = m_plan->columnCount();
    if (n == 0)
        return;
    m_plan->setHeading(0, QStringLiteral("振出先"));
    if (n > 1)
        m_plan->setHeading(1, QStringLiteral("小計"));
    m_plan->setNumberColumns(1, QStringLiteral("##,##0"));
    for (int c = 1; c < n; ++c)
        DataGrid1->setColumnTwips(c, 950);

    // The payee column fits the longest name, within reason.
    const QFontMetrics metrics = DataGrid1->fontMetrics();
    int widest = DataGrid1->horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("振出先")) + 24;
    for (int r = 0; r < m_plan->rowCount(); ++r)
        widest = std::max(widest, metrics.horizontalAdvance(m_plan->text(r, 0)) + 12);
    DataGrid1->setColumnWidth(0, std::min(widest, width() / 3));
}

void FrmRBKeikaku::Command1_Click()
{
    if (Combo1->currentIndex() < 0)
        return;
    ShowPlan();
    SetPlanColumns();
}

void FrmRBKeikaku::Command2_Click()
{
    if (Combo1->currentIndex() < 0)
        return;
    AppValues &values = m_ctx.values();
    values.setReportKeiri(Combo1->currentData().toString());
    values.setReportDate(DTPicker1->date().toString(dateFormat));
    m_ctx.showReport(QStringLiteral("12"));
}

void FrmRBKeikaku::Command3_Click()
{
    close();
}
