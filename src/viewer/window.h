// The one window the viewer opens: its size in window pixels and its title.
#pragma once

constexpr int WINDOW_WIDTH = 500;
constexpr int WINDOW_HEIGHT = 500;
constexpr const char* WINDOW_TITLE = "Veldmora Assignment#1";
