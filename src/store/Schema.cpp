#include "Schema.h"

#include <functional>

QString Schema::databaseFileName()
{
    return QStringLiteral("dbRibodo.sqlite");
}

QString Schema::databasePath(const QString &dataFolder)
{
    return dataFolder + databaseFileName();
}

QString Schema::connectionText(const QString &dataFolder)
{
    return QStringLiteral("Provider=SQLite;Data Source=") + databasePath(dataFolder);
}

static QString dateCheck(const char *column)
{
    return QStringLiteral("CHECK (%1 IS NULL OR %1 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]')")
            .arg(QLatin1String(column));
}

QStringList Schema::createStatements()
{
    // Codes compare without regard to letter case, as the Jet engine the
    // system was designed for did; the unique indexes are the database's own
    // guard behind the screens' duplicate checks.
    QStringList s;
    s << QStringLiteral("CREATE TABLE SiteTbl ("
                        "TNo TEXT NOT NULL COLLATE NOCASE, "
                        "TFDate TEXT %1, "
                        "TKDate TEXT %2, "
                        "TBank TEXT COLLATE NOCASE, "
                        "TTo TEXT COLLATE NOCASE, "
                        "TKingaku REAL, "
                        "TKubun TEXT COLLATE NOCASE, "
                        "TYoto TEXT COLLATE NOCASE, "
                        "TCond TEXT COLLATE NOCASE, "
                        "TRemarks TEXT, "
                        "TKeiri TEXT COLLATE NOCASE)")
                 .arg(dateCheck("TFDate"), dateCheck("TKDate"));
    s << QStringLiteral("CREATE UNIQUE INDEX SiteTbl_TNo ON SiteTbl (TNo)");
    s << QStringLiteral("CREATE INDEX SiteTbl_TKDate ON SiteTbl (TKDate)");
    // The funding plan's sums per due date and bank, read from this index
    // alone. The lists of one day keep to the index above, and so to the
    // order in which the notes were entered.
    s << QStringLiteral("CREATE INDEX SiteTbl_TKDate_TBank ON SiteTbl (TKDate, TBank, TCond, TKingaku)");
    s << QStringLiteral("CREATE INDEX SiteTbl_TCond_TKDate ON SiteTbl (TCond, TKDate)");
    // Payee code first, then due date, amount and accounting category: the
    // payment plan sums the notes per payee and due date straight from this
    // index, in its order, without reading the table or sorting; the
    // explorer's search for one payee within a period uses its first two
    // columns. The bank with the due date serves the search for one bank
    // within a period, which the bank alone would make read every note of
    // that bank.
    s << QStringLiteral("CREATE INDEX SiteTbl_TTo ON SiteTbl (TTo, TKDate, TKingaku, TKeiri)");
    s << QStringLiteral("CREATE INDEX SiteTbl_TBank ON SiteTbl (TBank, TKDate)");
    s << balanceIndex();

    s << QStringLiteral("CREATE TABLE SireCliant ("
                        "ClCode TEXT NOT NULL COLLATE NOCASE, "
                        "ClName TEXT, ClPdName TEXT, ClYomigana TEXT, "
                        "clAddress1 TEXT, claddress2 TEXT, claddress3 TEXT, claddress4 TEXT, "
                        "clzip TEXT, cltel TEXT, clfax TEXT, ClSime TEXT, "
                        "ClZan REAL, Clpay TEXT, "
                        "ClTokuiKbn INTEGER CHECK (ClTokuiKbn IS NULL OR ClTokuiKbn BETWEEN -32768 AND 32767), "
                        "ClTekiho INTEGER NOT NULL DEFAULT 0, "
                        "ClTouroku TEXT NOT NULL DEFAULT '')");
    s << QStringLiteral("CREATE UNIQUE INDEX SireCliant_ClCode ON SireCliant (ClCode)");

    // Only the note kinds tell paper notes from electronic records, and only
    // the states carry what they mean for the money (0 waiting, 1 paid by the
    // bank, 2 void, 3 dishonoured).
    for (const char *table : {"kbn1", "kbn2", "Kbn3", "Kbn4", "Kbn5"}) {
        QString extra;
        if (qstrcmp(table, "kbn1") == 0)
            extra = QStringLiteral(", KbnDenshi INTEGER NOT NULL DEFAULT 0");
        else if (qstrcmp(table, "Kbn3") == 0)
            extra = QStringLiteral(", KbnKesai INTEGER NOT NULL DEFAULT 0");
        s << QStringLiteral("CREATE TABLE %1 (KbnCode TEXT NOT NULL COLLATE NOCASE, KbnName TEXT%2)")
                     .arg(QLatin1String(table), extra);
        s << QStringLiteral("CREATE UNIQUE INDEX %1_KbnCode ON %1 (KbnCode)").arg(QLatin1String(table));
    }
    // KbnKyokudo: the overdraft limit of the current account (当座貸越極度額);
    // KbnFuriEnd, KbnKesaiEnd: the bank's last drawing and due dates for paper.
    s << QStringLiteral("CREATE TABLE kbn6 (KbnCode TEXT NOT NULL COLLATE NOCASE, KbnName TEXT, KbnZan REAL, "
                        "KbnKyokudo REAL NOT NULL DEFAULT 0, KbnFuriEnd TEXT %1, KbnKesaiEnd TEXT %2)")
                 .arg(dateCheck("KbnFuriEnd"), dateCheck("KbnKesaiEnd"));
    s << QStringLiteral("CREATE UNIQUE INDEX kbn6_KbnCode ON kbn6 (KbnCode)");

    s << bankBalanceTable();

    s << QStringLiteral("CREATE TABLE TMPTbl (F1 TEXT, F2 TEXT, F3 TEXT, F4 TEXT, F5 TEXT, F6 TEXT, F7 TEXT)");
    s << journalAccountsTable();

    // Outer joins: a note whose payee or bank was deleted still appears, with
    // an empty name, so that no note drops out of a list.
    s << QStringLiteral("CREATE VIEW QRYRibodo AS SELECT "
                        "s.TNo AS TNo, s.TFDate AS TFDate, s.TKDate AS TKDate, s.TTo AS TTo, "
                        "s.TBank AS TBank, s.TKingaku AS TKingaku, s.TKubun AS TKubun, "
                        "s.TYoto AS TYoto, s.TCond AS TCond, s.TKeiri AS TKeiri, "
                        "s.TRemarks AS TRemarks, "
                        "IFNULL(c.ClName, '') AS ClName, IFNULL(b.KbnName, '') AS Ginko "
                        "FROM SiteTbl s "
                        "LEFT JOIN SireCliant c ON c.ClCode = s.TTo "
                        "LEFT JOIN kbn6 b ON b.KbnCode = s.TBank");
    s << QStringLiteral("CREATE VIEW QRYKesai AS SELECT "
                        "s.TNo AS TNo, IFNULL(c.ClName, '') AS ClName, s.TKingaku AS TKingaku, "
                        "IFNULL(b.KbnName, '') AS Ginko, IFNULL(j.KbnName, '') AS Jyotai, "
                        "s.TKDate AS TKDate "
                        "FROM SiteTbl s "
                        "LEFT JOIN SireCliant c ON c.ClCode = s.TTo "
                        "LEFT JOIN kbn6 b ON b.KbnCode = s.TBank "
                        "LEFT JOIN Kbn3 j ON j.KbnCode = s.TCond");
    s << historyStatements();
    // The book search: earlier contents of notes by payee and amount, or by
    // amount alone, and the life of one note by its number after and before
    // each change. Each holds only the rows it serves, so that the history
    // of the masters and the registrations cost them nothing.
    s << QStringLiteral("CREATE INDEX RirekiTbl_RTTo ON RirekiTbl (RTTo, RTKingaku) WHERE RTTo IS NOT NULL");
    s << QStringLiteral("CREATE INDEX RirekiTbl_RTKingaku ON RirekiTbl (RTKingaku) WHERE RTKingaku IS NOT NULL");
    s << QStringLiteral("CREATE INDEX RirekiTbl_RKey ON RirekiTbl (RKey COLLATE NOCASE) WHERE RTable = 'SiteTbl'");
    s << QStringLiteral("CREATE INDEX RirekiTbl_RTNo ON RirekiTbl (RTNo) WHERE RTNo IS NOT NULL");
    s << QStringLiteral("CREATE INDEX RirekiTbl_RTable ON RirekiTbl (RTable) WHERE RTable <> 'SiteTbl'"); // master rows' versions
    s << QStringLiteral("PRAGMA user_version = %1").arg(version());
    return s;
}

