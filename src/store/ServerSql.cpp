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
    QString text;
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
        out.append({kind, sql.mid(i, j - i)});
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
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// SQLite's own functions and statements, with no form of the same meaning
// here: today's date in particular comes from the program, never from the
// server's clock.
const char *const refusedWords[] = {"PRAGMA", "sqlite_master", "sqlite_schema", "IMMEDIATE", "ATTACH", "DETACH",
                                   "VACUUM", "INTO", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "GLOB",
                                   "COLLATE"};
const char *const refusedCalls[] = {"group_concat", "last_insert_rowid", "julianday", "strftime", "datetime", "date",
                                    "time", "printf", "typeof", "total", "iif", "instr"};

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
    bool bareMarks = false;
    bool numberedMarks = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        Token &token = t[i];
        const qsizetype after = next(i);
        const qsizetype before = previous(i);
        switch (token.kind) {
        case Token::Quoted:
            // The register's names were made unquoted, which the server
            // folds to lower case.
            token.text = token.text.toLower();
            continue;
        case Token::Param:
            if (token.text.size() == 1) {
                bareMarks = true;
            } else {
                numberedMarks = true;
                token.text[0] = QLatin1Char('$');
            }
            continue;
        case Token::Symbol:
            if (token.text == QLatin1String("=="))
                token.text = QStringLiteral("=");
            else if (token.text == QLatin1String(";") && after >= 0)
                unknown(sqlite, QStringLiteral("文が二つ以上あります"));
            continue;
        case Token::Word:
            break;
        default:
            continue;
        }
        const bool call = after >= 0 && t.at(after).text == QLatin1String("(");
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
            // A case-blind column compares so already; anything else is made
            // case-blind for the comparison.
            Token &operand = t[before];
            const bool column = operand.kind == Token::Word || operand.kind == Token::Quoted;
            if (!column && operand.kind != Token::Text && operand.kind != Token::Param)
                unknown(sqlite, QStringLiteral("COLLATE NOCASE"));
            if (!column || !caseBlindColumns().contains(operand.text.toLower().remove(QLatin1Char('"')))) {
                // A qualified column (s.TNo) is cast whole.
                qsizetype start = before;
                if (column && start >= 2 && t.at(start - 1).text == QLatin1String(".")
                    && (t.at(start - 2).kind == Token::Word || t.at(start - 2).kind == Token::Quoted))
                    start -= 2;
                t[start].text.prepend(QStringLiteral("CAST("));
                operand.text += QStringLiteral(" AS citext)");
            }
            for (qsizetype k = before + 1; k <= after; ++k)
                t[k].text.clear();
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
