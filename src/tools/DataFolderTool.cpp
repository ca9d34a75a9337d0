// ribodo-datafolder: creates a data folder for QXRibodo.
//   ribodo-datafolder create <folder>            a new, empty database and
//                                                the manual help/RBHelp.html
//   ribodo-datafolder demo <folder> [notes]      the same with sample data
//   ribodo-datafolder sysfile <program folder> <data folder>
//                                                writes the data-folder file
//   ribodo-datafolder restore <folder> <backup file>
//                                                puts a backup copy back
//   ribodo-datafolder holidays <from-year> <to-year> [--data <folder>]
//                                                lists the national holidays
//   ribodo-datafolder import-mdb <file.mdb> <folder> [--rename-duplicates]
//                                                a new data folder from the
//                                                earlier version's database
//   ribodo-datafolder uchiwake <folder> <yyyy/mm/dd> <out.csv> [--denshi]
//                                                the schedule of notes payable
//                                                at the date as e-Tax CSV
//   ribodo-datafolder verify <folder | connection text>
//                                                checks the register against
//                                                its change history
//   ribodo-datafolder export-all <folder> <out dir>
//                                                every table as CSV with a
//                                                manifest, for hand-over
//   ribodo-datafolder server-init <connection text>
//                                                the register, its history
//                                                and roles in an empty
//                                                PostgreSQL database
//   ribodo-datafolder push <folder> <connection text>
//                                                copies the register with its
//                                                history into an empty one
//   ribodo-datafolder pull <connection text> <folder>
//                                                a SQLite copy of the server's
//                                                register with its history

#include "HolidayListCommand.h"
#include "calendar/BankCalendar.h"
#include "exchange/UchiwakeCsv.h"
#include "rules/TegataZandaka.h"
#include "store/JetSql.h"
#include "store/DatabaseBackup.h"
#include "store/DataFolderBuilder.h"
#include "tools/DemoData.h"
#include "exchange/LegacyImport.h"
#include "exchange/RegisterExport.h"
#include "store/ChangeSource.h"
#include "store/HistoryCheck.h"
#include "store/Schema.h"
#include "store/ServerDatabase.h"
#include "store/ServerPull.h"
#include "store/ServerPush.h"
#include "store/ServerSchema.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

int usage()
{
    std::fputs("usage: ribodo-datafolder create <folder>\n"
               "       ribodo-datafolder demo <folder> [notes]\n"
               "       ribodo-datafolder sysfile <program folder> <data folder>\n"
               "       ribodo-datafolder restore <folder> <backup file>\n"
               "       ribodo-datafolder holidays <from-year> <to-year> [--data <folder>]\n"
               "       ribodo-datafolder import-mdb <file.mdb> <folder> [--rename-duplicates]\n"
               "       ribodo-datafolder uchiwake <folder> <yyyy/mm/dd> <out.csv> [--denshi]\n"
               "       ribodo-datafolder verify <folder | connection text>\n"
               "       ribodo-datafolder export-all <folder> <out dir>\n"
               "       ribodo-datafolder server-init <connection text>\n"
               "       ribodo-datafolder push <folder> <connection text>\n"
               "       ribodo-datafolder pull <connection text> <folder>\n",
               stderr);
    return 2;
}

