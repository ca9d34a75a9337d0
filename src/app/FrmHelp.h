#pragma once

#include "ui/AppContext.h"

#include <QWidget>

class QTextBrowser;

// The user's manual, shown inside the application: the help file format the
// menu names has no viewer on today's systems, so the manual is HTML. Esc
// closes it.
class FrmHelp : public QWidget
{
    Q_OBJECT

public:
    explicit FrmHelp(const AppContext &context, QWidget *parent = nullptr);

    // Data folder + "help", separator, "RBHelp.hlp": no separator is put
    // between the data folder and "help". The manual, RBHelp.html, lies in
    // the same folder.
    static QString helpFilePath(const QString &dataFolder);
    // The HTML manual shipped beside the help file.
    static QString manualPath(const QString &dataFolder);

protected:

private:
    AppContext m_context;
    QTextBrowser *txtHelp = nullptr;
};
