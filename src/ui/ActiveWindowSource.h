#pragma once

// Names the window the user is working in as the source of the changes the
// change history records: its title, as the user sees it.
class ActiveWindowSource
{
public:
    static void install();
};
