#include "HistoryCheck.h"

#include "Connection.h"
#include "DatabaseBackup.h"
#include "HistoryFunctions.h"
#include "HistoryTriggers.h"
#include "Schema.h"
#include "ServerConnectionText.h"
#include "ServerDatabase.h"
#include "ServerReader.h"
#include "ServerSchema.h"
#include "ServerSnapshot.h"
#include "StatementReader.h"
#include "StoreError.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <memory>

namespace {

// The columns of a history row in the order its hash takes them, then the
// hash itself.
const char *const chainColumns = "RNo, RAt, RUser, RSource, RAction, RTable, RKey, RBefore, RAfter, RTNo, RTFDate, "
                                 "RTKDate, RTTo, RTKingaku, RPrev, RHash";
constexpr int hashedCount = 15;
constexpr int prevColumn = 14;
constexpr int hashColumn = 15;

QByteArray rowHash(const RowReader &row)
{
    HistoryFunctions::Hash hash;
    for (int i = 0; i < hashedCount; ++i) {
        switch (row.type(i)) {
        case RowReader::Type::Null:
            hash.addNull();
            break;
        case RowReader::Type::Integer:
            hash.addInteger(row.integer(i));
            break;
        // An amount the server keeps as an exact number: it hashed the
        // shortest text of the same double.
        case RowReader::Type::Real:
            hash.addReal(row.real(i));
            break;
        default:
            hash.addText(row.utf8(i));
        }
    }
    return hash.result();
}

QString text(const RowReader &row, int column)
{
    return QString::fromUtf8(row.utf8(column));
}

HistoryCheck::Result failed(const QString &problem)
{
    HistoryCheck::Result result;
    result.sound = false;
    result.problem = problem;
    return result;
}

// Checks the links of the rows read: each hash recomputed, each previous
// hash equal to the row before. `previous` carries over between calls.
QString chainProblem(const RowReader &row, qint64 &previousNo, QByteArray &previousHash, bool first)
{
    const qint64 no = row.integer(0);
    if (!first && no != previousNo + 1)
        return QStringLiteral("履歴 No.%1 の次が No.%2 です。間の履歴が失われています。").arg(previousNo).arg(no);
    if (!first || !previousHash.isNull()) {
        if (row.utf8(prevColumn) != QByteArrayView(previousHash))
            return QStringLiteral("履歴 No.%1 (表 %2, キー %3) が前の履歴 No.%4 とつながっていません。")
                    .arg(no)
                    .arg(text(row, 5), text(row, 6))
                    .arg(previousNo);
    }
    const QByteArray stored = row.utf8(hashColumn).toByteArray();
    if (rowHash(row) != stored)
        return QStringLiteral("履歴 No.%1 (表 %2, キー %3) の内容が書き換えられています。")
                .arg(no)
                .arg(text(row, 5), text(row, 6));
    previousNo = no;
    previousHash = stored;
    return QString();
}

// The newest row of the history in a copy, when it has one.
struct Head
{
    qint64 no = 0;
    QByteArray hash;
};

Head headOf(const QString &copy)
{
    Head head;
    Connection connection;
    connection.open(QStringLiteral("Provider=SQLite;Data Source=") + copy);
    StatementReader has(connection, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'RirekiTbl'"));
    if (!has.next() || has.integer(0) == 0)
        return head;
    StatementReader last(connection, QStringLiteral("SELECT RNo, RHash FROM RirekiTbl ORDER BY RNo DESC LIMIT 1"));
    if (last.next()) {
        head.no = last.integer(0);
        head.hash = last.utf8(1).toByteArray();
    }
    return head;
}

// Every daily copy made since the last restore (a restore takes the rows
// after its copy away on purpose, and keeps the file it replaced) must have
// its newest row in the register, unchanged.
QString headProblem(Connection &connection, const QString &dataFolder)
{
    const QDir folder(DatabaseBackup::folder(dataFolder));
    const QFileInfo restored(Schema::databasePath(dataFolder) + QStringLiteral(".before-restore"));
    const QFileInfoList copies = folder.entryInfoList({QStringLiteral("dbRibodo-*.sqlite")}, QDir::Files,
                                                      QDir::Name | QDir::Reversed);
    for (const QFileInfo &copy : copies) {
        if (restored.exists() && copy.lastModified() <= restored.lastModified())
            continue;
        Head head;
        try {
            head = headOf(copy.filePath());
        } catch (const StoreError &) {
            continue; // a damaged copy is the backup's own concern
        }
        if (head.no <= 0)
            continue;
        StatementReader row(connection, QStringLiteral("SELECT RHash FROM RirekiTbl WHERE RNo = ?"), {head.no});
        if (!row.next())
            return QStringLiteral("バックアップ %1 の時点にあった履歴 No.%2 がありません。最新の履歴が失われています。")
                    .arg(copy.fileName())
                    .arg(head.no);
        if (row.utf8(0) != QByteArrayView(head.hash))
            return QStringLiteral("履歴 No.%1 がバックアップ %2 の時点と異なります。").arg(head.no).arg(copy.fileName());
    }
    return QString();
}

// The register the check reads, in the SQLite file or on the server: the
// statements that differ between the engines, and the rows read the same
// way from both.
class Source
{
public:
    struct Column
    {
        QString name;
        QString defaultValue; // SQLite's text; empty when none
    };

    virtual ~Source() = default;
    virtual std::unique_ptr<RowReader> read(const QString &sql, const QVariantList &values = {}) = 0;
    virtual QList<Column> columns(const QString &table) = 0;
    // A value of a JSON object's text, as text.
    virtual QString jsonField(const QString &json, const QString &key) const = 0;
    // The row's values as the history's triggers write them.
    virtual QString rowObject(const QStringList &columns) const = 0;
    virtual QString keyPart(const QString &column) const = 0;
    // True when the history's objects may be written in more than one way
    // (a register pushed from SQLite writes its numbers otherwise than the
    // server): objects are then compared by their values, not their text.
    virtual bool mixedObjects() const = 0;
};

class SqliteSource : public Source
{
public:
    explicit SqliteSource(Connection &connection)
        : m_connection(connection)
    {
    }
    std::unique_ptr<RowReader> read(const QString &sql, const QVariantList &values) override
    {
        return std::make_unique<StatementReader>(m_connection, sql, values);
    }
    QList<Column> columns(const QString &table) override
    {
        QList<Column> result;
        StatementReader columns(m_connection, QStringLiteral("SELECT name, dflt_value FROM pragma_table_info(?)"),
                                {table});
        while (columns.next())
            result << Column{text(columns, 0), columns.type(1) == RowReader::Type::Null ? QString() : text(columns, 1)};
        return result;
    }
    QString jsonField(const QString &json, const QString &key) const override
    {
        return QStringLiteral("json_extract(%1, '$.%2')").arg(json, key);
    }
    QString rowObject(const QStringList &columns) const override
    {
        QStringList pairs;
        for (const QString &column : columns)
            pairs << QStringLiteral("'%1', %1").arg(column);
        return QStringLiteral("json_object(%1)").arg(pairs.join(QStringLiteral(", ")));
    }
    QString keyPart(const QString &column) const override { return column; }
    // A register pulled from the server holds objects in its form too, but
    // the lookup of the older object that settles those is cheap here.
    bool mixedObjects() const override { return false; }

private:
    Connection &m_connection;
};

class ServerSource : public Source
{
public:
    explicit ServerSource(ServerDatabase &server)
        : m_server(server)
    {
    }
    std::unique_ptr<RowReader> read(const QString &sql, const QVariantList &values) override
    {
        return std::make_unique<ServerReader>(m_server, sql, values);
    }
    // The server's columns are the program's own (the register is made
    // from Schema).
    QList<Column> columns(const QString &table) override
    {
        QList<Column> result;
        for (const ServerSchema::Column &column : ServerSchema::columns(table))
            result << Column{column.name, column.defaultValue};
        return result;
    }
    QString jsonField(const QString &json, const QString &key) const override
    {
        return QStringLiteral("(%1::json ->> '%2')").arg(json, key);
    }
    QString rowObject(const QStringList &columns) const override { return ServerSchema::rowObject(columns); }
    QString keyPart(const QString &column) const override { return column + QStringLiteral("::text"); }
    bool mixedObjects() const override { return true; }

private:
    ServerDatabase &m_server;
};

// The replayed state of one row: a digest of its values and the history row
// that gave them.
struct State
{
    size_t digest = 0;
    qint64 no = 0;
};

class Replay
{
public:
    explicit Replay(Source &source)
        : m_source(source)
        , m_seed(QRandomGenerator::global()->generate64())
        , m_byValue(source.mixedObjects())
    {
        for (const QString &table : Schema::historyTables()) {
            QHash<QString, QJsonValue> defaults;
            for (const Source::Column &column : source.columns(table))
                defaults.insert(column.name, defaultValue(column.defaultValue));
            m_defaults.insert(table, defaults);
        }
    }

    size_t digest(QByteArrayView json) const
    {
        if (!m_byValue)
            return qHashBits(json.data(), size_t(json.size()), m_seed);
        // One text for the same values: keys in order, numbers as doubles.
        const QByteArray canonical = QJsonDocument(object(json)).toJson(QJsonDocument::Compact);
        return qHashBits(canonical.constData(), size_t(canonical.size()), m_seed);
    }

    // The first column whose value differs, naming both values; empty when
    // they agree. A column the older object lacks was added later and holds
    // its default there.
    QString difference(const QString &table, const QJsonObject &older, const QJsonObject &newer) const
    {
        const QHash<QString, QJsonValue> defaults = m_defaults.value(table);
        for (auto it = newer.begin(); it != newer.end(); ++it) {
            const QJsonValue was = older.contains(it.key()) ? older.value(it.key()) : defaults.value(it.key());
            if (was != it.value())
                return QStringLiteral("列 %1 (%2) が %3 から %4 に").arg(it.key(), Schema::columnCaption(it.key()),
                                                                  shown(was), shown(it.value()));
        }
        for (auto it = older.begin(); it != older.end(); ++it) {
            if (!newer.contains(it.key()))
                return QStringLiteral("列 %1 がなくなって").arg(it.key());
        }
        return QString();
    }

    QJsonObject after(qint64 no) const
    {
        const std::unique_ptr<RowReader> row =
                m_source.read(QStringLiteral("SELECT RAfter FROM RirekiTbl WHERE RNo = ?"), {no});
        return row->next() ? object(row->utf8(0)) : QJsonObject();
    }

    static QJsonObject object(QByteArrayView json)
    {
        return QJsonDocument::fromJson(json.toByteArray()).object();
    }

private:
    static QJsonValue defaultValue(const QString &sql)
    {
        if (sql.isEmpty() || sql.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
            return QJsonValue(QJsonValue::Null);
        if (sql.startsWith(QLatin1Char('\'')))
            return sql.mid(1, sql.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        bool number = false;
        const double value = sql.toDouble(&number);
        return number ? QJsonValue(value) : QJsonValue(sql);
    }

    static QString shown(const QJsonValue &value)
    {
        if (value.isNull() || value.isUndefined())
            return QStringLiteral("(空)");
        if (value.isDouble())
            return QString::number(value.toDouble(), 'g', 15);
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    }

    Source &m_source;
    size_t m_seed;
    bool m_byValue;
    QHash<QString, QHash<QString, QJsonValue>> m_defaults;
};

// The key of the row before the change, from the object of its values.
QString keyBeforeExpression(const Source &source)
{
    QString cases = QStringLiteral("CASE RTable");
    for (const QString &table : Schema::historyTables()) {
        QStringList parts;
        for (const QString &column : Schema::historyKeyColumns(table))
            parts << source.jsonField(QStringLiteral("RBefore"), column);
        cases += QStringLiteral(" WHEN '%1' THEN %2").arg(table, parts.join(QStringLiteral(" || ' ' || ")));
    }
    return cases + QStringLiteral(" END");
}

QString mapKey(const QString &table, const QString &key)
{
    return table + QChar(0x1f) + key;
}

QString describeRow(const QString &table, const QString &key)
{
    return QStringLiteral("表 %1 のキー %2 の行").arg(table, key);
}

} // namespace

HistoryCheck::Result HistoryCheck::checkTail(const QString &dataFolder, int rows)
{
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    // A server's triggers belong to its owner role, and its copies are the
    // office's pulls, not the data folder's daily copies: only the chain is
    // read there.
    const bool server = connection.isServer();
    if (!server && !HistoryTriggers::complete(connection))
        return failed(QStringLiteral("変更履歴を記録するトリガーの一部がありません。"));
    StatementReader tail(connection,
                         QStringLiteral("SELECT %1 FROM RirekiTbl WHERE RNo >= IFNULL((SELECT RNo FROM RirekiTbl "
                                        "ORDER BY RNo DESC LIMIT 1), 0) - ? ORDER BY RNo")
                                 .arg(QLatin1String(chainColumns)),
                         {rows});
    qint64 previousNo = 0;
    QByteArray previousHash;
    bool first = true;
    Result result;
    while (tail.next()) {
        if (first)
            previousHash = QByteArray(tail.utf8(prevColumn).data(), tail.utf8(prevColumn).size());
        // The first row read is only the anchor of the next one's link.
        const QString problem = chainProblem(tail, previousNo, previousHash, first);
        if (!problem.isEmpty())
            return failed(problem);
        first = false;
        ++result.rows;
    }
    if (server)
        return result;
    const QString head = headProblem(connection, dataFolder);
    return head.isEmpty() ? result : failed(head);
}

namespace {

// The chain, the replay of the history and the replayed rows against the
// tables, on either engine.
HistoryCheck::Result checkHistory(Source &source)
{
    using Result = HistoryCheck::Result;
    Result result;
    Replay replay(source);
    QHash<QString, State> state;
    {
        const std::unique_ptr<RowReader> read = source.read(
                QStringLiteral("SELECT %1, %2 FROM RirekiTbl ORDER BY RNo")
                        .arg(QLatin1String(chainColumns), keyBeforeExpression(source)));
        RowReader &history = *read;
        qint64 previousNo = 0;
        QByteArray previousHash;
        bool first = true;
        while (history.next()) {
            if (first && history.integer(0) != 1)
                return failed(QStringLiteral("最初の履歴 No.1 がありません。"));
            QString problem = chainProblem(history, previousNo, previousHash, first);
            if (!problem.isEmpty())
                return failed(problem);
            first = false;
            ++result.rows;

            const qint64 no = history.integer(0);
            const QString table = text(history, 5);
            const QByteArrayView action = history.utf8(4);
            const bool adds = action == QByteArrayView("登録") || action == QByteArrayView("開始");
            const bool removes = action == QByteArrayView("削除");
            if (!adds) {
                const QString before = removes ? text(history, 6) : text(history, 16);
                const auto it = state.constFind(mapKey(table, before));
                if (it == state.cend())
                    return failed(QStringLiteral("履歴 No.%1: %2は、それまでの履歴にありません。")
                                          .arg(no)
                                          .arg(describeRow(table, before)));
                if (it->digest != replay.digest(history.utf8(7))) {
                    const QString change =
                            replay.difference(table, replay.after(it->no), Replay::object(history.utf8(7)));
                    if (!change.isEmpty())
                        return failed(QStringLiteral("履歴 No.%1: %2の変更前の内容が履歴 No.%3 と合いません (%4"
                                                     "なっています)。")
                                              .arg(no)
                                              .arg(describeRow(table, before))
                                              .arg(it->no)
                                              .arg(change));
                }
                state.erase(it);
            }
            if (!removes) {
                const QString key = text(history, 6);
                const QString at = mapKey(table, key);
                if (adds && state.contains(at))
                    return failed(QStringLiteral("履歴 No.%1: %2は既にあります。").arg(no).arg(describeRow(table, key)));
                state.insert(at, State{replay.digest(history.utf8(8)), no});
            }
        }
    }

    // The replayed rows against the tables, row by row.
    for (const QString &table : Schema::historyTables()) {
        QStringList keyParts;
        for (const QString &column : Schema::historyKeyColumns(table))
            keyParts << source.keyPart(column);
        QStringList columns;
        for (const Source::Column &column : source.columns(table))
            columns << column.name;
        const std::unique_ptr<RowReader> read =
                source.read(QStringLiteral("SELECT %1, %2 FROM %3")
                                    .arg(keyParts.join(QStringLiteral(" || ' ' || ")), source.rowObject(columns), table));
        RowReader &rows = *read;
        while (rows.next()) {
            const QString key = text(rows, 0);
            const auto it = state.constFind(mapKey(table, key));
            if (it == state.cend())
                return failed(QStringLiteral("%1が変更履歴にありません。").arg(describeRow(table, key)));
            if (it->digest != replay.digest(rows.utf8(1))) {
                const QString change = replay.difference(table, replay.after(it->no), Replay::object(rows.utf8(1)));
                if (!change.isEmpty())
                    return failed(QStringLiteral("%1が変更履歴 No.%2 と異なります (%3なっています)。")
                                          .arg(describeRow(table, key))
                                          .arg(it->no)
                                          .arg(change));
            }
            if (table == QLatin1String("SiteTbl"))
                ++result.notes;
            state.erase(it);
        }
        // Replayed rows of this table that the table lacks.
        qint64 missingNo = 0;
        QString missingKey;
        for (auto it = state.cbegin(); it != state.cend(); ++it) {
            if (it.key().startsWith(table + QChar(0x1f)) && (missingNo == 0 || it->no < missingNo)) {
                missingNo = it->no;
                missingKey = it.key().mid(table.size() + 1);
            }
        }
        if (missingNo)
            return failed(QStringLiteral("%1がありません (変更履歴 No.%2 では残っています)。")
                                  .arg(describeRow(table, missingKey))
                                  .arg(missingNo));
    }

    return result;
}

} // namespace

HistoryCheck::Result HistoryCheck::verify(const QString &dataFolder)
{
    if (!QFileInfo::exists(Schema::databasePath(dataFolder)) && ServerConnectionText::existsIn(dataFolder)) {
        ServerDatabase server(ServerConnectionText::fromDataFolder(dataFolder));
        return verify(server);
    }
    Connection connection;
    connection.open(Schema::connectionText(dataFolder));
    SqliteSource source(connection);
    const Result result = checkHistory(source);
    if (!result.sound)
        return result;
    const QString head = headProblem(connection, dataFolder);
    return head.isEmpty() ? result : failed(head);
}

HistoryCheck::Result HistoryCheck::verify(ServerDatabase &server)
{
    const ServerSnapshot snapshot(server);
    ServerSource source(server);
    return checkHistory(source);
}
