#include "ServerSql.h"

#include "Schema.h"
#include "StoreError.h"

#include <QRegularExpression>
#include <QSet>
#include <QVector>

namespace {

struct Token
{
    enum Kind { Space, Text, Quoted, Word, Param, Symbol };
    Kind kind;
    QString text; // as it is sent
    QString source; // as it was written, for finding parentheses
};

[[noreturn]] void unknown(const QString &sqlite, const QString &what)
{
    throw StoreError(QStringLiteral("サーバーで実行できない形の SQL 文です（%1）。").arg(what), sqlite);
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

QVector<Token> tokens(const QString &sql)
{
    QVector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        qsizetype j = i + 1;
        Token::Kind kind = Token::Symbol;
        if (c.isSpace()) {
            while (j < n && sql.at(j).isSpace())
                ++j;
            kind = Token::Space;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A doubled quote stays inside; an unclosed one runs to the end
            // and the server refuses it as SQLite would.
            while (j < n) {
                if (sql.at(j) == c && !(j + 1 < n && sql.at(j + 1) == c)) {
                    ++j;
                    break;
                }
                j += sql.at(j) == c ? 2 : 1;
            }
            kind = c == QLatin1Char('\'') ? Token::Text : Token::Quoted;
        } else if (c == QLatin1Char('?')) {
            while (j < n && sql.at(j).isDigit())
                ++j;
            kind = Token::Param;
        } else if (isWordChar(c)) {
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            kind = Token::Word;
        } else if (c == QLatin1Char('=') && j < n && sql.at(j) == QLatin1Char('=')) {
            ++j;
        }
        out.append({kind, sql.mid(i, j - i), sql.mid(i, j - i)});
        i = j;
    }
    return out;
}

// The columns made case-blind by COLLATE NOCASE, which are citext on the
// server.
const QSet<QString> &caseBlindColumns()
{
    static const QSet<QString> columns = [] {
        QSet<QString> set;
        static const QRegularExpression column(QStringLiteral("(\\w+)\\s+TEXT(\\s+NOT\\s+NULL)?\\s+COLLATE\\s+NOCASE\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
        QStringList statements = Schema::createStatements();
        for (int from = 1; !Schema::upgradeStatements(from).isEmpty(); ++from)
            statements << Schema::upgradeStatements(from);
        for (const QString &statement : statements) {
            for (const QRegularExpressionMatch &m : column.globalMatch(statement))
                set.insert(m.captured(1).toLower());
        }
        return set;
    }();
    return columns;
}

bool is(const Token &t, const char *word)
{
    return t.kind == Token::Word && t.source.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// SQLite's own functions and statements, with no form of the same meaning
// here: today's date in particular comes from the program, never from the
// server's clock.
const char *const refusedWords[] = {"PRAGMA", "sqlite_master", "sqlite_schema", "IMMEDIATE", "ATTACH", "DETACH",
                                   "VACUUM", "INTO", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "GLOB",
                                   "COLLATE"};
const char *const refusedCalls[] = {"last_insert_rowid", "julianday", "strftime", "datetime", "date",
                                    "time", "printf", "typeof", "iif", "instr"};

bool isComparison(const Token &t)
{
    return t.kind == Token::Symbol
            ? t.source == QLatin1String("=") || t.source == QLatin1String("<") || t.source == QLatin1String(">")
                    || t.source == QLatin1String("!") || t.source == QLatin1String("==")
            : is(t, "LIKE");
}

// Words that follow a FROM item where it has no alias.
bool isClauseWord(const Token &t)
{
    for (const char *word : {"WHERE", "GROUP", "ORDER", "LIMIT", "UNION", "EXCEPT", "INTERSECT", "JOIN", "LEFT", "RIGHT",
                             "INNER", "CROSS", "FULL", "NATURAL", "ON", "HAVING", "WINDOW", "OFFSET"}) {
        if (is(t, word))
            return true;
    }
    return false;
}

} // namespace

QString ServerSql::rowIdColumn()
{
    return QStringLiteral("rowid");
}

QString ServerSql::rowIdDefinition()
{
    return rowIdColumn() + QStringLiteral(" bigint GENERATED ALWAYS AS IDENTITY UNIQUE");
}

QString ServerSql::globToRegex(const QString &glob)
{
    QString regex = QStringLiteral("^");
    bool inClass = false;
    for (const QChar c : glob) {
        if (inClass) {
            regex += c;
            inClass = c != QLatin1Char(']');
        } else if (c == QLatin1Char('[')) {
            regex += c;
            inClass = true;
        } else if (c == QLatin1Char('*')) {
            regex += QStringLiteral(".*");
        } else if (c == QLatin1Char('?')) {
            regex += QLatin1Char('.');
        } else if (QStringLiteral(".^$+(){}|\\").contains(c)) {
            regex += QLatin1Char('\\') + c;
        } else {
            regex += c;
        }
    }
    return regex + QLatin1Char('$');
}

QString ServerSql::fromSqlite(const QString &sqlite)
{
    QVector<Token> t = tokens(sqlite);
    // The significant token after / before position i (spaces skipped).
    const auto next = [&t](qsizetype i) {
        for (++i; i < t.size(); ++i) {
            if (t.at(i).kind != Token::Space)
                return i;
        }
        return qsizetype(-1);
    };
    const auto previous = [&t](qsizetype i) {
        for (--i; i >= 0; --i) {
            if (t.at(i).kind != Token::Space)
                return i;
        }
        return qsizetype(-1);
    };
    // The parenthesis that closes (step 1) or opens (step -1) the one at i.
    const auto matching = [&t, &sqlite](qsizetype i, int step) {
        const QString open = step > 0 ? QStringLiteral("(") : QStringLiteral(")");
        const QString close = step > 0 ? QStringLiteral(")") : QStringLiteral("(");
        int depth = 0;
        for (; i >= 0 && i < t.size(); i += step) {
            if (t.at(i).source == open)
                ++depth;
            else if (t.at(i).source == close && --depth == 0)
                return i;
        }
        unknown(sqlite, QStringLiteral("括弧が閉じていません"));
    };
    const auto splitArguments = [&t, &next, &previous](qsizetype open, qsizetype close) {
        QList<QPair<qsizetype, qsizetype>> arguments;
        int depth = 0;
        qsizetype start = next(open);
        for (qsizetype k = open + 1; k < close; ++k) {
            if (t.at(k).source == QLatin1String("("))
                ++depth;
            else if (t.at(k).source == QLatin1String(")"))
                --depth;
            else if (depth == 0 && t.at(k).source == QLatin1String(",")) {
                arguments.append({start, previous(k)});
                start = next(k);
            }
        }
        arguments.append({start, previous(close)});
        return arguments;
    };
    // The first token of the operand that ends at `last`: a value, a
    // column (qualified or not), a parenthesised expression or a call.
    const auto operandStart = [&](qsizetype last) {
        if (last < 0)
            unknown(sqlite, QStringLiteral("COLLATE NOCASE"));
        const Token &o = t.at(last);
        if (o.source == QLatin1String(")")) {
            const qsizetype open = matching(last, -1);
            return open > 0 && t.at(open - 1).kind == Token::Word ? open - 1 : open;
        }
        if (o.kind == Token::Word || o.kind == Token::Quoted) {
            if (last >= 2 && t.at(last - 1).source == QLatin1String(".")
                && (t.at(last - 2).kind == Token::Word || t.at(last - 2).kind == Token::Quoted))
                return last - 2;
            return last;
        }
        if (o.kind == Token::Text || o.kind == Token::Param)
            return last;
        unknown(sqlite, QStringLiteral("COLLATE NOCASE"));
    };
    const auto operandEnd = [&](qsizetype first) {
        if (first < 0)
            unknown(sqlite, QStringLiteral("COLLATE NOCASE"));
        if (t.at(first).source == QLatin1String("("))
            return matching(first, 1);
        if (t.at(first).kind == Token::Word && first + 1 < t.size() && t.at(first + 1).source == QLatin1String("("))
            return matching(first + 1, 1);
        if (first + 2 < t.size() && t.at(first + 1).source == QLatin1String(".")
            && (t.at(first + 2).kind == Token::Word || t.at(first + 2).kind == Token::Quoted))
            return first + 2;
        return first;
    };
    const auto castCaseBlind = [&t](qsizetype first, qsizetype last) {
        if (first == last && (t.at(first).kind == Token::Word || t.at(first).kind == Token::Quoted)
            && caseBlindColumns().contains(t.at(first).source.toLower().remove(QLatin1Char('"'))))
            return;
        if (first + 2 == last && t.at(first + 1).source == QLatin1String(".")
            && caseBlindColumns().contains(t.at(last).source.toLower().remove(QLatin1Char('"'))))
            return;
        t[first].text.prepend(QStringLiteral("CAST("));
        t[last].text += QStringLiteral(" AS citext)");
    };
    bool bareMarks = false;
    bool numberedMarks = false;
    int subqueries = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        Token &token = t[i];
        const qsizetype after = next(i);
        const qsizetype before = previous(i);
        switch (token.kind) {
        case Token::Quoted:
            // The register's names were made unquoted, which the server
            // folds to lower case.
            token.text.replace(token.source, token.source.toLower());
            continue;
        case Token::Param:
            if (token.source.size() == 1) {
                bareMarks = true;
            } else {
                numberedMarks = true;
                token.text.replace(token.source, QLatin1Char('$') + token.source.mid(1));
            }
            continue;
        case Token::Symbol:
            if (token.source == QLatin1String("(") && before >= 0 && (is(t.at(before), "FROM") || is(t.at(before), "JOIN"))
                && after >= 0 && is(t.at(after), "SELECT")) {
                // The server names every subquery in FROM.
                const qsizetype close = matching(i, 1);
                const qsizetype alias = next(close);
                if (alias < 0 || t.at(alias).kind != Token::Word || isClauseWord(t.at(alias)))
                    t[close].text += QStringLiteral(" AS subquery%1").arg(++subqueries);
            }
            if (token.source == QLatin1String("=="))
                token.text = QStringLiteral("=");
            else if (token.source == QLatin1String(";") && after >= 0)
                unknown(sqlite, QStringLiteral("文が二つ以上あります"));
            continue;
        case Token::Word:
            break;
        default:
            continue;
        }
        const bool call = after >= 0 && t.at(after).text == QLatin1String("(");
        if (is(token, "temp") && after >= 0 && t.at(after).source == QLatin1String(".")
            && (before < 0 || t.at(before).source != QLatin1String("."))) {
            // The session's temporary tables.
            token.text = QStringLiteral("pg_temp");
            continue;
        }
        if (is(token, "IFNULL") && call) {
            token.text = QStringLiteral("COALESCE");
        } else if (is(token, "LIKE")) {
            // SQLite's LIKE ignores letter case.
            token.text = QStringLiteral("ILIKE");
        } else if ((is(token, "REAL") || is(token, "INTEGER")) && before >= 0 && is(t.at(before), "AS")) {
            token.text = is(token, "REAL") ? QStringLiteral("numeric") : QStringLiteral("bigint");
        } else if (is(token, "GLOB") && after >= 0 && t.at(after).kind == Token::Text) {
            token.text = QStringLiteral("~");
            Token &pattern = t[after];
            pattern.text = QLatin1Char('\'') + globToRegex(pattern.text.mid(1, pattern.text.size() - 2)) + QLatin1Char('\'');
        } else if (is(token, "COLLATE") && after >= 0 && is(t.at(after), "NOCASE") && before >= 0) {
            // A comparison made case-blind compares citext on both sides; a
            // case-blind column is citext already.
            const qsizetype first = operandStart(before);
            castCaseBlind(first, before);
            const qsizetype op = next(after);
            if (op >= 0 && isComparison(t.at(op))) {
                const qsizetype right = next(op + (op + 1 < t.size() && isComparison(t.at(op + 1)) ? 1 : 0));
                castCaseBlind(right, operandEnd(right));
            } else {
                qsizetype left = previous(first);
                if (left >= 0 && isComparison(t.at(left))) {
                    if (left > 0 && isComparison(t.at(left - 1)))
                        --left;
                    const qsizetype end = previous(left);
                    castCaseBlind(operandStart(end), end);
                }
            }
            for (qsizetype k = before + 1; k <= after; ++k)
                t[k].text.clear();
        } else if (is(token, "json_extract") && call) {
            // The same path reads the same value: SQLite's JSON path is one
            // of the server's.
            const qsizetype close = matching(after, 1);
            const QList<QPair<qsizetype, qsizetype>> arguments = splitArguments(after, close);
            if (arguments.size() != 2)
                unknown(sqlite, token.text);
            token.text = QStringLiteral("jsonb_path_query_first");
            t[arguments.at(0).first].text.prepend(QStringLiteral("CAST("));
            t[arguments.at(0).second].text += QStringLiteral(" AS jsonb)");
            t[arguments.at(1).first].text.prepend(QStringLiteral("CAST("));
            t[arguments.at(1).second].text += QStringLiteral(" AS jsonpath)");
            t[close].text += QStringLiteral(" #>> '{}'");
        } else if (is(token, "group_concat") && call) {
            // The rows in the order they come, joined by "," unless told.
            const qsizetype close = matching(after, 1);
            const QList<QPair<qsizetype, qsizetype>> arguments = splitArguments(after, close);
            if (arguments.size() > 2)
                unknown(sqlite, token.text);
            token.text = QStringLiteral("string_agg");
            t[arguments.at(0).first].text.prepend(QStringLiteral("CAST("));
            t[arguments.at(0).second].text += QStringLiteral(" AS text)");
            if (arguments.size() == 1)
                t[close].text.prepend(QStringLiteral(", ','"));
        } else if (is(token, "json_each") && call) {
            // The values of a JSON array, in a column named value.
            const qsizetype close = matching(after, 1);
            token.text = QStringLiteral("json_array_elements_text");
            t[after].text += QStringLiteral("CAST(");
            t[close].text.prepend(QStringLiteral(" AS json)"));
        } else if (is(token, "TOTAL") && call) {
            // SQLite's sum that is 0 over no rows.
            const qsizetype close = matching(after, 1);
            token.text = QStringLiteral("COALESCE(SUM");
            t[close].text += QStringLiteral(", 0)");
        } else if (is(token, "INSERT") && after >= 0 && is(t.at(after), "OR")) {
            unknown(sqlite, QStringLiteral("INSERT OR"));
        } else {
            for (const char *word : refusedWords) {
                // INTO is refused after REPLACE only: "REPLACE INTO".
                if (is(token, word) && (!is(token, "INTO") || (before >= 0 && is(t.at(before), "REPLACE"))))
                    unknown(sqlite, token.text);
            }
            for (const char *word : refusedCalls) {
                if (call && is(token, word))
                    unknown(sqlite, token.text);
            }
        }
    }
    if (bareMarks && numberedMarks)
        unknown(sqlite, QStringLiteral("? と ?NNN の混在"));
    QString out;
    out.reserve(sqlite.size() + 16);
    for (const Token &token : t)
        out += token.text;
    return out;
}
