#include "Startup.h"

#include "ui/AppValues.h"
#include "DataFolderFile.h"
#include "ui/DialogService.h"
#include "Platform.h"

#include "store/DataFolderBuilder.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace {

const auto title = QStringLiteral("警告");

} // namespace

Startup::Startup(const AppContext &context)
    : m_context(context)
{
}

void Startup::warn(const QString &text)
{
    m_context.dialogs().beep();
    m_context.dialogs().message(text, title, DialogService::Buttons::Ok, DialogService::Icon::Exclamation);
}

bool Startup::ResolveDirPath()
{
    DialogService &dialogs = m_context.dialogs();
    const QString programFolder = m_context.values().programFolder();

    const QString file = DataFolderFile::locate(programFolder);
    if (file.isEmpty()) {
        warn(QStringLiteral("ファイルを開くときにエラーが発生しました。\r\n"
                            "Config.txtをQXRibodo.exeと同じ場所に置いてください。"));
        return false;
    }

    const DataFolderFile::Reading reading = DataFolderFile::read(file);
    if (reading.status == DataFolderFile::Reading::Status::Unreadable) {
        warn(QStringLiteral("データ フォルダの設定ファイルを読み込めません。\n%1\n%2").arg(file, reading.reason));
        return false;
    }
    if (reading.status == DataFolderFile::Reading::Status::Empty) {
        warn(QStringLiteral("データ フォルダの設定ファイルが空です。\n%1\n"
                            "1行目にデータ フォルダのパスを書いてください。")
                     .arg(file));
        return false;
    }

    QString dataFolder = reading.firstField;
    if (dataFolder == QLatin1String("App.Path")) {
        dataFolder = programFolder;
        // A program in a root folder already ends with its separator.
        if (!dataFolder.endsWith(Platform::separator()))
            dataFolder += Platform::separator();
    }
    m_context.values().setDataFolder(dataFolder);

    if (dataFolder.isEmpty()) {
        dialogs.beep();
        dialogs.message(QStringLiteral("ファイルが見つかりません。"), title, DialogService::Buttons::Ok,
                        DialogService::Icon::Critical);
    }
    return true;
}

bool Startup::CheckDatabase()
{
    const QString dataFolder = m_context.values().dataFolder();
    const QString database = Schema::databasePath(dataFolder);
    if (QFileInfo::exists(database))
        return true;

    DialogService &dialogs = m_context.dialogs();
    dialogs.beep();
    const DialogService::Answer answer =
            dialogs.message(QStringLiteral("データベース ファイルがありません。\n%1\n"
                                           "この場所に新しい空のデータベースを作成しますか？")
                                    .arg(QDir::toNativeSeparators(QFileInfo(database).absoluteFilePath())),
                            title, DialogService::Buttons::YesNo, DialogService::Icon::None);
    if (answer != DialogService::Answer::Yes)
        return false;
    try {
        DataFolderBuilder::createDatabase(dataFolder);
    } catch (const StoreError &e) {
        dialogs.beep();
        dialogs.message(QStringLiteral("データベースを作成できません。\n%1").arg(e.text()), title,
                        DialogService::Buttons::Ok, DialogService::Icon::Critical);
        return false;
    }
    return true;
}

bool Startup::UpdateNoteStates()
{
    const QString dataFolder = m_context.values().dataFolder();
    try {
        RibodoClass note;
        note.setDirPath(dataFolder);
        note.CntDb();
        note.setRibodoKDate(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        note.HenkoJ();
    } catch (const StoreError &e) {
        DialogService &dialogs = m_context.dialogs();
        dialogs.beep();
        dialogs.message(QStringLiteral("データベースを開けません。\nファイル: %1\n理由: %2")
                                .arg(QDir::toNativeSeparators(QFileInfo(Schema::databasePath(dataFolder)).absoluteFilePath()),
                                     e.text()),
                        title, DialogService::Buttons::Ok, DialogService::Icon::Critical);
        return false;
    }
    return true;
}
