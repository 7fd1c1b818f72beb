// The viewer's entry: one 500 x 500 single-buffered RGB window, two callbacks, then GLUT's event
// loop for good. The command line belongs to glutInit alone; the program has no options.
#include "viewer/frame.h"
#include "viewer/mouse.h"
#include "viewer/window.h"

#include <GL/glut.h>

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_SINGLE);
    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutCreateWindow(WINDOW_TITLE);

    glutDisplayFunc(display);
    glutMouseFunc(mouse);

    initGraphics();
    glutMainLoop();
}
