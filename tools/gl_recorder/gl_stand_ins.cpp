// The libGL, GLU and GLUT entry points the program calls, each handing what it is given to the
// recorder. Linked instead of those libraries, never beside them.
#include "gl_recorder.h"

#include <GL/glu.h>

#include <cstdio>
#include <initializer_list>

namespace {

// "(a, b, ...)", each value as few digits as tell it apart from every other double.
std::string arguments(std::initializer_list<double> values)
{
    std::string text = "(";
    for (double value : values) {
        char number[32];
        std::snprintf(number, sizeof number, "%.17g", value);
        text += (text.size() > 1 ? ", " : "") + std::string(number);
    }
    return text + ")";
}

} // namespace

extern "C" {

void glBegin(GLenum mode)
{
    recordBegin(mode);
}

void glVertex2fv(const GLfloat* v)
{
    recordVertex2fv(v);
}

void glEnd()
{
    recordEnd();
}

void glClear(GLbitfield /*mask*/)
{
    glRecord.calls.emplace_back("glClear");
}

void glFlush()
{
    glRecord.calls.emplace_back("glFlush");
}

void glMatrixMode(GLenum mode)
{
    glRecord.calls.push_back(mode == GL_PROJECTION ? "glMatrixMode(GL_PROJECTION)"
                             : mode == GL_MODELVIEW ? "glMatrixMode(GL_MODELVIEW)"
                                                    : "glMatrixMode(" + std::to_string(mode) + ")");
}

void glLoadIdentity()
{
    glRecord.calls.emplace_back("glLoadIdentity");
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    glRecord.calls.push_back("gluOrtho2D" + arguments({left, right, bottom, top}));
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    glRecord.calls.push_back("glClearColor" + arguments({r, g, b, a}));
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    glRecord.calls.push_back("glColor3f" + arguments({r, g, b}));
}

void glutPostRedisplay()
{
    ++glRecord.redisplayRequests;
}

} // extern "C"
