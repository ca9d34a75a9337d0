#include "FrmRbView.h"

#include "ExplorerList.h"
#include "ExplorerPrintMenu.h"
#include "ExplorerQuery.h"
#include "FrmShiwake.h"

#include "ui/ChangeNotice.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DatePicker.h"
#include "ui/DialogService.h"
#include "ui/EscapeKey.h"
#include "ui/ExcelSaveButton.h"
#include "ui/NamedButton.h"
#include "ui/TableGrid.h"
#include "ui/WaitCursor.h"
#include "ui/WindowRegistry.h"
#include "store/BankClass.h"
#include "store/JetSql.h"
#include "store/RibodoKbns.h"
#include "store/Schema.h"
#include "store/SireCliantClass.h"
#include "store/StoreError.h"
#include "store/WorkTable.h"

#include <QShortcut>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QSqlError>
#include <QSqlQuery>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString warningTitle = QStringLiteral("警告");
const QString dateFormat = QStringLiteral("yyyy/MM/dd");

// Adds "code, name" per row; the code text is the item's value, so that
// codes such as A01 or 007 are carried as they are stored.
void addCodeItems(QComboBox *combo, Recordset &rs, const QString &codeColumn, const QString &nameColumn)
{
    if (rs.bof() && rs.eof())
        return;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        const QString code = rs.value(codeColumn).toString();
        combo->addItem(code + QStringLiteral(", ") + rs.value(nameColumn).toString(), code);
    }
}

} // namespace

FrmRbView::FrmRbView(AppContext &ctx, QWidget *parent)
    : QWidget(parent)
    , m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmRbView"));
    setWindowTitle(QStringLiteral("手形エクスプローラー"));
    m_closedImage = style()->standardIcon(QStyle::SP_DirClosedIcon);
    buildLayout();
    EscapeKey::runs(this, [this] { cmdEnd_Click(); });
    Form_Load();
}

FrmRbView::~FrmRbView()
{
    // The controls outlive this part of the window: none may call back into it.
    for (QObject *control : std::initializer_list<QObject *> {TreeView1, Combo2, DTStart})
        control->disconnect(this);
}

