// Holds a passive grab of Super+Space on the root window, as another program that took the key
// first would. Prints "grabbed" once the server has accepted the grab and then waits until it
// is ended; exits with 3 when the key was already taken.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdio>

namespace {
bool Refused = false;
int OnError(Display*, XErrorEvent*)
{
    Refused = true;
    return 0;
}
}  // namespace

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "keygrabber: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(OnError);
    XGrabKey(display, XKeysymToKeycode(display, XK_space), Mod4Mask, DefaultRootWindow(display),
             False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    if (Refused) {
        std::fprintf(stderr, "keygrabber: Super+Space is taken\n");
        return 3;
    }
    std::puts("grabbed");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
    }
}
