#include "SelectionFormula.h"

#include "ReportDefinition.h"
#include "ReportError.h"

#include "store/JetSql.h"

#include <QLocale>

namespace {

enum class Token { Field, Date, Text, Number, Operator, And, Open, Close, End };

// Deeper nesting than any report needs is refused before it can exhaust the stack.
constexpr int maxDepth = 200;

struct Operand
{
    QString sql;
    bool field = false;
    bool emptyText = false;
};

struct Lexeme
{
    Token type = Token::End;
    QString text;
    qsizetype at = 0;
};

class Parser
{
public:
    Parser(const QString &formula, const QString &source, const QString &fileName)
        : m_formula(formula)
        , m_source(source)
        , m_fileName(fileName)
    {
        advance();
    }

    SqlCondition parse()
    {
        SqlCondition c;
        c.sql = conjunction(c.values);
        if (m_current.type != Token::End)
            fail(m_current.at, QStringLiteral("「%1」は式の続きとして読めません").arg(m_current.text));
        c.fields = m_fields;
        c.fieldTexts = m_fieldTexts;
        return c;
    }

private:
    [[noreturn]] void fail(qsizetype at, const QString &why) const
    {
        throw ReportError(m_fileName,
                          QStringLiteral("選択式「%1」の %2 文字目: %3").arg(m_formula).arg(at + 1).arg(why));
    }

    QString conjunction(QVariantList &values)
    {
        QString sql = term(values);
        while (m_current.type == Token::And) {
            advance();
            sql += QStringLiteral(" AND ") + term(values);
        }
        return sql;
    }

    QString term(QVariantList &values)
    {
        if (m_current.type == Token::Open) {
            if (++m_depth > maxDepth)
                fail(m_current.at, QStringLiteral("括弧の入れ子が深すぎます (%1 段まで)").arg(maxDepth));
            advance();
            const QString inner = conjunction(values);
            if (m_current.type != Token::Close)
                fail(m_current.at, QStringLiteral(") がありません"));
            advance();
            --m_depth;
            return QLatin1Char('(') + inner + QLatin1Char(')');
        }
        Operand left = operand(values);
        if (m_current.type != Token::Operator)
            fail(m_current.at, QStringLiteral("比較の記号 (=, <>, <, <=, >, >=) がありません"));
        const QString op = m_current.text;
        advance();
        Operand right = operand(values);
        // Compared with the empty text, a column without a value counts as
        // empty, as users mean it.
        if (left.emptyText && right.field)
            right.sql = QStringLiteral("IFNULL(%1, '')").arg(right.sql);
        if (right.emptyText && left.field)
            left.sql = QStringLiteral("IFNULL(%1, '')").arg(left.sql);
        return left.sql + QLatin1Char(' ') + op + QLatin1Char(' ') + right.sql;
    }

    Operand operand(QVariantList &values)
    {
        const Lexeme l = m_current;
        Operand result{QStringLiteral("?")};
        switch (l.type) {
        case Token::Field: {
            const qsizetype dot = l.text.indexOf(QLatin1Char('.'));
            const QString query = dot < 0 ? QString() : l.text.left(dot).trimmed();
            const QString field = dot < 0 ? l.text.trimmed() : l.text.mid(dot + 1).trimmed();
            if (query.compare(m_source, Qt::CaseInsensitive) != 0)
                fail(l.at, QStringLiteral("{%1} はこのレポートの読む %2 の列ではありません").arg(l.text, m_source));
            if (!ReportDefinition::isIdentifier(field))
                fail(l.at, QStringLiteral("{%1} の列の名前が正しくありません").arg(l.text));
            advance();
            m_fields << field;
            m_fieldTexts << QLatin1Char('{') + l.text + QLatin1Char('}');
            return {QLatin1Char('"') + field + QLatin1Char('"'), true};
        }
        case Token::Date: {
            const QDate date = JetSql::parseDate(l.text);
            if (!date.isValid())
                fail(l.at, QStringLiteral("#%1# は日付ではありません").arg(l.text));
            values.append(date.toString(Qt::ISODate));
            break;
        }
        case Token::Text:
            // '' is the empty text, never a missing value.
            values.append(l.text.isEmpty() ? QStringLiteral("") : l.text);
            result.emptyText = l.text.isEmpty();
            break;
        case Token::Number:
            values.append(QLocale::c().toDouble(l.text));
            break;
        default:
            fail(l.at, l.type == Token::End ? QStringLiteral("式が途中で終わっています")
                                            : QStringLiteral("「%1」の位置には列か値が要ります").arg(l.text));
        }
        advance();
        return result;
    }

