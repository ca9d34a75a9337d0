#pragma once

#include <QString>

#include <optional>

// A list item that shows a code and a name as "code : name".
class CodeItem
{
public:
    static QString text(const QString &code, const QString &name);

    // The text before the first space; a text without a space is taken whole.
    // Used when the chosen item is saved.
    static QString cutAtFirstSpace(const QString &itemText);

    // The code an item offers when a list is positioned on a code: the text
    // before the first space, or none when the item has no space.
    static std::optional<QString> positioningCode(const QString &itemText);
};
