// A small X client for the start-up measurements.
//
//   perf_xprobe run [--keep] PROGRAM [ARGS...]
//       Starts PROGRAM and waits for the first top-level window that gets
//       mapped after the start. Prints "<milliseconds> <pid> <window id>".
//       Without --keep the program is then terminated; with --keep it is
//       left running (the caller ends it).
//   perf_xprobe count WINDOW RRGGBB
//       Prints how many pixels of the window have exactly that colour.
//
// The time runs from just before fork() to the MapNotify event on the root
// window; with no window manager running, a top-level window is mapped as
// soon as the program asks for it.
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

double NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

int Run(int argc, char** argv) {
    bool keep = false;
    int first = 0;
    if (first < argc && std::strcmp(argv[first], "--keep") == 0) {
        keep = true;
        ++first;
    }
    if (first >= argc) {
        std::fprintf(stderr, "perf_xprobe run: no program given\n");
        return 2;
    }

    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "perf_xprobe: cannot connect to the X display\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t ck = xcb_change_window_attributes_checked(conn, screen->root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t* err = xcb_request_check(conn, ck)) {
        std::fprintf(stderr, "perf_xprobe: cannot watch the root window (error %d)\n", err->error_code);
        std::free(err);
        return 2;
    }

    const double start = NowMs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    if (pid == 0) {
        execvp(argv[first], argv + first);
        std::perror("execvp");
        _exit(127);
    }

    const int fd = xcb_get_file_descriptor(conn);
    const double deadline = start + 30000;
    xcb_window_t mapped = 0;
    double mappedAt = 0;
    while (!mapped) {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(conn)) {
            if ((ev->response_type & 0x7F) == XCB_MAP_NOTIFY) {
                auto* map = reinterpret_cast<xcb_map_notify_event_t*>(ev);
                if (!mapped && !map->override_redirect) {
                    mapped = map->window;
                    mappedAt = NowMs();
                }
            }
            std::free(ev);
        }
        if (mapped) break;
        if (xcb_connection_has_error(conn)) {
            std::fprintf(stderr, "perf_xprobe: X connection lost\n");
            kill(pid, SIGKILL);
            return 2;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "perf_xprobe: the program ended before mapping a window\n");
            return 2;
        }
        const double now = NowMs();
        if (now > deadline) {
            std::fprintf(stderr, "perf_xprobe: no window mapped within 30 s\n");
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return 2;
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 50);  // also wakes up to notice the program ending
    }

    std::printf("%.3f %d %u\n", mappedAt - start, static_cast<int>(pid), mapped);
    std::fflush(stdout);
    xcb_disconnect(conn);
    if (!keep) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return 0;
}

int Count(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: perf_xprobe count WINDOW RRGGBB\n");
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[0], nullptr, 0));
    const auto colour = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 16)) & 0xFFFFFF;

    xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) {
        std::fprintf(stderr, "perf_xprobe: cannot connect to the X display\n");
        return 2;
    }
    xcb_generic_error_t* err = nullptr;
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geo(
        xcb_get_geometry_reply(conn, xcb_get_geometry(conn, window), &err), &std::free);
    if (!geo) {
        std::fprintf(stderr, "perf_xprobe: no such window\n");
        std::free(err);
        return 2;
    }
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
        xcb_get_image_reply(conn,
                            xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, geo->width,
                                          geo->height, ~0u),
                            &err),
        &std::free);
    if (!image) {
        std::fprintf(stderr, "perf_xprobe: cannot read the window's pixels\n");
        std::free(err);
        return 2;
    }
    const int bytes = xcb_get_image_data_length(image.get());
    const long pixels = static_cast<long>(geo->width) * geo->height;
    if (image->depth != 24 || bytes < pixels * 4) {
        std::fprintf(stderr, "perf_xprobe: expected a 24-bit window with 32-bit pixels\n");
        return 2;
    }
    const uint8_t* data = xcb_get_image_data(image.get());
    long n = 0;
    for (long i = 0; i < pixels; ++i) {
        uint32_t px;
        std::memcpy(&px, data + 4 * i, 4);
        n += (px & 0xFFFFFF) == colour;
    }
    std::printf("%ld\n", n);
    xcb_disconnect(conn);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "run") == 0) return Run(argc - 2, argv + 2);
    if (argc >= 2 && std::strcmp(argv[1], "count") == 0) return Count(argc - 2, argv + 2);
    std::fprintf(stderr, "usage: perf_xprobe run [--keep] PROGRAM [ARGS...] | count WINDOW RRGGBB\n");
    return 2;
}
