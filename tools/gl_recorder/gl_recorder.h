// A recorder of what the program hands OpenGL: primitives vertex by vertex (or only counted), every
// other GL and GLU call logged with its arguments, redisplay requests counted. gl_stand_ins.cpp
// puts it behind the real entry points (glBegin, glClear, gluOrtho2D, glutPostRedisplay, ...) for
// programs linked without libGL; the benchmark's renamed figures call recordBegin and its kin.
#pragma once
#include "figures/point2.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct Primitive {
    GLenum mode;
    std::vector<Point2> vertices;
};

struct GlRecord {
    bool countOnly = false; // keep no primitives, only count them
    std::size_t primitiveCount = 0;
    std::vector<Primitive> primitives;
    std::vector<std::string> calls; // in order: "glClear", "primitive", "glClearColor(0, 0, 1, 1)", ...
    int redisplayRequests = 0;
};

// Cleared by startRecording(); filled by the stand-ins.
extern GlRecord glRecord;

void startRecording(bool countOnly = false);

extern "C" {
void recordBegin(GLenum mode);
void recordVertex2fv(const GLfloat* v);
void recordEnd();
}

inline std::uint32_t floatBits(float f)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

inline bool samePoint(const Point2& a, const Point2& b)
{
    return floatBits(a.x) == floatBits(b.x) && floatBits(a.y) == floatBits(b.y);
}
