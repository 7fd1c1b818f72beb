// The one process-wide ViewState; callbacks run on GLUT's single thread, so it needs no lock.
#include "viewer/view_state.h"

ViewState viewState = START_VIEW_STATE;
