// The real viewer in a real window on a private Xvfb, driven by xdotool clicks and checked by
// its pixels. Button numbers are X's: 1 left, 2 middle, 3 right, 4 and 5 the wheel.
#include "expected_pictures.h"
#include "xharness.h"

#include <X11/Xutil.h>
#include <sys/wait.h>

namespace {

using xharness::Picture;
using xharness::ViewerSession;
using xharness::LEFT, xharness::MIDDLE, xharness::RIGHT;

TEST(Viewer, WindowIsTitledAndFiveHundredPixelsSquare)
{
    ViewerSession viewer;
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(viewer.connection(), viewer.window(), &name));
    EXPECT_STREQ(name, WINDOW_TITLE);
    XFree(name);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(viewer.connection(), viewer.window(), &attributes));
    EXPECT_EQ(attributes.width, WINDOW_WIDTH);
    EXPECT_EQ(attributes.height, WINDOW_HEIGHT);
}

TEST(Viewer, FirstFrameIsTheDepthZeroStripBlackOnBlue)
{
    ViewerSession viewer;
    EXPECT_TRUE(showsArrowhead(viewer.settle(), 0));
}

TEST(Viewer, LeftGoesDeeperAndStopsAtTwelve)
{
    ViewerSession viewer;
    for (int depth = 1; depth <= 4; ++depth) {
        viewer.click(LEFT);
        ASSERT_TRUE(showsArrowhead(viewer.settle(), depth));
    }
    viewer.click(LEFT, 8);
    const Picture atTwelve = viewer.settle();
    viewer.click(LEFT);
    const Picture oneMore = viewer.settle();
    EXPECT_TRUE(oneMore == atTwelve) << "first difference: " << oneMore.firstDifference(atTwelve);
    // Had the press gone past the ceiling, eleven steps back would not reach depth 1.
    viewer.click(RIGHT, 11);
    EXPECT_TRUE(showsArrowhead(viewer.settle(), 1));
}

TEST(Viewer, RightStopsAtZero)
{
    ViewerSession viewer;
    viewer.click(LEFT, 2);
    ASSERT_TRUE(showsArrowhead(viewer.settle(), 2));
    viewer.click(RIGHT, 5);
    ASSERT_TRUE(showsArrowhead(viewer.settle(), 0));
    viewer.click(LEFT);
    EXPECT_TRUE(showsArrowhead(viewer.settle(), 1));
}

TEST(Viewer, MiddleSwitchesToTheCarpetAndBackWithEachCeiling)
{
    ViewerSession viewer;
    viewer.click(LEFT, 3);
    viewer.click(MIDDLE);
    ASSERT_TRUE(showsCarpet(viewer.settle(), 0));
    for (int depth = 1; depth <= 3; ++depth) {
        viewer.click(LEFT);
        ASSERT_TRUE(showsCarpet(viewer.settle(), depth));
    }
    viewer.click(LEFT, 2);
    const Picture atFive = viewer.settle();
    viewer.click(LEFT, 3);
    const Picture beyond = viewer.settle();
    EXPECT_TRUE(beyond == atFive) << "first difference: " << beyond.firstDifference(atFive);
    viewer.click(RIGHT, 4);
    ASSERT_TRUE(showsCarpet(viewer.settle(), 1));

    viewer.click(MIDDLE);
    ASSERT_TRUE(showsArrowhead(viewer.settle(), 0));
    viewer.click(LEFT, 15);
    viewer.click(RIGHT, 11);
    EXPECT_TRUE(showsArrowhead(viewer.settle(), 1)) << "the arrowhead's ceiling is 12 again";
}

TEST(Viewer, WheelAndOtherButtonsChangeNothing)
{
    ViewerSession viewer;
    viewer.click(LEFT);
    const Picture before = viewer.settle();
    for (int button : {4, 5, 6, 7, 8, 9}) {
        viewer.click(button, 3);
    }
    const Picture after = viewer.settle();
    EXPECT_TRUE(after == before) << "first difference: " << after.firstDifference(before);
    viewer.click(LEFT);
    EXPECT_TRUE(showsArrowhead(viewer.settle(), 2));
}

TEST(Viewer, PressesAnywhereInTheWindowActAlike)
{
    ViewerSession viewer;
    for (const auto& [x, y] : {std::pair{0, 0}, {499, 0}, {0, 499}, {499, 499}}) {
        viewer.click(LEFT, 1, x, y);
    }
    ASSERT_TRUE(showsArrowhead(viewer.settle(), 4));
    viewer.click(MIDDLE, 1, 3, 496);
    EXPECT_TRUE(showsCarpet(viewer.settle(), 0));
}

TEST(Viewer, ResizingStretchesTheSameWorldSquare)
{
    ViewerSession viewer;
    viewer.settle();
    for (const auto& [width, height] : {std::pair{800, 400}, {300, 600}, {500, 500}}) {
        viewer.resize(width, height);
        const Picture picture = viewer.settle();
        ASSERT_EQ(picture.width, width);
        ASSERT_EQ(picture.height, height);
        EXPECT_TRUE(showsArrowhead(picture, 0)) << width << " x " << height;
    }
    viewer.click(MIDDLE);
    viewer.click(LEFT);
    viewer.resize(700, 450);
    EXPECT_TRUE(showsCarpet(viewer.settle(), 1));
}

// A window manager's close button sends WM_DELETE_WINDOW; GLUT then ends the process with 0.
TEST(Viewer, ClosingTheWindowEndsTheProcessPromptly)
{
    ViewerSession viewer;
    viewer.click(LEFT, 6);
    viewer.settle();
    viewer.requestClose();
    const int status = viewer.waitForExit(std::chrono::milliseconds(5000));
    ASSERT_NE(status, -1) << "the viewer was still running 5 s after its window was closed";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
