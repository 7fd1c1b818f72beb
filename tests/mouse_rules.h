// The mouse rules as a user reads them, written apart from the program's mouse callback: the view
// state after a press of GLUT's button `button` (0 left, 1 middle, 2 right). Releases, and presses
// of any other button, leave the state as it is.
#pragma once
#include "viewer/view_state.h"

inline ViewState afterPress(ViewState state, int button)
{
    if (button == 0 && state.depth < state.depthCeiling) {
        ++state.depth;
    } else if (button == 2 && state.depth > 0) {
        --state.depth;
    } else if (button == 1) {
        const bool toCarpet = state.figure == FIGURE_ARROWHEAD;
        state = {toCarpet ? FIGURE_CARPET : FIGURE_ARROWHEAD, 0, toCarpet ? CARPET_MAX_DEPTH : TRIANGLE_MAX_DEPTH};
    }
    return state;
}
