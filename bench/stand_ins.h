// The figures compiled twice more with their OpenGL calls and names renamed (CMakeLists.txt):
// the "counted" copy calls stand-ins that only count primitives, so timing it gives the program's
// own work; the "recorded" copy keeps the vertex stream that the floor benchmark replays.
#pragma once
#include "figures/point2.h"

#include <cstddef>
#include <vector>

extern std::size_t countedPrimitives;
void countedArrowhead(const Point2& p, const Point2& q, const Point2& r, int depth);
void countedCarpet(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3, int depth);

extern std::vector<Point2> recordedVertices;
void recordedArrowhead(const Point2& p, const Point2& q, const Point2& r, int depth);
void recordedCarpet(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3, int depth);
