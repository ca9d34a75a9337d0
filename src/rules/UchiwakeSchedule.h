#pragma once

#include "TegataZandaka.h"

#include <QDate>
#include <QList>
#include <QString>

// The schedule of notes payable that goes with the corporate tax return
// (勘定科目内訳明細書 ⑧「支払手形の内訳書」), as at a date, following the
// form's notes: the notes of a payee whose notes come to 1,000,000 yen or
// more are written one by one (when fewer than five payees do, the largest
// payees up to five), the others together on one line 「その他」; at most
// 100 lines, the last of which then takes all the rest. Electronic records
// are left out unless asked for, and then follow the paper notes on lines
// of their own, marked 「電子記録債務」 in 摘要. A total line ends it.
class UchiwakeSchedule
{
public:
    struct Line
    {
        bool total = false;
        QString touroku; // "T" and 13 digits, 13 digits, or empty
        QString payee;
        QDate drawn;
        QDate due;
        QString bank;
        QString branch;
        double amount = 0;
        QString remark;
    };

    static double individualFrom() { return 1'000'000; }
    static int fewestPayees() { return 5; }
    static int mostLines() { return 100; }
    static QString others() { return QStringLiteral("その他"); }
    static QString electronicRemark() { return QStringLiteral("電子記録債務"); }

    static QList<Line> lines(const QList<TegataZandaka::Note> &notes, bool withElectronic);

    // The bank's name and the branch's, from the one name the bank table
    // keeps: split at the first space, else after 銀行, 信用金庫 and the like.
    struct BankName
    {
        QString bank;
        QString branch;
    };
    static BankName splitBankName(const QString &name);
};
