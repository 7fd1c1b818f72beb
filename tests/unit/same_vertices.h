// Bit-for-bit comparison of recorded vertices for the unit tests, naming the first that differs.
#pragma once
#include "gl_recorder.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Both coordinates exactly, as hex floats, and as decimals to read.
inline std::string describe(const Point2& p)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%a, %a) ~ (%.9g, %.9g)", double(p.x), double(p.y), double(p.x), double(p.y));
    return text;
}

inline testing::AssertionResult sameVertices(const std::vector<Point2>& expected, const std::vector<Point2>& actual)
{
    if (expected.size() != actual.size()) {
        return testing::AssertionFailure() << "expected " << expected.size() << " vertices, got " << actual.size();
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        if (!samePoint(expected[i], actual[i])) {
            return testing::AssertionFailure() << "vertex " << i << ": expected " << describe(expected[i])
                                               << ", got " << describe(actual[i]);
        }
    }
    return testing::AssertionSuccess();
}
