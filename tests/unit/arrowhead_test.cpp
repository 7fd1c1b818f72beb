#include "figures/arrowhead.h"
#include "same_vertices.h"

#include <climits>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace {

const Point2 A = {-1.0f, -0.58f};
const Point2 B = {1.0f, -0.58f};
const Point2 C = {0.0f, 1.15f};

// The midpoint rounded once to a float, computed in double (exact for these inputs).
Point2 mid(const Point2& u, const Point2& v)
{
    return {float((double(u.x) + double(v.x)) / 2.0), float((double(u.y) + double(v.y)) / 2.0)};
}

std::vector<Primitive> record(const Point2& p, const Point2& q, const Point2& r, int depth)
{
    startRecording();
    drawArrowhead(p, q, r, depth);
    return glRecord.primitives;
}

TEST(Arrowhead, DepthZeroIsOneStripUpAcrossAndDown)
{
    const auto strips = record(A, B, C, 0);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0].mode, GLenum(GL_LINE_STRIP));
    EXPECT_TRUE(sameVertices({A, mid(A, C), mid(B, C), B}, strips[0].vertices));
    EXPECT_TRUE(sameVertices({A, {-0.5f, 0.285f}, {0.5f, 0.285f}, B}, strips[0].vertices));
}

// Each midpoint is rounded to a float before the next is taken from it. Near zero, where halving
// a float is inexact, a multiply-add fused into one rounding (which GCC makes on arm64 unless told
// not to) gives other bits: the second triangle's corners are small multiples of the least float.
TEST(Arrowhead, DepthOneIsThreeStripsInRecursionOrder)
{
    const float d = std::numeric_limits<float>::denorm_min();
    const struct {
        Point2 p, q, r;
    } triangles[] = {{A, B, C}, {{2 * d, 3 * d}, {9 * d, 2 * d}, {d, 12 * d}}};
    for (const auto& [p, q, r] : triangles) {
        const Point2 mpq = mid(p, q), mpr = mid(p, r), mqr = mid(q, r);
        const std::vector<std::vector<Point2>> expected = {
            {mpr, mid(mpr, r), mid(mqr, r), mqr},
            {mpr, mid(mpr, mpq), mid(p, mpq), p},
            {q, mid(q, mpq), mid(mqr, mpq), mqr},
        };
        const auto strips = record(p, q, r, 1);
        ASSERT_EQ(strips.size(), expected.size());
        for (size_t i = 0; i < strips.size(); ++i) {
            EXPECT_EQ(strips[i].mode, GLenum(GL_LINE_STRIP)) << "strip " << i;
            EXPECT_TRUE(sameVertices(expected[i], strips[i].vertices)) << "strip " << i << " of " << describe(p);
        }
    }
}

TEST(Arrowhead, DepthNEmitsThreeToTheNStripsOfFourVertices)
{
    size_t expected = 1;
    for (int depth = 0; depth <= 10; ++depth, expected *= 3) {
        const auto strips = record(A, B, C, depth);
        ASSERT_EQ(strips.size(), expected) << "depth " << depth;
        for (const Primitive& strip : strips) {
            ASSERT_EQ(strip.mode, GLenum(GL_LINE_STRIP)) << "depth " << depth;
            ASSERT_EQ(strip.vertices.size(), 4u) << "depth " << depth;
        }
    }
}

TEST(Arrowhead, NegativeDepthDrawsWhatDepthZeroDraws)
{
    const auto depthZero = record(A, B, C, 0);
    for (int depth : {-1, -2, -12, INT_MIN}) {
        const auto strips = record(A, B, C, depth);
        ASSERT_EQ(strips.size(), 1u) << "depth " << depth;
        EXPECT_TRUE(sameVertices(depthZero[0].vertices, strips[0].vertices)) << "depth " << depth;
    }
}

