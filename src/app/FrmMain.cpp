#include "FrmMain.h"

#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/NamedButton.h"
#include "ui/WindowPlacement.h"
#include "FrmHelp.h"
#include "Platform.h"
#include "ui/WindowRegistry.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QPushButton>

namespace {

constexpr int buttonWidth = 170;
constexpr int buttonHeight = 52;
constexpr int gap = 10;

} // namespace

FrmMain::FrmMain(const AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("支払手形管理"));
    // A panel of fixed size: nothing to maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    // Made in tab order.
    Command1 = addButton("Command1", QStringLiteral("各区分(&K)"));
    Command2 = addButton("Command2", QStringLiteral("振出先(&F)"));
    Command3 = addButton("Command3", QStringLiteral("手形(&T)"));
    Command4 = addButton("Command4", QStringLiteral("銀行(&B)"));
    Command5 = addButton("Command5", QStringLiteral("エクスプローラー(&E)"));
    Command6 = addButton("Command6", QStringLiteral("終わり(&Q)"));
    Command7 = addButton("Command7", QStringLiteral("本日決済(&S)"));
    Command8 = addButton("Command8", QStringLiteral("振出先別一覧(&N)"));
    Command9 = addButton("Command9", QStringLiteral("手形帳(&J)"));
    Command10 = addButton("Command10", QStringLiteral("ヘルプ(&H)"));
    Command11 = addButton("Command11", QStringLiteral("資金繰り(&M)"));
    Command6->setFixedHeight(2 * buttonHeight + gap);

    auto *grid = new QGridLayout(this);
    grid->setSpacing(gap);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(Command4, 0, 0);
    grid->addWidget(Command3, 0, 1);
    grid->addWidget(Command5, 0, 2);
    grid->addWidget(Command10, 0, 3);
    grid->addWidget(Command1, 1, 0);
    grid->addWidget(Command7, 1, 1);
    grid->addWidget(Command8, 1, 2);
    grid->addWidget(Command6, 1, 3, 2, 1);
    grid->addWidget(Command2, 2, 0);
    grid->addWidget(Command11, 2, 1);
    grid->addWidget(Command9, 2, 2);

    const QList<QPushButton *> tabOrder{Command1, Command2, Command3, Command4, Command5,
                                        Command6, Command7, Command8, Command9, Command10, Command11};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));

    connect(Command1, &QPushButton::clicked, this, &FrmMain::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmMain::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &FrmMain::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &FrmMain::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &FrmMain::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &FrmMain::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &FrmMain::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &FrmMain::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &FrmMain::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &FrmMain::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &FrmMain::Command11_Click);

    Form_Load();
}

QPushButton *FrmMain::addButton(const char *name, const QString &caption)
{
    QPushButton *button = NamedButton::create(this, name, caption);
    button->setFixedSize(buttonWidth, buttonHeight);
    return button;
}

void FrmMain::Form_Load()
{
    WindowPlacement::keepTopLeft(this);
    m_context.windows().load(WindowId::FrmCliantU);
}

void FrmMain::Command1_Click()
{
    m_context.windows().show(WindowId::FrmSKbn);
}

void FrmMain::Command2_Click()
{
    QWidget *supplier = m_context.windows().show(WindowId::frmCliant);
    if (!supplier)
        return;
    if (m_supplierWindow != supplier) {
        m_supplierWindow = supplier;
        supplier->installEventFilter(this);
        connect(supplier, &QObject::destroyed, this, &FrmMain::supplierWindowGone);
    }
    hide();
}

void FrmMain::supplierWindowGone()
{
    if (m_supplierWindow) {
        m_supplierWindow->removeEventFilter(this);
        disconnect(m_supplierWindow, nullptr, this, nullptr);
    }
    m_supplierWindow = nullptr;
    show();
}

bool FrmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Shown again while the supplier window is being hidden, not after it
    // is gone, so that the application never sees a moment without a
    // visible window and quits.
    if (watched == m_supplierWindow && event->type() == QEvent::Hide && !event->spontaneous())
        supplierWindowGone();
    return QWidget::eventFilter(watched, event);
}

void FrmMain::Command3_Click()
{
    m_context.windows().show(WindowId::FrmSite);
}

void FrmMain::Command4_Click()
{
    m_context.windows().show(WindowId::FrmBank);
}

void FrmMain::Command5_Click()
{
    m_context.windows().show(WindowId::FrmRbView);
}

void FrmMain::Command6_Click()
{
    m_context.windows().unload(WindowId::FrmCliantU);
    close();
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager as well: the hidden supplier search list
    // goes with the menu.
    m_context.windows().unload(WindowId::FrmCliantU);
    QWidget::closeEvent(event);
}

void FrmMain::Command7_Click()
{
    m_context.windows().show(WindowId::FrmRibodo);
}

void FrmMain::Command8_Click()
{
    m_context.windows().show(WindowId::FrmRBKeikaku);
}

void FrmMain::Command9_Click()
{
    m_context.showReport(QStringLiteral("10"));
}

void FrmMain::Command10_Click()
{
    const QString dataFolder = m_context.values().dataFolder();
    const QString manual = FrmHelp::manualPath(dataFolder);
    if (Platform::isNormalFile(manual)) {
        m_context.windows().show(WindowId::FrmHelp);
        return;
    }
    // The legacy help format has no viewer on today's systems; only the
    // manual beside it can be shown.
    const QString helpFile = FrmHelp::helpFilePath(dataFolder);
    const QString text = Platform::isNormalFile(helpFile)
            ? QStringLiteral("ヘルプ ファイル %1 はこのコンピューターでは表示できません。\n"
                             "同じ場所にマニュアル %2 が見つかりません。")
                      .arg(helpFile, manual)
            : QStringLiteral("ヘルプ ファイルが見つかりません。\n%1").arg(manual);
    m_context.dialogs().message(text, QStringLiteral("警告"), DialogService::Buttons::Ok,
                                DialogService::Icon::Exclamation);
}

void FrmMain::Command11_Click()
{
    m_context.windows().show(WindowId::FrmShikin);
}
