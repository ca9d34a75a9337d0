#include "ServerSchema.h"

#include "Schema.h"
#include "ServerDatabase.h"
#include "ServerSql.h"
#include "StoreError.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QRegularExpression::PatternOption caseless = QRegularExpression::CaseInsensitiveOption;

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

QString replaced(QString text, const QString &pattern, const QString &with)
{
    return text.replace(QRegularExpression(pattern, caseless), with);
}

// An index column compared without regard to case is indexed as the
// statements compare it (ServerSql casts both sides to citext), so that a
// look-up of a note's history uses the index. A date's text has no letters:
// its own order is the case-blind one, and sorting it as citext would make
// building the index several times slower.
QString caseBlindIndexColumns(const QString &statement)
{
    static const QRegularExpression column(QStringLiteral("(\\w+)\\s+COLLATE\\s+NOCASE\\b"), caseless);
    QString out;
    qsizetype at = 0;
    for (const QRegularExpressionMatch &m : column.globalMatch(statement)) {
        const QString name = m.captured(1);
        out += statement.mid(at, m.capturedStart(0) - at);
        out += Schema::isDateColumn(name) ? name : QStringLiteral("CAST(%1 AS citext)").arg(name);
        at = m.capturedEnd(0);
    }
    return out + statement.mid(at);
}

QString translateExpressions(QString statement)
{
    static const QRegularExpression glob(QStringLiteral("(\\w+)\\s+GLOB\\s+'([^']*)'"), caseless);
    QRegularExpressionMatch m;
    while ((m = glob.match(statement)).hasMatch())
        statement.replace(m.capturedStart(), m.capturedLength(),
                          m.captured(1) + QStringLiteral(" ~ '") + ServerSql::globToRegex(m.captured(2)) + QLatin1Char('\''));
    return replaced(statement, QStringLiteral("\\bIFNULL\\s*\\("), QStringLiteral("COALESCE("));
}

QString columnTypes(QString statement)
{
    statement = replaced(statement, QStringLiteral("\\bTEXT(\\s+NOT\\s+NULL)?\\s+COLLATE\\s+NOCASE\\b"),
                         QStringLiteral("citext\\1"));
    statement = replaced(statement, QStringLiteral("\\bREAL\\b"), QStringLiteral("numeric"));
    return replaced(statement, QStringLiteral("\\bINTEGER\\b"), QStringLiteral("bigint"));
}

// The guard triggers' one form: BEFORE <event> ON <table> raising a message.
QStringList guardTrigger(const QString &statement)
{
    static const QRegularExpression form(
            QStringLiteral("^CREATE\\s+TRIGGER\\s+(\\w+)\\s+BEFORE\\s+(UPDATE|DELETE|INSERT)\\s+ON\\s+(\\w+)\\s+"
                           "BEGIN\\s+SELECT\\s+RAISE\\s*\\(\\s*ABORT\\s*,\\s*'([^']*)'\\s*\\)\\s*;\\s*END$"),
            caseless);
    const QRegularExpressionMatch m = form.match(statement.trimmed());
    if (!m.hasMatch())
        throw StoreError(QStringLiteral("サーバー用に変換できない文があります。"), statement);
    return {QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS "
                           "$body$BEGIN RAISE EXCEPTION USING MESSAGE = '%2'; END$body$")
                    .arg(m.captured(1), m.captured(4)),
            QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()")
                    .arg(m.captured(1), m.captured(2), m.captured(3))};
}

