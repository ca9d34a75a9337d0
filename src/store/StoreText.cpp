#include "StoreText.h"

#include "StoreError.h"

#include <cmath>

namespace {

// The first character that no stored text may hold, or -1.
qsizetype firstRefused(const QString &text, bool lineBreaks)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < n && text.at(i + 1).isLowSurrogate()) {
                ++i;
                continue;
            }
            return i;
        }
        if (c.isLowSurrogate() || c == QChar(0xFEFF))
            return i;
        if (c.category() == QChar::Other_Control
            && !(lineBreaks && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))))
            return i;
    }
    return -1;
}

QString describe(QChar c)
{
    QString what;
    if (c.isSurrogate())
        what = QStringLiteral("対になっていないサロゲート");
    else if (c == QChar(0xFEFF))
        what = QStringLiteral("バイト順マーク");
    else
        what = QStringLiteral("制御文字");
    return QStringLiteral("%1 U+%2").arg(what, QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper());
}

} // namespace

QString StoreText::normalizedCode(const QString &code)
{
    QString result = code.trimmed();
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if ((u >= u'０' && u <= u'９') || (u >= u'Ａ' && u <= u'Ｚ') || (u >= u'ａ' && u <= u'ｚ'))
            c = QChar(char16_t(u - 0xFEE0));
    }
    return result;
}

void StoreText::check(const QString &text, Kind kind, const QString &field)
{
    const qsizetype at = firstRefused(text, kind == Kind::Remark);
    if (at < 0)
        return;
    throw StoreError(QStringLiteral("%1に使えない文字が含まれています（%2 文字目: %3）。入力し直してください。")
                             .arg(field)
                             .arg(at + 1)
                             .arg(describe(text.at(at))));
}

QString StoreText::clean(const QString &text, Kind kind, const QString &field)
{
    const QString result = kind == Kind::Code ? normalizedCode(text) : text;
    check(result, kind, field);
    return result;
}

QString StoreText::withoutRefused(const QString &text, Kind kind, int *removed)
{
    *removed = 0;
    QString rest = text;
    for (qsizetype at = firstRefused(rest, kind == Kind::Remark); at >= 0;
         at = firstRefused(rest, kind == Kind::Remark)) {
        rest.remove(at, 1);
        ++*removed;
    }
    return rest;
}

void StoreText::checkAmount(double value, const QString &field)
{
    if (!std::isfinite(value))
        throw StoreError(QStringLiteral("%1が数として扱えない値です。").arg(field));
    if (std::fabs(value) > maxAmount)
        throw StoreError(QStringLiteral("%1が大きすぎます。金額は 12 桁（999,999,999,999）までです。").arg(field));
}

qsizetype StoreText::firstUnsafeInStatement(const QString &text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() || c.isNull())
            return i;
    }
    return -1;
}
