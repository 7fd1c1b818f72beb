// Frame cost at the deepest levels, side by side in one process and one GL context on a private
// Xvfb: the program's own work (into counting stand-ins), the real frame (display + glFinish),
// and the floor (the same vertex stream, computed beforehand, sent with the same calls, flushed
// and finished alike). Then the time from process start to the first finished frame, for the
// viewer and for a floor program with the same start-up. With $OTHER_VIEWER (scripts/bench.sh
// --windows or --arm64), the depth-12 frame of the Windows program under Wine, or of the arm64 one
// under qemu-user, against the native one's, $OTHER_ROUNDS times each.
// Ratios come from medians.
#include <benchmark/benchmark.h>

#include "gl_recorder.h"
#include "viewer/frame.h"
#include "viewer/view_state.h"
#include "viewer/window.h"
#include "xharness.h"

#include <GL/freeglut.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

// The figures compiled once more into the GL recorder (CMakeLists.txt).
void recordedArrowhead(const Point2& p, const Point2& q, const Point2& r, int depth);
void recordedCarpet(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3, int depth);

namespace {

using xharness::Clock;

struct Stream {
    GLenum mode;
    std::vector<Point2> vertices; // four per primitive
};

void drawRecorded(int figure, int depth)
{
    if (figure == FIGURE_ARROWHEAD) {
        recordedArrowhead(SEED_TRIANGLE[0], SEED_TRIANGLE[1], SEED_TRIANGLE[2], depth);
    } else {
        recordedCarpet(SEED_RECTANGLE[0], SEED_RECTANGLE[1], SEED_RECTANGLE[2], SEED_RECTANGLE[3], depth);
    }
}

Stream recordStream(int figure, int depth)
{
    startRecording();
    drawRecorded(figure, depth);
    Stream stream{figure == FIGURE_ARROWHEAD ? GLenum(GL_LINE_STRIP) : GLenum(GL_POLYGON), {}};
    for (const Primitive& primitive : glRecord.primitives) {
        stream.vertices.insert(stream.vertices.end(), primitive.vertices.begin(), primitive.vertices.end());
    }
    startRecording();
    return stream;
}

// The program's own work: the recursion into a recorder that only counts primitives.
void ownWork(benchmark::State& state, int figure, int depth)
{
    for (auto _ : state) {
        startRecording(true);
        drawRecorded(figure, depth);
        benchmark::DoNotOptimize(glRecord.primitiveCount);
    }
    const auto rate = benchmark::Counter::kIsIterationInvariantRate;
    const auto primitives = double(glRecord.primitiveCount);
    state.counters["primitives/s"] = benchmark::Counter(primitives, rate);
    state.counters["ns/vertex"] = benchmark::Counter(primitives * 4, rate | benchmark::Counter::kInvert);
}

void drawRealFrame()
{
    display();
    glFinish();
}

void drawFloorFrame(const Stream& stream)
{
    glClear(GL_COLOR_BUFFER_BIT);
    const Point2* end = stream.vertices.data() + stream.vertices.size();
    for (const Point2* v = stream.vertices.data(); v != end; v += 4) {
        glBegin(stream.mode);
        glVertex2fv(&v[0].x);
        glVertex2fv(&v[1].x);
        glVertex2fv(&v[2].x);
        glVertex2fv(&v[3].x);
        glEnd();
    }
    glFlush();
    glFinish();
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// Real and floor frames in alternation (real, floor, floor, real, ...), so that a change in the
// machine's load falls on both alike; reports each one's median in milliseconds.
void pairedFrames(benchmark::State& state, int figure, int depth, const Stream* stream, int rounds)
{
    viewState = {figure, depth, figure == FIGURE_ARROWHEAD ? TRIANGLE_MAX_DEPTH : CARPET_MAX_DEPTH};
    std::vector<double> real, floor;
    const auto milliseconds = [](auto draw) {
        const auto start = Clock::now();
        draw();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    const auto drawFloor = [stream] { drawFloorFrame(*stream); };
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            if (round % 2 == 0) {
                real.push_back(milliseconds(drawRealFrame));
                floor.push_back(milliseconds(drawFloor));
            } else {
                floor.push_back(milliseconds(drawFloor));
                real.push_back(milliseconds(drawRealFrame));
            }
        }
    }
    state.counters["real_ms"] = median(real);
    state.counters["floor_ms"] = median(floor);
}

// True once the first frame is on screen: blue at the centre, black on the strip's top segment
// (the window sits at (-1, -1); the root window around it is never blue).
bool firstFrameShown(Display* dpy)
{
    const Window root = DefaultRootWindow(dpy);
    XImage* image = XGetImage(dpy, root, 249, 210, 1, 40, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return false;
    }
    bool black = false;
    for (int y = 0; y < 8; ++y) {
        black = black || (XGetPixel(image, 0, y) & 0xffffff) == 0;
    }
    const bool blue = (XGetPixel(image, 0, 39) & 0xffffff) == 0x0000ff;
    XDestroyImage(image);
    return black && blue;
}

void firstFrame(benchmark::State& state, const std::string& program)
{
    static xharness::VirtualDisplay screen; // of its own, so the benchmark's window is not on it
    for (auto _ : state) {
        const auto start = Clock::now();
        {
            xharness::Child child({program}, {"DISPLAY=" + screen.name()});
            while (!firstFrameShown(screen.connection())) {
                if (Clock::now() - start > std::chrono::seconds(30)) {
                    state.SkipWithError("no first frame within 30 s");
                    return;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        }
        while (firstFrameShown(screen.connection())) { // until the window is gone again
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

// The depth-12 arrowhead frame in a real window, native and the other program (under Wine or
// qemu-user), each on a private Xvfb of the same size, alternately: from a left click at depth 11
// to the finished depth-12 picture, read back with XGetImage. Both times include starting xdotool
// for the click.
void windowFrames(benchmark::State& state, const std::string& otherViewer, int rounds)
{
    using xharness::LEFT, xharness::RIGHT;
    const auto atTwelve = [](xharness::ViewerSession& viewer) {
        viewer.click(LEFT, TRIANGLE_MAX_DEPTH);
        return viewer.settle();
    };
    const auto timeFrame = [](xharness::ViewerSession& viewer, const xharness::Picture& twelve) {
        viewer.click(RIGHT);
        viewer.settle();
        const auto start = Clock::now();
        viewer.click(LEFT);
        while (viewer.capture() != twelve) {
            if (Clock::now() - start > std::chrono::seconds(60) * xharness::viewerSlowdown()) {
                throw std::runtime_error("no depth-12 picture in time after the click");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    for (auto _ : state) {
        xharness::ViewerSession native;
        setenv("VIEWER", otherViewer.c_str(), 1); // the harness runs $VIEWER
        xharness::ViewerSession other({}, {}, std::chrono::seconds(60));
        unsetenv("VIEWER");
        const xharness::Picture nativeTwelve = atTwelve(native), otherTwelve = atTwelve(other);
        std::vector<double> nativeTimes, otherTimes;
        for (int round = 0; round < rounds; ++round) {
            nativeTimes.push_back(timeFrame(native, nativeTwelve));
            otherTimes.push_back(timeFrame(other, otherTwelve));
        }
        state.counters["native_ms"] = median(nativeTimes);
        state.counters["other_ms"] = median(otherTimes);
        state.counters["same_picture"] = nativeTwelve == otherTwelve;
    }
}

// Prints the runs as usual, then the ratios the targets are stated in, from the medians. A ratio
// that misses its target, or that lacks a run it is made of, fails the benchmark; when a filter
// chose the runs, only the ratios it left a run of are looked at.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool filtered) : filtered_(filtered) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians_[name] = run.GetAdjustedRealTime();
            }
            for (const auto& [counter, value] : run.counters) {
                std::string key = name;
                medians_[key.append("/").append(counter)] = value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nfrom the medians                          ratio  target    (ms / ms)\n");
        // What, numerator, denominator, target (0: none), whether the ratio must stay below it
        // (rather than at or below), and whether every run without a filter must have it.
        const struct {
            const char* what;
            const char* a;
            const char* b;
            double target;
            bool strictly;
            bool always;
        } ratios[] = {
            {"arrowhead 12: real frame / floor", "frames/arrowhead12/real_ms", "frames/arrowhead12/floor_ms", 1.03, false, true},
            {"carpet 5:     real frame / floor", "frames/carpet5/real_ms", "frames/carpet5/floor_ms", 1.03, false, true},
            {"arrowhead 12: own work / real frame", "own_work/arrowhead12", "frames/arrowhead12/real_ms", 0.05, true, true},
            {"carpet 5:     own work / real frame", "own_work/carpet5", "frames/carpet5/real_ms", 0, false, true},
            {"first frame:  viewer / floor program", "first_frame/viewer", "first_frame/floor", 1.10, false, true},
            {"arrowhead 12 in a window: Wine / native", "windows/arrowhead12/other_ms", "windows/arrowhead12/native_ms", 0, false, false},
            {"arrowhead 12 in a window: arm64 / native", "arm64/arrowhead12/other_ms", "arm64/arrowhead12/native_ms", 0, false, false},
        };
        for (const auto& r : ratios) {
            const bool hasA = medians_.count(r.a) != 0, hasB = medians_.count(r.b) != 0;
            if (!hasA || !hasB) {
                if ((r.always && !filtered_) || hasA || hasB) {
                    std::printf("%-40s MISSING: no run %s\n", r.what, hasA ? r.b : r.a);
                    failed_ = true;
                }
                continue;
            }
            const double ratio = medians_[r.a] / medians_[r.b];
            const bool met = r.target == 0 || (r.strictly ? ratio < r.target : ratio <= r.target);
            char target[16] = "";
            if (r.target != 0) {
                std::snprintf(target, sizeof target, "%s %.2f", r.strictly ? "< " : "<=", r.target);
            }
            std::printf("%-40s %7.4f  %-8s  (%.3f / %.3f)%s\n", r.what, ratio, target, medians_[r.a], medians_[r.b],
                        met ? "" : "  MISSED");
            failed_ = failed_ || !met;
        }
    }

    bool failed() const { return failed_; }

private:
    bool filtered_;
    bool failed_ = false;
    std::map<std::string, double> medians_;
};

} // namespace

int main(int argc, char** argv)
{
    bool filtered = false;
    for (int i = 1; i < argc; ++i) {
        filtered = filtered || std::string(argv[i]).rfind("--benchmark_filter", 0) == 0;
    }
    benchmark::Initialize(&argc, argv);
    xharness::VirtualDisplay screen;
    setenv("DISPLAY", screen.name().c_str(), 1);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_SINGLE);
    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutCreateWindow(WINDOW_TITLE);
    initGraphics();

    static const Stream arrowhead = recordStream(FIGURE_ARROWHEAD, TRIANGLE_MAX_DEPTH);
    static const Stream carpet = recordStream(FIGURE_CARPET, CARPET_MAX_DEPTH);
    const auto frame = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(15)->ReportAggregatesOnly();
    };
    frame(benchmark::RegisterBenchmark("own_work/arrowhead12", ownWork, FIGURE_ARROWHEAD, TRIANGLE_MAX_DEPTH));
    frame(benchmark::RegisterBenchmark("own_work/carpet5", ownWork, FIGURE_CARPET, CARPET_MAX_DEPTH));
    benchmark::RegisterBenchmark("frames/arrowhead12", pairedFrames, FIGURE_ARROWHEAD, TRIANGLE_MAX_DEPTH, &arrowhead, 40)
        ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
    benchmark::RegisterBenchmark("frames/carpet5", pairedFrames, FIGURE_CARPET, CARPET_MAX_DEPTH, &carpet, 400)
        ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
    for (const auto& [name, program] : {std::pair{"first_frame/viewer", xharness::viewerPath()},
                                        {"first_frame/floor", std::string(FLOOR_PATH)}}) {
        benchmark::RegisterBenchmark(name, firstFrame, program)
            ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(15)->ReportAggregatesOnly();
    }
    const char* otherViewer = std::getenv("OTHER_VIEWER");
    const char* otherKind = std::getenv("OTHER_KIND");
    const char* otherRounds = std::getenv("OTHER_ROUNDS");
    if (otherViewer != nullptr && otherKind != nullptr) {
        benchmark::RegisterBenchmark((std::string(otherKind) + "/arrowhead12").c_str(), windowFrames,
                                     std::string(otherViewer), otherRounds != nullptr ? std::atoi(otherRounds) : 21)
            ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
    }
    RatioReporter reporter(filtered);
    const bool ran = benchmark::RunSpecifiedBenchmarks(&reporter) > 0;
    benchmark::Shutdown();
    glutExit(); // before this function's Xvfb goes away under GLUT's connection
    if (!ran || reporter.failed()) {
        std::fprintf(stderr, "%s\n", ran ? "a target was missed or a run is missing" : "no benchmark ran");
        return 1;
    }
    return 0;
}