// The SQL functions the history's triggers call. The hash is fed the same
// stream as HistoryFunctions::Hash: each value as "<bytes>:<utf-8>;", null
// as "N;".
QStringList historyHelpers()
{
    return {QStringLiteral(
                    "CREATE FUNCTION ribodo_hash(VARIADIC v text[]) RETURNS text LANGUAGE sql IMMUTABLE AS $body$"
                    "SELECT encode(sha256(string_agg(CASE WHEN x IS NULL THEN convert_to('N;', 'UTF8') "
                    "ELSE convert_to(octet_length(convert_to(x, 'UTF8'))::text || ':' || x || ';', 'UTF8') END, "
                    "''::bytea ORDER BY i)), 'hex') FROM unnest(v) WITH ORDINALITY AS t(x, i)$body$"),
            // An amount as the program writes a double in its shortest form:
            // the shortest digits that read back the same double, in decimal
            // unless the exponent form is shorter.
            QStringLiteral(
                    "CREATE FUNCTION ribodo_real_text(v numeric) RETURNS text LANGUAGE plpgsql IMMUTABLE "
                    "SET extra_float_digits = 1 AS $body$\n"
                    "DECLARE t text; m text; digits text; e int := 0; p int; decpt int; n int; "
                    "sci text; dec text; neg boolean;\n"
                    "BEGIN\n"
                    "  IF v IS NULL THEN RETURN NULL; END IF;\n"
                    "  t := v::float8::text;\n"
                    "  neg := left(t, 1) = '-';\n"
                    "  IF neg THEN t := substr(t, 2); END IF;\n"
                    "  p := strpos(t, 'e');\n"
                    "  IF p > 0 THEN e := substr(t, p + 1)::int; m := left(t, p - 1); ELSE m := t; END IF;\n"
                    "  p := strpos(m, '.');\n"
                    "  IF p > 0 THEN decpt := p - 1; digits := left(m, p - 1) || substr(m, p + 1);\n"
                    "  ELSE decpt := length(m); digits := m; END IF;\n"
                    "  WHILE left(digits, 1) = '0' LOOP digits := substr(digits, 2); decpt := decpt - 1; END LOOP;\n"
                    "  digits := rtrim(digits, '0');\n"
                    "  IF digits = '' THEN RETURN '0'; END IF;\n"
                    "  decpt := decpt + e;\n"
                    "  n := length(digits);\n"
                    "  sci := left(digits, 1) || CASE WHEN n > 1 THEN '.' || substr(digits, 2) ELSE '' END || 'e' "
                    "|| CASE WHEN decpt - 1 < 0 THEN '-' ELSE '+' END || lpad(abs(decpt - 1)::text, 2, '0');\n"
                    "  IF decpt <= 0 THEN dec := '0.' || repeat('0', -decpt) || digits;\n"
                    "  ELSIF decpt >= n THEN dec := digits || repeat('0', decpt - n);\n"
                    "  ELSE dec := left(digits, decpt) || '.' || substr(digits, decpt + 1); END IF;\n"
                    "  IF length(sci) < length(dec) THEN dec := sci; END IF;\n"
                    "  RETURN CASE WHEN neg THEN '-' || dec ELSE dec END;\n"
                    "END$body$")};
}

QString keyOf(const QString &table, const QString &row)
{
    QStringList parts;
    for (const QString &column : Schema::historyKeyColumns(table))
        parts << row + QLatin1Char('.') + column + QStringLiteral("::text");
    return parts.join(QStringLiteral(" || ' ' || "));
}

QString objectOf(const QStringList &columns, const QString &row)
{
    QStringList pairs;
    for (const QString &column : columns)
        pairs << (row.isEmpty() ? QStringLiteral("'%1', %1").arg(column) : QStringLiteral("'%1', %2.%1").arg(column, row));
    return QStringLiteral("json_build_object(") + pairs.join(QStringLiteral(", ")) + QStringLiteral(")::text");
}

