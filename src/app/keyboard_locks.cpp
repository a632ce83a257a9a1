#include "app/keyboard_locks.h"

#include <QGuiApplication>

#if TAVELO_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace tavelo::gui {

std::optional<KeyboardLocks> ReadKeyboardLocks()
{
#if TAVELO_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    // Indicators are found by name: their numbers depend on the keymap.
    const auto lit = [display](const char* name) {
        const Atom atom = XInternAtom(display, name, True);
        Bool on = False;
        return atom != None && XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr) && on;
    };
    KeyboardLocks locks;
    locks.caps = lit("Caps Lock");
    locks.num = lit("Num Lock");
    locks.scroll = lit("Scroll Lock");
    return locks;
#else
    return std::nullopt;
#endif
}

} // namespace tavelo::gui
