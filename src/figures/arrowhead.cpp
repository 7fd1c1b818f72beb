// Every strip end is a corner value handed down unchanged, so neighbouring strips meet exactly.
#include "figures/arrowhead.h"

#include <GL/gl.h>

namespace {

// Depth 0, the first-order curve: up from p towards r, across, and down to q.
inline void emitFirstOrder(const Point2& p, const Point2& q, const Point2& r)
{
    emitLineStrip4(p, midpoint(p, r), midpoint(q, r), q);
}

// Visits the three corner triangles in the order and orientation that chain their paths into
// one from p through mid(p, r) and mid(q, r) to q; the middle triangle is left out.
template <typename Visit>
inline void forEachCorner(const Point2& p, const Point2& q, const Point2& r, Visit visit)
{
    const Point2 mpq = midpoint(p, q);
    const Point2 mpr = midpoint(p, r);
    const Point2 mqr = midpoint(q, r);
    visit(mpr, mqr, r);
    visit(mpr, p, mpq);
    visit(q, mqr, mpq);
}

// The last `Levels` levels above p, q, r, unrolled into straight code at compile time.
template <int Levels>
void drawLevels(const Point2& p, const Point2& q, const Point2& r)
{
    if constexpr (Levels == 0) {
        emitFirstOrder(p, q, r);
    } else {
        forEachCorner(p, q, r, [](const Point2& a, const Point2& b, const Point2& c) {
            drawLevels<Levels - 1>(a, b, c);
        });
    }
}

// depth >= 2. Recursion stops two levels above the strips and unrolls the rest: the two
// busiest levels then cost no calls of their own, only the strips' GL calls.
void subdivide(const Point2& p, const Point2& q, const Point2& r, int depth)
{
    if (depth == 2) {
        drawLevels<2>(p, q, r);
        return;
    }
    forEachCorner(p, q, r, [depth](const Point2& a, const Point2& b, const Point2& c) {
        subdivide(a, b, c, depth - 1);
    });
}

} // namespace

void emitLineStrip4(const Point2& a, const Point2& b, const Point2& c, const Point2& d)
{
    glBegin(GL_LINE_STRIP);
    glVertex2fv(&a.x);
    glVertex2fv(&b.x);
    glVertex2fv(&c.x);
    glVertex2fv(&d.x);
    glEnd();
}

void drawArrowhead(const Point2& p, const Point2& q, const Point2& r, int depth)
{
    if (depth < 1) {
        drawLevels<0>(p, q, r);
    } else if (depth == 1) {
        drawLevels<1>(p, q, r);
    } else {
        subdivide(p, q, r, depth);
    }
}
