#pragma once

#include "ui/AppContext.h"

#include <QPointer>
#include <QWidget>

class QPushButton;

// The main menu "支払手形管理": a panel of buttons, each opening one screen,
// the notes book, the help or ending the application.
class FrmMain : public QWidget
{
    Q_OBJECT

public:
    explicit FrmMain(const AppContext &context, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click(); // funding plan

    QPushButton *addButton(const char *name, const QString &caption);
    void supplierWindowGone();

    AppContext m_context;
    // The supplier window while it keeps the menu hidden.
    QPointer<QWidget> m_supplierWindow;

    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command9 = nullptr;
    QPushButton *Command10 = nullptr;
    QPushButton *Command11 = nullptr;
};
