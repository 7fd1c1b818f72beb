// Every strip end is a corner value handed down unchanged, so neighbouring strips meet exactly.
#include "figures/arrowhead.h"

#include <GL/gl.h>

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
        // The first-order curve: up from p towards r, across, and down to q.
        emitLineStrip4(p, midpoint(p, r), midpoint(q, r), q);
        return;
    }
    const Point2 mpq = midpoint(p, q);
    const Point2 mpr = midpoint(p, r);
    const Point2 mqr = midpoint(q, r);
    // The three corner triangles, turned so that their paths chain into one from p through
    // mid(p, r) and mid(q, r) to q; the middle triangle is left out.
    drawArrowhead(mpr, mqr, r, depth - 1);
    drawArrowhead(mpr, p, mpq, depth - 1);
    drawArrowhead(q, mqr, mpq, depth - 1);
}
