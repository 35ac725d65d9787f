// Keyboard input through an X input method, so that dead keys and compose sequences give
// the characters they stand for. Without an input method (none can be opened in this
// locale, or the one named in XMODIFIERS is not running and Xlib's own fails too) keys
// are looked up plainly, as before.
#include <X11/Xlocale.h>

#include <map>

#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws::x11 {
namespace {

XIM im = nullptr;
std::mutex contextsMutex;  // the pumping thread and destroyWindow's caller
std::map<XWin, XIC> contexts;

XIC contextFor(State& s, XWin w) {
    if (!im) return nullptr;
    if (auto it = contexts.find(w); it != contexts.end()) return it->second;
    XIC ic = XCreateIC(im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, w,
                       XNFocusWindow, w, nullptr);
    if (ic) XSetICFocus(ic);
    contexts[w] = ic;  // a null entry remembers a failure
    (void)s;
    return ic;
}

}  // namespace

void inputMethodOpen(State& s) {
    if (!XSupportsLocale()) return;
    // The modifiers of the environment (XMODIFIERS) first, then Xlib's built-in method,
    // which reads the locale's compose table.
    for (const char* modifiers : {"", "@im=none"}) {
        if (!XSetLocaleModifiers(modifiers)) continue;
        im = XOpenIM(s.dpy, nullptr, nullptr, nullptr);
        if (im) return;
    }
}

bool inputMethodFilter(State& s, XEvent& ev) {
    // Extension events carry their data apart (cookies); no method filters them.
    if (!im || ev.type == GenericEvent) return false;
    if (ev.type == KeyPress || ev.type == FocusIn) {
        std::lock_guard lock(s.mutex);
        if (!findWindow(s, ev.xany.window)) return false;
    }
    std::lock_guard lock(contextsMutex);
    if (ev.type == KeyPress) contextFor(s, ev.xkey.window);
    if (ev.type == FocusIn)
        if (XIC ic = contextFor(s, ev.xfocus.window)) XSetICFocus(ic);
    if (ev.type == FocusOut)
        if (auto it = contexts.find(ev.xfocus.window); it != contexts.end() && it->second)
            XUnsetICFocus(it->second);
    return XFilterEvent(&ev, None) == True;
}

int inputMethodLookup(XKeyEvent& key, char* utf8, int size) {
    std::lock_guard lock(contextsMutex);
    auto it = contexts.find(key.window);
    if (it == contexts.end() || !it->second) return -1;
    KeySym sym = 0;
    Status status = 0;
    const int n = Xutf8LookupString(it->second, &key, utf8, size, &sym, &status);
    return status == XLookupChars || status == XLookupBoth ? n : 0;
}

void inputMethodForget(XWin w) {
    std::lock_guard lock(contextsMutex);
    auto it = contexts.find(w);
    if (it == contexts.end()) return;
    if (it->second) XDestroyIC(it->second);
    contexts.erase(it);
}

}  // namespace zu::ws::x11
