#include "MasterWindow.h"

#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/NamedButton.h"
#include "ui/WindowPlacement.h"
#include "store/Recordset.h"
#include "store/RowVersion.h"
#include "store/StoreError.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

MasterWindow::MasterWindow(const AppContext &context, const QString &callCaption, const QString &printCaption,
                           QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    CmdRecorde = NamedButton::create(this, "CmdRecorde", QStringLiteral("登録(&R)"));
    CmdCall = NamedButton::create(this, "CmdCall", callCaption);
    CmdEdit = NamedButton::create(this, "CmdEdit", QStringLiteral("訂正(&E)"));
    CmdDelete = NamedButton::create(this, "CmdDelete", QStringLiteral("削除(&D)"));
    CmdClear = NamedButton::create(this, "CmdClear", QStringLiteral("入力消去(&S)"));
    CmdPrint = NamedButton::create(this, "CmdPrint", printCaption);
    CmdEnd = NamedButton::create(this, "CmdEnd", QStringLiteral("終り(&Q)"));

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    auto *panel1 = new QLabel(this);
    panel1->setMinimumWidth(40);
    m_panel2 = new QLabel(this);
    m_panel2->setObjectName(QStringLiteral("StatusPanel2"));
    StatusBar1->addWidget(panel1);
    StatusBar1->addWidget(m_panel2, 1);

    // Connected here, called on the window's own commands when clicked.
    connect(CmdRecorde, &QPushButton::clicked, this, &MasterWindow::CmdRecorde_Click);
    connect(CmdCall, &QPushButton::clicked, this, &MasterWindow::CmdCall_Click);
    connect(CmdEdit, &QPushButton::clicked, this, &MasterWindow::CmdEdit_Click);
    connect(CmdDelete, &QPushButton::clicked, this, &MasterWindow::CmdDelete_Click);
    connect(CmdClear, &QPushButton::clicked, this, &MasterWindow::CmdClear_Click);
    connect(CmdPrint, &QPushButton::clicked, this, &MasterWindow::CmdPrint_Click);
    connect(CmdEnd, &QPushButton::clicked, this, &QWidget::close);
    // Esc closes the window as 終り does.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, CmdEnd, &QPushButton::click);
    WindowPlacement::keepTopLeft(this);
}

QLayout *MasterWindow::buttonColumn()
{
    auto *column = new QVBoxLayout;
    for (QPushButton *b : {CmdRecorde, CmdCall, CmdEdit, CmdDelete, CmdClear, CmdPrint, CmdEnd})
        column->addWidget(b);
    column->addStretch();
    return column;
}

void MasterWindow::layOutAround(QHBoxLayout *body, int spacing)
{
    body->addSpacing(spacing);
    body->addLayout(buttonColumn());
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(body);
    outer->addWidget(StatusBar1);
}

void MasterWindow::setTabChain(QList<QWidget *> fields)
{
    fields << CmdRecorde << CmdCall << CmdEdit << CmdDelete << CmdClear << CmdPrint << CmdEnd;
    for (qsizetype i = 1; i < fields.size(); ++i)
        setTabOrder(fields.at(i - 1), fields.at(i));
}

void MasterWindow::setButtons(const ButtonStates &states)
{
    CmdRecorde->setEnabled(states.recorde);
    CmdCall->setEnabled(states.call);
    CmdEdit->setEnabled(states.edit);
    CmdDelete->setEnabled(states.del);
    CmdClear->setEnabled(states.clear);
}

void MasterWindow::SetNormalButtons()
{
    setButtons({true, true, false, false, true});
}

void MasterWindow::SetCalledUpButtons()
{
    setButtons({false, true, true, true, true});
}

void MasterWindow::setHint(QWidget *control, const QString &hint)
{
    m_hints.insert(control, hint);
    control->installEventFilter(this);
}

void MasterWindow::startAt(QWidget *control)
{
    // Before the window is shown no focus event comes: the hint is set here.
    control->setFocus();
    m_panel2->setText(m_hints.value(control));
}

bool MasterWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        const auto hint = m_hints.constFind(watched);
        if (hint != m_hints.constEnd())
            m_panel2->setText(*hint);
    }
    return QWidget::eventFilter(watched, event);
}

void MasterWindow::warn(const QString &text)
{
    m_context.dialogs().message(text, QStringLiteral("警告"), DialogService::Buttons::Ok, DialogService::Icon::Critical);
}

bool MasterWindow::refusesQuote(const QString &code)
{
    if (!code.contains(QLatin1Char('\'')))
        return false;
    warn(QStringLiteral("コードに「'」は使えません。"));
    return true;
}

