#include "FrmKensaku.h"

#include "BookSearchList.h"
#include "ExplorerPrintMenu.h"

#include "rules/BankBalance.h"
#include "rules/NoteHistory.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "ui/AppContext.h"
#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/EscapeKey.h"
#include "ui/ExcelSaveButton.h"
#include "ui/InputMethod.h"
#include "ui/NamedButton.h"
#include "ui/TableGrid.h"
#include "ui/WaitCursor.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

const QString warningTitle = QStringLiteral("警告");
const QString dateFormat = QStringLiteral("yyyy/MM/dd");

QLineEdit *box(QWidget *parent, const char *name, const QString &placeholder, int width)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setPlaceholderText(placeholder);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0")) * width);
    InputMethod::apply(edit, InputMethod::Mode::Off);
    return edit;
}

// 2026/4/1, 2026-04-01 and 20260401, full-width digits too.
QDate parseDate(const QString &text)
{
    static const QRegularExpression separated(QStringLiteral("^(\\d{4})[/-](\\d{1,2})[/-](\\d{1,2})$"));
    static const QRegularExpression plain(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    const QString t = text.normalized(QString::NormalizationForm_KC).trimmed();
    QRegularExpressionMatch m = separated.match(t);
    if (!m.hasMatch())
        m = plain.match(t);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

QStandardItem *item(const QString &text, bool right = false)
{
    auto *i = new QStandardItem(text);
    if (right)
        i->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return i;
}

} // namespace

FrmKensaku::FrmKensaku(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_ctx(context)
{
    setObjectName(QStringLiteral("FrmKensaku"));
    setWindowTitle(QStringLiteral("帳簿検索"));
    buildLayout();
    resize(1180, 720);
    WindowPlacement::keepTopLeft(this);
    EscapeKey::runs(this, [this] { cmdEnd_Click(); });
    txtFDateFrom->setFocus();
}

QColor FrmKensaku::changedBackground()
{
    return {0xff, 0xe8, 0x9c};
}

void FrmKensaku::buildLayout()
{
    const QString datePlaceholder = QStringLiteral("yyyy/mm/dd");
    txtFDateFrom = box(this, "txtFDateFrom", datePlaceholder, 12);
    txtFDateTo = box(this, "txtFDateTo", datePlaceholder, 12);
    txtKDateFrom = box(this, "txtKDateFrom", datePlaceholder, 12);
    txtKDateTo = box(this, "txtKDateTo", datePlaceholder, 12);
    txtKingakuFrom = box(this, "txtKingakuFrom", QString(), 16);
    txtKingakuTo = box(this, "txtKingakuTo", QString(), 16);
    txtKingakuFrom->setAlignment(Qt::AlignRight);
    txtKingakuTo->setAlignment(Qt::AlignRight);
    txtPayee = new QLineEdit(this);
    txtPayee->setObjectName(QStringLiteral("txtPayee"));
    txtPayee->setPlaceholderText(QStringLiteral("コードまたは名前の一部"));
    InputMethod::apply(txtPayee, InputMethod::Mode::Hiragana);
    chkEarlier = new QCheckBox(QStringLiteral("削除・訂正前の内容も含める(&I)"), this);
    chkEarlier->setObjectName(QStringLiteral("chkEarlier"));

    cmdSearch = NamedButton::create(this, "cmdSearch", QStringLiteral("検索(&S)"), &FrmKensaku::cmdSearch_Click);
    cmdPrint = NamedButton::create(this, "cmdPrint", QStringLiteral("印刷(&P)"), &FrmKensaku::cmdPrint_Click);
    cmdEnd = NamedButton::create(this, "cmdEnd", QStringLiteral("終了(&Q)"), &FrmKensaku::cmdEnd_Click);

    auto *conditions = new QGridLayout;
    int row = 0;
    const auto range = [&](const QString &caption, QLineEdit *from, QLineEdit *to) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(from);
        conditions->addWidget(label, row, 0);
        conditions->addWidget(from, row, 1);
        conditions->addWidget(new QLabel(QStringLiteral("～"), this), row, 2);
        conditions->addWidget(to, row, 3);
        ++row;
    };
    range(QStringLiteral("振出日(&F)"), txtFDateFrom, txtFDateTo);
    range(QStringLiteral("決済日(&D)"), txtKDateFrom, txtKDateTo);
    range(QStringLiteral("金額(&A)"), txtKingakuFrom, txtKingakuTo);
    auto *payeeLabel = new QLabel(QStringLiteral("振出先(&T)"), this);
    payeeLabel->setBuddy(txtPayee);
    conditions->addWidget(payeeLabel, row, 0);
    conditions->addWidget(txtPayee, row, 1, 1, 3);
    ++row;
    conditions->addWidget(chkEarlier, row, 1, 1, 3);
    conditions->setColumnStretch(4, 1);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdSearch);
    buttons->addWidget(cmdPrint);
    m_hits = new BookSearchList(this);
    buttons->addWidget(BookSearchList::excelSaveButton(m_ctx.dialogs(), m_hits, this));
    buttons->addWidget(cmdEnd);
    buttons->addStretch();

    auto *top = new QHBoxLayout;
    top->addLayout(conditions, 1);
    top->addLayout(buttons);

    GridHits = new TableGrid(this);
    GridHits->setObjectName(QStringLiteral("GridHits"));
    GridHits->setModel(m_hits);
    const int widths[] = {1000, 1600, 1300, 1300, 1100, 2800, 1600, 2200};
    for (int i = 0; i < BookSearchList::ColumnCount; ++i)
        GridHits->setColumnTwips(i, widths[i]);
    GridHits->horizontalHeader()->setStretchLastSection(true);
    connect(GridHits->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &FrmKensaku::HitChanged);
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));

    m_history = new QStandardItemModel(this);
    GridHistory = new TableGrid(this);
    GridHistory->setObjectName(QStringLiteral("GridHistory"));
    GridHistory->setModel(m_history);
    lblHistory = new QLabel(QStringLiteral("履歴 (一覧で手形を選んでください)"), this);
    lblHistory->setObjectName(QStringLiteral("lblHistory"));

    auto *upper = new QWidget(this);
    auto *upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(lblCount);
    upperLayout->addWidget(GridHits, 1);
    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(lblHistory);
    lowerLayout->addWidget(GridHistory, 1);
    auto *body = new QSplitter(Qt::Vertical, this);
    body->addWidget(upper);
    body->addWidget(lower);
    body->setSizes({380, 260});
    body->setChildrenCollapsible(false);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(body, 1);

    const QList<QWidget *> chain{txtFDateFrom, txtFDateTo, txtKDateFrom, txtKDateTo, txtKingakuFrom, txtKingakuTo,
                                 txtPayee,     chkEarlier, cmdSearch,    cmdPrint,   GridHits,       GridHistory};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
}

