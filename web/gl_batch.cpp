// The browser's OpenGL layer, standing where a desktop driver stands: the program still calls
// glBegin/glVertex2fv/glEnd once per primitive, and this collects a frame's primitives and draws
// them together when the frame is flushed, as desktop drivers do internally. Line strips become
// one GL_LINES draw and polygons (convex, as the carpet's quads are) one GL_TRIANGLES draw, which
// Emscripten's legacy emulation would otherwise reject. The clear, the projection and the colour
// stay with that emulation.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <emscripten.h>

#include <vector>

namespace {

struct Batch {
    GLenum mode = 0;
    std::vector<GLfloat> primitive; // x, y of the vertices since glBegin
    std::vector<GLfloat> lines;     // two vertices a segment
    std::vector<GLfloat> triangles; // three vertices a triangle
    GLuint buffer = 0;
    double frameStart = -1.0;       // ms, at the first primitive after the last flush
};

Batch batch;

// A page that wants frame times sets Module.onFrameDrawn(startMilliseconds).
EM_JS(void, reportFrameDrawn, (double start), {
    if (Module['onFrameDrawn']) {
        Module['onFrameDrawn'](start);
    }
});

void append(std::vector<GLfloat>& to, std::size_t vertex)
{
    to.push_back(batch.primitive[2 * vertex]);
    to.push_back(batch.primitive[2 * vertex + 1]);
}

void drawArrays(GLenum mode, std::vector<GLfloat>& vertices)
{
    if (vertices.empty()) {
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, batch.buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(GLfloat)), vertices.data(),
                 GL_STREAM_DRAW);
    glEnableClientState(GL_VERTEX_ARRAY);
    // The stride is spelled out: the emulation takes 0 for a client array to be repacked into a
    // fixed-size scratch buffer on the heap, which a frame's worth of vertices overruns.
    glVertexPointer(2, GL_FLOAT, 2 * sizeof(GLfloat), nullptr);
    glDrawArrays(mode, 0, GLsizei(vertices.size() / 2));
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    vertices.clear(); // keeps its capacity for the next frame
}

} // namespace

extern "C" {

void glBegin(GLenum mode)
{
    if (batch.frameStart < 0.0) {
        batch.frameStart = emscripten_get_now();
    }
    batch.mode = mode;
    batch.primitive.clear();
}

void glVertex2fv(const GLfloat* v)
{
    batch.primitive.push_back(v[0]);
    batch.primitive.push_back(v[1]);
}

void glEnd()
{
    const std::size_t count = batch.primitive.size() / 2;
    switch (batch.mode) {
    case GL_LINE_STRIP:
        for (std::size_t i = 1; i < count; ++i) {
            append(batch.lines, i - 1);
            append(batch.lines, i);
        }
        break;
    case GL_POLYGON:
        for (std::size_t i = 2; i < count; ++i) {
            append(batch.triangles, 0);
            append(batch.triangles, i - 1);
            append(batch.triangles, i);
        }
        break;
    default:
        break; // the program sends no other primitive
    }
}

// Everything of one frame is in one colour, so drawing the triangles before the lines shows the
// same picture as drawing the primitives in their order.
void glFlush()
{
    if (batch.buffer == 0) {
        glGenBuffers(1, &batch.buffer);
    }
    drawArrays(GL_TRIANGLES, batch.triangles);
    drawArrays(GL_LINES, batch.lines);
    reportFrameDrawn(batch.frameStart);
    batch.frameStart = -1.0;
}

} // extern "C"
