// What the viewer's window must show, worked out from the geometry alone (in double precision,
// independently of the program): probe only pixels whose colour is certain, far from any edge.
#pragma once
// GoogleTest before Xlib, whose macros (None, Bool, ...) would break it.
#include <gtest/gtest.h>

#include "xharness.h"

// The program's colours, exactly: every renderer the tests use (Mesa's llvmpipe, natively and
// under Wine) draws flat colours without dithering or blending.
constexpr std::uint32_t BLUE = 0x0000ff;
constexpr std::uint32_t BLACK = 0x000000;

// The depth-n arrowhead: black near every segment, blue wherever no segment comes within 3 pixels.
testing::AssertionResult showsArrowhead(const xharness::Picture& picture, int depth);

// The depth-n carpet: black in kept cells, blue in removed cells and outside, away from edges.
testing::AssertionResult showsCarpet(const xharness::Picture& picture, int depth);
