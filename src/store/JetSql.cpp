#include "JetSql.h"

#include "StoreError.h"
#include "StoreText.h"

#include <QRegularExpression>

QString JetSql::quote(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString JetSql::dateLiteral(const QDate &date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('#');
}

QDate JetSql::parseDate(const QString &text)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{4})[/-](\d{1,2})[/-](\d{1,2})(?:[ T]\d{1,2}:\d{2}(?::\d{2})?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return QDate();
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

QVariant JetSql::toStoredDate(const QVariant &value)
{
    if (value.isNull())
        return QVariant(QMetaType(QMetaType::QString));
    QDate date;
    switch (value.typeId()) {
    case QMetaType::QDate:
        date = value.toDate();
        break;
    case QMetaType::QDateTime:
        date = value.toDateTime().date();
        break;
    default: {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return QVariant(QMetaType(QMetaType::QString));
        date = parseDate(text);
        if (!date.isValid())
            throw StoreError(QStringLiteral("日付として読めない値です: %1").arg(text));
    }
    }
    if (!date.isValid())
        throw StoreError(QStringLiteral("日付が正しくありません。"));
    return date.toString(Qt::ISODate);
}

namespace {

[[noreturn]] void malformed(const QString &jet, const QString &why)
{
    throw StoreError(QStringLiteral("SQL 文が正しくありません（%1）。").arg(why), jet);
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char(']');
}

} // namespace

QString JetSql::toSqlite(const QString &jet)
{
    // A NUL would cut the statement short at the engine, a lone surrogate
    // would swallow the quote after it: neither has a place in a statement.
    const qsizetype unsafe = StoreText::firstUnsafeInStatement(jet);
    if (unsafe >= 0) {
        const QString code = QString::number(jet.at(unsafe).unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        malformed(jet, QStringLiteral("%1 文字目に使えない文字 U+%2 があります").arg(unsafe + 1).arg(code));
    }
    QString out;
    out.reserve(jet.size() + 16);
    const qsizetype n = jet.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = jet.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A text literal; a doubled quote inside stays part of the text.
            QString text;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (jet.at(j) == c) {
                    if (j + 1 < n && jet.at(j + 1) == c) {
                        text += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                text += jet.at(j);
                ++j;
            }
            if (!closed)
                malformed(jet, QStringLiteral("引用符が閉じていません"));
            out += quote(text);
            i = j + 1;
        } else if (c == QLatin1Char('#')) {
            const qsizetype end = jet.indexOf(QLatin1Char('#'), i + 1);
            if (end < 0)
                malformed(jet, QStringLiteral("日付の # が閉じていません"));
            const QDate date = parseDate(jet.mid(i + 1, end - i - 1));
            if (!date.isValid())
                malformed(jet, QStringLiteral("日付が正しくありません"));
            out += QLatin1Char('\'') + date.toString(Qt::ISODate) + QLatin1Char('\'');
            i = end + 1;
        } else if (c == QLatin1Char('!') && i > 0 && isIdentifierChar(jet.at(i - 1))
                   && i + 1 < n && (jet.at(i + 1).isLetter() || jet.at(i + 1) == QLatin1Char('['))) {
            out += QLatin1Char('.');
            ++i;
        } else if (c == QLatin1Char(';')) {
            for (qsizetype j = i + 1; j < n; ++j) {
                if (!jet.at(j).isSpace())
                    malformed(jet, QStringLiteral("文が二つ以上あります"));
            }
            i = n;
        } else if (c == QLatin1Char('-') && i + 1 < n && jet.at(i + 1) == QLatin1Char('-')) {
            malformed(jet, QStringLiteral("注釈は使えません"));
        } else if (c == QLatin1Char('/') && i + 1 < n && jet.at(i + 1) == QLatin1Char('*')) {
            malformed(jet, QStringLiteral("注釈は使えません"));
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}
