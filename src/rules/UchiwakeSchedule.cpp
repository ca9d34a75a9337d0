#include "UchiwakeSchedule.h"

#include "TourokuBangou.h"

#include <QHash>

#include <algorithm>

namespace {

using Note = TegataZandaka::Note;
using Line = UchiwakeSchedule::Line;

Line lineOf(const Note &n, const QString &remark)
{
    const UchiwakeSchedule::BankName bank = UchiwakeSchedule::splitBankName(n.bankName);
    const QString number = TourokuBangou::normalized(n.touroku);
    return {false, TourokuBangou::isValid(number) ? number : QString(), n.payeeName, n.drawn, n.due,
            bank.bank, bank.branch, n.amount, remark};
}

Line othersLine(double amount, const QString &remark)
{
    Line l;
    l.payee = UchiwakeSchedule::others();
    l.amount = amount;
    l.remark = remark;
    return l;
}

// The lines of one kind of note (paper, or electronic records).
QList<Line> linesOf(const QList<Note> &notes, const QString &remark)
{
    struct Payee
    {
        QString code;
        double total = 0;
        QList<Note> notes;
    };
    QList<Payee> payees;
    QHash<QString, qsizetype> index;
    for (const Note &n : notes) {
        const auto found = index.constFind(n.payee);
        qsizetype at = found == index.cend() ? -1 : found.value();
        if (at < 0) {
            at = payees.size();
            index.insert(n.payee, at);
            Payee p;
            p.code = n.payee;
            payees.append(p);
        }
        payees[at].total += n.amount;
        payees[at].notes.append(n);
    }
    std::stable_sort(payees.begin(), payees.end(), [](const Payee &a, const Payee &b) { return a.total > b.total; });

    QList<Line> lines;
    double rest = 0;
    for (qsizetype i = 0; i < payees.size(); ++i) {
        const Payee &p = payees.at(i);
        if (p.total >= UchiwakeSchedule::individualFrom() || i < UchiwakeSchedule::fewestPayees()) {
            for (const Note &n : p.notes)
                lines.append(lineOf(n, remark));
        } else {
            rest += p.total;
        }
    }
    if (rest != 0)
        lines.append(othersLine(rest, remark));
    return lines;
}

} // namespace

UchiwakeSchedule::BankName UchiwakeSchedule::splitBankName(const QString &name)
{
    const QString trimmed = name.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (trimmed.at(i) == u' ' || trimmed.at(i) == u'\u3000')
            return {trimmed.left(i), trimmed.mid(i + 1).trimmed()};
    }
    for (const QString &kind : {QStringLiteral("銀行"), QStringLiteral("信用金庫"), QStringLiteral("信用組合"),
                                QStringLiteral("労働金庫"), QStringLiteral("農業協同組合")}) {
        const qsizetype at = trimmed.indexOf(kind);
        if (at > 0 && at + kind.size() < trimmed.size())
            return {trimmed.left(at + kind.size()), trimmed.mid(at + kind.size())};
    }
    return {trimmed, QString()};
}

QList<UchiwakeSchedule::Line> UchiwakeSchedule::lines(const QList<TegataZandaka::Note> &notes, bool withElectronic)
{
    QList<Note> paper;
    QList<Note> electronic;
    for (const Note &n : notes)
        (n.electronic ? electronic : paper).append(n);
    QList<Line> lines = linesOf(paper, QString());
    if (withElectronic)
        lines += linesOf(electronic, electronicRemark());

    // Over the limit, the last line takes every line after it.
    if (lines.size() > mostLines()) {
        double rest = 0;
        for (qsizetype i = mostLines() - 1; i < lines.size(); ++i)
            rest += lines.at(i).amount;
        lines.resize(mostLines() - 1);
        lines.append(othersLine(rest, QString()));
    }
    double sum = 0;
    for (const Line &l : std::as_const(lines))
        sum += l.amount;
    if (!lines.isEmpty()) {
        Line total;
        total.total = true;
        total.amount = sum;
        lines.append(total);
    }
    return lines;
}
