// A point of the plane in world units. The two floats sit side by side, x then y, so a
// point is handed to OpenGL as its two-element array (glVertex2fv(&p.x)).
#pragma once

struct Point2 {
    float x;
    float y;
};
static_assert(sizeof(Point2) == 2 * sizeof(float), "Point2 must be a packed pair of floats");

// The midpoint of u and v, each coordinate rounded once to single precision.
inline Point2 midpoint(const Point2& u, const Point2& v)
{
    return {(u.x + v.x) / 2.0f, (u.y + v.y) / 2.0f};
}
