// Measures how long a window leaves the window system's liveness ping (_NET_WM_PING)
// unanswered: sends one every 100 ms to the window whose WM_NAME is the first argument, for the
// number of seconds the second gives, and prints the longest time a ping waited for its
// answer. Run with no window manager on the display: the probe takes the manager's part of
// receiving the answers on the root window.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <xcb/xcb.h>

static int64_t now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

static xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    free(r);
    return a;
}

static xcb_window_t find(xcb_connection_t* c, xcb_window_t w, const char* name) {
    xcb_get_property_reply_t* p = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), NULL);
    int match = p && xcb_get_property_value_length(p) == (int)strlen(name) &&
                memcmp(xcb_get_property_value(p), name, strlen(name)) == 0;
    free(p);
    if (match) return w;
    xcb_query_tree_reply_t* t = xcb_query_tree_reply(c, xcb_query_tree(c, w), NULL);
    xcb_window_t found = 0;
    if (t) {
        xcb_window_t* kids = xcb_query_tree_children(t);
        for (int i = 0; i < xcb_query_tree_children_length(t) && !found; ++i)
            found = find(c, kids[i], name);
        free(t);
    }
    return found;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s WINDOW-NAME SECONDS\n", argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) return 2;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_generic_error_t* e = xcb_request_check(
        c, xcb_change_window_attributes_checked(c, screen->root, XCB_CW_EVENT_MASK, &mask));
    if (e) {
        fprintf(stderr, "another client (a window manager) receives the root's events\n");
        return 2;
    }
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS"), ping = atom(c, "_NET_WM_PING");
    xcb_window_t window = 0;
    for (int tries = 0; tries < 300 && !window; ++tries) {
        window = find(c, screen->root, argv[1]);
        if (!window) {
            struct timespec d = {0, 100000000};
            nanosleep(&d, NULL);
        }
    }
    if (!window) {
        fprintf(stderr, "no window named %s\n", argv[1]);
        return 2;
    }
    enum { kMax = 100000 };
    static int64_t sent[kMax];
    static int answered[kMax];
    int count = 0;
    int64_t longest = 0, next = now_ms();
    const int64_t end = now_ms() + (int64_t)(atof(argv[2]) * 1000);
    while (now_ms() < end && count < kMax) {
        if (now_ms() >= next) {
            xcb_client_message_event_t m;
            memset(&m, 0, sizeof m);
            m.response_type = XCB_CLIENT_MESSAGE;
            m.format = 32;
            m.window = window;
            m.type = protocols;
            m.data.data32[0] = ping;
            m.data.data32[1] = (uint32_t)(count + 1); /* the answer carries it back */
            m.data.data32[2] = window;
            xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, (const char*)&m);
            xcb_flush(c);
            sent[count++] = now_ms();
            next += 100;
        }
        xcb_generic_event_t* ev;
        while ((ev = xcb_poll_for_event(c))) {
            if ((ev->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
                xcb_client_message_event_t* m = (xcb_client_message_event_t*)ev;
                uint32_t n = m->data.data32[1];
                if (m->data.data32[0] == ping && n >= 1 && n <= (uint32_t)count &&
                    !answered[n - 1]) {
                    answered[n - 1] = 1;
                    int64_t waited = now_ms() - sent[n - 1];
                    if (waited > longest) longest = waited;
                }
            } else if ((ev->response_type & 0x7F) == XCB_MAP_REQUEST) {
                /* Without a manager, windows asking to be shown are shown. */
                xcb_map_window(c, ((xcb_map_request_event_t*)ev)->window);
                xcb_flush(c);
            } else if ((ev->response_type & 0x7F) == XCB_CONFIGURE_REQUEST) {
                xcb_configure_request_event_t* r = (xcb_configure_request_event_t*)ev;
                uint32_t v[7];
                int k = 0;
                if (r->value_mask & XCB_CONFIG_WINDOW_X) v[k++] = (uint32_t)r->x;
                if (r->value_mask & XCB_CONFIG_WINDOW_Y) v[k++] = (uint32_t)r->y;
                if (r->value_mask & XCB_CONFIG_WINDOW_WIDTH) v[k++] = r->width;
                if (r->value_mask & XCB_CONFIG_WINDOW_HEIGHT) v[k++] = r->height;
                if (r->value_mask & XCB_CONFIG_WINDOW_BORDER_WIDTH) v[k++] = r->border_width;
                if (r->value_mask & XCB_CONFIG_WINDOW_SIBLING) v[k++] = r->sibling;
                if (r->value_mask & XCB_CONFIG_WINDOW_STACK_MODE) v[k++] = r->stack_mode;
                xcb_configure_window(c, r->window, r->value_mask, v);
                xcb_flush(c);
            }
            free(ev);
        }
        struct timespec d = {0, 5000000};
        nanosleep(&d, NULL);
    }
    for (int i = 0; i < count; ++i) {
        if (!answered[i] && end - sent[i] > longest) longest = end - sent[i];
    }
    printf("pings %d, longest unanswered %lld ms\n", count, (long long)longest);
    xcb_disconnect(c);
    return 0;
}
