#include "gl_recorder.h"

#include <GL/glu.h>

#include <cstdio>

GlRecord glRecord;

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

void startRecording()
{
    glRecord = GlRecord{};
}

std::string describe(const Point2& p)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%a, %a) ~ (%.9g, %.9g)", double(p.x), double(p.y),
                  double(p.x), double(p.y));
    return text;
}

testing::AssertionResult sameVertices(const std::vector<Point2>& expected,
                                      const std::vector<Point2>& actual)
{
    if (expected.size() != actual.size()) {
        return testing::AssertionFailure()
               << "expected " << expected.size() << " vertices, got " << actual.size();
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        if (!samePoint(expected[i], actual[i])) {
            return testing::AssertionFailure() << "vertex " << i << ": expected "
                                               << describe(expected[i]) << ", got "
                                               << describe(actual[i]);
        }
    }
    return testing::AssertionSuccess();
}

extern "C" {

void glBegin(GLenum mode)
{
    glRecord.primitives.push_back({mode, {}});
}

void glVertex2fv(const GLfloat* v)
{
    glRecord.primitives.back().vertices.push_back({v[0], v[1]});
}

void glEnd()
{
    glRecord.calls.emplace_back("primitive");
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
