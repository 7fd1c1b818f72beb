#include "gl_recorder.h"

GlRecord glRecord;

void startRecording(bool countOnly)
{
    glRecord = GlRecord{};
    glRecord.countOnly = countOnly;
}

extern "C" {

void recordBegin(GLenum mode)
{
    ++glRecord.primitiveCount;
    if (!glRecord.countOnly) {
        glRecord.primitives.push_back({mode, {}});
    }
}

void recordVertex2fv(const GLfloat* v)
{
    if (!glRecord.countOnly) {
        glRecord.primitives.back().vertices.push_back({v[0], v[1]});
    }
}

void recordEnd()
{
    if (!glRecord.countOnly) {
        glRecord.calls.emplace_back("primitive");
    }
}

} // extern "C"