int Schema::version()
{
    return 5;
}

QStringList Schema::upgradeStatements(int from)
{
    switch (from) {
    case 1:
        // Suppliers covered by the subcontract law, note kinds that are
        // electronic records, the journal export's account names, the banks'
        // balances of the funding plan.
        return {QStringLiteral("ALTER TABLE SireCliant ADD COLUMN ClTekiho INTEGER NOT NULL DEFAULT 0"),
                QStringLiteral("ALTER TABLE kbn1 ADD COLUMN KbnDenshi INTEGER NOT NULL DEFAULT 0"),
                journalAccountsTable(), bankBalanceTable()};
    case 2:
        // What each note state means, and the banks' overdraft limits (the
        // meanings are then taken from the states' names, SchemaUpgrade);
        // the suppliers' registration numbers, the banks' last dates for
        // paper notes, and the index of the balance at a date.
        return {QStringLiteral("ALTER TABLE Kbn3 ADD COLUMN KbnKesai INTEGER NOT NULL DEFAULT 0"),
                QStringLiteral("ALTER TABLE kbn6 ADD COLUMN KbnKyokudo REAL NOT NULL DEFAULT 0"),
                QStringLiteral("ALTER TABLE SireCliant ADD COLUMN ClTouroku TEXT NOT NULL DEFAULT ''"),
                QStringLiteral("ALTER TABLE kbn6 ADD COLUMN KbnFuriEnd TEXT ") + dateCheck("KbnFuriEnd"),
                QStringLiteral("ALTER TABLE kbn6 ADD COLUMN KbnKesaiEnd TEXT ") + dateCheck("KbnKesaiEnd"),
                balanceIndex()};
    case 3:
        // The change history; its opening rows and the tables' triggers are
        // written by the upgrade once every step has run.
        return historyStatements();
    case 4:
        // Nothing of its own: the upgrade makes the history's triggers again
        // after every step, and the new ones leave the searched fields of a
        // state change empty.
        return {};
    default:
        return {};
    }
}

