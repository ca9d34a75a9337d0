#include "FrmCliantU.h"

#include "ui/SupplierPickTarget.h"

#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/WindowRegistry.h"
#include "store/SireCliantClass.h"
#include "store/StoreError.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

FrmCliantU::FrmCliantU(const AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setWindowTitle(QStringLiteral("得意先検索"));

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({QStringLiteral("コード"), QStringLiteral("名前")});
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->header()->setStretchLastSection(true);
    ListView1->setColumnWidth(0, 110);
    ListView1->installEventFilter(this);

    Command1 = new QPushButton(QStringLiteral("選択(&S)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("終了(&Q)"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    connect(Command1, &QPushButton::clicked, this, &FrmCliantU::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FrmCliantU::Command2_Click);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, &FrmCliantU::takeSelectedRow);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ListView1);
    layout->addLayout(buttons);

    setTabOrder(Command2, Command1);
    setTabOrder(Command1, ListView1);
    resize(380, 440);

    fillList();
}

void FrmCliantU::setTarget(SupplierPickTarget *target)
{
    m_target = target;
    m_targetObject = dynamic_cast<QObject *>(target);
    m_targetIsObject = !m_targetObject.isNull();
}

SupplierPickTarget *FrmCliantU::target() const
{
    if (m_target && !(m_targetIsObject && m_targetObject.isNull()))
        return m_target;
    return dynamic_cast<SupplierPickTarget *>(m_context.windows().window(WindowId::FrmSite));
}

void FrmCliantU::fillList()
{
    ListView1->clear();
    try {
        SireCliantClass suppliers;
        suppliers.setDirPath(m_context.values().dataFolder());
        suppliers.CntDb();
        Recordset &rs = suppliers.RsMcds();
        if (rs.recordCount() != 0) {
            for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
                new QTreeWidgetItem(ListView1, {rs.value(QStringLiteral("ClCode")).toString(),
                                                rs.value(QStringLiteral("ClName")).toString()});
            }
        }
    } catch (const StoreError &e) {
        m_context.dialogs().showStoreError(e);
    }
    // Enter in the list takes a row at once, as the user expects.
    if (QTreeWidgetItem *first = ListView1->topLevelItem(0))
        ListView1->setCurrentItem(first);
}

void FrmCliantU::takeSelectedRow()
{
    const QList<QTreeWidgetItem *> selected = ListView1->selectedItems();
    if (selected.isEmpty())
        return;
    const QString code = selected.first()->text(0);
    const QString name = selected.first()->text(1);
    if (SupplierPickTarget *t = target())
        t->supplierPicked(code, name);
    hide();
}

void FrmCliantU::Command1_Click()
{
    takeSelectedRow();
}

void FrmCliantU::Command2_Click()
{
    hide();
}

bool FrmCliantU::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            hide();
            return true;
        }
        // Every key that types a character takes the row; Tab still moves on.
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (!key->text().isEmpty() && !tab) {
            takeSelectedRow();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmCliantU::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FrmCliantU::showEvent(QShowEvent *event)
{
    Command2->setFocus();
    QWidget::showEvent(event);
}

void FrmCliantU::closeEvent(QCloseEvent *event)
{
    // The list lives for the whole run: closing it only hides it.
    event->ignore();
    hide();
}
