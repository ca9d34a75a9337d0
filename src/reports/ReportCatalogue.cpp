#include "ReportCatalogue.h"

#include "ReportError.h"
#include "SelectionFormula.h"

#include "store/JetSql.h"

#include <iterator>

namespace {

const char *const fileNames[] = {
    "FridasiSaki1.rpt", "RBBank1.rpt", "RBKubun1.rpt", "RBYoto1.rpt", "RBJyotai1.rpt", "RBKeiriKbn.rpt",
    "RBClKbn1.rpt",     "Ribodo1.rpt", "RBEX1.rpt",    "RBNote.rpt",  "RBKesai.rpt",   "RBCross.rpt",
    "RBShikin.rpt",
};

// A date that could carry more formula text after a "#" must not reach the
// formula; the value is refused instead.
QString checkedDate(const QString &reportDate)
{
    if (reportDate.contains(QLatin1Char('#')) || !JetSql::parseDate(reportDate).isValid())
        throw ReportError(QStringLiteral("ReportDate"),
                          QStringLiteral("レポートの日付「%1」が日付 (yyyy/mm/dd) ではありません。").arg(reportDate));
    return reportDate;
}

} // namespace

std::optional<ReportCatalogue::Entry> ReportCatalogue::find(const QString &modeFlag)
{
    for (int n = 1; n <= int(std::size(fileNames)); ++n) {
        if (modeFlag == QString::number(n))
            return Entry{n, QLatin1String(fileNames[n - 1])};
    }
    // The lists the rules for notes give: stamp duties and notes to watch.
    if (modeFlag == QLatin1String("14"))
        return Entry{14, QStringLiteral("RBInshi.rpt")};
    if (modeFlag == QLatin1String("15"))
        return Entry{15, QStringLiteral("RBYochui.rpt")};
    // The schedule of notes payable for the tax return, at ReportDate.
    if (modeFlag == QLatin1String("17"))
        return Entry{17, QStringLiteral("RBUchiwake.rpt")};
    // The corrections and deletions of a period, from the change history.
    if (modeFlag == QLatin1String("16"))
        return Entry{16, QStringLiteral("RBRireki.rpt")};
    return std::nullopt;
}

QString ReportCatalogue::selectionFormula(int number, const QString &reportDate, const QString &reportKeiri,
                                          const QString &reportDateEnd)
{
    if (number == 14)
        return QStringLiteral("{InshiList.TFDate} >= #") + checkedDate(reportDate)
                + QStringLiteral("# AND {InshiList.TFDate} <= #") + checkedDate(reportDateEnd) + QLatin1Char('#');
    // The schedule reads its date itself; it is checked here all the same.
    if (number == 17) {
        checkedDate(reportDate);
        return QString();
    }
    if (number == 16)
        return QStringLiteral("{RirekiList.RDay} >= #") + checkedDate(reportDate)
                + QStringLiteral("# AND {RirekiList.RDay} <= #") + checkedDate(reportDateEnd) + QLatin1Char('#');
    if (number == 11)
        return QStringLiteral("{QRYKesai.TKDate} = #") + checkedDate(reportDate) + QLatin1Char('#');
    if (number == 12)
        return QStringLiteral("{QRYRibodo.TKeiri}= ") + SelectionFormula::textLiteral(reportKeiri)
                + QStringLiteral(" AND {QRYRibodo.TKDate} >= #") + checkedDate(reportDate) + QLatin1Char('#');
    return QString();
}

QString ReportCatalogue::viewerTitle(int number)
{
    return number == 10 ? QStringLiteral("手形帳印刷プレビュー") : QStringLiteral("印刷プレビュー");
}
