#pragma once

#include <QDate>
#include <QDialog>

class AppContext;
class QDateEdit;
class QLineEdit;
class QPushButton;

// 仕訳出力: writes the journal of a period for the Yayoi accounting package
// (Shift_JIS CSV), with the three account names, which are kept in the
// database for the next time.
class FrmShiwake : public QDialog
{
    Q_OBJECT

public:
    FrmShiwake(AppContext &ctx, const QDate &from, const QDate &to, QWidget *parent);

    // Shows the dialog over `parent`, not blocking; it deletes itself when
    // closed.
    static FrmShiwake *start(AppContext &ctx, const QDate &from, const QDate &to, QWidget *parent);

    QDateEdit *DTStart = nullptr;
    QDateEdit *DTEnd = nullptr;
    // 0 買掛金, 1 支払手形, 2 当座預金 (the names the office uses).
    QLineEdit *TxtKamoku[4] = {};
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    void cmdOK_Click();
    void warn(const QString &text);

    AppContext &m_ctx;
};
