#include "frmSplash.h"

#include "Startup.h"
#include "VersionLabel.h"
#include "store/RegisterLock.h"
#include "ui/WindowRegistry.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPixmap logoPicture()
{
    QPixmap picture(96, 96);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath sheet;
    sheet.addRoundedRect(QRectF(6, 14, 84, 68), 8, 8);
    p.fillPath(sheet, QColor(0x1f, 0x4e, 0x79));
    p.setPen(QPen(QColor(0xd9, 0xa4, 0x41), 3));
    p.drawRoundedRect(QRectF(12, 20, 72, 56), 5, 5);
    QFont font = p.font();
    font.setPixelSize(40);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(6, 14, 84, 68), Qt::AlignCenter, QStringLiteral("手"));
    return picture;
}

} // namespace

frmSplash::frmSplash(const AppContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_context(context)
{
    setObjectName(QStringLiteral("frmSplash"));
    // The window itself takes the focus: it has no control that could.
    setFocusPolicy(Qt::StrongFocus);
    // Closing the splash must not end the application while the main menu
    // is still to come.
    setAttribute(Qt::WA_QuitOnClose, false);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Raised);
    Frame1->setLineWidth(2);
    Frame1->installEventFilter(this);

    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(logoPicture());

    lblCompany = new QLabel(QStringLiteral("経理部 業務システム"), Frame1);
    lblCompany->setObjectName(QStringLiteral("lblCompany"));

    lblProductName = new QLabel(QStringLiteral("支払手形管理 QXRibodo"), Frame1);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont productFont = lblProductName->font();
    productFont.setPointSizeF(productFont.pointSizeF() * 2);
    productFont.setBold(true);
    lblProductName->setFont(productFont);

    lblCompanyProduct = new QLabel(QStringLiteral("起動処理中！しばらくお待ちください。"), Frame1);
    lblCompanyProduct->setObjectName(QStringLiteral("lblCompanyProduct"));

    lbversion = new QLabel(QStringLiteral("Label1"), Frame1);
    lbversion->setObjectName(QStringLiteral("lbversion"));
    lbversion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *textBox = new QWidget(Frame1);
    auto *text = new QVBoxLayout(textBox);
    text->setContentsMargins(0, 0, 0, 0);
    text->addWidget(lblCompany);
    text->addStretch(1);
    text->addWidget(lblProductName);
    text->addStretch(1);
    text->addWidget(lblCompanyProduct);
    text->addWidget(lbversion);

    auto *inner = new QHBoxLayout(Frame1);
    inner->setContentsMargins(24, 20, 24, 16);
    inner->setSpacing(24);
    inner->addWidget(imgLogo, 0, Qt::AlignTop);
    inner->addWidget(textBox, 1);

    // A click anywhere on the frame is a click on Frame1.
    const QList<QWidget *> inside = Frame1->findChildren<QWidget *>();
    for (QWidget *child : inside)
        child->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Frame1);

    setFixedSize(520, 240);
    Form_Load();
}

frmSplash::~frmSplash() = default;

void frmSplash::Form_Load()
{
    lbversion->setText(VersionLabel::current());
    if (const QScreen *s = screen()) {
        QRect placed = rect();
        placed.moveCenter(s->availableGeometry().center());
        move(placed.topLeft());
    }
}

void frmSplash::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    Form_GotFocus();
}

void frmSplash::Form_GotFocus()
{
    // Started once, after the event that asked for it has been handled, so
    // that the messages of start-up never open inside a paint or focus event.
    if (m_startupRequested)
        return;
    m_startupRequested = true;
    QMetaObject::invokeMethod(this, &frmSplash::runStartup, Qt::QueuedConnection);
}

void frmSplash::runStartup()
{
    QCoreApplication::processEvents();
    Startup startup(m_context);
    const bool ok = startup.ResolveDirPath() && startup.CheckDatabase() && startup.UpgradeSchema() && startup.BackUp()
            && startup.UpdateNoteStates() && startup.CheckHolidayFile()
            && m_context.windows().show(WindowId::FrmMain) != nullptr;
    m_lock = startup.takeLock();
    close();
    Q_EMIT finished(ok);
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    // Closed before its work began, the splash still hands over to the
    // main menu.
    Form_GotFocus();
    close();
}

void frmSplash::Frame1_Click()
{
    Form_GotFocus();
    close();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Frame1) {
        if (event->type() == QEvent::MouseButtonRelease)
            Frame1_Click();
        // Some desktops never give a new window the focus; the first paint
        // then starts the work, so that nobody is left waiting at the splash.
        else if (event->type() == QEvent::Paint)
            Form_GotFocus();
    }
    return QWidget::eventFilter(watched, event);
}
