/* A stand-in compositor for the window sources' tests, offering one window list of a kind no compositor in
 * Debian 12 that runs headless here offers:
 *   list       the common toplevel list (ext_foreign_toplevel_list_v1) alone
 *   wlr        the wlroots toplevel manager (version 3), with a compositor's minimise: a minimise request
 *              minimises the toplevel, as labwc or Wayfire do (sway ignores it)
 * Its toplevels are told on its standard input, one line each:
 *   add ID APP_ID TITLE     a new toplevel (ID a small number; APP_ID without spaces)
 *   title ID TITLE          a new title
 *   close ID                the toplevel is gone
 * Every client hears of each change, each ended by done. It prints "ready" once it listens, and "close ID" or
 * "minimise ID" when a client asks for that.
 * Usage: stand_in_compositor SOCKET_NAME list|wlr   (the socket in $XDG_RUNTIME_DIR) */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-server.h>

#include "ext-foreign-toplevel-list-v1-server-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-server-protocol.h"

#define MAX_TOPLEVELS 64

struct toplevel {
    int used, minimised;
    char app_id[256], title[512];
    struct wl_list handles; /* each client's handle resource, through wl_resource_get_link */
};
static struct toplevel toplevels[MAX_TOPLEVELS];
static struct wl_list managers; /* the bound list or manager resources */
static struct wl_display* display;
static int wlr;

static void said(const char* what, struct toplevel* t) {
    printf("%s %d\n", what, (int)(t - toplevels));
    fflush(stdout);
}

static void unlink_resource(struct wl_resource* resource) { wl_list_remove(wl_resource_get_link(resource)); }

/* ---- the common list ---- */
static void ext_handle_destroy(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    wl_resource_destroy(resource);
}
static const struct ext_foreign_toplevel_handle_v1_interface ext_handle_impl = {ext_handle_destroy};

/* ---- the wlroots manager ---- */
static struct toplevel* of(struct wl_resource* handle) { return wl_resource_get_user_data(handle); }
static void send_wlr_state(struct wl_resource* handle, const struct toplevel* t) {
    struct wl_array states;
    wl_array_init(&states);
    if (t->minimised) *(uint32_t*)wl_array_add(&states, sizeof(uint32_t)) = ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED;
    zwlr_foreign_toplevel_handle_v1_send_state(handle, &states);
    wl_array_release(&states);
}
static void wlr_minimise(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    struct toplevel* t = of(resource);
    if (!t) return;
    said("minimise", t);
    t->minimised = 1;
    struct wl_resource* handle;
    wl_resource_for_each(handle, &t->handles) {
        send_wlr_state(handle, t);
        zwlr_foreign_toplevel_handle_v1_send_done(handle);
    }
}
static void wlr_close(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    if (of(resource)) said("close", of(resource));
}
static void wlr_ignored(struct wl_client* client, struct wl_resource* resource) { (void)client, (void)resource; }
static void wlr_activate(struct wl_client* c, struct wl_resource* r, struct wl_resource* seat) {
    (void)c, (void)r, (void)seat;
}
static void wlr_rectangle(struct wl_client* c, struct wl_resource* r, struct wl_resource* s, int32_t x, int32_t y,
                          int32_t w, int32_t h) {
    (void)c, (void)r, (void)s, (void)x, (void)y, (void)w, (void)h;
}
static void wlr_destroy(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    wl_resource_destroy(resource);
}
static void wlr_fullscreen(struct wl_client* c, struct wl_resource* r, struct wl_resource* output) {
    (void)c, (void)r, (void)output;
}
static const struct zwlr_foreign_toplevel_handle_v1_interface wlr_handle_impl = {
    wlr_ignored, wlr_ignored, wlr_minimise, wlr_ignored, wlr_activate, wlr_close, wlr_rectangle, wlr_destroy,
    wlr_fullscreen, wlr_ignored};

static void describe(struct wl_resource* handle, const struct toplevel* t) {
    if (wlr) {
        zwlr_foreign_toplevel_handle_v1_send_app_id(handle, t->app_id);
        zwlr_foreign_toplevel_handle_v1_send_title(handle, t->title);
        send_wlr_state(handle, t);
        zwlr_foreign_toplevel_handle_v1_send_done(handle);
    } else {
        ext_foreign_toplevel_handle_v1_send_app_id(handle, t->app_id);
        ext_foreign_toplevel_handle_v1_send_title(handle, t->title);
        ext_foreign_toplevel_handle_v1_send_done(handle);
    }
}

