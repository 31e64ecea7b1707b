// Starts a program and reports how long it takes until the X server says its
// top-level window is viewable (its frame, when a window manager runs), the
// shared libraries it has loaded by then, and its peak memory over its life. Watches the
// root window for new top-levels instead of polling. Optionally feeds the
// program's standard input, and types a line into the window and reports how
// long from the Enter key until the started program stamps its start.
//
//   time_to_window [--stdin TEXT] [--type TEXT --marker FILE] -- PROGRAM [ARGUMENTS...]
//
// Prints one line: window_ms=… peak_kib=… libraries=… [enter_to_start_ms=…]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <array>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto wait_limit = std::chrono::seconds(20);

template <class Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
ReplyPointer<Reply> owned(Reply* reply) {
    return ReplyPointer<Reply>(reply, &std::free);
}

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

xcb_atom_t intern(xcb_connection_t* connection, const char* name) {
    const auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::optional<uint32_t> window_pid(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t pid_atom) {
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, pid_atom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4) return std::nullopt;
    return *static_cast<uint32_t*>(xcb_get_property_value(reply.get()));
}

// True when `window` or a window below it (a frame holds its client) belongs to `pid`.
bool belongs_to(xcb_connection_t* connection, xcb_window_t window, uint32_t pid, xcb_atom_t pid_atom, int depth) {
    if (window_pid(connection, window, pid_atom) == pid) return true;
    if (depth == 0) return false;
    const auto tree = owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree) return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        if (belongs_to(connection, children[i], pid, pid_atom, depth - 1)) return true;
    return false;
}

double monotonic_ns() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Shared objects mapped into the process.
long libraries(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::vector<std::string> seen;
    for (std::string line; std::getline(maps, line);) {
        const std::size_t path = line.find('/');
        if (path == std::string::npos || line.find(".so", path) == std::string::npos) continue;
        const std::string file = line.substr(path);
        if (std::find(seen.begin(), seen.end(), file) == seen.end()) seen.push_back(file);
    }
    return static_cast<long>(seen.size());
}

// Ends the program, after it had time to paint when nothing else ends it, and
// returns its peak memory over its whole life: at the moment the window
// shows, a toolkit that loads its fonts for the first paint looks smaller.
long end_and_measure_peak_kib(pid_t pid, bool ends_by_itself) {
    if (!ends_by_itself) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(pid, SIGTERM);
    rusage usage{};
    ::wait4(pid, nullptr, 0, &usage);
    return usage.ru_maxrss;
}

std::optional<xcb_window_t> wait_for_top_level(xcb_connection_t* connection, pid_t pid) {
    const xcb_atom_t pid_atom = intern(connection, "_NET_WM_PID");
    const auto deadline = Clock::now() + wait_limit;
    pollfd x_server{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (Clock::now() < deadline) {
        while (const auto event = owned(xcb_poll_for_event(connection))) {
            if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY) continue;
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
            if (belongs_to(connection, map->window, static_cast<uint32_t>(pid), pid_atom, 2)) return map->window;
        }
        if (xcb_connection_has_error(connection) != 0) return std::nullopt;
        ::poll(&x_server, 1, 100);
    }
    return std::nullopt;
}