// The strips come in recursion order and some run backwards, so the path is rebuilt from their
// ends: every shared end must be the bit-identical point of exactly two strips, and walking from
// p through strip after strip must use every strip once and stop at q.
TEST(Arrowhead, StripsJoinEndToEndIntoOnePathFromFirstToSecondCorner)
{
    using Key = std::pair<std::uint32_t, std::uint32_t>;
    const auto key = [](const Point2& p) { return Key{floatBits(p.x), floatBits(p.y)}; };
    const struct {
        Point2 p, q, r;
    } triangles[] = {{A, B, C}, {C, A, B}, {{0.0f, 0.0f}, {3.0f, 0.1f}, {-7.0f, 2.5f}}};

    for (const auto& t : triangles) {
        for (int depth = 0; depth <= 7; ++depth) {
            const auto strips = record(t.p, t.q, t.r, depth);
            std::map<Key, std::vector<size_t>> stripsAtEnd;
            for (size_t i = 0; i < strips.size(); ++i) {
                stripsAtEnd[key(strips[i].vertices.front())].push_back(i);
                stripsAtEnd[key(strips[i].vertices.back())].push_back(i);
            }
            for (const auto& [end, touching] : stripsAtEnd) {
                const bool pathEnd = end == key(t.p) || end == key(t.q);
                ASSERT_EQ(touching.size(), pathEnd ? 1u : 2u) << "depth " << depth;
            }

            std::vector<bool> used(strips.size(), false);
            Key at = key(t.p);
            for (size_t step = 0; step < strips.size(); ++step) {
                const auto& touching = stripsAtEnd[at];
                const size_t next = used[touching[0]] ? touching.back() : touching[0];
                ASSERT_FALSE(used[next]) << "depth " << depth << ": the path closes on itself";
                used[next] = true;
                const auto& v = strips[next].vertices;
                at = key(at == key(v.front()) ? v.back() : v.front());
            }
            EXPECT_EQ(at, key(t.q)) << "depth " << depth << ": the path does not end at q";
        }
    }
}

TEST(Arrowhead, EveryVertexLiesInTheTriangle)
{
    for (int depth = 0; depth <= 8; ++depth) {
        for (const Primitive& strip : record(A, B, C, depth)) {
            for (const Point2& v : strip.vertices) {
                // Barycentric weights of v in A, B, C, all in [0, 1] up to rounding.
                const double det = (double(B.y) - C.y) * (double(A.x) - C.x) +
                                   (double(C.x) - B.x) * (double(A.y) - C.y);
                const double wa = ((double(B.y) - C.y) * (v.x - C.x) + (double(C.x) - B.x) * (v.y - C.y)) / det;
                const double wb = ((double(C.y) - A.y) * (v.x - C.x) + (double(A.x) - C.x) * (v.y - C.y)) / det;
                const double wc = 1.0 - wa - wb;
                ASSERT_GE(std::fmin(wa, std::fmin(wb, wc)), -1e-6) << describe(v) << " depth " << depth;
            }
        }
    }
}

TEST(Arrowhead, DegenerateTrianglesAreDrawnByTheSameRules)
{
    const Point2 o = {0.25f, -0.5f};
    auto strips = record(o, o, o, 3);
    ASSERT_EQ(strips.size(), 27u);
    for (const Primitive& strip : strips) {
        EXPECT_TRUE(sameVertices({o, o, o, o}, strip.vertices));
    }
    strips = record({-1.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}, 4);
    ASSERT_EQ(strips.size(), 81u);
    for (const Primitive& strip : strips) {
        for (const Point2& v : strip.vertices) {
            EXPECT_EQ(floatBits(v.y), floatBits(0.0f));
        }
    }
}

TEST(Arrowhead, CallerCornersAreUnchanged)
{
    Point2 p = A, q = B, r = C;
    record(p, q, r, 6);
    EXPECT_TRUE(sameVertices({A, B, C}, {p, q, r}));
}

} // namespace