// Current-account balances as of a date, kept as a history: the funding plan
// starts each bank from its latest balance; the bank master's own balance is
// left alone.
QString Schema::bankBalanceTable()
{
    return QStringLiteral("CREATE TABLE BankBalance ("
                          "BbBank TEXT NOT NULL COLLATE NOCASE, "
                          "BbDate TEXT NOT NULL %1, "
                          "BbZan REAL, "
                          "PRIMARY KEY (BbBank, BbDate))")
            .arg(dateCheck("BbDate"));
}

// The notes outstanding at a date are those due after it and drawn on or
// before it: the due date leads, and the index holds every column the
// balance reads, so that a range of it is all that is read. Its due date
// compares without regard to case (the same order for dates) so that only
// a statement asking so uses it: the lists of one day keep to the order
// in which the notes were entered.
QString Schema::balanceIndex()
{
    return QStringLiteral("CREATE INDEX SiteTbl_TKDate_TFDate ON SiteTbl "
                          "(TKDate COLLATE NOCASE, TFDate, TTo, TBank, TKingaku, TKubun, TCond, TNo)");
}

QString Schema::journalAccountsTable()
{
    return QStringLiteral("CREATE TABLE ShiwakeKamoku ("
                          "KmKey TEXT NOT NULL PRIMARY KEY, KmName TEXT NOT NULL)");
}

