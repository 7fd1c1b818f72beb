// The one-time OpenGL state and the frame drawn on every redisplay, in world units: the square
// [-2, 2] x [-2, 2] fills the window, origin at its centre, y up.
#pragma once
#include "figures/point2.h"

// The fixed corners every frame starts from: the triangle A, B, C (close to equilateral with
// side 2, centroid near the origin) and its bounding box, counter-clockwise from bottom-left.
extern const Point2 SEED_TRIANGLE[3];
extern const Point2 SEED_RECTANGLE[4];

// Projection, clear colour (blue) and drawing colour (black), set once and never changed.
void initGraphics();

// The GLUT display callback: clears, draws the figure the ViewState selects from its fixed seed
// corners at the current depth, and flushes the single-buffered window.
void display();
