#pragma once

#include <QString>

// The few calls that differ between Windows and Linux, kept in one place.
class Platform
{
public:
    // The folder of the running executable, in native form, without a
    // trailing separator (except for a drive or file-system root).
    static QString programFolder();

    // The platform's path separator as text, for appending to a folder.
    static QString separator();

    // A normal file: it exists and is neither a folder nor hidden (nor, on
    // Windows, a system file).
    static bool isNormalFile(const QString &path);
};
