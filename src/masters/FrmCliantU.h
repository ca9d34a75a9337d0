#pragma once

#include "ui/AppContext.h"

#include <QPointer>
#include <QWidget>

class QPushButton;
class QueryTableModel;
class TableGrid;
class SupplierPickTarget;

// The supplier search list "得意先検索": the code and name of every supplier,
// read by one statement into a list model once, when the window is loaded,
// so a supplier written later shows from the next load on. Choosing a row
// hands the supplier to the note entry window and hides the list; closing it
// only hides it too, so that it lives until the registry unloads it. Esc
// hides it; a double click takes the row.
class FrmCliantU : public QWidget
{
    Q_OBJECT

public:
    explicit FrmCliantU(const AppContext &context, QWidget *parent = nullptr);

    // The window that receives the chosen supplier in place of the loaded
    // note entry window; nullptr goes back to that window. A target that is
    // also a QObject is forgotten when it is destroyed.
    void setTarget(SupplierPickTarget *target);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void fillList();
    void takeSelectedRow();
    SupplierPickTarget *target() const;

    void Command1_Click();
    void Command2_Click();

    AppContext m_context;
    TableGrid *ListView1 = nullptr;
    QueryTableModel *m_suppliers = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    SupplierPickTarget *m_target = nullptr;
    QPointer<QObject> m_targetObject;
    bool m_targetIsObject = false;
};
