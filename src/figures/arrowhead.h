// The arrowhead figure: the triangle p, q, r subdivided by its side midpoints and drawn as open
// line strips of four vertices that join into one path from p to q (the arrowhead curve of order
// depth + 1). Depth n >= 0 emits 3^n strips; a negative depth draws what depth 0 draws.
// The corners are only read; the strips go straight to OpenGL in the current colour.
#pragma once
#include "figures/point2.h"

void drawArrowhead(const Point2& p, const Point2& q, const Point2& r, int depth);

// One open polyline a-b-c-d: a GL_LINE_STRIP of four vertices. Sets no GL state.
void emitLineStrip4(const Point2& a, const Point2& b, const Point2& c, const Point2& d);
