// Starts a program on the X display and times it from launch until a window with the given
// title is mapped; optionally presses Tab and space there and times until a second window is
// mapped; then reports the program's resident memory and ends it.
//
//   window_probe FIRST_TITLE [SECOND_TITLE_PREFIX] -- program [args]
//
// Prints: launch_ms=... [next_ms=...] rss_kib=...
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The process that owns a window, as the toolkit records it in _NET_WM_PID.
long windowPid(Display* display, Window window) {
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &items, &after, &data) == Success &&
        data != nullptr && items == 1) {
        pid = *reinterpret_cast<long*>(data);
    }
    if (data != nullptr) XFree(data);
    return pid;
}

// A mapped top-level window of process pid whose title starts with prefix, or 0.
Window findWindow(Display* display, pid_t pid, const std::string& prefix) {
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        char* name = nullptr;
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable || !XFetchName(display, children[i], &name)) {
            continue;
        }
        if (std::strncmp(name, prefix.c_str(), prefix.size()) == 0 &&
            windowPid(display, children[i]) == pid) {
            found = children[i];
        }
        XFree(name);
    }
    if (children != nullptr) XFree(children);
    return found;
}

Window waitForWindow(Display* display, pid_t pid, const std::string& prefix) {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        if (Window w = findWindow(display, pid, prefix)) return w;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::fprintf(stderr, "no window \"%s\" appeared\n", prefix.c_str());
    std::exit(1);
}

void press(Display* display, KeySym key) {
    const KeyCode code = XKeysymToKeycode(display, key);
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
}

long residentKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Windows come and go while the tree is read; an error about one that just went is expected.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char* argv[]) {
    int dashes = 1;
    while (dashes < argc && std::strcmp(argv[dashes], "--") != 0)
        ++dashes;
    if (dashes < 2 || dashes + 1 >= argc) {
        std::fprintf(stderr, "usage: window_probe FIRST [SECOND] -- program [args]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 2;
    XSetErrorHandler(ignoreXError);

    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(argv[dashes + 1], argv + dashes + 1);
        _exit(127);
    }
    const Window first = waitForWindow(display, pid, argv[1]);
    std::printf("launch_ms=%.1f", msSince(start));
    if (dashes == 3) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let it settle
        XSetInputFocus(display, first, RevertToParent, CurrentTime);
        press(display, XK_Tab);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto okPressed = Clock::now();
        press(display, XK_space);
        XSync(display, False);
        waitForWindow(display, pid, argv[2]);
        std::printf(" next_ms=%.1f", msSince(okPressed));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::printf(" rss_kib=%ld\n", residentKib(pid));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    return 0;
}