void press(xcb_connection_t* connection, xcb_keycode_t keycode) {
    xcb_test_fake_input(connection, XCB_KEY_PRESS, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(connection, XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(connection);
}

// Keycode of an unshifted keysym in the server's current keyboard map.
std::optional<xcb_keycode_t> keycode_of(xcb_connection_t* connection, xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const auto count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto map = owned(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr));
    if (!map) return std::nullopt;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(map.get());
    for (int code = 0; code < count; ++code)
        if (keysyms[code * map->keysyms_per_keycode] == keysym)
            return static_cast<xcb_keycode_t>(setup->min_keycode + code);
    return std::nullopt;
}

// Whether the input focus is `top_level` or inside it (the frame holds the client).
bool focused(xcb_connection_t* connection, xcb_window_t top_level) {
    const auto focus = owned(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    constexpr xcb_window_t pointer_root = 1;  // the focus values None (0) and PointerRoot (1) are no windows
    for (xcb_window_t window = focus ? focus->focus : xcb_window_t{XCB_NONE}; window > pointer_root;) {
        if (window == top_level) return true;
        const auto tree = owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree || tree->parent == tree->root) return false;
        window = tree->parent;
    }
    return false;
}

// Keys go where the focus is, and a window manager gives it a moment after the map.
void wait_for_focus(xcb_connection_t* connection, xcb_window_t top_level) {
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (!focused(connection, top_level) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::optional<double> enter_to_start(xcb_connection_t* connection, xcb_window_t window, const std::string& text,
                                     const std::string& marker) {
    wait_for_focus(connection, window);
    for (const char c : text) {
        const auto keycode = keycode_of(connection, static_cast<xcb_keysym_t>(c));
        if (!keycode) return std::nullopt;
        press(connection, *keycode);
    }
    const auto enter = keycode_of(connection, 0xFF0D);
    if (!enter) return std::nullopt;
    // Lets the program take in the typed text first, so the figure is Enter's alone.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::unlink(marker.c_str());
    const double sent_ns = monotonic_ns();
    press(connection, *enter);
    const auto deadline = Clock::now() + wait_limit;
    while (Clock::now() < deadline) {
        std::ifstream started(marker);
        double started_ns = 0;
        if (started >> started_ns) return (started_ns - sent_ns) / 1e6;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::string text;
    std::string marker;
    std::string input;
    int first = 1;
    for (; first < argc && std::strcmp(argv[first], "--") != 0; ++first) {
        if (std::strcmp(argv[first], "--type") == 0 && first + 1 < argc) text = argv[++first];
        else if (std::strcmp(argv[first], "--marker") == 0 && first + 1 < argc) marker = argv[++first];
        else if (std::strcmp(argv[first], "--stdin") == 0 && first + 1 < argc) input = std::string(argv[++first]) + "\n";
    }
    if (first + 1 >= argc) {
        std::fprintf(stderr, "usage: time_to_window [--stdin TEXT] [--type TEXT --marker FILE] -- PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "time_to_window: cannot reach the X server\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    std::array<int, 2> feed{-1, -1};
    if (!input.empty() && ::pipe(feed.data()) != 0) return 2;
    const auto started = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // What the program prints is not ours to report.
        const int nowhere = ::open("/dev/null", O_WRONLY);
        ::dup2(nowhere, STDOUT_FILENO);
        ::close(nowhere);
        if (!input.empty()) {
            ::dup2(feed[0], STDIN_FILENO);
            ::close(feed[0]);
            ::close(feed[1]);
        }
        ::execvp(argv[first + 1], argv + first + 1);
        ::_exit(127);
    }
    if (!input.empty()) {
        ::close(feed[0]);
        if (::write(feed[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) return 2;
    }
    const std::optional<xcb_window_t> window = wait_for_top_level(connection, pid);
    const auto shown = Clock::now();
    const long shared_objects = libraries(pid);
    const bool types = window && !text.empty() && !marker.empty();
    int status = 1;
    if (window) {
        std::printf("window_ms=%.2f libraries=%ld", milliseconds(shown - started), shared_objects);
        if (types) {
            const std::optional<double> enter = enter_to_start(connection, *window, text, marker);
            if (enter) std::printf(" enter_to_start_ms=%.3f", *enter);
            else std::printf(" enter_to_start_ms=none");
        }
        status = 0;
    } else {
        std::fprintf(stderr, "time_to_window: no window within the limit\n");
    }
    const long peak = end_and_measure_peak_kib(pid, types);
    if (window) std::printf(" peak_kib=%ld\n", peak);
    if (!input.empty()) ::close(feed[1]);
    xcb_disconnect(connection);
    return status;
}