// The data folder as the application expects it: absolute, native, with a
// trailing separator.
QString dataFolderOf(const QString &argument)
{
    QString folder = QDir::toNativeSeparators(QDir(argument).absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

// The manual in the folder's help folder, where the help button looks.
bool writeManual(const QString &folder)
{
    QFile shipped(QStringLiteral(":/help/RBHelp.html"));
    if (!QDir(folder).mkpath(QStringLiteral("help")) || !shipped.open(QIODevice::ReadOnly))
        return false;
    QFile manual(QDir(folder).filePath(QStringLiteral("help/RBHelp.html")));
    if (!manual.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QTextStream(stderr) << manual.fileName() << ": " << manual.errorString() << Qt::endl;
        return false;
    }
    return manual.write(shipped.readAll()) >= 0;
}

int importMdb(const QString &file, const QString &folder, bool rename)
{
    const LegacyImport::Result result = LegacyImport::importFile(file, folder, rename);
    QTextStream err(stderr);
    if (!result.problems.isEmpty()) {
        err << "次の値は新しいデータベースに入らないため、取り込みを中止しました。何も書き込んでいません。\n"
            << LegacyImport::problemsText(result) << Qt::endl;
        return 1;
    }
    if (!result.written) {
        err << "次の行はコードが重なっているため、取り込みを中止しました。何も書き込んでいません。\n"
            << LegacyImport::duplicatesText(result) << "\n"
            << "重なった行を新しいコードで取り込むには --rename-duplicates を付けてください。" << Qt::endl;
        return 1;
    }
    QTextStream out(stdout);
    if (!writeManual(folder))
        return 1;
    out << folder << "\n" << LegacyImport::countsText(result) << Qt::endl;
    if (!result.renames.isEmpty())
        out << "コードを変えて取り込んだ行:\n" << LegacyImport::renamesText(result) << Qt::endl;
    if (!result.adjusted.isEmpty())
        out << "入力と同じ決まりに合わせて直した値:\n" << LegacyImport::adjustedText(result) << Qt::endl;
    if (!result.skippedColumns.isEmpty())
        out << "取り込まなかった列:\n" << result.skippedColumns.join(u'\n') << Qt::endl;
    return 0;
}

// The register is only read: a folder another program keeps open may be used.
int writeUchiwake(const QStringList &args)
{
    const QDate date = JetSql::parseDate(args.at(2));
    if (!date.isValid() || args.at(2).contains(QLatin1Char('#'))) {
        QTextStream(stderr) << "日付「" << args.at(2) << "」が日付 (yyyy/mm/dd) ではありません。" << Qt::endl;
        return 2;
    }
    const QString folder = dataFolderOf(args.at(1));
    const TegataZandaka balance = TegataZandaka::at(folder, date, BankCalendar(folder));
    const QList<UchiwakeSchedule::Line> lines = UchiwakeSchedule::lines(balance.notes, args.size() == 5);
    const int lost = UchiwakeCsv::write(lines, args.at(3));
    QTextStream out(stdout);
    out << lines.size() << Qt::endl;
    if (lost > 0)
        QTextStream(stderr) << "Shift_JIS にない文字 " << lost << " 字を「?」で書きました。" << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2)
        return usage();
    const QString command = args.at(0);
    if (command == QLatin1String("holidays")) {
        const int code = printHolidays(args.mid(1));
        return code == 2 ? usage() : code;
    }
    // The changes this run makes are recorded as the tool's command's.
    const ChangeSource::Scope source(QStringLiteral("ribodo-datafolder ") + command);
    try {
        if (command == QLatin1String("verify") && args.size() == 2) {
            HistoryCheck::Result result;
            if (args.at(1).startsWith(QLatin1String("Provider="), Qt::CaseInsensitive)) {
                ServerDatabase database(ServerConnectionText::parse(args.at(1)));
                result = HistoryCheck::verify(database);
            } else {
                result = HistoryCheck::verify(dataFolderOf(args.at(1)));
            }
            if (!result.sound) {
                QTextStream(stdout) << "検証結果: 異常\n" << result.problem << Qt::endl;
                return 1;
            }
            QTextStream(stdout) << QStringLiteral("検証結果: 正常 (手形 %1 件, 履歴 %2 件)").arg(result.notes).arg(result.rows)
                                << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("server-init") && args.size() == 2) {
            const ServerConnectionText server = ServerConnectionText::parse(args.at(1));
            ServerDatabase database(server);
            ServerSchema::create(database);
            QTextStream(stdout) << server.text() << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("push") && args.size() == 3) {
            const QString folder = dataFolderOf(args.at(1));
            ServerDatabase database(ServerConnectionText::parse(args.at(2)));
            QTextStream out(stdout);
            for (const auto &[table, rows] : ServerPush::push(folder, database))
                out << table << "\t" << rows << "\n";
            out << database.server().text() << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("pull") && args.size() == 3) {
            ServerDatabase database(ServerConnectionText::parse(args.at(1)));
            const QString folder = dataFolderOf(args.at(2));
            QTextStream out(stdout);
            for (const auto &[table, rows] : ServerPull::pull(database, folder))
                out << table << "\t" << rows << "\n";
            if (!writeManual(folder))
                return 1;
            out << folder << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("export-all") && args.size() == 3) {
            const QList<RegisterExport::File> files = RegisterExport::writeAll(dataFolderOf(args.at(1)), args.at(2));
            QTextStream out(stdout);
            for (const RegisterExport::File &file : files)
                out << file.name << "\t" << file.rows << "\t" << file.sha256 << "\n";
            out << RegisterExport::manifestName() << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("create") || command == QLatin1String("demo")) {
            const QString folder = dataFolderOf(args.at(1));
            if (command == QLatin1String("demo"))
                DemoData::createDemo(folder, args.size() > 2 ? args.at(2).toInt() : 400, QDate::currentDate());
            else
                DataFolderBuilder::createDatabase(folder);
            if (!writeManual(folder))
                return 1;
            QTextStream(stdout) << folder << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("restore") && args.size() == 3) {
            const QString folder = dataFolderOf(args.at(1));
            const QString kept = DatabaseBackup::restore(folder, args.at(2));
            QTextStream out(stdout);
            out << "restored: " << Schema::databasePath(folder) << Qt::endl;
            if (!kept.isEmpty())
                out << "kept: " << kept << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("import-mdb") && (args.size() == 3 || args.size() == 4)) {
            const bool rename = args.size() == 4;
            if (rename && args.at(3) != QLatin1String("--rename-duplicates"))
                return usage();
            return importMdb(args.at(1), dataFolderOf(args.at(2)), rename);
        }
        if (command == QLatin1String("uchiwake") && (args.size() == 4 || args.size() == 5)) {
            if (args.size() == 5 && args.at(4) != QLatin1String("--denshi"))
                return usage();
            return writeUchiwake(args);
        }
        if (command == QLatin1String("sysfile") && args.size() == 3) {
            QFile file(QDir(args.at(1)).filePath(QStringLiteral("RibodoDa.sys")));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                QTextStream(stderr) << file.fileName() << ": " << file.errorString() << Qt::endl;
                return 1;
            }
            file.write("\"" + dataFolderOf(args.at(2)).toUtf8() + "\"\r\n");
            return 0;
        }
    } catch (const StoreError &e) {
        QTextStream(stderr) << e.text() << Qt::endl;
        return 1;
    }
    return usage();
}
