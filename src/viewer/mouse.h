// The GLUT mouse callback: left press one level deeper (up to the figure's ceiling), right press
// one level shallower (down to 0), middle press the other figure at depth 0. Every call, press or
// release of any button, requests a redisplay. The pointer position (window pixels) is ignored.
#pragma once

void mouse(int button, int state, int x, int y);
