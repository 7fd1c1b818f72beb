// The viewer's entry: one 500 x 500 single-buffered RGB window, two callbacks, then GLUT's event
// loop for good. The command line belongs to glutInit alone; the program has no options.
#include "viewer/frame.h"
#include "viewer/mouse.h"

#include <GL/glut.h>

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_SINGLE);
    glutInitWindowSize(500, 500);
    glutCreateWindow("Veldmora Assignment#1");

    glutDisplayFunc(display);
    glutMouseFunc(mouse);

    initGraphics();
    glutMainLoop();
}
