// The carpet figure: the quadrilateral P0 (bottom-left), P1 (bottom-right), P2 (top-right),
// P3 (top-left) cut into a three-by-three grid whose eight outer cells are cut again, the centre
// cell left out. Depth n >= 0 emits 8^n filled quads, each in its parent's corner order; a
// negative depth draws what depth 0 draws. The corners are only read.
#pragma once
#include "figures/point2.h"

void drawCarpet(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3, int depth);

// One filled polygon a-b-c-d: a GL_POLYGON of four vertices. Sets no GL state.
void emitQuad4(const Point2& a, const Point2& b, const Point2& c, const Point2& d);
