// Whether the screen shows what a full repaint of the board would draw, for the soak and the
// fuzz targets (headless host).
#pragma once

#include <string>

#include "board/go_board.h"

// "" when every pixel of the board's view equals a full repaint of the game object's position
// (painted into a copy of the screen, so the run is not disturbed), outside the places where the
// program draws on purpose without a full repaint (see screen_check.cpp). Otherwise the first
// pixel that differs and the point it belongs to. Nothing is checked while a popup or a modal box
// covers the view.
std::string checkScreenMatchesRepaint(const GoBoard& board);
