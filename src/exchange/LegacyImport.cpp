#include "LegacyImport.h"

#include "store/Connection.h"
#include "store/DataFolderBuilder.h"
#include "MdbReader.h"
#include "store/Schema.h"
#include "store/StoreError.h"
#include "store/StoreText.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUuid>

#include <cmath>

namespace {

struct Target
{
    const char *table;
    const char *label;
    const char *key; // nullptr: no unique column
    QList<const char *> columns;
};

// The tables as the new database defines them. Inserts name their columns,
// so that columns the database gains later keep their defaults.
const QList<Target> &targets()
{
    static const QList<Target> list = {
        {"kbn1", "手形種類", "KbnCode", {"KbnCode", "KbnName"}},
        {"kbn2", "手形用途", "KbnCode", {"KbnCode", "KbnName"}},
        {"Kbn3", "手形の状態", "KbnCode", {"KbnCode", "KbnName"}},
        {"Kbn4", "経理区分", "KbnCode", {"KbnCode", "KbnName"}},
        {"Kbn5", "仕入先区分", "KbnCode", {"KbnCode", "KbnName"}},
        {"kbn6", "銀行", "KbnCode", {"KbnCode", "KbnName", "KbnZan"}},
        {"SireCliant", "仕入先", "ClCode",
         {"ClCode", "ClName", "ClPdName", "ClYomigana", "clAddress1", "claddress2", "claddress3", "claddress4", "clzip",
          "cltel", "clfax", "ClSime", "ClZan", "Clpay", "ClTokuiKbn"}},
        {"SiteTbl", "手形", "TNo",
         {"TNo", "TFDate", "TKDate", "TBank", "TTo", "TKingaku", "TKubun", "TYoto", "TCond", "TRemarks", "TKeiri"}},
        {"TMPTbl", "印刷用作業表", nullptr, {"F1", "F2", "F3", "F4", "F5", "F6", "F7"}},
    };
    return list;
}

const Target *targetOf(const QString &table)
{
    for (const Target &t : targets()) {
        if (table.compare(QLatin1String(t.table), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

QString tableLabel(const QString &table)
{
    const Target *t = targetOf(table);
    return t ? QStringLiteral("%1（%2）").arg(QString::fromUtf8(t->label), QLatin1String(t->table)) : table;
}

// Codes compare as the database's NOCASE collation does: ASCII letters
// without regard to case, every other character as it is.
QString foldKey(const QString &key)
{
    QString folded = key;
    for (QChar &c : folded) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return folded;
}

QString numberText(double v)
{
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    return QString::number(v, 'g', 17);
}

QDate dateFromText(const QString &text)
{
    for (const QString &format : {QStringLiteral("yyyy/M/d"), QStringLiteral("yyyy-M-d")}) {
        const QDate d = QDate::fromString(text.left(10).trimmed(), format);
        if (d.isValid())
            return d;
    }
    return {};
}

enum class Kind { Text, Date, Real, Integer };

Kind kindOf(const QString &column)
{
    if (Schema::isDateColumn(column))
        return Kind::Date;
    if (Schema::columnKind(column) == Schema::ColumnKind::Amount)
        return Kind::Real;
    if (column.compare(QLatin1String("ClTokuiKbn"), Qt::CaseInsensitive) == 0)
        return Kind::Integer;
    return Kind::Text;
}

// The value as the column of the new database holds it; an invalid
// QVariant when it has no such form.
QVariant convert(const QVariant &value, Kind kind, bool *ok)
{
    *ok = true;
    if (value.isNull())
        return value;
    const int type = value.typeId();
    const bool isText = type == QMetaType::QString;
    const bool isDate = type == QMetaType::QDate;
    switch (kind) {
    case Kind::Text:
        if (isText)
            return value;
        if (isDate)
            return value.toDate().toString(QStringLiteral("yyyy/MM/dd"));
        if (type == QMetaType::Double)
            return numberText(value.toDouble());
        return value.toString();
    case Kind::Date: {
        const QDate d = isDate ? value.toDate() : isText ? dateFromText(value.toString()) : QDate();
        if (isText && value.toString().trimmed().isEmpty())
            return QVariant(QMetaType(QMetaType::QString));
        *ok = d.isValid() && d.year() >= 1;
        return d.toString(QStringLiteral("yyyy-MM-dd"));
    }
    case Kind::Real: {
        if (!isText)
            return value.toDouble(ok);
        QString t = value.toString().trimmed();
        if (t.isEmpty())
            return QVariant(QMetaType(QMetaType::Double));
        t.remove(u',');
        return t.toDouble(ok);
    }
    case Kind::Integer: {
        double v = 0;
        if (isText) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return QVariant(QMetaType(QMetaType::Int));
            v = t.toDouble(ok);
        } else {
            v = value.toDouble(ok);
        }
        *ok = *ok && v == std::trunc(v) && v >= -32768 && v <= 32767;
        return int(v);
    }
    }
    return value;
}

// A row ready for the new table, in the order of the target's columns.
struct Prepared
{
    const Target *target = nullptr;
    QStringList columns; // the target columns the file has
    QList<QVariantList> rows;
    QStringList keyTexts; // each row's code as the file has it
};

// The gate typed input passes: codes folded to half-width and trimmed,
// names and remarks without the characters the store refuses (remarks keep
// their line breaks). What it changes is listed; a code it refuses stops
// the import.
QVariant passGate(const QVariant &value, const QString &column, const QString &where, LegacyImport::Result &result)
{
    if (value.typeId() != QMetaType::QString)
        return value;
    const QString text = value.toString();
    const QString caption = Schema::columnCaption(column);
    switch (Schema::columnKind(column)) {
    case Schema::ColumnKind::Code: {
        const QString code = StoreText::normalizedCode(text);
        int refused = 0;
        StoreText::withoutRefused(code, StoreText::Kind::Code, &refused);
        if (refused > 0)
            result.problems << QStringLiteral("%1: %2に使えない文字（制御文字など）が %3 字あります。")
                                       .arg(where, caption)
                                       .arg(refused);
        else if (code != text)
            result.adjusted << QStringLiteral("%1: %2「%3」→「%4」").arg(where, caption, text, code);
        return code;
    }
    case Schema::ColumnKind::Name:
    case Schema::ColumnKind::Remark: {
        const bool remark = Schema::columnKind(column) == Schema::ColumnKind::Remark;
        int removed = 0;
        const QString kept =
                StoreText::withoutRefused(text, remark ? StoreText::Kind::Remark : StoreText::Kind::Name, &removed);
        if (removed > 0)
            result.adjusted << QStringLiteral("%1: %2から使えない文字（制御文字など） %3 字を取り除きました。")
                                       .arg(where, caption)
                                       .arg(removed);
        return kept;
    }
    case Schema::ColumnKind::Amount:
    case Schema::ColumnKind::Other:
        break;
    }
    return value;
}

QString newKey(const QString &key, bool numericCodes, QSet<QString> &taken, qint64 &nextNumber)
{
    // Whole-number codes stay whole numbers: the lists carry them as such.
    if (numericCodes) {
        QString candidate;
        do
            candidate = QString::number(nextNumber++);
        while (taken.contains(candidate));
        taken.insert(candidate);
        return candidate;
    }
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1-%2").arg(key).arg(n);
        if (!taken.contains(foldKey(candidate))) {
            taken.insert(foldKey(candidate));
            return candidate;
        }
    }
}

bool isWholeNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 15)
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

void findDuplicates(Prepared &p, bool rename, LegacyImport::Result &result)
{
    if (!p.target->key)
        return;
    const QString keyColumn = QLatin1String(p.target->key);
    const int k = int(p.columns.indexOf(keyColumn));
    if (k < 0)
        return;
    QHash<QString, QList<int>> rowsByKey;
    QList<QString> order;
    // Codes equal once folded are one code to the database and to a look-up.
    QSet<QString> taken;
    qint64 highest = 0;
    for (int r = 0; r < p.rows.size(); ++r) {
        QVariant &v = p.rows[r][k];
        // The key column may not be null; a null key is the empty code.
        if (v.isNull())
            v = QString();
        const QString key = v.toString();
        const QString folded = foldKey(key);
        auto it = rowsByKey.find(folded);
        if (it == rowsByKey.end()) {
            order << folded;
            it = rowsByKey.insert(folded, {});
        }
        it->append(r);
        taken.insert(folded);
        if (isWholeNumber(key))
            highest = std::max(highest, key.toLongLong());
    }
    const bool noteNumbers = keyColumn == QLatin1String("TNo");
    qint64 nextNumber = highest + 1;
    for (const QString &folded : std::as_const(order)) {
        const QList<int> &rows = rowsByKey.value(folded);
        if (rows.size() < 2)
            continue;
        LegacyImport::Duplicate d{QLatin1String(p.target->table), keyColumn, p.rows.at(rows.first()).at(k).toString(), {}, {}};
        for (int r : rows) {
            d.rows << r + 1;
            d.texts << p.keyTexts.value(r);
        }
        result.duplicates << d;
        if (!rename)
            continue;
        for (int i = 1; i < rows.size(); ++i) {
            QVariant &v = p.rows[rows.at(i)][k];
            const QString from = v.toString();
            const QString to = newKey(from, !noteNumbers && isWholeNumber(from), taken, nextNumber);
            v = to;
            result.renames << LegacyImport::Rename{d.table, keyColumn, p.keyTexts.value(rows.at(i), from), to,
                                                   rows.at(i) + 1};
        }
    }
}

Prepared prepare(const LegacyTable &table, LegacyImport::Result &result)
{
    Prepared p;
    p.target = targetOf(table.name);
    QList<int> sourceIndex;
    QList<Kind> kinds;
    for (const char *c : p.target->columns) {
        const QString column = QLatin1String(c);
        int found = -1;
        for (int i = 0; i < table.columns.size() && found < 0; ++i) {
            if (table.columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
                found = i;
        }
        if (found < 0)
            continue;
        p.columns << column;
        sourceIndex << found;
        kinds << kindOf(column);
    }
    for (const QString &c : table.columns) {
        if (!p.columns.contains(c, Qt::CaseInsensitive))
            result.skippedColumns << QStringLiteral("%1の列 %2").arg(tableLabel(table.name), c);
    }
    if (p.target->key && !p.columns.contains(QLatin1String(p.target->key)))
        result.problems << QStringLiteral("%1にコードの列 %2 がありません。")
                                   .arg(tableLabel(table.name), QLatin1String(p.target->key));
    const int key = p.target->key ? int(p.columns.indexOf(QLatin1String(p.target->key))) : -1;
    for (int r = 0; r < table.rows.size(); ++r) {
        const QVariantList &source = table.rows.at(r);
        const QString where = QStringLiteral("%1の %2 行目").arg(tableLabel(table.name)).arg(r + 1);
        QVariantList row;
        row.reserve(sourceIndex.size());
        for (int i = 0; i < sourceIndex.size(); ++i) {
            const QVariant &value = source.value(sourceIndex.at(i));
            bool ok = true;
            const QVariant converted = convert(value, kinds.at(i), &ok);
            if (i == key)
                p.keyTexts << converted.toString();
            // The work table holds only the last printed list, as printed.
            row << (p.target->key ? passGate(converted, p.columns.at(i), where, result) : converted);
            if (!ok)
                result.problems << QStringLiteral("%1の %2 行目: %3「%4」は%5として読めません。")
                                           .arg(tableLabel(table.name))
                                           .arg(r + 1)
                                           .arg(Schema::columnCaption(p.columns.at(i)), value.toString(),
                                                kinds.at(i) == Kind::Date ? QStringLiteral("日付")
                                                                          : QStringLiteral("数値"));
        }
        p.rows << row;
    }
    return p;
}

void insertAll(Connection &c, const QList<Prepared> &tables)
{
    for (const Prepared &p : tables) {
        if (p.columns.isEmpty())
            continue;
        QStringList marks;
        for (qsizetype i = 0; i < p.columns.size(); ++i)
            marks << QStringLiteral("?");
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(QLatin1String(p.target->table), p.columns.join(QStringLiteral(", ")),
                                         marks.join(QStringLiteral(", ")));
        for (const QVariantList &row : p.rows)
            c.exec(sql, row).finish();
    }
}

void removeTree(const QString &path)
{
    QDir(path).removeRecursively();
}

} // namespace

LegacyImport::Result LegacyImport::importFile(const QString &mdbPath, const QString &dataFolder, bool renameDuplicates)
{
    return importTables(MdbReader::readRegister(mdbPath), dataFolder, renameDuplicates);
}

LegacyImport::Result LegacyImport::importTables(const QList<LegacyTable> &tables, const QString &dataFolder,
                                                bool renameDuplicates)
{
    Result result;
    QList<Prepared> prepared;
    for (const LegacyTable &table : tables) {
        if (!targetOf(table.name)) {
            result.skippedColumns << QStringLiteral("表 %1").arg(table.name);
            continue;
        }
        prepared << prepare(table, result);
        findDuplicates(prepared.last(), renameDuplicates, result);
    }
    if (!result.problems.isEmpty() || (!result.duplicates.isEmpty() && !renameDuplicates))
        return result;

    if (QFileInfo::exists(Schema::databasePath(dataFolder)))
        throw StoreError(QStringLiteral("データベースが既にあります。"), Schema::databasePath(dataFolder));

    const auto fill = [&](Connection &c) {
        insertAll(c, prepared);
        // The earlier version's states carry no meaning: their names give one.
        result.states = StateMeaning::markFromNames(c);
    };
    const QString folder = QDir::cleanPath(QFileInfo(Schema::databasePath(dataFolder)).absolutePath());
    if (QFileInfo(folder).isDir()) {
        // An existing folder (the start-up case, where the old file lies)
        // gets the database under a temporary name, renamed when complete.
        DataFolderBuilder::createFilled(dataFolder, fill);
    } else {
        // A new folder is built whole under a temporary name beside it.
        const QFileInfo target(folder);
        if (!QDir().mkpath(target.absolutePath()))
            throw StoreError(QStringLiteral("データ フォルダを作れません。"), folder);
        const QString building = folder + QStringLiteral(".importing-")
                + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
        if (!QDir().mkdir(building))
            throw StoreError(QStringLiteral("データ フォルダを作れません。"), building);
        try {
            QString buildingFolder = QDir::toNativeSeparators(building);
            buildingFolder += QDir::separator();
            DataFolderBuilder::createFilled(buildingFolder, fill);
            if (!QDir().rename(building, folder))
                throw StoreError(QStringLiteral("データ フォルダを作れません。"), folder);
        } catch (...) {
            removeTree(building);
            throw;
        }
    }
    result.written = true;
    for (const Prepared &p : std::as_const(prepared))
        result.counts << qMakePair(QLatin1String(p.target->table), int(p.rows.size()));
    return result;
}

QString LegacyImport::legacyFileIn(const QString &dataFolder)
{
    const QDir dir(dataFolder.isEmpty() ? QStringLiteral(".") : dataFolder);
    const QStringList found =
            dir.entryList({QStringLiteral("dbRibodo.mdb")}, QDir::Files | QDir::CaseSensitive | QDir::Hidden);
    if (!found.isEmpty())
        return dataFolder + found.first();
    // File names compare without regard to case where the old file came from.
    const QStringList any = dir.entryList(QDir::Files);
    for (const QString &name : any) {
        if (name.compare(QLatin1String("dbRibodo.mdb"), Qt::CaseInsensitive) == 0)
            return dataFolder + name;
    }
    return {};
}

QString LegacyImport::countsText(const Result &result)
{
    QStringList lines;
    for (const auto &c : result.counts)
        lines << QStringLiteral("%1: %2 件").arg(tableLabel(c.first)).arg(c.second);
    return lines.join(u'\n');
}

QString LegacyImport::duplicatesText(const Result &result)
{
    QStringList lines;
    for (const Duplicate &d : result.duplicates) {
        QStringList rows;
        for (qsizetype i = 0; i < d.rows.size(); ++i) {
            // A row whose code the gate folded or trimmed shows it as the
            // file writes it.
            const QString text = d.texts.value(i);
            rows << (StoreText::normalizedCode(text) == text ? QStringLiteral("%1 行目").arg(d.rows.at(i))
                                                            : QStringLiteral("%1 行目「%2」").arg(d.rows.at(i)).arg(text));
        }
        lines << QStringLiteral("%1の%2「%3」: %4")
                         .arg(tableLabel(d.table), Schema::columnCaption(d.column), d.key, rows.join(QStringLiteral("、")));
    }
    return lines.join(u'\n');
}

QString LegacyImport::renamesText(const Result &result)
{
    QStringList lines;
    for (const Rename &r : result.renames)
        lines << QStringLiteral("%1の %2 行目: %3「%4」→「%5」")
                         .arg(tableLabel(r.table))
                         .arg(r.row)
                         .arg(Schema::columnCaption(r.column), r.from, r.to);
    return lines.join(u'\n');
}

QString LegacyImport::adjustedText(const Result &result)
{
    return result.adjusted.join(u'\n');
}

QString LegacyImport::problemsText(const Result &result)
{
    return result.problems.join(u'\n');
}
