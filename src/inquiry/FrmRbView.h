#pragma once

#include "store/Connection.h"

#include <QDate>
#include <QIcon>
#include <QWidget>

class AppContext;
class ChangeNotice;
class ExplorerList;
class QComboBox;
class QDateEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class StoreError;
class TableGrid;

// The note explorer "手形エクスプローラー": a tree of the due dates under the
// root "支払手形", a list of notes with the totals row "金額計", a search by
// payee, bank, due-date period and one category, and the print of the list
// (report 9 through the work table). It reads the notes on a connection of
// its own, opened with the window; it writes nothing but the work table.
class FrmRbView : public QWidget
{
    Q_OBJECT

public:
    explicit FrmRbView(AppContext &ctx, QWidget *parent = nullptr);
    ~FrmRbView() override;

    // The statement of the latest date listing or search.
    QString ExplorerSql() const { return m_explorerSql; }
    // The sum of the amounts of the current list.
    double ListTotal() const;
    // The conditions of the latest search: the selected items' values
    // ("0" for all payees or all banks) and the period as yyyy/mm/dd.
    QString PayeeCode() const { return m_payeeCode; }
    QString BankCode() const { return m_bankCode; }
    QString StartDateText() const { return m_startDateText; }
    QString EndDateText() const { return m_endDateText; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void Form_Load();
    void FillPayeeList();
    void FillBankList();
    void FillCategoryItems();
    void FillDueDateTree();
    void selectNoCategory();
    void ListAllNotes();
    void ListNotesOfDate();
    void fillList(const QString &jetSql);
    void AddCategoryCondition();
    void CopyListToWorkTable();
    Connection &connection();
    // Messages titled "警告" with the critical icon: every failure here.
    void warn(const QString &text);
    void warn(const StoreError &error);

    void TreeView1_NodeClick(QTreeWidgetItem *node);
    void DTStart_Change(QDate date);
    void cmdGo_Click();
    void cmdPrint_Click();
    void cmdEnd_Click();

    AppContext &m_ctx;
    Connection m_connection;

    QTreeWidget *TreeView1 = nullptr;
    TableGrid *ListView1 = nullptr;
    ExplorerList *m_list = nullptr;
    ChangeNotice *lblChanged = nullptr;
    // The statement of the list shown, listed again on F5.
    QString m_shownSql;
    QComboBox *ComboF = nullptr;
    QComboBox *ComboB = nullptr;
    QDateEdit *DTStart = nullptr;
    QDateEdit *DTEnd = nullptr;
    QComboBox *Combo2 = nullptr;
    QComboBox *Combo1 = nullptr;
    QPushButton *cmdGo = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdEnd = nullptr;
    QIcon m_closedImage;
    // The current node when a mouse press began: a click on it lists again.
    QTreeWidgetItem *m_nodeAtPress = nullptr;

    QDate m_today;
    QDate m_clickedDate;
    QString SelectedDateText;
    QString m_explorerSql;
    QString m_payeeCode;
    QString m_bankCode;
    QString m_startDateText;
    QString m_endDateText;
};
