// Stand-ins for the few libGL, GLU and GLUT entry points the program calls: primitives are kept
// vertex by vertex and logged as "primitive", every other GL and GLU call is logged with its
// arguments, and redisplay requests are counted.
#pragma once
#include "figures/point2.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct Primitive {
    GLenum mode;
    std::vector<Point2> vertices;
};

struct GlRecord {
    std::vector<Primitive> primitives;
    std::vector<std::string> calls; // in order: "glClear", "primitive", "glClearColor(0, 0, 1, 1)", ...
    int redisplayRequests = 0;
};

// Cleared by startRecording(); filled by the stand-ins.
extern GlRecord glRecord;

void startRecording();

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

std::string describe(const Point2& p); // both coordinates exactly, as hex floats

// Bit-for-bit comparison of two vertex lists, naming the first vertex that differs.
testing::AssertionResult sameVertices(const std::vector<Point2>& expected,
                                      const std::vector<Point2>& actual);
