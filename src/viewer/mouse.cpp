#include "viewer/mouse.h"

#include "viewer/view_state.h"

#include <GL/glut.h>

void mouse(int button, int state, int /*x*/, int /*y*/)
{
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN && viewState.depth < viewState.depthCeiling) {
        ++viewState.depth;
    }
    if (button == GLUT_RIGHT_BUTTON && state == GLUT_DOWN && viewState.depth != 0) {
        --viewState.depth;
    }
    if (button == GLUT_MIDDLE_BUTTON && state == GLUT_DOWN) {
        viewState.depth = 0;
        if (viewState.figure == FIGURE_ARROWHEAD) {
            viewState.figure = FIGURE_CARPET;
            viewState.depthCeiling = CARPET_MAX_DEPTH;
        } else {
            viewState.figure = FIGURE_ARROWHEAD;
            viewState.depthCeiling = TRIANGLE_MAX_DEPTH;
        }
    }
    glutPostRedisplay();
}