bool Schema::isDateColumn(const QString &column)
{
    return column.compare(QLatin1String("TFDate"), Qt::CaseInsensitive) == 0
            || column.compare(QLatin1String("TKDate"), Qt::CaseInsensitive) == 0;
}

namespace {

struct ColumnInfo
{
    const char *name;
    Schema::ColumnKind kind;
    const char *caption;
};

const ColumnInfo columns[] = {
    {"TNo", Schema::ColumnKind::Code, "手形番号"},
    {"TBank", Schema::ColumnKind::Code, "支払銀行コード"},
    {"TTo", Schema::ColumnKind::Code, "振出先コード"},
    {"TKubun", Schema::ColumnKind::Code, "手形種類コード"},
    {"TYoto", Schema::ColumnKind::Code, "手形用途コード"},
    {"TCond", Schema::ColumnKind::Code, "手形の状態コード"},
    {"TKeiri", Schema::ColumnKind::Code, "経理区分コード"},
    {"ClCode", Schema::ColumnKind::Code, "仕入先コード"},
    {"KbnCode", Schema::ColumnKind::Code, "コード"},
    {"TRemarks", Schema::ColumnKind::Remark, "備考"},
    {"TKingaku", Schema::ColumnKind::Amount, "金額"},
    {"ClZan", Schema::ColumnKind::Amount, "期首請求残"},
    {"KbnZan", Schema::ColumnKind::Amount, "残高"},
    {"KbnKyokudo", Schema::ColumnKind::Amount, "当座貸越極度額"},
    {"ClName", Schema::ColumnKind::Name, "仕入先名"},
    {"ClPdName", Schema::ColumnKind::Name, "代表者名"},
    {"ClYomigana", Schema::ColumnKind::Name, "よみがな"},
    {"clAddress1", Schema::ColumnKind::Name, "都道府県"},
    {"claddress2", Schema::ColumnKind::Name, "住所"},
    {"claddress3", Schema::ColumnKind::Name, "区町村"},
    {"claddress4", Schema::ColumnKind::Name, "字番地"},
    {"clzip", Schema::ColumnKind::Name, "郵便番号"},
    {"cltel", Schema::ColumnKind::Name, "電話番号"},
    {"clfax", Schema::ColumnKind::Name, "FAX 番号"},
    {"ClSime", Schema::ColumnKind::Name, "請求〆日"},
    {"Clpay", Schema::ColumnKind::Name, "支払予定日"},
    {"KbnName", Schema::ColumnKind::Name, "名称"},
    {"ClTouroku", Schema::ColumnKind::Other, "登録番号/法人番号"},
    {"KbnFuriEnd", Schema::ColumnKind::Other, "手形最終振出日"},
    {"KbnKesaiEnd", Schema::ColumnKind::Other, "手形決済最終日"},
};

const ColumnInfo *columnInfo(const QString &column)
{
    for (const ColumnInfo &c : columns) {
        if (column.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

} // namespace

Schema::ColumnKind Schema::columnKind(const QString &column)
{
    const ColumnInfo *info = columnInfo(column);
    return info ? info->kind : ColumnKind::Other;
}

QString Schema::columnCaption(const QString &column)
{
    const ColumnInfo *info = columnInfo(column);
    return info ? QString::fromUtf8(info->caption) : column;
}

QString Schema::categoryTable(int number)
{
    static const char *const names[] = {"kbn1", "kbn2", "Kbn3", "Kbn4", "Kbn5"};
    if (number < 0 || number > 4)
        return QString();
    return QLatin1String(names[number]);
}

QString Schema::bankTable()
{
    return QStringLiteral("kbn6");
}

QString Schema::historyTable()
{
    return QStringLiteral("RirekiTbl");
}

int Schema::historyVersion()
{
    return 4;
}

QStringList Schema::historyStatements()
{
    // RNo is the order of the chain. The note's own columns hold its values
    // before the change, so that deleted notes and earlier versions can be
    // found by index like the notes themselves.
    return {QStringLiteral("CREATE TABLE RirekiTbl ("
                           "RNo INTEGER PRIMARY KEY, RAt TEXT NOT NULL, RUser TEXT, RSource TEXT, "
                           "RAction TEXT NOT NULL, RTable TEXT NOT NULL, RKey TEXT, RBefore TEXT, RAfter TEXT, "
                           "RTNo TEXT COLLATE NOCASE, RTFDate TEXT, RTKDate TEXT, RTTo TEXT COLLATE NOCASE, "
                           "RTKingaku REAL, RPrev TEXT, RHash TEXT NOT NULL)"),
            QStringLiteral("CREATE TRIGGER RirekiTbl_NoUpdate BEFORE UPDATE ON RirekiTbl "
                           "BEGIN SELECT RAISE(ABORT, '変更履歴は書き換えられません。'); END"),
            QStringLiteral("CREATE TRIGGER RirekiTbl_NoDelete BEFORE DELETE ON RirekiTbl "
                           "BEGIN SELECT RAISE(ABORT, '変更履歴は削除できません。'); END")};
}

QStringList Schema::historyTables()
{
    return {QStringLiteral("SiteTbl"), QStringLiteral("SireCliant"), QStringLiteral("kbn1"), QStringLiteral("kbn2"),
            QStringLiteral("Kbn3"), QStringLiteral("Kbn4"), QStringLiteral("Kbn5"), QStringLiteral("kbn6"),
            QStringLiteral("BankBalance"), QStringLiteral("ShiwakeKamoku")};
}

QStringList Schema::historyKeyColumns(const QString &table)
{
    if (table == QLatin1String("SiteTbl"))
        return {QStringLiteral("TNo")};
    if (table == QLatin1String("SireCliant"))
        return {QStringLiteral("ClCode")};
    if (table == QLatin1String("BankBalance"))
        return {QStringLiteral("BbBank"), QStringLiteral("BbDate")};
    if (table == QLatin1String("ShiwakeKamoku"))
        return {QStringLiteral("KmKey")};
    return {QStringLiteral("KbnCode")};
}

namespace {

QString rowKey(const QString &table, const QString &row)
{
    QStringList parts;
    for (const QString &column : Schema::historyKeyColumns(table))
        parts << row + QLatin1Char('.') + column;
    return parts.join(QStringLiteral(" || ' ' || "));
}

QString rowObject(const QStringList &names, const QString &row)
{
    QStringList pairs;
    for (const QString &column : names)
        pairs << QStringLiteral("'%1', %2.%1").arg(column, row);
    return QStringLiteral("json_object(") + pairs.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// One history row: its values, then the hash over them and the previous
// row's hash. The values are worked out once, in a subquery the engine
// cannot merge into the insert (OFFSET), and both the row and the hash read
// them from there; the time is the statement's own ('now' is fixed within
// one step of the engine), so the hash sees the very values stored. `wrap`
// turns an expression over the row into a value.
QString historyInsert(const QString &table, const QStringList &names, const char *action, const QString &before,
                      const QString &after, const std::function<QString(const QString &)> &wrap)
{
    const bool note = table == QLatin1String("SiteTbl");
    const QString null = QStringLiteral("NULL");
    // A change that moved none of the searched fields (a state change, the
    // usual case) leaves them empty: the same contents stay findable through
    // the note itself or the next change, and the search's indexes are
    // spared one entry each per settled note.
    QString unchanged;
    if (note && !before.isEmpty() && !after.isEmpty()) {
        QStringList same;
        for (const char *column : {"TNo", "TFDate", "TKDate", "TTo", "TKingaku"})
            same << QStringLiteral("%1.%3 IS %2.%3").arg(before, after, QLatin1String(column));
        unchanged = same.join(QStringLiteral(" AND "));
    }
    const auto noteColumn = [&](const char *column) {
        if (!note || before.isEmpty())
            return null;
        const QString value = wrap(before + QLatin1Char('.') + QLatin1String(column));
        return unchanged.isEmpty() ? value
                                   : QStringLiteral("CASE WHEN %1 THEN NULL ELSE %2 END").arg(unchanged, value);
    };
    const QStringList values = {
        // Read from the end of the key; MAX() inside an expression would
        // read the whole table.
        QStringLiteral("(IFNULL((SELECT RNo FROM RirekiTbl ORDER BY RNo DESC LIMIT 1), 0) + 1)"),
        QStringLiteral("strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')"),
        QStringLiteral("ribodo_user()"),
        QStringLiteral("ribodo_source()"),
        QLatin1Char('\'') + QString::fromUtf8(action) + QLatin1Char('\''),
        QLatin1Char('\'') + table + QLatin1Char('\''),
        wrap(rowKey(table, after.isEmpty() ? before : after)),
        before.isEmpty() ? null : wrap(rowObject(names, before)),
        after.isEmpty() ? null : wrap(rowObject(names, after)),
        noteColumn("TNo"),
        noteColumn("TFDate"),
        noteColumn("TKDate"),
        noteColumn("TTo"),
        noteColumn("TKingaku"),
        QStringLiteral("(SELECT RHash FROM RirekiTbl ORDER BY RNo DESC LIMIT 1)"),
    };
    QStringList named;
    QStringList refs;
    for (qsizetype i = 0; i < values.size(); ++i) {
        named << values.at(i) + QStringLiteral(" AS v%1").arg(i);
        refs << QStringLiteral("v%1").arg(i);
    }
    const QString listed = refs.join(QStringLiteral(", "));
    return QStringLiteral("INSERT INTO RirekiTbl (RNo, RAt, RUser, RSource, RAction, RTable, RKey, RBefore, RAfter, "
                          "RTNo, RTFDate, RTKDate, RTTo, RTKingaku, RPrev, RHash) SELECT ")
            + listed + QStringLiteral(", ribodo_hash(") + listed + QStringLiteral(") FROM (SELECT ")
            + named.join(QStringLiteral(", ")) + QStringLiteral(" LIMIT 1 OFFSET 0)");
}

} // namespace

QStringList Schema::historyTriggers(const QString &table, const QStringList &names)
{
    const auto same = [](const QString &expression) { return expression; };
    const auto trigger = [&](const char *name, const char *event, const QString &insert) {
        return QStringLiteral("CREATE TRIGGER Rireki_%1_%2 AFTER %3 ON %1 BEGIN ")
                       .arg(table, QLatin1String(name), QLatin1String(event))
                + insert + QStringLiteral("; END");
    };
    const QString oldRow = QStringLiteral("OLD");
    const QString newRow = QStringLiteral("NEW");
    return {trigger("Ins", "INSERT", historyInsert(table, names, "登録", QString(), newRow, same)),
            trigger("Upd", "UPDATE", historyInsert(table, names, "訂正", oldRow, newRow, same)),
            trigger("Del", "DELETE", historyInsert(table, names, "削除", oldRow, QString(), same))};
}

QString Schema::historyOpeningRow(const QString &table, const QStringList &names)
{
    const auto ofRow = [&](const QString &expression) {
        return QStringLiteral("(SELECT ") + expression + QStringLiteral(" FROM ") + table
                + QStringLiteral(" r WHERE r.rowid = ?)");
    };
    return historyInsert(table, names, "開始", QString(), QStringLiteral("r"), ofRow);
}
