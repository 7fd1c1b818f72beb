#include "stand_ins.h"

#include <GL/gl.h>

std::size_t countedPrimitives = 0;
std::vector<Point2> recordedVertices;

extern "C" {

void countedBegin(GLenum /*mode*/)
{
    ++countedPrimitives;
}

void countedVertex2fv(const GLfloat* /*v*/) {}
void countedEnd() {}

void recordedBegin(GLenum /*mode*/) {}

void recordedVertex2fv(const GLfloat* v)
{
    recordedVertices.push_back({v[0], v[1]});
}

void recordedEnd() {}

} // extern "C"