    void advance()
    {
        const QString &f = m_formula;
        while (m_pos < f.size() && f.at(m_pos).isSpace())
            ++m_pos;
        m_current = Lexeme{Token::End, QString(), m_pos};
        if (m_pos >= f.size())
            return;
        const QChar c = f.at(m_pos);
        const qsizetype start = m_pos;
        if (c == QLatin1Char('{')) {
            const qsizetype end = f.indexOf(QLatin1Char('}'), m_pos);
            if (end < 0)
                fail(start, QStringLiteral("{ が閉じていません"));
            m_current = {Token::Field, f.mid(m_pos + 1, end - m_pos - 1), start};
            m_pos = end + 1;
        } else if (c == QLatin1Char('#')) {
            const qsizetype end = f.indexOf(QLatin1Char('#'), m_pos + 1);
            if (end < 0)
                fail(start, QStringLiteral("日付の # が閉じていません"));
            m_current = {Token::Date, f.mid(m_pos + 1, end - m_pos - 1), start};
            m_pos = end + 1;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString text;
            qsizetype i = m_pos + 1;
            for (;;) {
                if (i >= f.size())
                    fail(start, QStringLiteral("引用符が閉じていません"));
                if (f.at(i) == c) {
                    if (i + 1 < f.size() && f.at(i + 1) == c) {
                        text += c;
                        i += 2;
                        continue;
                    }
                    break;
                }
                text += f.at(i++);
            }
            m_current = {Token::Text, text, start};
            m_pos = i + 1;
        } else if (c.isDigit()) {
            qsizetype i = m_pos;
            while (i < f.size() && (f.at(i).isDigit() || f.at(i) == QLatin1Char('.')))
                ++i;
            m_current = {Token::Number, f.mid(m_pos, i - m_pos), start};
            bool ok = false;
            QLocale::c().toDouble(m_current.text, &ok);
            if (!ok)
                fail(start, QStringLiteral("「%1」は数ではありません").arg(m_current.text));
            m_pos = i;
        } else if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')) {
            QString op(c);
            if (m_pos + 1 < f.size()) {
                const QChar n = f.at(m_pos + 1);
                if ((c == QLatin1Char('<') && (n == QLatin1Char('>') || n == QLatin1Char('=')))
                    || (c == QLatin1Char('>') && n == QLatin1Char('=')))
                    op += n;
            }
            m_current = {Token::Operator, op, start};
            m_pos += op.size();
        } else if (c == QLatin1Char('(')) {
            m_current = {Token::Open, QStringLiteral("("), start};
            ++m_pos;
        } else if (c == QLatin1Char(')')) {
            m_current = {Token::Close, QStringLiteral(")"), start};
            ++m_pos;
        } else if (c.isLetter()) {
            qsizetype i = m_pos;
            while (i < f.size() && f.at(i).isLetterOrNumber())
                ++i;
            const QString word = f.mid(m_pos, i - m_pos);
            if (word.compare(QLatin1String("AND"), Qt::CaseInsensitive) != 0)
                fail(start, QStringLiteral("「%1」は使えない語です (使えるのは AND)").arg(word));
            m_current = {Token::And, word, start};
            m_pos = i;
        } else {
            fail(start, QStringLiteral("「%1」は使えない文字です").arg(c));
        }
    }

    const QString &m_formula;
    const QString &m_source;
    const QString &m_fileName;
    qsizetype m_pos = 0;
    Lexeme m_current;
    int m_depth = 0;
    QStringList m_fields;
    QStringList m_fieldTexts;
};

} // namespace

SqlCondition SelectionFormula::toSql(const QString &formula, const QString &source, const QString &fileName)
{
    if (formula.trimmed().isEmpty())
        return {};
    return Parser(formula, source, fileName).parse();
}

QString SelectionFormula::textLiteral(const QString &value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}
