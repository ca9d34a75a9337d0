#pragma once

class AppContext;

// Where every window of the application is made: one factory per window,
// registered with the window registry before the splash starts. The context
// must outlive the registry: windows keep a reference to it.
class WindowCatalogue
{
public:
    static void registerAll(AppContext &context);
};
