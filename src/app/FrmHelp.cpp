#include "FrmHelp.h"

#include "ui/AppValues.h"
#include "ui/EscapeKey.h"
#include "Platform.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

FrmHelp::FrmHelp(const AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("FrmHelp"));
    setWindowTitle(QStringLiteral("支払手形管理 ヘルプ"));

    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setOpenLinks(true);
    txtHelp->setOpenExternalLinks(false);
    txtHelp->setSource(QUrl::fromLocalFile(QFileInfo(manualPath(m_context.values().dataFolder())).absoluteFilePath()));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtHelp);
    resize(760, 640);
    EscapeKey::closes(this);
}

QString FrmHelp::helpFilePath(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("help") + Platform::separator() + QStringLiteral("RBHelp.hlp");
}

QString FrmHelp::manualPath(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("help") + Platform::separator() + QStringLiteral("RBHelp.html");
}
