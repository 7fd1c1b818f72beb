#include "xharness.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <stb/stb_image_write.h>

namespace xharness {

namespace {

// The last X error, as Xlib words it: errors are answers here (a window that vanishes mid-capture),
// never the end of the process as Xlib's default handler has it, but a failure names the last one.
std::string lastXError;

int recordXError(Display* display, XErrorEvent* error)
{
    char text[256] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    lastXError = std::string(text) + " (request " + std::to_string(error->request_code) + ", resource 0x";
    char resource[32];
    std::snprintf(resource, sizeof resource, "%lx)", error->resourceid);
    lastXError += resource;
    return 0;
}

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(lastXError.empty() ? what : what + "; last X error: " + lastXError);
}

void pause(milliseconds interval)
{
    std::this_thread::sleep_for(interval);
}

constexpr milliseconds POLL_INTERVAL(25);
constexpr milliseconds QUIET_SPAN(300);

} // namespace

std::string describeColour(std::uint32_t rgb)
{
    char text[32];
    std::snprintf(text, sizeof text, "(%u, %u, %u)", rgb >> 16, (rgb >> 8) & 0xffu, rgb & 0xffu);
    return text;
}

std::string Picture::firstDifference(const Picture& other) const
{
    if (width != other.width || height != other.height) {
        return "size " + std::to_string(width) + "x" + std::to_string(height) + " against " +
               std::to_string(other.width) + "x" + std::to_string(other.height);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (at(x, y) != other.at(x, y)) {
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): " +
                       describeColour(at(x, y)) + " against " + describeColour(other.at(x, y));
            }
        }
    }
    return "none";
}

void Picture::writePng(const std::string& path) const
{
    std::vector<unsigned char> rgb;
    rgb.reserve(pixels.size() * 3);
    for (std::uint32_t p : pixels) {
        rgb.insert(rgb.end(), {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                               static_cast<unsigned char>(p)});
    }
    if (stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) == 0) {
        fail("could not write " + path);
    }
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv, int keepFd,
             bool quiet)
{
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) {
        fail("fork failed");
    }
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
        if (keepFd >= 0) {
            fcntl(keepFd, F_SETFD, 0);
        }
        if (quiet) {
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, STDERR_FILENO);
        }
        for (const std::string& e : extraEnv) {
            putenv(const_cast<char*>(e.c_str()));
        }
        execvp(args[0], args.data());
        std::fprintf(stderr, "cannot run %s\n", args[0]);
        _exit(127);
    }
}

Child::~Child()
{
    if (!running()) {
        return;
    }
    kill(pid_, SIGTERM);
    if (waitForExit(milliseconds(3000)) == -1) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
}

bool Child::running()
{
    if (!reaped_ && waitpid(pid_, &status_, WNOHANG) == pid_) {
        reaped_ = true;
    }
    return !reaped_;
}

int Child::waitForExit(milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (running()) {
        if (Clock::now() > deadline) {
            return -1;
        }
        pause(milliseconds(5));
    }
    return status_;
}

VirtualDisplay::VirtualDisplay(int width, int height)
{
    XSetErrorHandler(recordXError);
    server_ = startServer(width, height);
    const auto deadline = Clock::now() + milliseconds(15000);
    while ((display_ = XOpenDisplay(name_.c_str())) == nullptr) {
        if (Clock::now() > deadline) {
            fail("Xvfb on " + name_ + " did not accept a connection within 15 s");
        }
        pause(POLL_INTERVAL);
    }
}

std::unique_ptr<Child> VirtualDisplay::startServer(int width, int height)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        fail("pipe failed");
    }
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::vector<std::string> argv = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                           screen, "-nolisten", "tcp", "-noreset"};
    // Quiet: it reports every display number it finds taken on the way to a free one.
    auto server = std::make_unique<Child>(argv, std::vector<std::string>{}, fds[1], true);
    close(fds[1]);
    std::string number;
    pollfd readable = {fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&readable, 1, 15000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        fail("Xvfb did not report a display number within 15 s (is the xvfb package installed?)");
    }
    name_ = ":" + number;
    return server;
}

VirtualDisplay::~VirtualDisplay()
{
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

Window findWindow(Display* display, const std::string& title, milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && found == 0; ++i) {
                char* name = nullptr;
                if (XFetchName(display, children[i], &name) && name != nullptr) {
                    found = title == name ? children[i] : 0;
                    XFree(name);
                }
            }
            XFree(children);
        }
        if (found != 0) {
            return found;
        }
        if (Clock::now() > deadline) {
            fail("no window titled \"" + title + "\" appeared within " +
                 std::to_string(timeout.count()) + " ms");
        }
        pause(POLL_INTERVAL);
    }
}

int viewerSlowdown()
{
    static const int slowdown = [] {
        const char* text = std::getenv("VIEWER_SLOWDOWN");
        if (text == nullptr) {
            return 1;
        }
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end == text || *end != '\0' || value < 1 || value > 1000) {
            fail(std::string("VIEWER_SLOWDOWN must be a whole number from 1 to 1000, not '") + text + "'");
        }
        return int(value);
    }();
    return slowdown;
}

std::string viewerPath()
{
    const char* path = std::getenv("VIEWER");
    return path != nullptr ? path : VIEWER_PATH;
}

namespace {

bool fullyOnScreen(Display* dpy, Window window)
{
    XWindowAttributes a, root;
    Window child = 0;
    int x = 0, y = 0;
    return XGetWindowAttributes(dpy, window, &a) && a.map_state == IsViewable &&
           XGetWindowAttributes(dpy, a.root, &root) &&
           XTranslateCoordinates(dpy, window, a.root, 0, 0, &x, &y, &child) && x >= 0 && y >= 0 &&
           x + a.width <= root.width && y + a.height <= root.height;
}

} // namespace