void FrmRbView::buildLayout()
{
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setUniformRowHeights(true);
    TreeView1->viewport()->installEventFilter(this);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { TreeView1_NodeClick(current); });
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        // A click on another node has listed already, when it became current.
        if (item == m_nodeAtPress)
            TreeView1_NodeClick(item);
        m_nodeAtPress = nullptr;
    });

    m_list = new ExplorerList(this);
    ListView1 = new TableGrid(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(m_list);
    const int widths[] = {1200, 1300, 2700, 1500, 1200, 2500, 1800};
    for (int i = 0; i < ExplorerList::ColumnCount; ++i)
        ListView1->setColumnTwips(i, widths[i]);
    ListView1->horizontalHeader()->setStretchLastSection(true);

    const auto combo = [this](const char *name) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(18);
        return c;
    };
    ComboF = combo("ComboF");
    ComboB = combo("ComboB");
    Combo2 = combo("Combo2");
    Combo1 = combo("Combo1");
    Combo2->addItem(QStringLiteral("<区分選択なし>"), 0);
    Combo2->addItem(QStringLiteral("1:手形種類"), 1);
    Combo2->addItem(QStringLiteral("2:目的"), 2);
    Combo2->addItem(QStringLiteral("3:手形の状態"), 3);
    Combo2->addItem(QStringLiteral("4:経理区分"), 4);
    Combo2->setCurrentIndex(-1);
    connect(Combo2, &QComboBox::currentIndexChanged, this, &FrmRbView::FillCategoryItems);

    const auto picker = [this](const char *name) {
        auto *d = new DatePicker(this);
        d->setObjectName(QLatin1String(name));
        return d;
    };
    DTStart = picker("DTStart");
    DTEnd = picker("DTEnd");
    connect(DTStart, &QDateEdit::dateChanged, this, &FrmRbView::DTStart_Change);

    cmdGo = NamedButton::create(this, "cmdGo", QStringLiteral("実行(&G)"), &FrmRbView::cmdGo_Click);
    cmdPrint = NamedButton::create(this, "cmdPrint", QStringLiteral("印刷(&P)"), &FrmRbView::cmdPrint_Click);
    cmdEnd = NamedButton::create(this, "cmdEnd", QStringLiteral("終了(&E)"), &FrmRbView::cmdEnd_Click);

    auto *conditions = new QGridLayout;
    const auto field = [&](int row, int column, const QString &caption, QWidget *w) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(w);
        conditions->addWidget(label, row, column * 2);
        conditions->addWidget(w, row, column * 2 + 1);
    };
    conditions->addWidget(new QLabel(QStringLiteral("表示する各条件を選択してください。"), this), 0, 0, 1, 6);
    field(1, 0, QStringLiteral("手形振り出し先"), ComboF);
    field(2, 0, QStringLiteral("支払場所"), ComboB);
    field(1, 1, QStringLiteral("表示開始決済日"), DTStart);
    field(2, 1, QStringLiteral("表示終了決済日"), DTEnd);
    field(1, 2, QStringLiteral("手形の各区分選択"), Combo2);
    field(2, 2, QStringLiteral("各区分の項目"), Combo1);
    conditions->setColumnStretch(1, 1);
    conditions->setColumnStretch(5, 1);
    conditions->setHorizontalSpacing(10);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdGo);
    // The arrow beside 印刷 chooses among the explorer's reports.
    auto *print = new QHBoxLayout;
    print->setSpacing(0);
    print->addWidget(cmdPrint, 1);
    print->addWidget(new ExplorerPrintMenu(m_ctx, cmdPrint, this));
    buttons->addLayout(print);
    buttons->addWidget(cmdEnd);
    buttons->addWidget(ExplorerList::excelSaveButton(m_ctx.dialogs(), m_list, this));
    auto *cmdShiwake = NamedButton::create(this, "cmdShiwake", QStringLiteral("仕訳出力(&J)"));
    connect(cmdShiwake, &QPushButton::clicked, this,
            [this] { FrmShiwake::start(m_ctx, DTStart->date(), DTEnd->date(), this); });
    buttons->addWidget(cmdShiwake);
    auto *cmdZandaka = NamedButton::create(this, "cmdZandaka", QStringLiteral("手形残高(&Z)"));
    connect(cmdZandaka, &QPushButton::clicked, this, [this] { m_ctx.windows().show(WindowId::FrmZandaka); });
    buttons->addWidget(cmdZandaka);
    auto *cmdKensaku = NamedButton::create(this, "cmdKensaku", QStringLiteral("帳簿検索(&B)"));
    connect(cmdKensaku, &QPushButton::clicked, this, [this] { m_ctx.windows().show(WindowId::FrmKensaku); });
    buttons->addWidget(cmdKensaku);
    buttons->addStretch();

    auto *top = new QHBoxLayout;
    top->addLayout(conditions, 1);
    top->addSpacing(16);
    top->addLayout(buttons);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(TreeView1);
    splitter->addWidget(ListView1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({190, 900});
    splitter->setChildrenCollapsible(false);

    lblChanged = new ChangeNotice(m_ctx.values().dataFolder(), this);
    auto *refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refresh, &QShortcut::activated, this, [this] {
        if (!m_shownSql.isEmpty())
            fillList(m_shownSql);
    });

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(splitter, 1);
    outer->addWidget(lblChanged);

    const QList<QWidget *> chain {TreeView1, ListView1, ComboF, ComboB, DTStart, DTEnd,
                                  Combo2,    Combo1,    cmdGo,  cmdPrint, cmdEnd};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
    resize(1120, 660);
}

