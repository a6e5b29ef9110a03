/* A tiny Wayland program with one window, for the window sources' tests: its app id and title come from the
 * command line, and lines on its standard input change them:
 *   title TEXT      sets the title
 *   attention       asks for attention (an activation with a token no compositor gave, which KWin takes as such)
 *   quit            ends it
 * It prints "shown" once its window is mapped and "close" when the compositor asks it to close, and then ends.
 * Usage: toplevel_client APP_ID TITLE */
#define _GNU_SOURCE
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "xdg-activation-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

static struct wl_compositor* compositor;
static struct wl_shm* shm;
static struct xdg_wm_base* wm_base;
static struct xdg_activation_v1* activation;
static struct wl_surface* surface;
static int configured, closing;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    (void)data;
    if (strcmp(interface, "wl_compositor") == 0)
        compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 1);
    else if (strcmp(interface, "wl_shm") == 0)
        shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
    else if (strcmp(interface, "xdg_wm_base") == 0)
        wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
    else if (strcmp(interface, "xdg_activation_v1") == 0)
        activation = wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1);
    (void)version;
}
static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registry_listener = {global, global_remove};

static void ping(void* data, struct xdg_wm_base* base, uint32_t serial) {
    (void)data;
    xdg_wm_base_pong(base, serial);
}
static const struct xdg_wm_base_listener wm_base_listener = {ping};

/* A white 64x48 buffer: a window shows only once it has content. */
static struct wl_buffer* make_buffer(void) {
    const int width = 64, height = 48, stride = width * 4, size = stride * height;
    int fd = memfd_create("toplevel-client", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0) exit(3);
    void* pixels = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) exit(3);
    memset(pixels, 0xff, size);
    munmap(pixels, size);
    struct wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    struct wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

static void surface_configure(void* data, struct xdg_surface* xdg_surface, uint32_t serial) {
    (void)data;
    xdg_surface_ack_configure(xdg_surface, serial);
    if (!configured) {
        configured = 1;
        wl_surface_attach(surface, make_buffer(), 0, 0);
        wl_surface_commit(surface);
        printf("shown\n");
        fflush(stdout);
    } else {
        wl_surface_commit(surface);
    }
}
static const struct xdg_surface_listener surface_listener = {surface_configure};

static void toplevel_configure(void* data, struct xdg_toplevel* toplevel, int32_t w, int32_t h, struct wl_array* s) {
    (void)data, (void)toplevel, (void)w, (void)h, (void)s;
}
static void toplevel_close(void* data, struct xdg_toplevel* toplevel) {
    (void)data, (void)toplevel;
    closing = 1;
}
static void toplevel_bounds(void* data, struct xdg_toplevel* toplevel, int32_t w, int32_t h) {
    (void)data, (void)toplevel, (void)w, (void)h;
}
static void toplevel_capabilities(void* data, struct xdg_toplevel* toplevel, struct wl_array* capabilities) {
    (void)data, (void)toplevel, (void)capabilities;
}
static const struct xdg_toplevel_listener toplevel_listener = {toplevel_configure, toplevel_close, toplevel_bounds,
                                                               toplevel_capabilities};

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: toplevel_client APP_ID TITLE\n");
        return 2;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "toplevel_client: no Wayland display\n");
        return 2;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!compositor || !shm || !wm_base) {
        fprintf(stderr, "toplevel_client: the compositor lacks xdg-shell or shm\n");
        return 2;
    }
    xdg_wm_base_add_listener(wm_base, &wm_base_listener, NULL);
    surface = wl_compositor_create_surface(compositor);
    struct xdg_surface* xdg_surface = xdg_wm_base_get_xdg_surface(wm_base, surface);
    xdg_surface_add_listener(xdg_surface, &surface_listener, NULL);
    struct xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdg_surface);
    xdg_toplevel_add_listener(toplevel, &toplevel_listener, NULL);
    xdg_toplevel_set_app_id(toplevel, argv[1]);
    xdg_toplevel_set_title(toplevel, argv[2]);
    wl_surface_commit(surface);

    char line[1024];
    struct pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    while (!closing) {
        while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
        wl_display_flush(display);
        if (poll(fds, 2, -1) < 0) {
            wl_display_cancel_read(display);
            break;
        }
        if (fds[0].revents & POLLIN) {
            if (wl_display_read_events(display) < 0) break;
        } else {
            wl_display_cancel_read(display);
        }
        if (wl_display_dispatch_pending(display) < 0) break;
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            if (!fgets(line, sizeof line, stdin) || strncmp(line, "quit", 4) == 0) break;
            line[strcspn(line, "\n")] = 0;
            if (strncmp(line, "title ", 6) == 0) {
                xdg_toplevel_set_title(toplevel, line + 6);
                wl_surface_commit(surface);
            } else if (strcmp(line, "attention") == 0 && activation) {
                xdg_activation_v1_activate(activation, "no-such-token", surface);
            }
        }
    }
    if (closing) {
        printf("close\n");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
