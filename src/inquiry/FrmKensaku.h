#pragma once

#include "store/Connection.h"
#include "ui/NoteHistoryTarget.h"

#include <QColor>
#include <QDate>
#include <QWidget>

#include <optional>

class AppContext;
class BookSearchList;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class StoreError;
class TableGrid;

// The book search "帳簿検索": notes by drawing date, due date and amount
// (each from–to, either end open) and payee (code or part of the name),
// combined with AND; with 「削除・訂正前の内容も含める」 also the earlier
// versions and the deleted notes kept in the change history. Selecting a hit
// shows the note's whole history with the changed fields marked. 印刷 prints
// the corrections and deletions of a period (report 16). Esc closes it.
class FrmKensaku : public QWidget, public NoteHistoryTarget
{
    Q_OBJECT

public:
    explicit FrmKensaku(AppContext &context, QWidget *parent = nullptr);

    void showNoteHistory(const QString &number) override;

    // The colour of a changed field in the history.
    static QColor changedBackground();

private:
    void buildLayout();
    Connection &connection();
    void showHistory(const QString &number, qint64 historyRow);
    void HitChanged();
    // The date typed, none for an empty box; false after telling the user
    // that the text is no date.
    bool readDate(QLineEdit *box, const QString &caption, QDate &date);
    bool readAmount(QLineEdit *box, const QString &caption, std::optional<double> &amount);
    void warn(const QString &text);

    void cmdSearch_Click();
    void cmdPrint_Click();
    void cmdEnd_Click();

    AppContext &m_ctx;
    Connection m_connection;

    QLineEdit *txtFDateFrom = nullptr;
    QLineEdit *txtFDateTo = nullptr;
    QLineEdit *txtKDateFrom = nullptr;
    QLineEdit *txtKDateTo = nullptr;
    QLineEdit *txtKingakuFrom = nullptr;
    QLineEdit *txtKingakuTo = nullptr;
    QLineEdit *txtPayee = nullptr;
    QCheckBox *chkEarlier = nullptr;
    QPushButton *cmdSearch = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdEnd = nullptr;
    QLabel *lblCount = nullptr;
    QLabel *lblHistory = nullptr;
    TableGrid *GridHits = nullptr;
    TableGrid *GridHistory = nullptr;
    BookSearchList *m_hits = nullptr;
    QStandardItemModel *m_history = nullptr;
};
