#include "figures/carpet.h"
#include "same_vertices.h"

#include <climits>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

namespace {

const Point2 P0 = {-1.0f, -0.58f};
const Point2 P1 = {1.0f, -0.58f};
const Point2 P2 = {1.0f, 1.15f};
const Point2 P3 = {-1.0f, 1.15f};

// Rounds to the float a stored value becomes.
float f(double v)
{
    return float(v);
}

std::vector<Primitive> record(const Point2& p0, const Point2& p1, const Point2& p2,
                              const Point2& p3, int depth)
{
    startRecording();
    drawCarpet(p0, p1, p2, p3, depth);
    return glRecord.primitives;
}

TEST(Carpet, DepthZeroIsTheWholeQuadrilateral)
{
    const auto quads = record(P0, P1, P2, P3, 0);
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].mode, GLenum(GL_POLYGON));
    EXPECT_TRUE(sameVertices({P0, P1, P2, P3}, quads[0].vertices));
}

// The grid of the seed rectangle lies at one and two thirds of its 2.0 x 1.73; each grid value is
// rounded to a float before the next is taken from it, also near zero, where a multiply-add fused
// into one rounding would give other bits (the second rectangle's corners are small multiples of
// the least float).
TEST(Carpet, DepthOneIsEightCellsCounterClockwiseRoundTheCentre)
{
    const float d = std::numeric_limits<float>::denorm_min();
    const std::vector<Point2> rectangles[] = {{P0, P1, P2, P3},
                                              {{5 * d, 2 * d}, {40 * d, 2 * d}, {40 * d, 31 * d}, {5 * d, 31 * d}}};
    for (const auto& corners : rectangles) {
        const Point2 &p0 = corners[0], &p1 = corners[1], &p2 = corners[2];
        const float dx = f(f(double(p2.x) - p0.x) / 3.0), dy = f(f(double(p2.y) - p0.y) / 3.0);
        const float x1 = f(double(p0.x) + dx), x2 = f(double(p1.x) - dx);
        const float y1 = f(double(p0.y) + dy), y2 = f(double(p2.y) - dy);
        if (&corners == &rectangles[0]) {
            for (const auto& [value, near] : {std::pair{dx, 0.6666667}, {dy, 0.5766667}, {x1, -0.3333333},
                                              {x2, 0.3333333}, {y1, -0.0033333}, {y2, 0.5733333}}) {
                EXPECT_NEAR(value, near, 1e-6);
            }
        }

        const float xs[4] = {p0.x, x1, x2, p1.x};
        const float ys[4] = {p0.y, y1, y2, p2.y};
        const auto cell = [&](int col, int row) -> std::vector<Point2> {
            return {{xs[col], ys[row]}, {xs[col + 1], ys[row]}, {xs[col + 1], ys[row + 1]},
                    {xs[col], ys[row + 1]}};
        };
        const std::vector<Point2> expected[8] = {cell(0, 0), cell(1, 0), cell(2, 0), cell(2, 1),
                                                 cell(2, 2), cell(1, 2), cell(0, 2), cell(0, 1)};

        const auto quads = record(corners[0], corners[1], corners[2], corners[3], 1);
        ASSERT_EQ(quads.size(), 8u);
        for (size_t i = 0; i < quads.size(); ++i) {
            EXPECT_EQ(quads[i].mode, GLenum(GL_POLYGON)) << "cell " << i + 1;
            EXPECT_TRUE(sameVertices(expected[i], quads[i].vertices)) << "cell " << i + 1 << " of " << describe(p0);
        }
    }
}

TEST(Carpet, DepthNEmitsEightToTheNQuadsOfFourVertices)
{
    size_t expected = 1;
    for (int depth = 0; depth <= 5; ++depth, expected *= 8) {
        const auto quads = record(P0, P1, P2, P3, depth);
        ASSERT_EQ(quads.size(), expected) << "depth " << depth;
        for (const Primitive& quad : quads) {
            ASSERT_EQ(quad.mode, GLenum(GL_POLYGON)) << "depth " << depth;
            ASSERT_EQ(quad.vertices.size(), 4u) << "depth " << depth;
        }
    }
}

TEST(Carpet, NegativeDepthDrawsWhatDepthZeroDraws)
{
    for (int depth : {-1, -5, INT_MIN}) {
        const auto quads = record(P0, P1, P2, P3, depth);
        ASSERT_EQ(quads.size(), 1u) << "depth " << depth;
        EXPECT_TRUE(sameVertices({P0, P1, P2, P3}, quads[0].vertices)) << "depth " << depth;
    }
}

