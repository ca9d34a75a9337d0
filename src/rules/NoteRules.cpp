#include "NoteRules.h"

#include <iterator>

namespace {

const NoteRules::StampBand bands[] = {
    {1'000'000, 200},         {2'000'000, 400},         {3'000'000, 600},       {5'000'000, 1'000},
    {10'000'000, 2'000},      {20'000'000, 4'000},      {30'000'000, 6'000},    {50'000'000, 10'000},
    {100'000'000, 20'000},    {200'000'000, 40'000},    {300'000'000, 60'000},  {500'000'000, 100'000},
    {1'000'000'000, 150'000},
};

} // namespace

qint64 NoteRules::stampFreeBelow()
{
    return 100'000;
}

QList<NoteRules::StampBand> NoteRules::stampBands()
{
    return QList<StampBand>(std::begin(bands), std::end(bands));
}

qint64 NoteRules::topStampDuty()
{
    return 200'000;
}

qint64 NoteRules::stampDuty(double amount, bool electronic)
{
    if (electronic || amount < double(stampFreeBelow()))
        return 0;
    for (const StampBand &band : bands) {
        if (amount <= double(band.upTo))
            return band.duty;
    }
    return topStampDuty();
}

int NoteRules::termDays(const QDate &drawn, const QDate &due)
{
    if (!drawn.isValid() || !due.isValid())
        return 0;
    return int(drawn.daysTo(due));
}

int NoteRules::longTermDays()
{
    return 60;
}

QDate NoteRules::longTermFrom()
{
    return QDate(2024, 11, 1);
}

QDate NoteRules::lastClearingDue()
{
    return QDate(2027, 3, 31);
}

QDate NoteRules::subcontractLawFrom()
{
    return QDate(2026, 1, 1);
}

NoteRules::Warning NoteRules::warning(Kind kind, bool electronic)
{
    if (kind == Kind::Subcontract && electronic)
        return {kind, QStringLiteral("取適法対象先: 60日超"),
                QStringLiteral("取適法対象（中小受託事業者）の振出先への電子記録債務は、2026年1月1日以降、"
                               "60日以内に満額を現金で受け取れる期日でなければなりません。")};
    switch (kind) {
    case Kind::LongTerm:
        return {kind, QStringLiteral("60日超"),
                QStringLiteral("サイトが60日を超えています。割引が難しく、公正取引委員会の指導の対象になります。")};
    case Kind::Clearing:
        return {kind, QStringLiteral("2027年4月以降期日"),
                QStringLiteral("期日が2027年3月31日より後の紙の手形は、電子交換所で交換されません。"
                               "電子記録債務への切替えが必要です。")};
    case Kind::Subcontract:
        return {kind, QStringLiteral("取適法対象先"),
                QStringLiteral("取適法対象（中小受託事業者）の振出先には、2026年1月1日以降、"
                               "手形で支払うことができません。")};
    }
    return {kind, QString(), QString()};
}

int NoteRules::recordNumberLength()
{
    return 20;
}

QString NoteRules::recordNumberText(const QString &typed)
{
    QString text = typed;
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if ((u >= u'０' && u <= u'９') || (u >= u'Ａ' && u <= u'Ｚ') || (u >= u'ａ' && u <= u'ｚ'))
            c = QChar(char16_t(u - 0xFEE0));
        if (c >= u'a' && c <= u'z')
            c = QChar(char16_t(c.unicode() - u'a' + u'A'));
    }
    return text;
}

bool NoteRules::isRecordNumber(const QString &text)
{
    if (text.size() != recordNumberLength())
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')))
            return false;
    }
    return true;
}

QList<NoteRules::Warning> NoteRules::warnings(const QDate &drawn, const QDate &due, bool electronic, bool covered)
{
    QList<Warning> found;
    const bool longTerm = termDays(drawn, due) > longTermDays() && drawn >= longTermFrom();
    if (longTerm)
        found << warning(Kind::LongTerm);
    // Only paper goes through the clearing house.
    if (!electronic && due.isValid() && due > lastClearingDue())
        found << warning(Kind::Clearing);
    if (covered && drawn.isValid() && drawn >= subcontractLawFrom() && (!electronic || longTerm))
        found << warning(Kind::Subcontract, electronic);
    return found;
}
