/* A stand-in compositor that offers nothing but the common toplevel list (ext_foreign_toplevel_list_v1), as some
 * compositors do, for the window source's tests: no compositor in Debian 12 offers the list. Its toplevels are
 * told on its standard input, one line each:
 *   add ID APP_ID TITLE     a new toplevel (ID a small number; APP_ID without spaces)
 *   title ID TITLE          a new title
 *   close ID                the toplevel is gone
 * Every list bound so far hears of each change, each ended by done. It prints "ready" once it listens.
 * Usage: toplevel_list_compositor SOCKET_NAME   (in $XDG_RUNTIME_DIR) */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-server.h>

#include "ext-foreign-toplevel-list-v1-server-protocol.h"

#define MAX_TOPLEVELS 64

struct toplevel {
    int used;
    char app_id[256], title[512];
    struct wl_list handles; /* the wl_resource of each list's handle, through wl_resource_get_link */
};
static struct toplevel toplevels[MAX_TOPLEVELS];
static struct wl_list lists; /* the bound list resources */
static struct wl_display* display;

static void handle_destroy(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    wl_resource_destroy(resource);
}
static const struct ext_foreign_toplevel_handle_v1_interface handle_impl = {handle_destroy};
static void handle_gone(struct wl_resource* resource) { wl_list_remove(wl_resource_get_link(resource)); }

static void describe(struct wl_resource* handle, const struct toplevel* t) {
    ext_foreign_toplevel_handle_v1_send_app_id(handle, t->app_id);
    ext_foreign_toplevel_handle_v1_send_title(handle, t->title);
    ext_foreign_toplevel_handle_v1_send_done(handle);
}

static void announce(struct wl_resource* list, struct toplevel* t) {
    struct wl_resource* handle = wl_resource_create(wl_resource_get_client(list),
                                                    &ext_foreign_toplevel_handle_v1_interface, 1, 0);
    wl_resource_set_implementation(handle, &handle_impl, NULL, handle_gone);
    wl_list_insert(&t->handles, wl_resource_get_link(handle));
    ext_foreign_toplevel_list_v1_send_toplevel(list, handle);
    describe(handle, t);
}

static void list_stop(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    ext_foreign_toplevel_list_v1_send_finished(resource);
}
static void list_destroy(struct wl_client* client, struct wl_resource* resource) {
    (void)client;
    wl_resource_destroy(resource);
}
static const struct ext_foreign_toplevel_list_v1_interface list_impl = {list_stop, list_destroy};
static void list_gone(struct wl_resource* resource) { wl_list_remove(wl_resource_get_link(resource)); }

static void bind_list(struct wl_client* client, void* data, uint32_t version, uint32_t id) {
    (void)data;
    struct wl_resource* list = wl_resource_create(client, &ext_foreign_toplevel_list_v1_interface, version, id);
    wl_resource_set_implementation(list, &list_impl, NULL, list_gone);
    wl_list_insert(&lists, wl_resource_get_link(list));
    for (int i = 0; i < MAX_TOPLEVELS; ++i)
        if (toplevels[i].used) announce(list, &toplevels[i]);
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
        t->used = 1;
        snprintf(t->app_id, sizeof t->app_id, "%s", app_id);
        snprintf(t->title, sizeof t->title, "%s", line + at);
        wl_list_init(&t->handles);
        struct wl_resource* list;
        wl_resource_for_each(list, &lists) announce(list, t);
    } else if (sscanf(line, "title %d %n", &id, &at) == 1 && id >= 0 && id < MAX_TOPLEVELS && toplevels[id].used) {
        struct toplevel* t = &toplevels[id];
        snprintf(t->title, sizeof t->title, "%s", line + at);
        struct wl_resource* handle;
        wl_resource_for_each(handle, &t->handles) {
            ext_foreign_toplevel_handle_v1_send_title(handle, t->title);
            ext_foreign_toplevel_handle_v1_send_done(handle);
        }
    } else if (sscanf(line, "close %d", &id) == 1 && id >= 0 && id < MAX_TOPLEVELS && toplevels[id].used) {
        struct toplevel* t = &toplevels[id];
        struct wl_resource *handle, *next;
        wl_resource_for_each_safe(handle, next, &t->handles) {
            ext_foreign_toplevel_handle_v1_send_closed(handle);
            /* The handle is the client's to destroy; it no longer belongs to the toplevel. */
            wl_list_remove(wl_resource_get_link(handle));
            wl_list_init(wl_resource_get_link(handle));
        }
        t->used = 0;
    }
    wl_display_flush_clients(display);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: toplevel_list_compositor SOCKET_NAME\n");
        return 2;
    }
    display = wl_display_create();
    if (!display || wl_display_add_socket(display, argv[1]) != 0) {
        fprintf(stderr, "toplevel_list_compositor: cannot listen on %s\n", argv[1]);
        return 2;
    }
    wl_list_init(&lists);
    wl_global_create(display, &ext_foreign_toplevel_list_v1_interface, 1, NULL, bind_list);
    wl_event_loop_add_fd(wl_display_get_event_loop(display), STDIN_FILENO, WL_EVENT_READABLE, on_input, NULL);
    printf("ready\n");
    fflush(stdout);
    wl_display_run(display);
    wl_display_destroy(display);
    return 0;
}
