#include "BackupBench.h"

#include "BenchReport.h"
#include "RawSqlite.h"

#include "store/DatabaseBackup.h"
#include "store/DataFolderBuilder.h"
#include "store/Schema.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

void benchBackup(BenchReport &report, const QString &scratchFolder, int notes)
{
    // The store section's database when it is there, else one of the same size.
    QString folder = QDir(scratchFolder).filePath(QStringLiteral("store%1").arg(notes)) + QDir::separator();
    if (!QFileInfo::exists(Schema::databasePath(folder))) {
        folder = QDir(scratchFolder).filePath(QStringLiteral("backup%1").arg(notes)) + QDir::separator();
        DataFolderBuilder::createDatabase(folder);
        RawSqlite db(Schema::databasePath(folder));
        db.run("BEGIN");
        for (int i = 0; i < notes; ++i) {
            const QDate due = QDate(2024, 1, 4).addDays(i % 900);
            db.run("INSERT INTO SiteTbl (TNo, TFDate, TKDate, TBank, TTo, TKingaku, TKubun, TYoto, TCond, TRemarks, TKeiri) "
                   "VALUES (?, ?, ?, ?, ?, ?, '1', '1', '3', '', '1')",
                   {"N" + QByteArray::number(i), due.addDays(-90).toString(Qt::ISODate).toUtf8(),
                    due.toString(Qt::ISODate).toUtf8(), QByteArray::number(1 + i % 5),
                    QByteArray::number(100 + 10 * (i % 12)), QByteArray::number(1000 * (50 + i % 4950))});
        }
        db.run("COMMIT");
    }
    const QString path = Schema::databasePath(folder);
    const QString backups = DatabaseBackup::folder(folder);
    const int runs = 5;
    QDate day(2025, 1, 1);
    const double ours = BenchReport::medianMs(runs, [&] {
        day = day.addDays(1);
        DatabaseBackup::daily(folder, day);
    });
    const QString raw = QDir(scratchFolder).filePath(QStringLiteral("raw-backup.sqlite"));
    const double base = BenchReport::medianMs(runs, [&] {
        QFile::remove(raw);
        RawSqlite(path, true).backupTo(raw);
    });
    const double fileCopy = BenchReport::medianMs(runs, [&] {
        QFile::remove(raw);
        QFile::copy(path, raw);
    });
    QFile::remove(raw);
    report.add(QStringLiteral("backup, %1 notes").arg(notes), QStringLiteral("daily backup"), ours, base,
               QStringLiteral("%1 MB; online copy + quick_check + rename; baseline: raw sqlite3_backup_step(-1); "
                              "plain file copy %2 ms")
                       .arg(QFileInfo(path).size() / 1048576)
                       .arg(fileCopy, 0, 'f', 1));
    QDir(backups).removeRecursively();
}
