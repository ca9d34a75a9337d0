#include "OfficeCheck.h"

#include "OfficeClient.h"

#include "store/ChangeSource.h"
#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "store/HistoryCheck.h"
#include "store/RibodoClass.h"
#include "store/Schema.h"
#include "store/ServerConnectionText.h"
#include "store/ServerDatabase.h"
#include "store/ServerSchema.h"
#include "store/StoreError.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>
#include <memory>

void OfficeCheck::prepare(const QString &dataFolder, const QString &server)
{
    if (server.isEmpty()) {
        DataFolderBuilder::createDatabase(dataFolder);
    } else {
        ServerDatabase database(ServerConnectionText::parse(server));
        ServerSchema::create(database);
        QFile file(QDir(dataFolder).filePath(ServerConnectionText::fileName()));
        if (!file.open(QIODevice::WriteOnly) || file.write(server.toUtf8() + "\n") <= 0)
            throw StoreError(QStringLiteral("接続ファイルを書けません。"), file.fileName());
    }
    const ChangeSource::Scope scope(QStringLiteral("office-check setup"));
    for (int i = 0; i < OfficeClient::poolSize; i += 2) {
        RibodoClass r;
        r.setDirPath(dataFolder);
        r.CntDb();
        r.setRibodoNo(OfficeClient::poolNumber(i));
        r.setRibodoFDate(QDate(2026, 12, 1));
        r.setRibodoKDate(QDate(2027, 2, 26));
        r.setKingaku(QStringLiteral("500000"));
        r.setJyotai(QStringLiteral("1"));
        r.SaveRs();
    }
}

OfficeCheck::Figures OfficeCheck::run(const QString &program, const QString &dataFolder, const QString &server,
                                      int clients, int actions)
{
    prepare(dataFolder, server);
    Figures figures;
    figures.clients = clients;
    figures.engine = server.isEmpty() ? QStringLiteral("SQLite") : QStringLiteral("PostgreSQL");
    std::vector<std::unique_ptr<QProcess>> processes;
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < clients; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(program, {QStringLiteral("--client"), dataFolder, QString::number(i), QString::number(actions),
                           QString::number(1000 + 7 * i)});
        processes.push_back(std::move(p));
    }
    QList<QStringList> lines;
    for (const auto &p : processes) {
        p->waitForFinished(-1);
        const QStringList out = QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &line : out)
            lines << line.split(QLatin1Char('\t'));
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0)
            figures.problems << QStringLiteral("a client ended with status %1").arg(p->exitCode());
    }
    figures.seconds = double(wall.nsecsElapsed()) / 1e9;
    figures.actions = int(lines.size());
    check(dataFolder, lines, figures);
    return figures;
}

namespace {

qint64 single(Connection &c, const QString &sql, const QVariantList &values)
{
    QSqlQuery &q = c.exec(sql, values);
    const qint64 value = q.next() && !q.value(0).isNull() ? q.value(0).toLongLong() : -1;
    q.finish();
    return value;
}

} // namespace

