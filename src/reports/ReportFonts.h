#pragma once

#include <QFont>
#include <QString>

// The Japanese typeface the reports print in, taken from what the platform
// has installed; nothing is shipped with the program.
class ReportFonts
{
public:
    // The first installed of IPAexGothic, Noto Sans CJK JP, Yu Gothic,
    // MS Gothic and a few others; else any family that writes Japanese; else
    // the default family.
    static QString japaneseFamily();

    // A font of `size` layout units (tenths of a point), sized in pixels so
    // that it scales with the painter like every other length of the page.
    static QFont font(const QString &family, double size, bool bold = false);
};
