// The view state as the page reads it after each frame, to say in words what the picture shows.
#include "viewer/view_state.h"

#include <emscripten.h>

extern "C" {

EMSCRIPTEN_KEEPALIVE int viewFigure()
{
    return viewState.figure;
}

EMSCRIPTEN_KEEPALIVE int viewDepth()
{
    return viewState.depth;
}

EMSCRIPTEN_KEEPALIVE int viewDepthCeiling()
{
    return viewState.depthCeiling;
}

} // extern "C"
