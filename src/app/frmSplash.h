#pragma once

#include "ui/AppContext.h"

#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class RegisterLock;

// The start-up window. Once it is on the screen it finds the data folder,
// brings the note states up to date, shows the main menu and closes itself.
// A key press or a click on Frame1 closes it at once.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(const AppContext &context, QWidget *parent = nullptr);
    ~frmSplash() override;

Q_SIGNALS:
    // Start-up is over: with the main menu shown, or ending the application.
    void finished(bool mainMenuShown);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_GotFocus();
    void Frame1_Click();
    void runStartup();

    AppContext m_context;
    bool m_startupRequested = false;
    // Held while the application runs: a restore refuses to run meanwhile.
    std::unique_ptr<RegisterLock> m_lock;
    QFrame *Frame1 = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblCompany = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblCompanyProduct = nullptr;
    QLabel *lbversion = nullptr;
};
