#include "CodeItem.h"

QString CodeItem::text(const QString &code, const QString &name)
{
    return code + QStringLiteral(" : ") + name;
}

QString CodeItem::cutAtFirstSpace(const QString &itemText)
{
    const qsizetype space = itemText.indexOf(QLatin1Char(' '));
    return space < 0 ? itemText : itemText.left(space);
}

std::optional<QString> CodeItem::positioningCode(const QString &itemText)
{
    const qsizetype space = itemText.indexOf(QLatin1Char(' '));
    if (space < 0)
        return std::nullopt;
    return itemText.left(space);
}
