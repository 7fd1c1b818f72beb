// The browser's OpenGL: exactly the GL and GLU calls the program makes, on WebGL with one tiny
// shader, standing where a desktop driver stands. The program still calls glBegin/glVertex2fv/
// glEnd once per primitive; the layer turns the primitives into GL_LINES and GL_TRIANGLES as they
// arrive and draws them together when the state changes or the frame is flushed. A frame that
// would put on the canvas exactly what it already shows (the same clear colour, transform, colour
// and primitives, as after a press that changes nothing) is not drawn again. The layer keeps what
// it owns in WebGL (program, buffer, clear colour) so as to make it anew when a lost context comes
// back, and tells the page when a frame is flushed and whether it was drawn.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <emscripten.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

extern "C" {
// WebGL's own clear, under the names Emscripten keeps for code that defines glClear itself.
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);
}

namespace {

struct Vertex {
    GLfloat x, y;
};

// Column-major 4 x 4, as OpenGL keeps its matrices.
struct Matrix {
    GLfloat m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

Matrix operator*(const Matrix& a, const Matrix& b)
{
    Matrix product;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            GLfloat sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            }
            product.m[column * 4 + row] = sum;
        }
    }
    return product;
}

// A frame's vertices of one kind, kept from frame to frame; grows only when a frame needs more.
class VertexArray {
public:
    // Room for n more vertices, to be written at once.
    Vertex* extend(std::size_t n)
    {
        if (size_ + n > storage_.size()) {
            storage_.resize(std::max(2 * storage_.size(), size_ + n));
        }
        Vertex* at = storage_.data() + size_;
        size_ += n;
        return at;
    }
    const Vertex* data() const { return storage_.data(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void clear() { size_ = 0; }
    void swap(VertexArray& other) noexcept
    {
        storage_.swap(other.storage_);
        std::swap(size_, other.size_);
    }
    bool operator==(const VertexArray& other) const
    {
        return size_ == other.size_ && std::memcmp(data(), other.data(), size_ * sizeof(Vertex)) == 0;
    }

private:
    std::vector<Vertex> storage_;
    std::size_t size_ = 0;
};

struct Layer {
    Matrix projection, modelview;
    Matrix* current = &modelview; // GL starts in GL_MODELVIEW
    GLfloat colour[4] = {1, 1, 1, 1};

    GLfloat clearColour[4] = {0, 0, 0, 0};

    GLenum mode = 0;               // of the primitive between glBegin and glEnd
    unsigned count = 0;            // its vertices so far
    Vertex first{}, previous{};
    VertexArray lines;             // two vertices a segment
    VertexArray triangles;         // three vertices a triangle

    // The frame under way: whether it began with a clear, which waits to be drawn with the frame,
    // and whether a change of state made the layer draw it in parts.
    bool clearPending = false;
    bool drawnInParts = false;

    // What the canvas shows, when it is one cleared frame drawn in one go: the layer draws a frame
    // that would show the same only after the canvas lost it (resized, context lost or back).
    bool shownKnown = false;
    GLfloat shownClearColour[4] = {};
    Matrix shownTransform;
    GLfloat shownColour[4] = {};
    VertexArray shownLines, shownTriangles;

    GLuint program = 0, buffer = 0;
    bool lastFrameDrawn = false; // whether the last flush drew, or found the frame shown already
};

Layer layer;

// The vertex array's one attribute, and constant attributes for the transform's columns (the
// third meets z = 0) and the colour: unlike uniforms, they need no location looked up after
// linking, which makes the page wait for the link (it cost as much as the rest of the start).
constexpr GLuint POSITION = 0, COLUMN_X = 1, COLUMN_Y = 2, COLUMN_W = 3, COLOUR = 4;

EM_JS(bool, contextLost, (), { return GLctx.isContextLost(); });

// Ends the program with the reason, which the page shows.
EM_JS(void, stopWith, (const char* what, const char* log), { abort(UTF8ToString(what) + UTF8ToString(log)); });

// A shader that does not compile or a program that does not link would leave the picture blank
// without a word: the driver's log says why. (A context lost meanwhile fails them too; the layer
// makes them anew once it is back.)
template <typename GetStatus, typename GetLog>
void require(GLuint object, GLenum status, GetStatus getStatus, GetLog getLog, const char* what)
{
    GLint ok = GL_FALSE;
    getStatus(object, status, &ok);
    if (ok != GL_TRUE && !contextLost()) {
        char log[1024] = "";
        getLog(object, GLsizei(sizeof log), nullptr, log);
        stopWith(what, log);
    }
}

GLuint compile(GLenum type, const char* source)
{
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    require(shader, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog, "a shader did not compile: ");
    return shader;
}

void createProgram()
{
    layer.program = glCreateProgram();
    glAttachShader(layer.program, compile(GL_VERTEX_SHADER, R"(
        attribute vec2 position;
        attribute vec4 columnX, columnY, columnW, colour;
        varying vec4 fragmentColour;
        void main() {
            gl_Position = columnX * position.x + columnY * position.y + columnW;
            fragmentColour = colour;
        })"));
    glAttachShader(layer.program, compile(GL_FRAGMENT_SHADER, R"(
        precision mediump float;
        varying vec4 fragmentColour;
        void main() { gl_FragColor = fragmentColour; })"));
    const char* names[] = {"position", "columnX", "columnY", "columnW", "colour"};
    for (GLuint index = POSITION; index <= COLOUR; ++index) {
        glBindAttribLocation(layer.program, index, names[index]);
    }
    glLinkProgram(layer.program);
    require(layer.program, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog, "the shaders did not link: ");
    glGenBuffers(1, &layer.buffer);
}

void drawArrays(GLenum mode, const VertexArray& vertices)
{
    if (vertices.empty()) {
        return;
    }
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(mode, 0, GLsizei(vertices.size()));
}

Matrix transform()
{
    return layer.projection * layer.modelview;
}

// Draws the clear the frame began with and what has been collected since; the caller then drops
// what was collected. Everything collected is in one colour, so drawing the triangles before the
// lines shows what drawing the primitives in their order shows. With the context lost nothing can
// be drawn, nor any WebGL object made, and the canvas will have to be drawn anew.
void drawPending()
{
    if (contextLost()) {
        layer.clearPending = false;
        layer.shownKnown = false;
        return;
    }
    if (layer.clearPending) {
        emscripten_glClear(GL_COLOR_BUFFER_BIT);
        layer.clearPending = false;
    }
    if (layer.lines.empty() && layer.triangles.empty()) {
        return;
    }
    if (layer.program == 0) {
        createProgram();
    }
    glUseProgram(layer.program);
    const Matrix t = transform();
    glVertexAttrib4fv(COLUMN_X, t.m);
    glVertexAttrib4fv(COLUMN_Y, t.m + 4);
    glVertexAttrib4fv(COLUMN_W, t.m + 12);
    glVertexAttrib4fv(COLOUR, layer.colour);
    glBindBuffer(GL_ARRAY_BUFFER, layer.buffer);
    glEnableVertexAttribArray(POSITION);
    glVertexAttribPointer(POSITION, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    drawArrays(GL_TRIANGLES, layer.triangles);
    drawArrays(GL_LINES, layer.lines);
}

// Before a change of state, what the frame has so far is drawn under the state it was sent in.
void drawBeforeStateChange()
{
    if (layer.clearPending || !layer.lines.empty() || !layer.triangles.empty()) {
        drawPending();
        layer.lines.clear();
        layer.triangles.clear();
        layer.drawnInParts = true;
    }
}

// Whether the frame under way, drawn, would show what the canvas shows.
bool repeatsShownFrame()
{
    if (!layer.shownKnown || !layer.clearPending || layer.drawnInParts) {
        return false;
    }
    const Matrix t = transform();
    return std::equal(layer.clearColour, layer.clearColour + 4, layer.shownClearColour) &&
           std::equal(t.m, t.m + 16, layer.shownTransform.m) &&
           std::equal(layer.colour, layer.colour + 4, layer.shownColour) && layer.lines == layer.shownLines &&
           layer.triangles == layer.shownTriangles;
}

} // namespace

extern "C" {

// Called by the page when the browser gives a lost context back: the old WebGL objects are gone
// with it, and the context's state is WebGL's default.
EMSCRIPTEN_KEEPALIVE void glLayerContextRestored()
{
    layer.program = 0;
    layer.buffer = 0;
    layer.shownKnown = false;
    const GLfloat* c = layer.clearColour;
    emscripten_glClearColor(c[0], c[1], c[2], c[3]);
}

// Whether the last frame flushed was drawn, or left undrawn as the one the canvas shows (the
// GLUT shim reports it to the page after every frame).
EMSCRIPTEN_KEEPALIVE bool glLayerLastFrameDrawn()
{
    return layer.lastFrameDrawn;
}

// Called by the page when the canvas no longer shows the last frame (it was resized, say).
EMSCRIPTEN_KEEPALIVE void glLayerCanvasCleared()
{
    layer.shownKnown = false;
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    drawBeforeStateChange();
    const GLfloat colour[4] = {red, green, blue, alpha};
    std::copy(colour, colour + 4, layer.clearColour);
    emscripten_glClearColor(red, green, blue, alpha);
}

// Whatever was collected would be cleared over at once, so it is dropped undrawn. A clear of the
// colour begins a frame: it waits to be drawn with what follows, or not at all if the frame
// repeats the one shown.
void glClear(GLbitfield mask)
{
    if ((mask & GL_COLOR_BUFFER_BIT) != 0) {
        layer.lines.clear();
        layer.triangles.clear();
        layer.clearPending = true;
        layer.drawnInParts = false;
    }
    if ((mask & ~GLbitfield(GL_COLOR_BUFFER_BIT)) != 0) {
        emscripten_glClear(mask & ~GLbitfield(GL_COLOR_BUFFER_BIT));
    }
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue)
{
    const GLfloat colour[4] = {red, green, blue, 1};
    if (std::equal(colour, colour + 4, layer.colour)) {
        return;
    }
    drawBeforeStateChange();
    std::copy(colour, colour + 4, layer.colour);
}

void glMatrixMode(GLenum mode)
{
    if (mode != GL_PROJECTION && mode != GL_MODELVIEW) {
        stopWith("the web page's OpenGL does not implement glMatrixMode for this matrix", "");
    }
    drawBeforeStateChange(); // drawn with the matrices they were sent under
    layer.current = mode == GL_PROJECTION ? &layer.projection : &layer.modelview;
}

void glLoadIdentity()
{
    drawBeforeStateChange();
    *layer.current = Matrix{};
}

void gluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    drawBeforeStateChange();
    Matrix ortho;
    ortho.m[0] = GLfloat(2 / (right - left));
    ortho.m[5] = GLfloat(2 / (top - bottom));
    ortho.m[10] = -1;
    ortho.m[12] = GLfloat(-(right + left) / (right - left));
    ortho.m[13] = GLfloat(-(top + bottom) / (top - bottom));
    *layer.current = *layer.current * ortho;
}

void glBegin(GLenum mode)
{
    if (mode != GL_LINE_STRIP && mode != GL_POLYGON) {
        stopWith("the web page's OpenGL draws only GL_LINE_STRIP and GL_POLYGON primitives", "");
    }
    layer.mode = mode;
    layer.count = 0;
}

// Each vertex completes a segment of a line strip from its second vertex on, and a triangle of
// a polygon's fan from its third; nothing waits for glEnd.
void glVertex2fv(const GLfloat* v)
{
    const Vertex vertex{v[0], v[1]};
    if (layer.mode == GL_LINE_STRIP && layer.count >= 1) {
        Vertex* out = layer.lines.extend(2);
        out[0] = layer.previous;
        out[1] = vertex;
    } else if (layer.mode == GL_POLYGON && layer.count >= 2) {
        Vertex* out = layer.triangles.extend(3);
        out[0] = layer.first;
        out[1] = layer.previous;
        out[2] = vertex;
    }
    if (layer.count == 0) {
        layer.first = vertex;
    }
    layer.previous = vertex;
    ++layer.count;
}

void glEnd()
{
    layer.mode = 0;
}

// The frame is drawn, unless it repeats the one the canvas shows; a cleared frame drawn in one go
// is kept as the one shown, its vertices swapped in rather than copied.
void glFlush()
{
    const bool repeat = repeatsShownFrame();
    const bool whole = layer.clearPending && !layer.drawnInParts;
    if (!repeat) {
        drawPending();
        layer.shownKnown = whole && !contextLost();
        if (layer.shownKnown) {
            std::copy(layer.clearColour, layer.clearColour + 4, layer.shownClearColour);
            layer.shownTransform = transform();
            std::copy(layer.colour, layer.colour + 4, layer.shownColour);
            layer.lines.swap(layer.shownLines);
            layer.triangles.swap(layer.shownTriangles);
        }
    }
    layer.clearPending = false;
    layer.drawnInParts = false;
    layer.lines.clear();
    layer.triangles.clear();
    layer.lastFrameDrawn = !repeat;
}

} // extern "C"