void OfficeCheck::check(const QString &dataFolder, const QList<QStringList> &lines, Figures &figures)
{
    Connection c;
    c.open(Schema::connectionText(dataFolder));
    const auto problem = [&](const QString &text) {
        if (figures.problems.size() < 5)
            figures.problems << text;
    };
    for (const QStringList &f : lines) {
        if (f.size() < 6)
            continue;
        const QString &action = f.at(0);
        const QString &outcome = f.at(2);
        const QString &number = f.at(3);
        const qint64 version = f.at(4).toLongLong();
        const QString &source = f.at(5);
        figures.milliseconds[action].push_back(f.at(1).toDouble() / 1000.0);
        ++figures.outcomes[outcome];
        if (action == QLatin1String("search") || action == QLatin1String("callup"))
            continue;
        const qint64 rows = single(c, QStringLiteral("SELECT COUNT(*) FROM RirekiTbl WHERE RSource = ?"), {source});
        if (outcome != QLatin1String("ok")) {
            if (rows != 0)
                problem(QStringLiteral("%1 %2 was refused (%3) but left %4 history rows").arg(action, number, outcome).arg(rows));
            continue;
        }
        if (rows != 1) {
            ++figures.lostUpdates;
            problem(QStringLiteral("%1 %2 succeeded but left %3 history rows").arg(action, number).arg(rows));
            continue;
        }
        if (action == QLatin1String("register"))
            continue;
        // The change must follow the very version its PC called up.
        const qint64 row = single(c, QStringLiteral("SELECT RNo FROM RirekiTbl WHERE RSource = ?"), {source});
        const qint64 previous = single(c,
                                       QStringLiteral("SELECT MAX(RNo) FROM RirekiTbl WHERE RTable = 'SiteTbl' AND RNo < ? "
                                                      "AND (RKey = ? COLLATE NOCASE OR RTNo = ? COLLATE NOCASE)"),
                                       {row, number, number});
        if (previous != version) {
            ++figures.lostUpdates;
            problem(QStringLiteral("%1 %2 (history row %3) overwrote row %4; it had called up row %5")
                            .arg(action, number)
                            .arg(row)
                            .arg(previous)
                            .arg(version));
        }
    }
    // Registrations and deletions of each number must alternate.
    QHash<QString, bool> held;
    QSqlQuery &history = c.exec(QStringLiteral("SELECT RKey, RAction, RNo FROM RirekiTbl WHERE RTable = 'SiteTbl' "
                                               "AND RAction IN ('開始', '登録', '削除') ORDER BY RNo"));
    while (history.next()) {
        const QString key = history.value(0).toString().toUpper();
        const bool adding = history.value(1).toString() != QStringLiteral("削除");
        if (adding && held.value(key)) {
            ++figures.duplicateNumbers;
            problem(QStringLiteral("%1 registered twice (history row %2)").arg(key).arg(history.value(2).toLongLong()));
        }
        held[key] = adding;
    }
    history.finish();
    const qint64 twice = single(c, QStringLiteral("SELECT COUNT(*) FROM (SELECT lower(TNo) FROM SiteTbl GROUP BY lower(TNo) "
                                                  "HAVING COUNT(*) > 1) t"),
                                {});
    figures.duplicateNumbers += int(std::max<qint64>(0, twice));
    const HistoryCheck::Result verified = HistoryCheck::verify(dataFolder);
    figures.verified = verified.sound ? QStringLiteral("sound") : verified.problem;
}

void OfficeCheck::print(const QList<Figures> &runs)
{
    QTextStream out(stdout);
    const auto percentile = [](std::vector<double> v, double p) {
        if (v.empty())
            return 0.0;
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
    };
    out << "| engine | clients | actions | seconds | actions/s | conflicts shown | numbers refused | lost updates | duplicate numbers | errors | verify |\n"
        << "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
    for (const Figures &f : runs) {
        const auto count = [&](const char *outcome) {
            const auto it = f.outcomes.find(QLatin1String(outcome));
            return it == f.outcomes.end() ? 0 : it->second;
        };
        out << "| " << f.engine << " | " << f.clients << " | " << f.actions << " | " << QString::number(f.seconds, 'f', 1) << " | "
            << QString::number(f.actions / f.seconds, 'f', 0) << " | " << count("conflict") << " | "
            << count("duplicate") + count("exists") << " | " << f.lostUpdates << " | " << f.duplicateNumbers << " | "
            << count("error") << " | " << f.verified << " |\n";
    }
    out << "\n| engine | clients | action | count | p50 ms | p99 ms |\n|---|---:|---|---:|---:|---:|\n";
    for (const Figures &f : runs) {
        for (const auto &[action, ms] : f.milliseconds)
            out << "| " << f.engine << " | " << f.clients << " | " << action << " | " << ms.size() << " | "
                << QString::number(percentile(ms, 0.5), 'f', 2) << " | " << QString::number(percentile(ms, 0.99), 'f', 2)
                << " |\n";
    }
    for (const Figures &f : runs) {
        for (const QString &p : f.problems)
            out << "\n" << f.engine << ", " << f.clients << " clients: " << p;
    }
    out << Qt::endl;
}
