// Drives the real viewer on a private virtual X server the way a person does: it finds the window
// by its title, clicks with xdotool and reads the window's pixels back exactly with XGetImage.
// Every wait polls with a deadline and throws std::runtime_error naming what it waited for, and the
// last X error if there was one.
#pragma once
#include "viewer/window.h"

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace xharness {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// X's mouse buttons; the wheel is 4 (up) and 5 (down), further buttons 6 and on.
constexpr int LEFT = 1, MIDDLE = 2, RIGHT = 3;

// A window's pixels, 0xRRGGBB, row 0 at the top, in window pixels.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool operator==(const Picture& other) const
    {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
    bool operator!=(const Picture& other) const { return !(*this == other); }
    std::string firstDifference(const Picture& other) const;
    void writePng(const std::string& path) const;
};

std::string describeColour(std::uint32_t rgb);

// A child process that is killed if the harness dies first. `keepFd` stays open in it; a quiet
// child writes no diagnostics.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
          int keepFd = -1, bool quiet = false);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    // The wait status once the process has ended within the timeout; -1 if it is still running.
    int waitForExit(milliseconds timeout);
    bool running();

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

// A private Xvfb with a display number of its own choosing.
class VirtualDisplay {
public:
    explicit VirtualDisplay(int width = 1024, int height = 768);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    const std::string& name() const { return name_; }
    Display* connection() const { return display_; }

private:
    std::unique_ptr<Child> startServer(int width, int height);
    std::string name_;
    std::unique_ptr<Child> server_;
    Display* display_ = nullptr;
};

// A folder of its own under $TMPDIR (else /tmp), removed with all it holds when this goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// How many times longer than natively the viewer may take: $VIEWER_SLOWDOWN, for a viewer run
// under emulation, else 1; anything but a whole number from 1 to 1000 there is refused (throws).
// Every deadline of a session is stretched by it.
int viewerSlowdown();

// One run of the viewer on its own virtual display. `wrapper` runs before the viewer's path
// (valgrind, say); `args` follow it. The viewer gets a TMPDIR of its own, so that whatever it
// starts beside itself (Wine's server, for the Windows program) belongs to this run alone.
class ViewerSession {
public:
    explicit ViewerSession(const std::vector<std::string>& args = {},
                           const std::vector<std::string>& wrapper = {},
                           milliseconds startTimeout = milliseconds(20000));

    Window window() const { return window_; }
    pid_t pid() const { return viewer_->pid(); }
    Display* connection() const { return display_.connection(); }

    Picture capture() const;
    // Waits until the viewer has taken in all input sent so far, finished drawing and gone idle,
    // and returns the picture it left.
    Picture settle(milliseconds timeout = milliseconds(60000));

    // Mouse input through xdotool at window pixel (x, y), wherever the window sits on the screen.
    void click(int button, int count = 1, int x = 250, int y = 250);
    void xdotool(const std::vector<std::string>& commands);

    void resize(int width, int height);
    // Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW).
    void requestClose() const;
    int waitForExit(milliseconds timeout) { return viewer_->waitForExit(timeout * viewerSlowdown()); }

private:
    struct Activity {
        char state = '?';
        unsigned long long cpuTicks = 0;
        unsigned long long switches = 0;
    };
    Activity activity() const;
    void markInput();

    VirtualDisplay display_;
    TemporaryFolder tmpdir_; // outlives the viewer
    std::unique_ptr<Child> viewer_;
    Window window_ = 0;
    unsigned long long switchesAtInput_ = 0;
    bool inputPending_ = false;
};

// Finds a top-level window by its exact title.
Window findWindow(Display* display, const std::string& title, milliseconds timeout);

// The viewer executable this harness was built with, or $VIEWER (for the Windows program or
// another architecture's, a script that execs it under Wine or qemu-user).
std::string viewerPath();

} // namespace xharness