QString MasterWindow::askCode(const QString &prompt, const QString &title)
{
    const QString code = m_context.dialogs().input(prompt, title, QString());
    return refusesQuote(code) ? QString() : code;
}

bool MasterWindow::confirmDelete(const QString &calledUp, const DeleteTexts &texts, const std::function<int()> &uses)
{
    DialogService &dialogs = m_context.dialogs();
    if (calledUp.isEmpty()) {
        dialogs.message(texts.notCalledUp, texts.notCalledUpTitle, DialogService::Buttons::Ok,
                        DialogService::Icon::Critical);
        return false;
    }
    if (dialogs.message(QStringLiteral("コード：") + calledUp + QStringLiteral("を　削除しますか？"), texts.questionTitle,
                        DialogService::Buttons::OkCancel, DialogService::Icon::None)
        == DialogService::Answer::Cancel)
        return false;
    int used = 0;
    if (!guarded([&] { used = uses(); }))
        return false;
    if (used == 0)
        return true;
    // The rows keep the code; lists show it without a name from then on.
    // Lines are broken by hand, so that the message box never wraps one
    // with a word or two left alone.
    const QString question = QStringLiteral("コード：%1 は %2 件の%3で使われています。\n"
                                            "削除しても%3に記録されたコードはそのまま残り、\n"
                                            "一覧では未登録と表示されます。\n"
                                            "削除しますか？")
                                     .arg(calledUp)
                                     .arg(used)
                                     .arg(texts.usedBy);
    return dialogs.message(question, texts.questionTitle, DialogService::Buttons::OkCancel, DialogService::Icon::None)
            != DialogService::Answer::Cancel;
}

QString MasterWindow::checkCodeAndName(const QString &code, const QString &name, const QString &calledUp, bool forEdit,
                                       const std::function<QString()> &duplicateMark,
                                       const std::function<bool()> &refused)
{
    if (code.isEmpty() || name.isEmpty())
        return QStringLiteral("X1");
    if (refusesQuote(code) || (refused && refused()))
        return QStringLiteral("X3");
    if (forEdit && code == calledUp)
        return QString();
    QString mark;
    if (!guarded([&] { mark = duplicateMark(); }))
        return QStringLiteral("E");
    return mark == QLatin1String("x") ? QStringLiteral("X2") : QString();
}

bool MasterWindow::saveChecked(const QString &checkResult, bool edit, const std::function<void()> &save)
{
    if (checkResult == QLatin1String("X1")) {
        warn(QStringLiteral("未入力の項目があります。"));
        return false;
    }
    if (checkResult == QLatin1String("X2")) {
        warn(QStringLiteral("コードが重複しています。"));
        return false;
    }
    if (!checkResult.isEmpty())
        return false;
    m_context.values().setModeFlag(edit ? QStringLiteral("E") : QStringLiteral("R"));
    return guarded(save);
}

void MasterWindow::askClear(const std::function<void()> &clear)
{
    if (m_context.dialogs().message(QStringLiteral("画面のデータを消去しますか？"), QStringLiteral("警告"),
                                    DialogService::Buttons::OkCancel, DialogService::Icon::None)
        == DialogService::Answer::Ok)
        clear();
    SetNormalButtons();
}

bool MasterWindow::guarded(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const StoreError &e) {
        m_context.dialogs().showStoreError(e);
        return false;
    }
}

QTreeWidget *MasterWindow::makeCodeList(QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("ListView1"));
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("コード"), QStringLiteral("区分名")});
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, 110);
    return list;
}

void MasterWindow::clearList(QTreeWidget *list)
{
    list->clear();
}

void MasterWindow::showCalledUp(const CodeBoxes &boxes, const QString &code, const QString &name)
{
    boxes.code->setText(code);
    boxes.calledUp->setText(code);
    boxes.name->setText(name);
    SetCalledUpButtons();
}

void MasterWindow::rememberCalledUp(const QString &code, qint64 version)
{
    m_calledUpCode = code;
    m_calledUpVersion = version;
}

qint64 MasterWindow::calledUpVersion(const QString &calledUp) const
{
    return !calledUp.isEmpty() && calledUp == m_calledUpCode ? m_calledUpVersion : RowVersion::unknown;
}

void MasterWindow::fillCodeList(QTreeWidget *list, Recordset &rs)
{
    if (rs.bof() && rs.eof())
        return;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        new QTreeWidgetItem(list, {rs.value(QStringLiteral("KbnCode")).toString(),
                                   rs.value(QStringLiteral("KbnName")).toString()});
}
