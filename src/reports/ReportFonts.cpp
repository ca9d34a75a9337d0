#include "ReportFonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <cmath>

QString ReportFonts::japaneseFamily()
{
    static const char *const preferred[] = {
        "IPAexGothic", "IPAexゴシック", "Noto Sans CJK JP", "Noto Sans JP", "Yu Gothic", "游ゴシック",
        "Meiryo", "メイリオ", "MS Gothic", "ＭＳ ゴシック", "IPAGothic", "TakaoGothic", "Hiragino Sans",
    };
    const QStringList installed = QFontDatabase::families();
    for (const char *name : preferred) {
        const QString family = QString::fromUtf8(name);
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    if (!japanese.isEmpty())
        return japanese.first();
    return QFont().family();
}

QFont ReportFonts::font(const QString &family, double size, bool bold)
{
    QFont f(family);
    f.setPixelSize(std::max(1, int(std::lround(size))));
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}
