// The floor for the start-up benchmark: the viewer's own start-up, step for step, with a display
// callback that sends the first frame's one strip, worked out once before start, instead of recursing.
#include "viewer/frame.h"
#include "viewer/window.h"

#include <GL/glut.h>

namespace {

// The strip that depth 0 draws from the seed triangle A, B, C: A, mid(A, C), mid(B, C), B.
const Point2 FIRST_STRIP[4] = {SEED_TRIANGLE[0], midpoint(SEED_TRIANGLE[0], SEED_TRIANGLE[2]),
                               midpoint(SEED_TRIANGLE[1], SEED_TRIANGLE[2]), SEED_TRIANGLE[1]};

void displayFirstStrip()
{
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_LINE_STRIP);
    for (const Point2& vertex : FIRST_STRIP) {
        glVertex2fv(&vertex.x);
    }
    glEnd();
    glFlush();
}

void redrawOnMouse(int /*button*/, int /*state*/, int /*x*/, int /*y*/)
{
    glutPostRedisplay();
}

} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_SINGLE);
    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutCreateWindow(WINDOW_TITLE);
    glutDisplayFunc(displayFirstStrip);
    glutMouseFunc(redrawOnMouse);
    initGraphics();
    glutMainLoop();
}