ViewerSession::ViewerSession(const std::vector<std::string>& args,
                             const std::vector<std::string>& wrapper, milliseconds startTimeout)
{
    std::vector<std::string> argv = wrapper;
    argv.push_back(viewerPath());
    argv.insert(argv.end(), args.begin(), args.end());
    viewer_ = std::make_unique<Child>(argv,
                                      std::vector<std::string>{"DISPLAY=" + display_.name(), "TMPDIR=" + tmpdir_.path()});

    // Captures need the whole window on screen. GLUT asks for no position and lands at (-1, -1),
    // over the screen's edge, so it is moved to the origin; a window system that placed it wholly
    // on screen (Wine, at an offset of its own) keeps its place.
    Display* dpy = connection();
    startTimeout *= viewerSlowdown();
    window_ = findWindow(dpy, WINDOW_TITLE, startTimeout);
    const auto deadline = Clock::now() + startTimeout;
    bool moved = false;
    while (!fullyOnScreen(dpy, window_)) {
        XWindowAttributes a;
        if (!moved && XGetWindowAttributes(dpy, window_, &a) && a.map_state == IsViewable) {
            XMoveWindow(dpy, window_, 0, 0);
            XSync(dpy, False);
            moved = true;
        }
        if (Clock::now() > deadline) {
            fail("the viewer's window was not shown wholly on the screen in time");
        }
        pause(POLL_INTERVAL);
    }
}

TemporaryFolder::TemporaryFolder()
{
    const char* tmpdir = std::getenv("TMPDIR");
    std::string folder = std::string(tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp") + "/viewer-session-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        fail("could not make a temporary folder in " + folder.substr(0, folder.rfind('/')));
    }
    path_ = folder;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

Picture ViewerSession::capture() const
{
    Display* dpy = connection();
    XWindowAttributes a;
    XImage* image = nullptr;
    if (XGetWindowAttributes(dpy, window_, &a)) {
        image = XGetImage(dpy, window_, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    }
    if (image == nullptr) {
        fail("could not read the viewer's window (has the viewer ended?)");
    }
    Picture picture;
    picture.width = a.width;
    picture.height = a.height;
    picture.pixels.resize(size_t(a.width) * size_t(a.height));
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            pixel >>= 1;
        }
        return std::uint32_t(pixel & mask & 0xff);
    };
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            picture.pixels[size_t(y) * size_t(a.width) + size_t(x)] =
                channel(p, image->red_mask) << 16 | channel(p, image->green_mask) << 8 |
                channel(p, image->blue_mask);
        }
    }
    XDestroyImage(image);
    return picture;
}

ViewerSession::Activity ViewerSession::activity() const
{
    Activity now;
    const std::string proc = "/proc/" + std::to_string(viewer_->pid());
    std::ifstream stat(proc + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return now;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string skip;
    unsigned long long utime = 0, stime = 0;
    fields >> now.state;
    for (int field = 4; field <= 13; ++field) {
        fields >> skip;
    }
    fields >> utime >> stime;
    now.cpuTicks = utime + stime;

    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
            now.switches = std::stoull(line.substr(24));
        }
    }
    return now;
}

void ViewerSession::markInput()
{
    switchesAtInput_ = activity().switches;
    inputPending_ = true;
}

Picture ViewerSession::settle(milliseconds timeout)
{
    timeout *= viewerSlowdown();
    const auto deadline = Clock::now() + timeout;
    Activity before = activity();
    Picture shown = capture();
    auto quietSince = Clock::now();
    for (;;) {
        pause(POLL_INTERVAL);
        if (!viewer_->running()) {
            fail("the viewer ended while the harness waited for it to draw");
        }
        const Activity now = activity();
        Picture picture = capture();
        if (inputPending_ && now.switches != switchesAtInput_) {
            inputPending_ = false; // the viewer has woken up for the input since it was sent
        }
        const bool quiet = !inputPending_ && now.state == 'S' && now.cpuTicks == before.cpuTicks &&
                           now.switches == before.switches && picture == shown;
        if (!quiet) {
            quietSince = Clock::now();
        } else if (Clock::now() - quietSince >= QUIET_SPAN) {
            return picture;
        }
        if (Clock::now() > deadline) {
            fail(std::string("waited ") + std::to_string(timeout.count()) + " ms for the viewer to " +
                 (inputPending_ ? "take in the input sent to it" : "finish drawing and go idle"));
        }
        before = now;
        shown = std::move(picture);
    }
}

void ViewerSession::xdotool(const std::vector<std::string>& commands)
{
    markInput();
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), commands.begin(), commands.end());
    Child run(argv, {"DISPLAY=" + display_.name()});
    const int status = run.waitForExit(milliseconds(60000));
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fail("xdotool failed or hung (is the xdotool package installed?)");
    }
}

void ViewerSession::click(int button, int count, int x, int y)
{
    std::vector<std::string> commands = {"mousemove", "--window", std::to_string(window_), std::to_string(x),
                                         std::to_string(y)};
    for (int i = 0; i < count; ++i) {
        commands.insert(commands.end(), {"click", std::to_string(button)});
    }
    xdotool(commands);
}

void ViewerSession::resize(int width, int height)
{
    markInput();
    XResizeWindow(connection(), window_, unsigned(width), unsigned(height));
    XSync(connection(), False);
}

void ViewerSession::requestClose() const
{
    Display* dpy = connection();
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, window_, False, NoEventMask, &event);
    XSync(dpy, False);
}

} // namespace xharness
