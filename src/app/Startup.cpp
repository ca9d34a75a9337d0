#include "Startup.h"

#include "ui/AppValues.h"
#include "DataFolderFile.h"
#include "FrmHelp.h"
#include "ui/DialogService.h"
#include "Platform.h"

#include "calendar/HolidayFile.h"
#include "store/ChangeSource.h"
#include "store/Connection.h"
#include "store/DatabaseBackup.h"
#include "store/DataFolderBuilder.h"
#include "store/HistoryCheck.h"
#include "exchange/LegacyImport.h"
#include "store/RegisterLock.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/SchemaIndexes.h"
#include "store/SchemaUpgrade.h"
#include "store/ServerConnectionText.h"
#include "store/StoreError.h"
#include "store/TemporaryFiles.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const auto title = QStringLiteral("警告");

} // namespace

Startup::Startup(const AppContext &context)
    : m_context(context)
{
}

Startup::~Startup() = default;

std::unique_ptr<RegisterLock> Startup::takeLock()
{
    return std::move(m_lock);
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

QString Startup::databasePath() const
{
    return Schema::databasePath(m_context.values().dataFolder());
}

bool Startup::readOnly() const
{
    if (onServer())
        return m_serverReadOnly;
    return Connection::isReadOnlyLocation(databasePath());
}

bool Startup::onServer() const
{
    const QString dataFolder = m_context.values().dataFolder();
    return !dataFolder.isEmpty() && !QFileInfo::exists(databasePath()) && ServerConnectionText::existsIn(dataFolder);
}

bool Startup::checkServer()
{
    const QString dataFolder = m_context.values().dataFolder();
    try {
        Connection probe;
        probe.open(Schema::connectionText(dataFolder));
        m_serverReadOnly = probe.isReadOnly();
    } catch (const StoreError &e) {
        warn(e.text());
        return false;
    }
    if (m_serverReadOnly)
        warn(QStringLiteral("このサーバーの台帳は閲覧だけが許されています。\n%1\n"
                            "手形やマスターを見ることと印刷することだけができます。"
                            "登録・訂正・削除はできません。")
                     .arg(ServerConnectionText::fromDataFolder(dataFolder).serverName()));
    return true;
}

bool Startup::checkServerVersion()
{
    const ServerConnectionText server = ServerConnectionText::fromDataFolder(m_context.values().dataFolder());
    int found = 0;
    try {
        Connection c;
        c.open(Schema::connectionText(m_context.values().dataFolder()));
        QSqlQuery &q = c.exec(QStringLiteral("SELECT Version FROM RibodoVersion"));
        if (q.next())
            found = q.value(0).toInt();
        q.finish();
    } catch (const StoreError &e) {
        warn(QStringLiteral("サーバーの台帳の版を読めません。\n%1\n理由: %2").arg(server.serverName(), e.text()));
        return false;
    }
    if (found == Schema::version())
        return true;
    // The server's register is upgraded by its administrator, never by one
    // PC at start while others work on it.
    warn(found > Schema::version()
                 ? QStringLiteral("このサーバーの台帳は新しい版のプログラムで作られているため、開けません。\n%1\n"
                                  "台帳の版: %2　このプログラムが扱える版: %3\n"
                                  "新しい版の QXRibodo で開いてください。台帳には何も書き込んでいません。")
                           .arg(server.serverName(), QString::number(found), QString::number(Schema::version()))
                 : QStringLiteral("このサーバーの台帳は古い版のため、開けません。\n%1\n"
                                  "台帳の版: %2　このプログラムが扱える版: %3\n"
                                  "台帳には何も書き込んでいません。")
                           .arg(server.serverName(), QString::number(found), QString::number(Schema::version())));
    return false;
}

bool Startup::holdRegister()
{
    const QString dataFolder = m_context.values().dataFolder();
    const QString folder = QFileInfo(databasePath()).absolutePath();
    if (!QFileInfo(folder).isDir())
        return true;
    // Taken before a restore is looked for, as a restore takes its own
    // before it looks for programs: one of the two always sees the other.
    m_lock = std::make_unique<RegisterLock>(dataFolder, RegisterLock::Holder::Program);
    if (RegisterLock::restoring(dataFolder)) {
        m_lock.reset();
        warn(QStringLiteral("このデータ フォルダのデータベースを復元しています。\n%1\n"
                            "復元が終わってから、もう一度起動してください。")
                     .arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    // Another program at work here may be writing under a temporary name.
    if (!m_lock->isLocked() || !RegisterLock::programs(dataFolder, m_lock.get()).isEmpty())
        return true;
    TemporaryFiles::removeStale(folder);
    TemporaryFiles::removeStale(DatabaseBackup::folder(dataFolder));
    try {
        if (!DatabaseBackup::finishRestore(dataFolder))
            return true;
    } catch (const StoreError &e) {
        warn(QStringLiteral("中断されたデータベースの復元を完了できません。\n理由: %1").arg(e.text()));
        return false;
    }
    const QStringList kept = DatabaseBackup::keptBeforeRestore(dataFolder);
    QString text = QStringLiteral("中断されていたデータベースの復元を完了しました。\n%1")
                           .arg(QDir::toNativeSeparators(QFileInfo(databasePath()).absoluteFilePath()));
    if (!kept.isEmpty())
        text += QStringLiteral("\n戻す前のデータベース: %1")
                        .arg(QDir::toNativeSeparators(QFileInfo(kept.last()).absoluteFilePath()));
    m_context.dialogs().message(text, QStringLiteral("データベースの復元"), DialogService::Buttons::Ok,
                                DialogService::Icon::Information);
    return true;
}

void Startup::reportDamaged()
{
    const QString dataFolder = m_context.values().dataFolder();
    const QFileInfo database(databasePath());
    const QString latest = DatabaseBackup::latest(dataFolder);
    const QString way = latest.isEmpty()
            ? QStringLiteral("バックアップ フォルダに戻せるバックアップがありません。\n%1")
                      .arg(QDir::toNativeSeparators(QFileInfo(DatabaseBackup::folder(dataFolder)).absoluteFilePath()))
            : QStringLiteral("最新のバックアップ: %1\n"
                             "QXRibodo を閉じたまま次のコマンドを実行すると、このバックアップに戻せます"
                             "（今のデータベースは消さずに残します）。\n"
                             "ribodo-datafolder restore \"%2\" \"%1\"")
                      .arg(QDir::toNativeSeparators(QFileInfo(latest).absoluteFilePath()),
                           QDir::toNativeSeparators(database.absolutePath()));
    DialogService &dialogs = m_context.dialogs();
    dialogs.beep();
    dialogs.message(QStringLiteral("データベースが壊れています。\nファイル: %1\n%2")
                            .arg(QDir::toNativeSeparators(database.absoluteFilePath()), way),
                    title, DialogService::Buttons::Ok, DialogService::Icon::Critical);
}

bool Startup::CheckDatabase()
{
    if (onServer())
        return checkServer();
    if (!holdRegister())
        return false;
    const QString dataFolder = m_context.values().dataFolder();
    const QFileInfo database(databasePath());
    const QString shown = QDir::toNativeSeparators(database.absoluteFilePath());
    const QString folder = QDir::toNativeSeparators(database.absolutePath());
    if (database.exists()) {
        if (readOnly())
            warn(QStringLiteral("データ フォルダが読み取り専用です。\n%1\n"
                                "手形やマスターを見ることと印刷することだけができます。"
                                "登録・訂正・削除はできません。")
                         .arg(folder));
        return true;
    }

    // A moved folder or a drive not connected is reported, never answered
    // with a second, empty register.
    const QFileInfo folderInfo(database.absolutePath());
    if (!folderInfo.isDir()) {
        warn(QStringLiteral("データ フォルダが見つかりません。\n%1\n"
                            "フォルダが移動されたか、ドライブが接続されていない可能性があります。"
                            "RibodoDa.sys の設定とドライブを確かめてから、もう一度起動してください。")
                     .arg(folder));
        return false;
    }
    if (!folderInfo.isWritable()) {
        warn(QStringLiteral("データ フォルダにデータベースがなく、書き込みもできません。\n%1\n"
                            "フォルダの場所と書き込みの権限を確かめてから、もう一度起動してください。")
                     .arg(folder));
        return false;
    }

    const QString legacy = LegacyImport::legacyFileIn(dataFolder);
    if (!legacy.isEmpty()) {
        const Import imported = offerImport(legacy);
        if (imported != Import::Declined)
            return imported == Import::Done;
    }

    DialogService &dialogs = m_context.dialogs();
    dialogs.beep();
    const DialogService::Answer answer =
            dialogs.message(QStringLiteral("このデータ フォルダには既存のデータが見つかりませんでした。\n"
                                           "探した場所: %1\n\n"
                                           "ここに新しい空のデータベースを作成しますか？\n"
                                           "フォルダを移動した場合やドライブが接続されていない場合は"
                                           "「いいえ」を選んでください。")
                                    .arg(shown),
                            title, DialogService::Buttons::YesNoDefaultNo, DialogService::Icon::None);
    if (answer != DialogService::Answer::Yes)
        return false;
    try {
        const ChangeSource::Scope source(QStringLiteral("新規作成"));
        DataFolderBuilder::createDatabase(dataFolder);
    } catch (const StoreError &e) {
        dialogs.beep();
        dialogs.message(QStringLiteral("データベースを作成できません。\n%1").arg(e.text()), title,
                        DialogService::Buttons::Ok, DialogService::Icon::Critical);
        return false;
    }
    return true;
}

namespace {

// A long list is cut in the message and shown whole under 「詳細」.
DialogService::Answer listMessage(DialogService &dialogs, const QString &before, const QString &list,
                                  const QString &after, const QString &caption, DialogService::Buttons buttons,
                                  DialogService::Icon icon)
{
    const int shown = 15;
    const QStringList lines = list.split(u'\n');
    if (lines.size() <= shown)
        return dialogs.message(before + list + after, caption, buttons, icon);
    const QString cut = lines.mid(0, shown).join(u'\n')
            + QStringLiteral("\n…ほか %1 件（「詳細」に全部あります）").arg(lines.size() - shown);
    return dialogs.detailedMessage(before + cut + after, list, caption, buttons, icon);
}

} // namespace

namespace {

// The manual in the folder's help folder, where the help button looks, as a
// new folder made by the data-folder tool has it. A folder that cannot take
// it still starts; the help button then says what is missing.
void writeManual(const QString &dataFolder)
{
    QFile shipped(QStringLiteral(":/help/RBHelp.html"));
    QFile manual(FrmHelp::manualPath(dataFolder));
    if (manual.exists() || !QDir(dataFolder).mkpath(QStringLiteral("help")) || !shipped.open(QIODevice::ReadOnly)
        || !manual.open(QIODevice::WriteOnly))
        return;
    manual.write(shipped.readAll());
}

} // namespace

Startup::Import Startup::offerImport(const QString &legacyFile)
{
    DialogService &dialogs = m_context.dialogs();
    const QString dataFolder = m_context.values().dataFolder();
    const QString shown = QDir::toNativeSeparators(QFileInfo(legacyFile).absoluteFilePath());
    dialogs.beep();
    const DialogService::Answer answer =
            dialogs.message(QStringLiteral("このデータ フォルダには以前の版のデータベースがあります。\n%1\n\n"
                                           "このデータを取り込んで新しいデータベースを作成しますか？\n"
                                           "元のファイルは変更しません。"
                                           "「いいえ」を選ぶと、空のデータベースを作成するかどうかをたずねます。")
                                    .arg(shown),
                            title, DialogService::Buttons::YesNo, DialogService::Icon::None);
    if (answer != DialogService::Answer::Yes)
        return Import::Declined;

    const QString stopped = QStringLiteral("何も書き込んでいません。元のファイルもそのままです。");
    const ChangeSource::Scope source(QStringLiteral("以前の版の取り込み"));
    try {
        LegacyImport::Result result = LegacyImport::importFile(legacyFile, dataFolder, false);
        if (!result.problems.isEmpty()) {
            dialogs.beep();
            listMessage(dialogs, QStringLiteral("次の値は新しいデータベースに入らないため、取り込みを中止しました。%1\n\n").arg(stopped),
                        LegacyImport::problemsText(result), QString(), title, DialogService::Buttons::Ok,
                        DialogService::Icon::Critical);
            return Import::Failed;
        }
        if (!result.written) {
            dialogs.beep();
            const DialogService::Answer renaming = listMessage(
                    dialogs, QStringLiteral("次の行はコードが重なっているため、取り込みを中止しました。%1\n\n").arg(stopped),
                    LegacyImport::duplicatesText(result),
                    QStringLiteral("\n\n重なった行の 2 行目以降を新しいコードに変えて取り込みますか？"), title,
                    DialogService::Buttons::YesNoDefaultNo, DialogService::Icon::None);
            if (renaming != DialogService::Answer::Yes)
                return Import::Failed;
            result = LegacyImport::importFile(legacyFile, dataFolder, true);
        }
        QString list = LegacyImport::countsText(result);
        if (!result.renames.isEmpty())
            list += QStringLiteral("\n\nコードを変えて取り込んだ行:\n") + LegacyImport::renamesText(result);
        if (!result.states.isEmpty())
            list += QStringLiteral("\n\n") + StateMeaning::markedText(result.states);
        if (!result.adjusted.isEmpty())
            list += QStringLiteral("\n\n入力と同じ決まりに合わせて直した値:\n") + LegacyImport::adjustedText(result);
        writeManual(dataFolder);
        listMessage(dialogs, QStringLiteral("以前の版のデータを取り込みました。\n\n"), list, QString(),
                    QStringLiteral("データの取り込み"), DialogService::Buttons::Ok, DialogService::Icon::Information);
        return Import::Done;
    } catch (const StoreError &e) {
        dialogs.beep();
        dialogs.detailedMessage(QStringLiteral("以前の版のデータを取り込めませんでした。\n%1").arg(e.explanation()),
                                e.engineMessage(), title, DialogService::Buttons::Ok, DialogService::Icon::Critical);
        return Import::Failed;
    }
}

bool Startup::UpgradeSchema()
{
    if (onServer())
        return checkServerVersion();
    const QString dataFolder = m_context.values().dataFolder();
    const QString shown = QDir::toNativeSeparators(QFileInfo(databasePath()).absoluteFilePath());
    try {
        const SchemaUpgrade::Result result = SchemaUpgrade::run(dataFolder, QDate::currentDate());
        if (result.outcome == SchemaUpgrade::Outcome::Unreadable) {
            reportDamaged();
            return false;
        }
        if (!result.states.isEmpty()) {
            m_context.dialogs().message(
                    QStringLiteral("データベースを新しい版 (版 %1) に更新しました。\n更新前の写し: %2\n\n%3")
                            .arg(QString::number(Schema::version()),
                                 QDir::toNativeSeparators(QFileInfo(result.backup).absoluteFilePath()),
                                 StateMeaning::markedText(result.states)),
                    QStringLiteral("データベースの更新"), DialogService::Buttons::Ok, DialogService::Icon::Information);
        }
        if (result.outcome != SchemaUpgrade::Outcome::TooNew)
            return true;
        warn(QStringLiteral("このデータベースは新しい版のプログラムで作られているため、開けません。\n%1\n"
                            "データベースの版: %2　このプログラムが扱える版: %3\n"
                            "新しい版の QXRibodo で開いてください。データベースには何も書き込んでいません。")
                     .arg(shown, QString::number(result.found), QString::number(Schema::version())));
        return false;
    } catch (const StoreError &e) {
        // A register on a read-only medium is still worth reading; any other
        // failure ends the start with the file as it was.
        const bool viewOnly = readOnly();
        warn(QStringLiteral("データベースを新しい版 (版 %1) に更新できませんでした。\n%2\n理由: %3\n"
                            "データベースは元のまま変更していません。%4")
                     .arg(Schema::version())
                     .arg(shown, e.text(),
                          viewOnly ? QStringLiteral("閲覧と印刷だけができます。")
                                   : QStringLiteral("書き込みの権限と空き容量を確かめてから、"
                                                    "もう一度起動してください。")));
        return viewOnly;
    }
}

bool Startup::CheckHistory()
{
    const QString dataFolder = m_context.values().dataFolder();
    try {
        Connection probe;
        probe.open(Schema::connectionText(dataFolder));
        // A server register always has its history.
        if (!probe.isServer()) {
            QSqlQuery &q = probe.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = ?"), {Schema::historyTable()});
            const bool kept = q.next();
            q.finish();
            if (!kept)
                return true;
        }
        const HistoryCheck::Result result = HistoryCheck::checkTail(dataFolder);
        if (!result.sound)
            warn(QStringLiteral("変更履歴の検査で異常が見つかりました。\n%1\n"
                                "記録が書き換えられた可能性があります。処理はこのまま続けます。\n"
                                "ribodo-datafolder verify で全体を検証してください。")
                         .arg(result.problem));
    } catch (const StoreError &) {
        // A file that cannot be read is reported by the state update.
    }
    return true;
}

bool Startup::BackUp()
{
    // A server register is copied by its office with pull.
    if (readOnly() || onServer())
        return true;
    const QString dataFolder = m_context.values().dataFolder();
    const QString backups = QDir::toNativeSeparators(QFileInfo(DatabaseBackup::folder(dataFolder)).absoluteFilePath());
    try {
        if (!DatabaseBackup::daily(dataFolder, QDate::currentDate()).isEmpty()) {
            const QString keep = DatabaseBackup::invalidKeep(dataFolder);
            if (!keep.isEmpty())
                warn(QStringLiteral("backup.ini の keep=%1 は 1 から 365 までの数ではないため、"
                                    "決まりの %2 個のバックアップを残しました。\n%3")
                             .arg(keep, QString::number(DatabaseBackup::keepCount(dataFolder)),
                                  QDir::toNativeSeparators(QDir(backups).filePath(QStringLiteral("backup.ini")))));
        }
    } catch (const StoreError &e) {
        if (e.explanation() == DatabaseBackup::diskFullText()) {
            warn(QStringLiteral("ディスクの空き容量が足りないため、本日のバックアップを作成しませんでした。\n%1\n"
                                "処理はこのまま続けます。")
                         .arg(backups));
            return true;
        }
        // A copy found damaged may be the copy's fault or the database's.
        if (e.explanation() == DatabaseBackup::damagedText()) {
            try {
                DatabaseBackup::check(databasePath());
            } catch (const StoreError &) {
                reportDamaged();
                return false;
            }
        }
        warn(QStringLiteral("本日のバックアップを作成できませんでした。\n%1\n理由: %2\n処理はこのまま続けます。")
                     .arg(backups, e.text()));
    }
    return true;
}

bool Startup::UpdateNoteStates()
{
    // A read-only data folder is only looked at: its states stay as they are.
    if (readOnly())
        return true;
    const QString dataFolder = m_context.values().dataFolder();
    // A register made by an earlier version gets the current indexes once.
    // They only make lists faster: when they cannot be built now, the next
    // start tries again, and the state update below reports a real fault.
    try {
        if (!onServer())
            SchemaIndexes::refresh(dataFolder);
    } catch (const StoreError &) {
    }
    try {
        const ChangeSource::Scope source(QStringLiteral("起動時の状態更新"));
        RibodoClass note;
        note.setDirPath(dataFolder);
        note.CntDb();
        note.setRibodoKDate(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        note.HenkoJ();
    } catch (const StoreError &e) {
        DialogService &dialogs = m_context.dialogs();
        dialogs.beep();
        const QString where = onServer()
                ? QStringLiteral("サーバー: %1").arg(ServerConnectionText::fromDataFolder(dataFolder).serverName())
                : QStringLiteral("ファイル: %1").arg(QDir::toNativeSeparators(QFileInfo(Schema::databasePath(dataFolder)).absoluteFilePath()));
        dialogs.message(QStringLiteral("データベースを開けません。\n%1\n理由: %2").arg(where, e.text()),
                        title, DialogService::Buttons::Ok, DialogService::Icon::Critical);
        return false;
    }
    return true;
}

bool Startup::CheckHolidayFile()
{
    const QString problem = HolidayFile::read(m_context.values().dataFolder()).problem();
    if (!problem.isEmpty())
        warn(problem);
    return true;
}
