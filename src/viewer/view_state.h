// The viewer's whole mutable state: which figure is shown, at what depth, and how deep the left
// button may go. Starts as the arrowhead at depth 0; changed only by the mouse; read by every frame.
#pragma once

constexpr int TRIANGLE_MAX_DEPTH = 12;
constexpr int CARPET_MAX_DEPTH = 5;

constexpr int FIGURE_ARROWHEAD = 0;
constexpr int FIGURE_CARPET = 1;

struct ViewState {
    int figure;       // FIGURE_ARROWHEAD or FIGURE_CARPET
    int depth;        // 0 .. depthCeiling
    int depthCeiling; // the current figure's maximum depth
};

constexpr ViewState START_VIEW_STATE = {FIGURE_ARROWHEAD, 0, TRIANGLE_MAX_DEPTH};

extern ViewState viewState;
