#pragma once

// The command-line tools run where no display is, on a server or over ssh:
// called before the application object is made, this chooses Qt's offscreen
// platform when no display is present and no platform has been named, so
// that no environment variable is needed.
class HeadlessPlatform
{
public:
    static void chooseWithoutDisplay();
};