void FrmRbView::Form_Load()
{
    {
        WaitCursor wait;
        m_today = QDate::currentDate();
        // The start first: moving it moves the end, which then ends on today.
        DTStart->setDate(m_today);
        DTEnd->setDate(m_today);
        FillPayeeList();
        FillBankList();
    }
    auto *root = new QTreeWidgetItem(TreeView1, {QStringLiteral("支払手形")});
    root->setIcon(0, m_closedImage);
    {
        // Current without being clicked: the list stays empty until the user
        // clicks a node, and clicking the root then lists every note.
        const QSignalBlocker quiet(TreeView1);
        TreeView1->setCurrentItem(root, 0, QItemSelectionModel::NoUpdate);
    }
    try {
        FillDueDateTree();
    } catch (const StoreError &e) {
        warn(e);
    }
}

Connection &FrmRbView::connection()
{
    // Opened with the window; a connection that failed is tried again at the
    // next listing, so the window recovers once the database can be read.
    if (!m_connection.isOpen())
        m_connection.open(Schema::connectionText(m_ctx.values().dataFolder()));
    return m_connection;
}

void FrmRbView::FillDueDateTree()
{
    WaitCursor wait;
    QSqlQuery query(connection().database());
    query.setForwardOnly(true);
    if (!query.exec(JetSql::toSqlite(ExplorerQuery::dueDates())))
        throw StoreError(QStringLiteral("決済日の一覧を読めません。"), query.lastError().text());
    QStringList dates;
    while (query.next()) {
        // A note without a due date has no node; the root still lists it.
        const QDate date = JetSql::parseDate(query.value(0).toString());
        if (date.isValid())
            dates.append(date.toString(dateFormat));
    }
    if (query.lastError().isValid())
        throw StoreError(QStringLiteral("決済日の一覧を読めません。"), query.lastError().text());
    query.finish();
    if (dates.isEmpty()) {
        warn(QStringLiteral("手形が1件も登録されていません。"));
        return;
    }
    std::sort(dates.begin(), dates.end());
    QList<QTreeWidgetItem *> nodes;
    nodes.reserve(dates.size());
    for (const QString &date : std::as_const(dates)) {
        auto *node = new QTreeWidgetItem(QStringList {date});
        node->setIcon(0, m_closedImage);
        nodes.append(node);
    }
    QTreeWidgetItem *root = TreeView1->topLevelItem(0);
    root->addChildren(nodes);
    root->setExpanded(true);
    selectNoCategory();
}

void FrmRbView::FillPayeeList()
{
    ComboF->clear();
    ComboF->addItem(QStringLiteral("<振出先全部>"), 0);
    try {
        SireCliantClass suppliers;
        suppliers.setDirPath(m_ctx.values().dataFolder());
        suppliers.CntDb();
        addCodeItems(ComboF, suppliers.RsMcds(), QStringLiteral("ClCode"), QStringLiteral("ClName"));
    } catch (const StoreError &e) {
        warn(e);
    }
    ComboF->setCurrentIndex(0);
}

void FrmRbView::FillBankList()
{
    ComboB->clear();
    ComboB->addItem(QStringLiteral("<銀行全部>"), 0);
    try {
        BankClass banks;
        banks.setDirPath(m_ctx.values().dataFolder());
        banks.CntDb();
        addCodeItems(ComboB, banks.RsEd(), QStringLiteral("KbnCode"), QStringLiteral("KbnName"));
    } catch (const StoreError &e) {
        warn(e);
    }
    ComboB->setCurrentIndex(0);
}

void FrmRbView::FillCategoryItems()
{
    Combo1->clear();
    const int kind = Combo2->currentIndex();
    if (kind <= 0)
        return;
    try {
        RibodoKbns categories;
        categories.setDirPath(m_ctx.values().dataFolder());
        categories.setKbnTblNo(qint16(kind - 1));
        categories.CntDb();
        addCodeItems(Combo1, categories.RsEd(), QStringLiteral("KbnCode"), QStringLiteral("KbnName"));
    } catch (const StoreError &e) {
        warn(e);
    }
    if (Combo1->count() > 0)
        Combo1->setCurrentIndex(0);
}

