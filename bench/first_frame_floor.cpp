// The floor for the start-up benchmark: the viewer's own start-up, step for step, with a display
// callback that sends the first frame's one strip from constants instead of computing it.
#include "viewer/frame.h"

#include <GL/glut.h>

namespace {

const GLfloat FIRST_STRIP[4][2] = {{-1.0f, -0.58f}, {-0.5f, 0.285f}, {0.5f, 0.285f}, {1.0f, -0.58f}};

void displayFirstStrip()
{
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_LINE_STRIP);
    for (const GLfloat* vertex : FIRST_STRIP) {
        glVertex2fv(vertex);
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
    glutInitWindowSize(500, 500);
    glutCreateWindow("Veldmora Assignment#1");
    glutDisplayFunc(displayFirstStrip);
    glutMouseFunc(redrawOnMouse);
    initGraphics();
    glutMainLoop();
}
