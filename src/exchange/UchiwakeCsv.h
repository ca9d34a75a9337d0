#pragma once

#include "rules/UchiwakeSchedule.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The schedule of notes payable as the e-Tax CSV of form ⑧ 支払手形の内訳書
// (様式ID HOI080, version 4.0, for years ending on or after 1 March 2024):
// one record of 17 items per line, no heading, Shift_JIS, CR LF.
//   1 フォーマット区分 "8"          2 行区分 "0" detail, "1" total
//   3 登録番号 13 digits (no "T")   4 法人番号 13 digits
//   5 支払先 full width, 30         6-9 振出年月日 元号, 年, 月, 日
//   10-13 支払期日 as 6-9           14 支払銀行名 full width, 11
//   15 支店名 full width, 11        16 金額 half width, 16
//   17 摘要 full width, 20
// A total line carries 金額 and 摘要 alone. Names are made full width (a
// half-width comma would split an item) and cut to their length.
class UchiwakeCsv
{
public:
    // "HOI080_4.0_支払手形.csv", the name e-Tax reads the form under.
    static QString fileName();

    // The era as e-Tax codes it (4 平成, 5 令和) and the year, month and day
    // of two digits each; four empty items for a null date.
    static QStringList eraDate(const QDate &date);
    // Half-width letters, digits, signs and kana made full width.
    static QString fullWidth(const QString &text);

    static QStringList record(const UchiwakeSchedule::Line &line);

    // Writes the lines to `path`; the letters Shift_JIS lacks are written as
    // "?" and counted in the result. Raises StoreError; the file under `path`
    // is replaced only when complete.
    static int write(const QList<UchiwakeSchedule::Line> &lines, const QString &path);
};
