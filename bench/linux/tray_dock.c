/* Start-up until docked: runs a program and prints the milliseconds from its exec until a window of a new X
 * client is viewable inside the tray's panel (a window whose WM_CLASS names "trayer"), then ends the program.
 * The panel's whole window tree is watched with SubstructureNotify, so the icon's reparenting into a new socket
 * and its mapping are seen as they happen, with no polling.
 * Usage: tray_dock timeout-ms program [arguments]; prints the time, or "timeout" and exits with 1. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static Display* display;
static XID clientMask;     /* the bits of an XID that tell which X client made the window */
static XID panelClient;    /* the panel's own client */
static Window seen[4096];  /* windows of other clients already inside the panel before the start */
static int seenCount;

static int ignore(Display* d, XErrorEvent* e) {
    (void)d;
    (void)e;
    return 0; /* a window that went away while it was looked at */
}

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int isPanel(Window window) {
    XClassHint hint = {0};
    int found = 0;
    if (XGetClassHint(display, window, &hint)) {
        found = (hint.res_name && strcasestr(hint.res_name, "trayer")) ||
                (hint.res_class && strcasestr(hint.res_class, "trayer"));
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
    }
    return found;
}

static Window findPanel(Window window) {
    if (isPanel(window)) return window;
    Window root, parent, *children = NULL, panel = 0;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !panel; ++i) panel = findPanel(children[i]);
    if (children) XFree(children);
    return panel;
}

static int foreignViewable(Window window) {
    if ((window & ~clientMask) == panelClient) return 0;
    for (int i = 0; i < seenCount; ++i)
        if (seen[i] == window) return 0;
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

/* Watches a window and everything under it; true when a new client's window is already viewable there. */
static int watch(Window window, int remember) {
    XSelectInput(display, window, SubstructureNotifyMask);
    int docked = 0;
    if (remember && (window & ~clientMask) != panelClient && seenCount < 4096) seen[seenCount++] = window;
    else if (!remember) docked = foreignViewable(window);
    Window root, parent, *children = NULL;
    unsigned count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) docked |= watch(children[i], remember);
        if (children) XFree(children);
    }
    return docked;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fputs("usage: tray_dock timeout-ms program [arguments]\n", stderr);
        return 2;
    }
    const double timeout = atof(argv[1]);
    display = XOpenDisplay(NULL);
    if (!display) {
        fputs("tray_dock: no X display\n", stderr);
        return 2;
    }
    XSetErrorHandler(ignore);
    const Window panel = findPanel(DefaultRootWindow(display));
    if (!panel) {
        fputs("tray_dock: no trayer panel on the display\n", stderr);
        return 2;
    }
    /* Every client's XIDs share the same mask, so this connection's own setup tells it. */
    clientMask = xcb_get_setup(XGetXCBConnection(display))->resource_id_mask;
    panelClient = panel & ~clientMask;
    watch(panel, 1);
    XSync(display, False);

    const double start = now_ms();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int docked = 0;
    double took = 0;
    while (!docked) {
        const double left = start + timeout - now_ms();
        if (left <= 0) break;
        if (!XPending(display)) {
            struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, (int)left + 1);
            if (!XPending(display)) continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case CreateNotify: docked = watch(event.xcreatewindow.window, 0); break;
        case ReparentNotify:
            if (event.xreparent.parent != event.xreparent.event) break; /* it left a watched window */
            docked = watch(event.xreparent.window, 0);
            break;
        case MapNotify: docked = watch(event.xmap.window, 0); break;
        default: break;
        }
        if (docked) took = now_ms() - start;
    }
    kill(child, SIGTERM);
    for (int i = 0; i < 200 && waitpid(child, NULL, WNOHANG) == 0; ++i) usleep(10000);
    if (waitpid(child, NULL, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, NULL, 0);
    }
    if (!docked) {
        puts("timeout");
        return 1;
    }
    printf("%.1f\n", took);
    return 0;
}
