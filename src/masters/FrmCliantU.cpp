#include "FrmCliantU.h"

#include "ui/SupplierPickTarget.h"

#include "ui/AppValues.h"
#include "ui/DialogService.h"
#include "ui/ExcelSaveButton.h"
#include "ui/QueryTableModel.h"
#include "ui/TableGrid.h"
#include "ui/WindowRegistry.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

FrmCliantU::FrmCliantU(const AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setWindowTitle(QStringLiteral("得意先検索"));

    m_suppliers = new QueryTableModel(this);
    m_suppliers->setHeaders({QStringLiteral("コード"), QStringLiteral("名前")});
    ListView1 = new TableGrid(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(m_suppliers);
    ListView1->setShowGrid(false);
    ListView1->horizontalHeader()->setStretchLastSection(true);
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
    buttons->addWidget(new ExcelSaveButton(context.dialogs(), m_suppliers, this));
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ListView1);
    layout->addLayout(buttons);

    setTabOrder(Command2, Command1);
    setTabOrder(Command1, ListView1);
    resize(380, 440);

    fillList();
    ListView1->setColumnWidth(0, 110);
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
    // The two columns stand even when the suppliers cannot be read.
    m_suppliers->setColumns({QStringLiteral("ClCode"), QStringLiteral("ClName")}, QVector<QVariantList>(2));
    try {
        // The suppliers in the order the supplier record class walks them.
        Connection connection;
        connection.open(Schema::connectionText(m_context.values().dataFolder()));
        m_suppliers->load(connection, QStringLiteral("SELECT ClCode, ClName FROM SireCliant ORDER BY rowid"));
    } catch (const StoreError &e) {
        m_context.dialogs().showStoreError(e);
    }
    // Enter in the list takes a row at once, as the user expects.
    if (m_suppliers->rowCount() > 0)
        ListView1->setCurrentIndex(m_suppliers->index(0, 0));
}

void FrmCliantU::takeSelectedRow()
{
    const QModelIndexList selected = ListView1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    const QString code = m_suppliers->text(row, 0);
    const QString name = m_suppliers->text(row, 1);
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
