#include "DialogService.h"

#include "store/StoreError.h"

DialogService::Answer DialogService::detailedMessage(const QString &text, const QString &details, const QString &title,
                                                     Buttons buttons, Icon icon)
{
    return message(details.isEmpty() ? text : text + QLatin1Char('\n') + details, title, buttons, icon);
}

QString DialogService::lockedText()
{
    return QStringLiteral("データベース ファイルを他のプログラムが使用しています。\n"
                          "しばらく待ってから、もう一度操作してください。");
}

void DialogService::showStoreError(const StoreError &error)
{
    const QString engine = error.engineMessage();
    const bool locked = engine.contains(QLatin1String("database is locked"), Qt::CaseInsensitive)
            || engine.contains(QLatin1String("database table is locked"), Qt::CaseInsensitive)
            || engine.contains(QLatin1String("database is busy"), Qt::CaseInsensitive);
    const QString text = locked ? error.explanation() + QLatin1Char('\n') + lockedText() : error.explanation();
    detailedMessage(text, engine, QStringLiteral("警告"), Buttons::Ok, Icon::Critical);
}