// At depth n the seed is a 3^n x 3^n grid; cell (i, j) is removed at level k when the k-th
// base-3 digits of i and j are both 1. Every quad must sit on its own grid cell (counter-clockwise
// from the bottom-left), no quad may sit in a removed cell at any level, no cell may be drawn twice,
// and quads of one column (row) share their x (y) values bit for bit, so neighbours leave no seam.
TEST(Carpet, QuadsTileExactlyTheCellsThatNoLevelRemoves)
{
    const double width = double(P1.x) - P0.x, height = double(P2.y) - P0.y;
    for (int depth = 0; depth <= 5; ++depth) {
        const int cells = int(std::lround(std::pow(3.0, depth)));
        std::set<std::pair<int, int>> drawn;
        using Edges = std::vector<std::set<std::uint32_t>>; // the distinct bits of one grid line
        Edges columnLeft(static_cast<size_t>(cells)), columnRight = columnLeft;
        Edges rowBottom = columnLeft, rowTop = columnLeft;

        for (const Primitive& quad : record(P0, P1, P2, P3, depth)) {
            const Point2* v = quad.vertices.data();
            ASSERT_TRUE(v[0].y == v[1].y && v[1].x == v[2].x && v[2].y == v[3].y && v[3].x == v[0].x &&
                        v[0].x < v[1].x && v[0].y < v[3].y)
                << "depth " << depth << ": not an axis-aligned counter-clockwise quad at " << describe(v[0]);

            const double u0 = (v[0].x - P0.x) / width * cells, u1 = (v[1].x - P0.x) / width * cells;
            const double w0 = (v[0].y - P0.y) / height * cells, w1 = (v[3].y - P0.y) / height * cells;
            const int i = int(std::lround(u0)), j = int(std::lround(w0));
            ASSERT_TRUE(std::fabs(u0 - i) < 1e-4 && std::fabs(u1 - i - 1) < 1e-4 &&
                        std::fabs(w0 - j) < 1e-4 && std::fabs(w1 - j - 1) < 1e-4)
                << "depth " << depth << ": quad at " << describe(v[0]) << " is off its grid cell";

            for (int ci = i, cj = j, level = depth; level > 0; ci /= 3, cj /= 3, --level) {
                ASSERT_FALSE(ci % 3 == 1 && cj % 3 == 1)
                    << "depth " << depth << ": quad (" << i << ", " << j
                    << ") lies in a centre cell removed at level " << level;
            }
            ASSERT_TRUE(drawn.insert({i, j}).second) << "cell (" << i << ", " << j << ") drawn twice";
            columnLeft[size_t(i)].insert(floatBits(v[0].x));
            columnRight[size_t(i)].insert(floatBits(v[1].x));
            rowBottom[size_t(j)].insert(floatBits(v[0].y));
            rowTop[size_t(j)].insert(floatBits(v[3].y));
        }
        EXPECT_EQ(drawn.size(), size_t(std::lround(std::pow(8.0, depth))));

        for (size_t k = 0; k < size_t(cells); ++k) {
            EXPECT_EQ(columnLeft[k].size(), 1u) << "depth " << depth << " column " << k;
            EXPECT_EQ(rowBottom[k].size(), 1u) << "depth " << depth << " row " << k;
            if (k + 1 < size_t(cells)) {
                EXPECT_EQ(columnRight[k], columnLeft[k + 1]) << "depth " << depth << " column " << k;
                EXPECT_EQ(rowTop[k], rowBottom[k + 1]) << "depth " << depth << " row " << k;
            }
        }
    }
}

// The grid reads P0.x, P0.y, P1.x, P2.x and P2.y only; the corners themselves go whole to the
// corner cells 1, 3, 5 and 7.
TEST(Carpet, NonRectangularCornersAreHandedDownWhole)
{
    const Point2 q0 = {-1.0f, -1.0f}, q1 = {2.0f, -0.5f}, q2 = {1.5f, 2.0f}, q3 = {-2.0f, 1.0f};
    const auto quads = record(q0, q1, q2, q3, 1);
    ASSERT_EQ(quads.size(), 8u);
    EXPECT_TRUE(samePoint(quads[0].vertices[0], q0));
    EXPECT_TRUE(samePoint(quads[2].vertices[1], q1));
    EXPECT_TRUE(samePoint(quads[4].vertices[2], q2));
    EXPECT_TRUE(samePoint(quads[6].vertices[3], q3));
    const float dx = f(f(double(q2.x) - q0.x) / 3.0);
    EXPECT_TRUE(samePoint(quads[0].vertices[1], {f(double(q0.x) + dx), q0.y}));
    EXPECT_TRUE(samePoint(quads[2].vertices[0], {f(double(q1.x) - dx), q0.y}));
}

TEST(Carpet, CallerCornersAreUnchanged)
{
    Point2 p0 = P0, p1 = P1, p2 = P2, p3 = P3;
    record(p0, p1, p2, p3, 4);
    EXPECT_TRUE(sameVertices({P0, P1, P2, P3}, {p0, p1, p2, p3}));
}

} // namespace
