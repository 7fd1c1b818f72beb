#include "same_vertices.h"
#include "viewer/frame.h"
#include "viewer/view_state.h"
#include "viewer/window.h"

#include <algorithm>
#include <cmath>
#include <string_view>

// The fixed values, written out here once more as the viewer is to have them, on purpose: the
// compile-time constants checked as the program compiles, the seed corners and the GL state below.
static_assert(TRIANGLE_MAX_DEPTH == 12 && CARPET_MAX_DEPTH == 5);
static_assert(START_VIEW_STATE.figure == FIGURE_ARROWHEAD && START_VIEW_STATE.depth == 0 &&
              START_VIEW_STATE.depthCeiling == 12);
static_assert(WINDOW_WIDTH == 500 && WINDOW_HEIGHT == 500);
static_assert(std::string_view(WINDOW_TITLE) == "Veldmora Assignment#1");

namespace {

// The seed corners as the nearest floats of their decimal values, bit for bit.
const Point2 A = {-1.0f, -0.58f}, B = {1.0f, -0.58f}, C = {0.0f, 1.15f};
const Point2 P0 = A, P1 = B, P2 = {1.0f, 1.15f}, P3 = {-1.0f, 1.15f};

TEST(Viewer, KeepsItsFixedSeedsCeilingsWindowAndGraphicsState)
{
    EXPECT_TRUE(sameVertices({A, B, C}, {SEED_TRIANGLE[0], SEED_TRIANGLE[1], SEED_TRIANGLE[2]}));
    EXPECT_TRUE(sameVertices({P0, P1, P2, P3},
                             {SEED_RECTANGLE[0], SEED_RECTANGLE[1], SEED_RECTANGLE[2], SEED_RECTANGLE[3]}));

    startRecording();
    initGraphics();
    const std::vector<std::string> expected = {"glMatrixMode(GL_PROJECTION)", "glLoadIdentity", "gluOrtho2D(-2, 2, -2, 2)",
                                               "glMatrixMode(GL_MODELVIEW)", "glClearColor(0, 0, 1, 1)",
                                               "glColor3f(0, 0, 0)"};
    EXPECT_EQ(glRecord.calls, expected);
}

// A frame clears, draws the selected figure from its seed corners at the current depth, then
// flushes: nothing before the clear, nothing after the flush, and no state call.
TEST(Frame, DrawsTheSelectedFigureBetweenClearAndFlush)
{
    const auto mid = [](const Point2& u, const Point2& v) { return Point2{(u.x + v.x) / 2, (u.y + v.y) / 2}; };
    const struct {
        int figure;
        GLenum mode;
        double branching;
        std::vector<Point2> depthZero;
    } figures[] = {{FIGURE_ARROWHEAD, GL_LINE_STRIP, 3.0, {A, mid(A, C), mid(B, C), B}},
                   {FIGURE_CARPET, GL_POLYGON, 8.0, {P0, P1, P2, P3}}};

    for (const auto& figure : figures) {
        for (int depth = 0; depth <= 3; ++depth) {
            viewState = {figure.figure, depth, 12};
            startRecording();
            display();
            const auto& calls = glRecord.calls;
            const auto primitives = size_t(std::pow(figure.branching, depth));
            ASSERT_EQ(calls.size(), primitives + 2);
            EXPECT_EQ(calls.front(), "glClear");
            EXPECT_EQ(calls.back(), "glFlush");
            EXPECT_EQ(size_t(std::count(calls.begin(), calls.end(), "primitive")), primitives);
            ASSERT_EQ(glRecord.primitives.size(), primitives);
            EXPECT_EQ(glRecord.primitives[0].mode, figure.mode);
            if (depth == 0) {
                EXPECT_TRUE(sameVertices(figure.depthZero, glRecord.primitives[0].vertices));
            }
        }
    }
    viewState = START_VIEW_STATE;
}

} // namespace
