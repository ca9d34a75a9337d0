#pragma once

class QCoreApplication;

// Qt's own texts in Japanese: the buttons and labels of the standard print,
// file and message dialogs come from Qt, not from this program.
class QtTranslations
{
public:
    // Loads Qt's Japanese translations from Qt's translations folder into
    // `app`; false when they are not installed (the dialogs then stay in
    // English).
    static bool installJapanese(QCoreApplication &app);
};
