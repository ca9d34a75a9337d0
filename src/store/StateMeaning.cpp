#include "StateMeaning.h"

#include "Connection.h"

#include <QSqlQuery>

QString StateMeaning::column()
{
    return QStringLiteral("KbnKesai");
}

QStringList StateMeaning::names()
{
    return {QStringLiteral("未決済"), QStringLiteral("決済済み"), QStringLiteral("無効"), QStringLiteral("不渡り")};
}

QString StateMeaning::name(Meaning meaning)
{
    return names().value(int(meaning));
}

StateMeaning::Meaning StateMeaning::fromValue(const QVariant &value)
{
    const int v = value.toInt();
    return v >= Waiting && v <= Dishonoured ? Meaning(v) : Waiting;
}

StateMeaning::Meaning StateMeaning::fromName(const QString &stateName)
{
    const auto has = [&stateName](const char16_t *word) { return stateName.contains(QString::fromUtf16(word)); };
    if (has(u"不渡"))
        return Dishonoured;
    if (has(u"取消") || has(u"取り消") || has(u"書換") || has(u"書き換") || has(u"無効"))
        return Void;
    if (has(u"決済済"))
        return Paid;
    return Waiting;
}

QString StateMeaning::sqlOf(const QString &alias)
{
    return QStringLiteral("IFNULL(%1.KbnKesai, 0)").arg(alias);
}

QHash<QString, StateMeaning::Meaning> StateMeaning::load(Connection &connection)
{
    QHash<QString, Meaning> meanings;
    QSqlQuery &q = connection.exec(QStringLiteral("SELECT KbnCode, KbnKesai FROM Kbn3"));
    while (q.next())
        meanings.insert(q.value(0).toString().toCaseFolded(), fromValue(q.value(1)));
    q.finish();
    return meanings;
}

StateMeaning::Marked StateMeaning::markFromNames(Connection &connection)
{
    QList<QPair<QString, QString>> rows;
    {
        QSqlQuery &q = connection.exec(QStringLiteral("SELECT KbnCode, KbnName FROM Kbn3 ORDER BY rowid"));
        while (q.next())
            rows.append({q.value(0).toString(), q.value(1).toString()});
        q.finish();
    }
    Marked result;
    for (const auto &[code, stateName] : std::as_const(rows)) {
        const Meaning meaning = fromName(stateName);
        connection.exec(QStringLiteral("UPDATE Kbn3 SET KbnKesai = ? WHERE KbnCode = ?"), {int(meaning), code}).finish();
        const QString row = code + QLatin1Char(' ') + stateName;
        if (meaning == Waiting)
            result.waiting << row;
        else
            result.marked << row + QStringLiteral(": ") + name(meaning);
    }
    return result;
}

QString StateMeaning::markedText(const Marked &marked)
{
    QString text = QStringLiteral("手形の状態に、名前から意味を付けました。\n");
    text += marked.marked.isEmpty() ? QStringLiteral("  (なし)\n") : QStringLiteral("  ") + marked.marked.join(QStringLiteral("\n  ")) + u'\n';
    text += QStringLiteral("未決済のままにした状態:\n");
    text += marked.waiting.isEmpty() ? QStringLiteral("  (なし)") : QStringLiteral("  ") + marked.waiting.join(QStringLiteral("\n  "));
    text += QStringLiteral("\n意味は「区分メンテ」の「3:手形の状態」で変えられます。");
    return text;
}