static void announce(struct wl_resource* manager, struct toplevel* t) {
    struct wl_client* client = wl_resource_get_client(manager);
    struct wl_resource* handle;
    if (wlr) {
        handle = wl_resource_create(client, &zwlr_foreign_toplevel_handle_v1_interface,
                                    wl_resource_get_version(manager), 0);
        wl_resource_set_implementation(handle, &wlr_handle_impl, t, unlink_resource);
        zwlr_foreign_toplevel_manager_v1_send_toplevel(manager, handle);
    } else {
        handle = wl_resource_create(client, &ext_foreign_toplevel_handle_v1_interface, 1, 0);
        wl_resource_set_implementation(handle, &ext_handle_impl, t, unlink_resource);
        ext_foreign_toplevel_list_v1_send_toplevel(manager, handle);
    }
    wl_list_insert(&t->handles, wl_resource_get_link(handle));
    describe(handle, t);
}

static void manager_stop(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    if (wlr)
        zwlr_foreign_toplevel_manager_v1_send_finished(resource);
    else
        ext_foreign_toplevel_list_v1_send_finished(resource);
}
static void list_destroy(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    wl_resource_destroy(resource);
}
static const struct ext_foreign_toplevel_list_v1_interface list_impl = {manager_stop, list_destroy};
static const struct zwlr_foreign_toplevel_manager_v1_interface manager_impl = {manager_stop};

static void bind_manager(struct wl_client* client, void* data, uint32_t version, uint32_t id) {
    (void)data;
    struct wl_resource* manager = wl_resource_create(
        client, wlr ? &zwlr_foreign_toplevel_manager_v1_interface : &ext_foreign_toplevel_list_v1_interface, version, id);
    wl_resource_set_implementation(manager, wlr ? (const void*)&manager_impl : (const void*)&list_impl, NULL,
                                   unlink_resource);
    wl_list_insert(&managers, wl_resource_get_link(manager));
    for (int i = 0; i < MAX_TOPLEVELS; ++i)
        if (toplevels[i].used) announce(manager, &toplevels[i]);
}

static int on_input(int fd, uint32_t mask, void* data) {
    (void)fd, (void)data;
    char line[1024];
    if ((mask & WL_EVENT_HANGUP) || !fgets(line, sizeof line, stdin)) {
        wl_display_terminate(display);
        return 0;
    }
    line[strcspn(line, "\n")] = 0;
    int id = -1, at = 0;
    char app_id[256];
    if (sscanf(line, "add %d %255s %n", &id, app_id, &at) == 2 && id >= 0 && id < MAX_TOPLEVELS) {
        struct toplevel* t = &toplevels[id];
        memset(t, 0, sizeof *t);
        t->used = 1;
        snprintf(t->app_id, sizeof t->app_id, "%s", app_id);
        snprintf(t->title, sizeof t->title, "%s", line + at);
        wl_list_init(&t->handles);
        struct wl_resource* manager;
        wl_resource_for_each(manager, &managers) announce(manager, t);
    } else if (sscanf(line, "title %d %n", &id, &at) == 1 && id >= 0 && id < MAX_TOPLEVELS && toplevels[id].used) {
        struct toplevel* t = &toplevels[id];
        snprintf(t->title, sizeof t->title, "%s", line + at);
        struct wl_resource* handle;
        wl_resource_for_each(handle, &t->handles) describe(handle, t);
    } else if (sscanf(line, "close %d", &id) == 1 && id >= 0 && id < MAX_TOPLEVELS && toplevels[id].used) {
        struct toplevel* t = &toplevels[id];
        struct wl_resource *handle, *next;
        wl_resource_for_each_safe(handle, next, &t->handles) {
            if (wlr)
                zwlr_foreign_toplevel_handle_v1_send_closed(handle);
            else
                ext_foreign_toplevel_handle_v1_send_closed(handle);
            /* The handle is the client's to destroy; it no longer stands for a toplevel. */
            wl_resource_set_user_data(handle, NULL);
            wl_list_remove(wl_resource_get_link(handle));
            wl_list_init(wl_resource_get_link(handle));
        }
        t->used = 0;
    }
    wl_display_flush_clients(display);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 3 || (strcmp(argv[2], "list") != 0 && strcmp(argv[2], "wlr") != 0)) {
        fprintf(stderr, "usage: stand_in_compositor SOCKET_NAME list|wlr\n");
        return 2;
    }
    wlr = strcmp(argv[2], "wlr") == 0;
    display = wl_display_create();
    if (!display || wl_display_add_socket(display, argv[1]) != 0) {
        fprintf(stderr, "stand_in_compositor: cannot listen on %s\n", argv[1]);
        return 2;
    }
    wl_list_init(&managers);
    if (wlr)
        wl_global_create(display, &zwlr_foreign_toplevel_manager_v1_interface, 3, NULL, bind_manager);
    else
        wl_global_create(display, &ext_foreign_toplevel_list_v1_interface, 1, NULL, bind_manager);
    wl_event_loop_add_fd(wl_display_get_event_loop(display), STDIN_FILENO, WL_EVENT_READABLE, on_input, NULL);
    printf("ready\n");
    fflush(stdout);
    wl_display_run(display);
    wl_display_destroy(display);
    return 0;
}