void FrmRbView::selectNoCategory()
{
    {
        const QSignalBlocker quiet(Combo2);
        Combo2->setCurrentIndex(0);
    }
    FillCategoryItems();
}

void FrmRbView::DTStart_Change(QDate date)
{
    DTEnd->setDate(date.addDays(335));
}

void FrmRbView::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (!node)
        return;
    if (!node->parent()) {
        DTStart->setDate(m_today);
        DTEnd->setDate(m_today);
        ListAllNotes();
    } else {
        m_clickedDate = JetSql::parseDate(node->text(0));
        SelectedDateText = m_clickedDate.toString(dateFormat);
        DTStart->setDate(m_clickedDate);
        DTEnd->setDate(m_clickedDate);
        ListNotesOfDate();
    }
    ComboF->setCurrentIndex(0);
    ComboB->setCurrentIndex(0);
    selectNoCategory();
}

void FrmRbView::ListAllNotes()
{
    fillList(ExplorerQuery::allNotes());
}

void FrmRbView::ListNotesOfDate()
{
    m_explorerSql = ExplorerQuery::notesOfDate(SelectedDateText);
    fillList(m_explorerSql);
}

void FrmRbView::fillList(const QString &jetSql)
{
    try {
        WaitCursor wait;
        m_list->fill(connection(), jetSql);
        m_shownSql = jetSql;
        lblChanged->reset();
    } catch (const StoreError &e) {
        warn(e);
    }
}

double FrmRbView::ListTotal() const
{
    return m_list->total();
}

void FrmRbView::cmdGo_Click()
{
    // Only "<振出先全部>": no supplier is registered, so there is nothing to find.
    if (ComboF->count() == 1)
        return;
    m_payeeCode = ComboF->currentData().toString();
    m_bankCode = ComboB->currentData().toString();
    m_startDateText = DTStart->date().toString(dateFormat);
    m_endDateText = DTEnd->date().toString(dateFormat);
    const bool payee = ComboF->currentIndex() > 0;
    const bool bank = ComboB->currentIndex() > 0;
    if (m_startDateText > m_endDateText) {
        warn(QStringLiteral("集計終了日が開始日より前の日付になっています。"));
        return;
    }
    m_explorerSql = ExplorerQuery::search(payee ? std::optional<QString>(m_payeeCode) : std::nullopt,
                                          bank ? std::optional<QString>(m_bankCode) : std::nullopt, m_startDateText,
                                          m_endDateText);
    if (Combo2->currentIndex() != 0)
        AddCategoryCondition();
    fillList(m_explorerSql);
}

void FrmRbView::AddCategoryCondition()
{
    // A kind whose table has no items has nothing to filter on.
    if (Combo1->currentIndex() < 0)
        return;
    m_explorerSql += ExplorerQuery::categoryCondition(Combo2->currentIndex(), Combo1->currentData().toString());
}

void FrmRbView::cmdPrint_Click()
{
    try {
        CopyListToWorkTable();
    } catch (const StoreError &e) {
        warn(e);
        return;
    }
    m_ctx.showReport(QStringLiteral("9"));
}

void FrmRbView::CopyListToWorkTable()
{
    WaitCursor wait;
    WorkTable::replace(connection(), m_list->noteTexts());
}

void FrmRbView::cmdEnd_Click()
{
    close();
}

bool FrmRbView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TreeView1->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        m_nodeAtPress = TreeView1->currentItem();
    return QWidget::eventFilter(watched, event);
}

void FrmRbView::warn(const QString &text)
{
    m_ctx.dialogs().message(text, warningTitle, DialogService::Buttons::Ok, DialogService::Icon::Critical);
}

void FrmRbView::warn(const StoreError &error)
{
    m_ctx.dialogs().showStoreError(error);
}