Connection &FrmKensaku::connection()
{
    // A connection that failed is tried again at the next search.
    if (!m_connection.isOpen())
        m_connection.open(Schema::connectionText(m_ctx.values().dataFolder()));
    return m_connection;
}

bool FrmKensaku::readDate(QLineEdit *box, const QString &caption, QDate &date)
{
    date = QDate();
    if (box->text().trimmed().isEmpty())
        return true;
    date = parseDate(box->text());
    if (date.isValid())
        return true;
    warn(QStringLiteral("%1「%2」は日付ではありません。2026/04/01 のように入力してください。").arg(caption, box->text()));
    box->setFocus();
    box->selectAll();
    return false;
}

bool FrmKensaku::readAmount(QLineEdit *box, const QString &caption, std::optional<double> &amount)
{
    amount.reset();
    if (box->text().trimmed().isEmpty())
        return true;
    if (const auto yen = BankBalance::parseYen(box->text())) {
        amount = double(*yen);
        return true;
    }
    warn(QStringLiteral("%1「%2」は金額ではありません。1,000,000 のように入力してください。").arg(caption, box->text()));
    box->setFocus();
    box->selectAll();
    return false;
}

void FrmKensaku::cmdSearch_Click()
{
    BookSearch::Conditions c;
    if (!readDate(txtFDateFrom, QStringLiteral("振出日の開始"), c.drawnFrom)
        || !readDate(txtFDateTo, QStringLiteral("振出日の終了"), c.drawnTo)
        || !readDate(txtKDateFrom, QStringLiteral("決済日の開始"), c.dueFrom)
        || !readDate(txtKDateTo, QStringLiteral("決済日の終了"), c.dueTo)
        || !readAmount(txtKingakuFrom, QStringLiteral("金額の開始"), c.amountFrom)
        || !readAmount(txtKingakuTo, QStringLiteral("金額の終了"), c.amountTo))
        return;
    const auto reversed = [this](bool after, const QString &caption, QLineEdit *from) {
        if (!after)
            return false;
        warn(caption + QStringLiteral("の開始が終了より後になっています。"));
        from->setFocus();
        return true;
    };
    if (reversed(c.drawnFrom.isValid() && c.drawnTo.isValid() && c.drawnFrom > c.drawnTo, QStringLiteral("振出日"),
                 txtFDateFrom)
        || reversed(c.dueFrom.isValid() && c.dueTo.isValid() && c.dueFrom > c.dueTo, QStringLiteral("決済日"),
                    txtKDateFrom)
        || reversed(c.amountFrom && c.amountTo && *c.amountFrom > *c.amountTo, QStringLiteral("金額"),
                    txtKingakuFrom))
        return;
    c.payee = txtPayee->text();
    c.includeEarlier = chkEarlier->isChecked();

    QList<BookSearch::Hit> hits;
    try {
        const WaitCursor wait;
        hits = BookSearch::find(connection(), c);
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    m_history->clear();
    lblHistory->setText(QStringLiteral("履歴 (一覧で手形を選んでください)"));
    m_hits->setHits(std::move(hits));
    lblCount->setText(QStringLiteral("%L1 件").arg(m_hits->rowCount()));
}

void FrmKensaku::HitChanged()
{
    const int row = GridHits->currentRow();
    if (row < 0 || row >= m_hits->hits().size())
        return;
    const BookSearch::Hit &hit = m_hits->hits().at(row);
    showHistory(hit.number, hit.historyRow);
}

void FrmKensaku::showNoteHistory(const QString &number)
{
    showHistory(number, 0);
}

void FrmKensaku::showHistory(const QString &number, qint64 historyRow)
{
    QList<NoteHistory::Entry> entries;
    try {
        entries = NoteHistory::ofNote(connection(), number, historyRow);
    } catch (const StoreError &e) {
        m_ctx.dialogs().showStoreError(e);
        return;
    }
    m_history->clear();
    // What changed comes first, before the note's columns, where it is seen
    // without scrolling.
    QStringList headings{QStringLiteral("日時"), QStringLiteral("操作"), QStringLiteral("変更内容"),
                         QStringLiteral("利用者"), QStringLiteral("操作元")};
    for (const QString &column : NoteHistory::columns())
        headings << NoteHistory::caption(column);
    m_history->setHorizontalHeaderLabels(headings);
    for (const NoteHistory::Entry &e : std::as_const(entries)) {
        QList<QStandardItem *> row{item(QString(e.at).replace(QLatin1Char('-'), QLatin1Char('/'))), item(e.action),
                                   item(NoteHistory::changeText(e)), item(e.user), item(e.source)};
        const QJsonObject shown = e.shown();
        for (const QString &column : NoteHistory::columns()) {
            QStandardItem *cell =
                    item(NoteHistory::valueText(column, shown.value(column)), column == QLatin1String("TKingaku"));
            if (e.changed.contains(column)) {
                cell->setBackground(changedBackground());
                QFont bold = cell->font();
                bold.setBold(true);
                cell->setFont(bold);
                cell->setToolTip(QStringLiteral("変更前: ") + NoteHistory::valueText(column, e.before.value(column)));
            }
            row << cell;
        }
        if (e.isDeletion()) {
            for (QStandardItem *cell : row)
                cell->setForeground(QColor(0xb0, 0x00, 0x00));
        }
        m_history->appendRow(row);
    }
    GridHistory->resizeColumnsToContents();
    lblHistory->setText(entries.isEmpty() ? QStringLiteral("手形番号 %1 の履歴はありません。").arg(number)
                                          : QStringLiteral("手形番号 %1 の履歴 (%2 件、変更された項目は色付き)")
                                                    .arg(number)
                                                    .arg(entries.size()));
}

void FrmKensaku::cmdPrint_Click()
{
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    const QString typed = m_ctx.dialogs().input(
            QStringLiteral("訂正・削除履歴一覧に載せる変更日の期間を入力してください。\n"
                           "（例: 2026/04/01-2026/04/30）"),
            QStringLiteral("訂正・削除履歴一覧"),
            first.toString(dateFormat) + QLatin1Char('-') + first.addMonths(1).addDays(-1).toString(dateFormat));
    if (typed.trimmed().isEmpty())
        return;
    const auto [from, to] = ExplorerPrintMenu::parsePeriod(typed);
    if (!from.isValid() || !to.isValid()) {
        warn(QStringLiteral("期間は「2026/04/01-2026/04/30」のように、開始日と終了日を - でつないで入力してください。"));
        return;
    }
    if (from > to) {
        warn(QStringLiteral("変更日の開始が終了より後になっています。"));
        return;
    }
    m_ctx.values().setReportDate(from.toString(dateFormat));
    m_ctx.values().setReportDateEnd(to.toString(dateFormat));
    m_ctx.showReport(QStringLiteral("16"));
}

void FrmKensaku::cmdEnd_Click()
{
    close();
}

void FrmKensaku::warn(const QString &text)
{
    m_ctx.dialogs().message(text, warningTitle, DialogService::Buttons::Ok, DialogService::Icon::Critical);
}
