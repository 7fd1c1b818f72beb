#include "gl_recorder.h"
#include "viewer/frame.h"
#include "viewer/view_state.h"

#include <cmath>

namespace {

// A frame clears, draws the selected figure from its seed corners at the current depth, then
// flushes: nothing before the clear, nothing after the flush.
TEST(Frame, DrawsTheSelectedFigureBetweenClearAndFlush)
{
    const struct {
        int figure;
        GLenum mode;
        double branching;
        Point2 firstVertex;
    } figures[] = {{FIGURE_ARROWHEAD, GL_LINE_STRIP, 3.0, {-1.0f, -0.58f}},
                   {FIGURE_CARPET, GL_POLYGON, 8.0, {-1.0f, -0.58f}}};

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
            ASSERT_EQ(glRecord.primitives.size(), primitives);
            EXPECT_EQ(glRecord.primitives[0].mode, figure.mode);
            if (depth == 0) {
                EXPECT_TRUE(samePoint(glRecord.primitives[0].vertices[0], figure.firstVertex));
            }
        }
    }
    viewState = START_VIEW_STATE;
}

} // namespace
