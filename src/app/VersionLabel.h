#pragma once

#include <QString>

// The version text of the splash window, "Version 1.0.5" for major 1,
// minor 0, revision 5.
class VersionLabel
{
public:
    static QString text(int major, int minor, int revision);

    // The text for this build's own version numbers.
    static QString current();
};
