#pragma once

#include <QString>

#include <functional>

// Names where a change to the register comes from, for its change history:
// the window whose action runs, or the tool and its command. The program
// installs one provider at start-up; a scope names the source of a piece of
// work that no window runs (the start-up update, an import, a restore).
class ChangeSource
{
public:
    using Provider = std::function<QString()>;

    // Replaces the provider; an empty one leaves the program's name.
    static void install(Provider provider);
    // The innermost scope's name, else the provider's answer, else the
    // program's name.
    static QString current();

    class Scope
    {
    public:
        explicit Scope(const QString &name);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        QString m_outer;
    };
};
