#pragma once

class AppContext;

// Where every window of the application is made: one factory per window,
// registered with the window registry before the splash starts.
class WindowCatalogue
{
public:
    static void registerAll(const AppContext &context);
};
