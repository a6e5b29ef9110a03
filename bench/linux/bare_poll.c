/* The least an Xlib program can do to watch for a window class: one connection and, every N ms, the window
 * manager's client list and each client's WM_CLASS. Without an interval it only waits for X events that never
 * come, which is the least an idle X client can cost. The benchmark's second reference beside the bare Qt tray.
 * Usage: bare_poll [interval ms, 0 = idle] [class, default IMWindowClass] */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static int ignore(Display* display, XErrorEvent* event) {
    (void)display;
    (void)event;
    return 0; /* a client that went away between the list and its class */
}

/* True when one of the clients' WM_CLASS names the class (instance or class part). */
static int scan(Display* display, Atom clientList, const char* wanted) {
    Atom type;
    int format, found = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = NULL;
    if (XGetWindowProperty(display, DefaultRootWindow(display), clientList, 0, 1 << 16, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) != Success || !data)
        return 0;
    const long* clients = (const long*)data;
    for (unsigned long i = 0; i < count && !found; ++i) {
        unsigned char* hint = NULL;
        unsigned long bytes = 0;
        if (XGetWindowProperty(display, (Window)clients[i], XA_WM_CLASS, 0, 130, False, XA_STRING, &type, &format,
                               &bytes, &after, &hint) == Success && hint) {
            const char* instance = (const char*)hint;
            const size_t first = strnlen(instance, bytes);
            found = strcmp(instance, wanted) == 0 ||
                    (first + 1 < bytes && strncmp(instance + first + 1, wanted, bytes - first - 1) == 0);
            XFree(hint);
        }
    }
    XFree(data);
    return found;
}

int main(int argc, char** argv) {
    const long interval = argc > 1 ? atol(argv[1]) : 0;
    const char* wanted = argc > 2 ? argv[2] : "IMWindowClass";
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fputs("bare_poll: no X display\n", stderr);
        return 1;
    }
    XSetErrorHandler(ignore);
    if (interval <= 0) {
        XEvent event;
        for (;;) XNextEvent(display, &event);
    }
    const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (;;) {
        next.tv_nsec += (interval % 1000) * 1000000L;
        next.tv_sec += interval / 1000 + next.tv_nsec / 1000000000L;
        next.tv_nsec %= 1000000000L;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
        if (scan(display, clientList, wanted)) {
            printf("found %s\n", wanted);
            fflush(stdout);
        }
    }
}
