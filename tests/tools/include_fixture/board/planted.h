// Planted: the game includes SDL.
#pragma once
#include <SDL2/SDL.h>
