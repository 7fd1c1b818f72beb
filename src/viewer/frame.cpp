// The whole figure is recomputed from the seed corners every frame; nothing is cached.
#include "viewer/frame.h"

#include "figures/arrowhead.h"
#include "figures/carpet.h"
#include "viewer/view_state.h"

#include <GL/glu.h>

const Point2 SEED_TRIANGLE[3] = {{-1.0f, -0.58f}, {1.0f, -0.58f}, {0.0f, 1.15f}};
const Point2 SEED_RECTANGLE[4] = {{-1.0f, -0.58f}, {1.0f, -0.58f}, {1.0f, 1.15f}, {-1.0f, 1.15f}};

void initGraphics()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-2.0, 2.0, -2.0, 2.0);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
}

void display()
{
    glClear(GL_COLOR_BUFFER_BIT);
    if (viewState.figure == FIGURE_ARROWHEAD) {
        drawArrowhead(SEED_TRIANGLE[0], SEED_TRIANGLE[1], SEED_TRIANGLE[2], viewState.depth);
    } else {
        drawCarpet(SEED_RECTANGLE[0], SEED_RECTANGLE[1], SEED_RECTANGLE[2], SEED_RECTANGLE[3],
                   viewState.depth);
    }
    glFlush();
}
