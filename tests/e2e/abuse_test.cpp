// The real viewer under abuse: a storm of random mouse events, no display, unknown options, and
// a whole session under valgrind's memcheck. Button numbers are X's: 1 left, 2 middle, 3 right.
#include "expected_pictures.h"
#include "mouse_rules.h"
#include "xharness.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace {

using std::chrono::seconds;
using xharness::Picture;
using xharness::ViewerSession;
using xharness::LEFT, xharness::MIDDLE, xharness::RIGHT;

// Presses and releases of buttons 1 to 7 in random order and overlap, each at a random spot in
// the window; a held button is released before it is pressed again, and all end released.
std::vector<std::string> stormOfEvents(unsigned seed, int count, Window window, ViewState& predicted)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> button(1, 7), pixel(0, 499);
    std::vector<std::string> commands;
    bool held[8] = {};
    const auto toggle = [&](int b) {
        commands.insert(commands.end(), {held[b] ? "mouseup" : "mousedown", std::to_string(b)});
        if (!held[b]) {
            predicted = afterPress(predicted, b - 1); // X's buttons count from 1, GLUT's from 0
        }
        held[b] = !held[b];
    };
    for (int i = 0; i < count; ++i) {
        commands.insert(commands.end(), {"mousemove", "--window", std::to_string(window),
                                         std::to_string(pixel(random)), std::to_string(pixel(random))});
        toggle(button(random));
    }
    for (int b = 1; b <= 7; ++b) {
        if (held[b]) {
            toggle(b);
        }
    }
    return commands;
}

TEST(Abuse, StormOfRandomMouseEventsLeavesThePredictedPicture)
{
    const unsigned seed = 20261208;
    ViewState predicted = START_VIEW_STATE;
    Picture afterStorm;
    {
        ViewerSession viewer;
        viewer.settle();
        viewer.xdotool(stormOfEvents(seed, 2400, viewer.window(), predicted));
        afterStorm = viewer.settle(seconds(120));
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + ", predicted " +
                 (predicted.figure == FIGURE_CARPET ? "carpet" : "arrowhead") + " at depth " +
                 std::to_string(predicted.depth));

    ViewerSession fresh;
    if (predicted.figure == FIGURE_CARPET) {
        fresh.click(MIDDLE);
    }
    if (predicted.depth > 0) {
        fresh.click(LEFT, predicted.depth);
    }
    const Picture expected = fresh.settle(seconds(120));
    EXPECT_TRUE(afterStorm == expected) << "first difference: " << afterStorm.firstDifference(expected);
}

// Runs the viewer through the shell with a deadline; returns its exit status and what it printed.
std::pair<int, std::string> runWithoutWindow(const std::string& environment)
{
    const std::string command = environment + " timeout 20 '" + xharness::viewerPath() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(Abuse, NoDisplayGivesGlutsMessageAndAFailingStatusPromptly)
{
    for (const char* environment : {"env -u DISPLAY", "DISPLAY=:4242", "DISPLAY=nowhere.invalid:0"}) {
        const auto start = xharness::Clock::now();
        const auto [status, output] = runWithoutWindow(environment);
        EXPECT_LT(xharness::Clock::now() - start, seconds(15)) << environment;
        EXPECT_NE(status, 0) << environment;
        EXPECT_NE(status, 124) << environment << ": the viewer hung without a display";
        EXPECT_NE(output.find("failed to open display"), std::string::npos) << environment << ": " << output;
    }
}

TEST(Abuse, OptionsTheProgramDoesNotKnowChangeNothing)
{
    ViewerSession viewer({"--depth=7", "-carpet", "--help", "extra", "-"});
    ASSERT_TRUE(showsArrowhead(viewer.settle(), 0));
    viewer.click(LEFT, 2);
    EXPECT_TRUE(showsArrowhead(viewer.settle(), 2));
}

// Both figures at their deepest, then back to a picture worth checking, then a closed window.
TEST(Valgrind, SessionThroughBothDeepestLevelsHasNoMemoryErrors)
{
    const std::string log = testing::TempDir() + "viewer-memcheck.log";
    ViewerSession viewer({},
                         {"valgrind", "--error-exitcode=97", "--leak-check=full",
                          "--errors-for-leak-kinds=definite", "--num-callers=40", "--keep-debuginfo=yes",
                          std::string("--suppressions=") + VALGRIND_SUPPRESSIONS, "--log-file=" + log},
                         seconds(300));
    viewer.settle(seconds(600));
    viewer.click(LEFT, TRIANGLE_MAX_DEPTH);
    viewer.settle(seconds(900));
    viewer.click(MIDDLE);
    viewer.click(LEFT, CARPET_MAX_DEPTH);
    viewer.settle(seconds(600));
    viewer.click(RIGHT, 4);
    EXPECT_TRUE(showsCarpet(viewer.settle(seconds(600)), 1));
    viewer.requestClose();
    const int status = viewer.waitForExit(seconds(300));

    std::ifstream file(log);
    std::stringstream report;
    report << file.rdbuf();
    ASSERT_NE(status, -1) << "still running 300 s after the window was closed";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report.str();
    EXPECT_NE(report.str().find("ERROR SUMMARY: 0 errors"), std::string::npos) << report.str();
}

} // namespace
