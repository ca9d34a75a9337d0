#include "InputMethod.h"

#include <QApplication>
#include <QWidget>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <imm.h>

namespace {
void switchInputMethod(QWidget *box, InputMethod::Mode mode)
{
    const HWND hwnd = reinterpret_cast<HWND>(box->window()->winId());
    const HIMC context = ImmGetContext(hwnd);
    if (!context)
        return;
    if (mode == InputMethod::Mode::Off) {
        ImmSetOpenStatus(context, FALSE);
    } else {
        ImmSetOpenStatus(context, TRUE);
        ImmSetConversionStatus(context, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE, IME_SMODE_NONE);
    }
    ImmReleaseContext(hwnd, context);
}
}
#endif

void InputMethod::apply(QWidget *box, Mode mode)
{
    box->setAttribute(Qt::WA_InputMethodEnabled, true);
    if (mode == Mode::Off)
        box->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    else
        box->setInputMethodHints(Qt::ImhNone);
#ifdef Q_OS_WIN
    QObject::connect(qApp, &QApplication::focusChanged, box, [box, mode](QWidget *, QWidget *now) {
        if (now == box)
            switchInputMethod(box, mode);
    });
#endif
}
