// The grid lines come from the diagonal P0-P2 (x2 measured back from P1, y2 back from P2), each
// stored as a float before further use; cells sharing an edge share its stored values exactly.
#include "figures/carpet.h"

#include <GL/gl.h>

void emitQuad4(const Point2& a, const Point2& b, const Point2& c, const Point2& d)
{
    glBegin(GL_POLYGON);
    glVertex2fv(&a.x);
    glVertex2fv(&b.x);
    glVertex2fv(&c.x);
    glVertex2fv(&d.x);
    glEnd();
}

void drawCarpet(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3, int depth)
{
    if (depth < 1) {
        emitQuad4(p0, p1, p2, p3);
        return;
    }
    const float dx = (p2.x - p0.x) / 3.0f;
    const float x1 = p0.x + dx;
    const float x2 = p1.x - dx;
    const float dy = (p2.y - p0.y) / 3.0f;
    const float y1 = p0.y + dy;
    const float y2 = p2.y - dy;

    const Point2 bottom1 = {x1, p0.y}, bottom2 = {x2, p0.y};
    const Point2 right1 = {p1.x, y1}, right2 = {p1.x, y2};
    const Point2 top2 = {x2, p2.y}, top1 = {x1, p2.y};
    const Point2 left2 = {p0.x, y2}, left1 = {p0.x, y1};
    const Point2 inner11 = {x1, y1}, inner21 = {x2, y1}, inner22 = {x2, y2}, inner12 = {x1, y2};

    // The eight outer cells counter-clockwise round the centre (never drawn) from the P0 corner,
    // each with its corners in its parent's order.
    drawCarpet(p0, bottom1, inner11, left1, depth - 1);
    drawCarpet(bottom1, bottom2, inner21, inner11, depth - 1);
    drawCarpet(bottom2, p1, right1, inner21, depth - 1);
    drawCarpet(inner21, right1, right2, inner22, depth - 1);
    drawCarpet(inner22, right2, p2, top2, depth - 1);
    drawCarpet(inner12, inner22, top2, top1, depth - 1);
    drawCarpet(left2, inner12, top1, p3, depth - 1);
    drawCarpet(left1, inner11, inner12, left2, depth - 1);
}