// The trigger function of `table`: the same history row as on SQLite, with
// the user the server knows (session_user, also inside this function that
// runs with the owner's rights) and the hash computed here.
QStringList historyTrigger(const QString &table, const QStringList &columns)
{
    const bool note = table == QLatin1String("SiteTbl");
    QString body = QStringLiteral(
            "DECLARE h RirekiTbl%ROWTYPE;\n"
            "BEGIN\n"
            // One writer at a time extends the chain; readers go on reading.
            "  LOCK TABLE RirekiTbl IN EXCLUSIVE MODE;\n"
            "  SELECT RNo, RHash INTO h.RNo, h.RPrev FROM RirekiTbl ORDER BY RNo DESC LIMIT 1;\n"
            "  h.RNo := COALESCE(h.RNo, 0) + 1;\n"
            "  h.RAt := to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS');\n"
            "  h.RUser := session_user;\n"
            "  h.RSource := current_setting('ribodo.source', true);\n"
            "  h.RTable := '%1';\n"
            "  IF TG_OP = 'INSERT' THEN\n"
            "    h.RAction := '登録'; h.RKey := %2; h.RAfter := %3;\n"
            "  ELSIF TG_OP = 'UPDATE' THEN\n"
            "    h.RAction := '訂正'; h.RKey := %2; h.RBefore := %4; h.RAfter := %3;\n"
            "  ELSE\n"
            "    h.RAction := '削除'; h.RKey := %5; h.RBefore := %4;\n"
            "  END IF;\n")
                           .arg(table, keyOf(table, QStringLiteral("NEW")), objectOf(columns, QStringLiteral("NEW")),
                                objectOf(columns, QStringLiteral("OLD")), keyOf(table, QStringLiteral("OLD")));
    if (note)
        // As on SQLite, a change that moved none of the searched fields (a
        // settlement) leaves them empty.
        body += QStringLiteral("  IF TG_OP = 'DELETE' OR TG_OP = 'UPDATE' AND (OLD.TNo, OLD.TFDate, OLD.TKDate, OLD.TTo, OLD.TKingaku)\n"
                               "      IS DISTINCT FROM (NEW.TNo, NEW.TFDate, NEW.TKDate, NEW.TTo, NEW.TKingaku) THEN\n"
                               "    h.RTNo := OLD.TNo; h.RTFDate := OLD.TFDate; h.RTKDate := OLD.TKDate;\n"
                               "    h.RTTo := OLD.TTo; h.RTKingaku := OLD.TKingaku;\n"
                               "  END IF;\n");
    // Sessions listening for the notes' channel (the change line) are told
    // when the change commits; one payload, so a transaction tells once.
    const QString notify =
            note ? QStringLiteral("  PERFORM pg_notify('%1', '');\n").arg(ServerSchema::notesChannel()) : QString();
    body += QStringLiteral(
            "  h.RHash := ribodo_hash(h.RNo::text, h.RAt, h.RUser, h.RSource, h.RAction, h.RTable, h.RKey, "
            "h.RBefore, h.RAfter, h.RTNo::text, h.RTFDate, h.RTKDate, h.RTTo::text, ribodo_real_text(h.RTKingaku), "
            "h.RPrev);\n"
            "  INSERT INTO RirekiTbl VALUES (h.*);\n"
            "%1"
            "  RETURN NULL;\n"
            "END")
                    .arg(notify);
    const QString name = QStringLiteral("Rireki_") + table;
    return {QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
                           "SET search_path = public, pg_temp AS $body$\n%2$body$")
                    .arg(name, body),
            QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 FOR EACH ROW EXECUTE FUNCTION %1()")
                    .arg(name, table)};
}

// The columns of Schema's tables and views, spelt as Schema spells them (the
// server folds names to lower case), with their defaults in SQLite's text:
// read from Schema's statements run on a database in memory.
struct SchemaColumns
{
    // Per table the history keeps, in Schema::historyTables()'s order.
    QList<QList<ServerSchema::Column>> history;
    // Every column name of a table or view by its lower case.
    QHash<QString, QString> spellings;
};

