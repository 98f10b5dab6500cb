// SPDX-FileCopyrightText: 2026 QuiverBolt developers
// SPDX-License-Identifier: MIT
// Asks an X window to close the way a window manager's close button does: a
// WM_DELETE_WINDOW client message. Without a window manager nothing else sends
// one. Usage: close_window <window id>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: close_window <window id>\n");
        return 2;
    }
    char *end = nullptr;
    const Window window = std::strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0') {
        std::fprintf(stderr, "not a window id: %s\n", argv[1]);
        return 2;
    }

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open display %s\n", XDisplayName(nullptr));
        return 1;
    }
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);

    // A window manager sends the message only to windows that take part in
    // the protocol; anything else it would have to kill.
    Atom *taken = nullptr;
    int count = 0;
    bool takes_part = false;
    if (XGetWMProtocols(display, window, &taken, &count)) {
        for (int i = 0; i < count; ++i)
            takes_part = takes_part || taken[i] == delete_window;
        XFree(taken);
    }
    if (!takes_part) {
        std::fprintf(stderr, "window %s does not take WM_DELETE_WINDOW\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(delete_window);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
