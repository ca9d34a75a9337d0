#include "DialogService.h"

#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

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

QString DialogService::withLockedNote(const QString &text, const QString &engineMessage)
{
    const bool locked = engineMessage.contains(QLatin1String("database is locked"), Qt::CaseInsensitive)
            || engineMessage.contains(QLatin1String("database table is locked"), Qt::CaseInsensitive)
            || engineMessage.contains(QLatin1String("database is busy"), Qt::CaseInsensitive);
    return locked ? text + QLatin1Char('\n') + lockedText() : text;
}

void DialogService::showStoreError(const StoreError &error)
{
    detailedMessage(withLockedNote(error.explanation(), error.engineMessage()), error.engineMessage(),
                    QStringLiteral("警告"), Buttons::Ok, Icon::Critical);
}

QString DialogService::saveFileName(const QString &, const QString &, const QStringList &, QString *)
{
    return QString();
}

bool DialogService::confirmReplace(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    return message(QStringLiteral("%1 は既に存在します。\n置き換えますか?").arg(QDir::toNativeSeparators(path)),
                   QStringLiteral("名前を付けて保存"), Buttons::YesNoDefaultNo, Icon::Exclamation)
            == Answer::Yes;
}