SchemaColumns readSchemaColumns()
{
    SchemaColumns result;
    const QString name = QStringLiteral("ribodo-schema-columns");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (!db.open())
            throw StoreError(QStringLiteral("表の定義を読めません。"));
        QSqlQuery q(db);
        for (const QString &statement : Schema::createStatements()) {
            if (!q.exec(statement))
                throw StoreError(QStringLiteral("表の定義を読めません。"), q.lastError().text() + QLatin1Char('\n') + statement);
        }
        for (const QString &table : Schema::historyTables()) {
            QList<ServerSchema::Column> columns;
            q.exec(QStringLiteral("SELECT name, dflt_value FROM pragma_table_info('%1') ORDER BY cid").arg(table));
            while (q.next())
                columns << ServerSchema::Column{q.value(0).toString(), q.value(1).toString()};
            result.history << columns;
        }
        q.exec(QStringLiteral("SELECT c.name FROM sqlite_master m, pragma_table_info(m.name) c "
                              "WHERE m.type IN ('table', 'view')"));
        while (q.next()) {
            const QString column = q.value(0).toString();
            result.spellings.insert(column.toLower(), column);
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

const SchemaColumns &schemaColumns()
{
    static const SchemaColumns all = readSchemaColumns();
    return all;
}

QString tableName(const QString &statement)
{
    static const QRegularExpression form(QStringLiteral("^CREATE\\s+(?:TEMP(?:ORARY)?\\s+)?(TABLE|VIEW)\\s+(\\w+)"), caseless);
    const QRegularExpressionMatch m = form.match(statement);
    return m.hasMatch() ? m.captured(2) : QString();
}

} // namespace

QString ServerSchema::ownerRole()
{
    return QStringLiteral("ribodo_owner");
}

QString ServerSchema::writerRole()
{
    return QStringLiteral("経理");
}

QString ServerSchema::readerRole()
{
    return QStringLiteral("閲覧");
}

QString ServerSchema::notesChannel()
{
    return QStringLiteral("ribodo_notes");
}

QString ServerSchema::workUserColumn()
{
    return QStringLiteral("ribodo_user");
}

QString ServerSchema::versionTable()
{
    return QStringLiteral("RibodoVersion");
}

QStringList ServerSchema::translate(const QString &statement)
{
    static const QRegularExpression version(QStringLiteral("^PRAGMA\\s+user_version\\s*=\\s*(\\d+)$"), caseless);
    const QString s = statement.trimmed();
    const QRegularExpressionMatch v = version.match(s);
    if (v.hasMatch())
        return {QStringLiteral("CREATE TABLE %1 (Version integer NOT NULL)").arg(versionTable()),
                QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(versionTable(), v.captured(1))};
    if (s.startsWith(QLatin1String("CREATE TRIGGER"), Qt::CaseInsensitive))
        return guardTrigger(s);
    if (s.contains(QRegularExpression(QStringLiteral("^CREATE\\s+(UNIQUE\\s+)?INDEX\\b"), caseless)))
        return {translateExpressions(caseBlindIndexColumns(s))};
    if (s.contains(QRegularExpression(QStringLiteral("^CREATE\\s+(TEMP(ORARY)?\\s+)?TABLE\\b"), caseless))) {
        QString table = translateExpressions(columnTypes(s));
        // Every table but the history gets the row identity the program
        // walks a table by.
        if (tableName(s).compare(Schema::historyTable(), Qt::CaseInsensitive) != 0 && table.endsWith(QLatin1Char(')')))
            table.insert(table.size() - 1, QStringLiteral(", ") + ServerSql::rowIdDefinition());
        return {table};
    }
    if (s.contains(QRegularExpression(QStringLiteral("^ALTER\\s+TABLE\\b"), caseless)))
        return {translateExpressions(columnTypes(s))};
    if (s.contains(QRegularExpression(QStringLiteral("^CREATE\\s+VIEW\\b"), caseless))) {
        // A list the program does not order keeps to the order in which the
        // notes were entered, as on SQLite; the server's own order moves a
        // row when it is updated.
        QString view = translateExpressions(s);
        if (view.contains(QLatin1String(" FROM SiteTbl s ")))
            view += QStringLiteral(" ORDER BY s.") + ServerSql::rowIdColumn();
        return {view};
    }
    throw StoreError(QStringLiteral("サーバー用に変換できない文があります。"), statement);
}

QStringList ServerSchema::createStatements()
{
    const QString owner = ownerRole();
    const QString writer = quoted(writerRole());
    const QString reader = quoted(readerRole());
    QStringList s;
    // Roles belong to the whole server: a second register on it shares them.
    s << QStringLiteral("DO $body$BEGIN\n"
                        "  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '%1') THEN CREATE ROLE %1 NOLOGIN; END IF;\n"
                        "  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '%2') THEN CREATE ROLE %4 NOLOGIN; END IF;\n"
                        "  IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '%3') THEN CREATE ROLE %5 NOLOGIN; END IF;\n"
                        // The one who makes the register acts as its owner.
                        "  IF NOT pg_has_role(current_user, '%1', 'MEMBER') THEN\n"
                        "    EXECUTE format('GRANT %1 TO %I', current_user);\n"
                        "  END IF;\n"
                        "END$body$")
                 .arg(owner, writerRole(), readerRole(), writer, reader);
    s << QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext");
    s << QStringLiteral("GRANT USAGE, CREATE ON SCHEMA public TO %1").arg(owner);
    s << QStringLiteral("GRANT USAGE ON SCHEMA public TO %1, %2").arg(writer, reader);
    // Everything from here on belongs to the owner.
    s << QStringLiteral("SET LOCAL ROLE %1").arg(owner);
    QStringList tables;
    QStringList views;
    for (const QString &statement : Schema::createStatements()) {
        s << translate(statement);
        const QString name = tableName(statement);
        if (statement.contains(QRegularExpression(QStringLiteral("^CREATE\\s+TABLE"), caseless)))
            tables << name;
        else if (!name.isEmpty())
            views << name;
    }
    // The print work table holds each user's own list: two PCs printing
    // from the explorer at once must not mix theirs.
    s << QStringLiteral("ALTER TABLE TMPTbl ADD COLUMN %1 text NOT NULL DEFAULT session_user").arg(workUserColumn());
    s << QStringLiteral("ALTER TABLE TMPTbl ENABLE ROW LEVEL SECURITY");
    s << QStringLiteral("CREATE POLICY TMPTbl_Own ON TMPTbl USING (%1 = session_user) WITH CHECK (%1 = session_user)")
                 .arg(workUserColumn());
    s << QStringLiteral("CREATE TRIGGER RirekiTbl_NoTruncate BEFORE TRUNCATE ON RirekiTbl "
                        "FOR EACH STATEMENT EXECUTE FUNCTION RirekiTbl_NoDelete()");
    s << historyHelpers();
    const QStringList historyTables = Schema::historyTables();
    for (const QString &table : historyTables) {
        QStringList names;
        for (const Column &column : columns(table))
            names << column.name;
        s << historyTrigger(table, names);
    }

    s << QStringLiteral("GRANT SELECT ON %1, %2, %3 TO %4, %5")
                 .arg(tables.join(QStringLiteral(", ")), views.join(QStringLiteral(", ")), versionTable(), writer, reader);
    // The history is written by the triggers alone, with the owner's rights.
    tables.removeAll(Schema::historyTable());
    s << QStringLiteral("GRANT INSERT, UPDATE, DELETE ON %1 TO %2").arg(tables.join(QStringLiteral(", ")), writer);
    s << QStringLiteral("RESET ROLE");
    return s;
}

QList<ServerSchema::Column> ServerSchema::columns(const QString &table)
{
    const qsizetype at = Schema::historyTables().indexOf(table);
    return at < 0 ? QList<Column>() : schemaColumns().history.at(at);
}

QString ServerSchema::spelling(const QString &name)
{
    return schemaColumns().spellings.value(name.toLower(), name);
}

QString ServerSchema::rowObject(const QStringList &columns, const QString &row)
{
    return objectOf(columns, row);
}

QStringList ServerSchema::tables()
{
    QStringList names;
    for (const QString &statement : Schema::createStatements()) {
        if (statement.contains(QRegularExpression(QStringLiteral("^CREATE\\s+TABLE"), caseless)))
            names << tableName(statement);
    }
    return names;
}

int ServerSchema::relationCount(ServerDatabase &server)
{
    QSqlQuery q = server.exec(QStringLiteral(
            "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE c.relkind IN ('r', 'v', 'm', 'p', 'f') "
            "AND n.nspname NOT IN ('pg_catalog', 'information_schema') AND n.nspname NOT LIKE 'pg_toast%'"));
    const int present = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return present;
}

void ServerSchema::requireUtf8(ServerDatabase &server)
{
    QSqlQuery q = server.exec(QStringLiteral("SELECT pg_encoding_to_char(encoding) FROM pg_database "
                                             "WHERE datname = current_database()"));
    const QString encoding = q.next() ? q.value(0).toString() : QString();
    q.finish();
    if (encoding != QLatin1String("UTF8"))
        throw StoreError(QStringLiteral("データベース %1 の文字コードが UTF8 ではありません（%2）。"
                                        "createdb -E UTF8 -T template0 で作り直してください。")
                                 .arg(server.server().database(), encoding));
}

void ServerSchema::create(ServerDatabase &server)
{
    requireUtf8(server);
    const int present = relationCount(server);
    if (present > 0)
        throw StoreError(QStringLiteral("データベース %1 は空ではありません（表とビュー %2 個）。"
                                        "台帳は空のデータベースにだけ作れます。")
                                 .arg(server.server().database())
                                 .arg(present));
    QSqlDatabase &db = server.database();
    if (!db.transaction())
        throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"));
    try {
        for (const QString &statement : createStatements())
            server.exec(statement).finish();
    } catch (const StoreError &) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw StoreError(QStringLiteral("サーバーのデータベースを読み書きできません。"));
}
