#include "app/AppValues.h"
#include "app/QtDialogService.h"
#include "app/WindowRegistry.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("支払手形管理"));
    placeholder.show();
    return app.exec();
}
