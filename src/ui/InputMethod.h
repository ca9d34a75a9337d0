#pragma once

class QWidget;

// The input-method mode a text box asks for while it has the focus. On
// Windows the Japanese input method is switched when the box receives the
// focus; elsewhere the nearest Qt input-method hints are set.
class InputMethod
{
public:
    enum class Mode { Off, Hiragana };

    static void apply(QWidget *box, Mode mode);
};
