// Allowed: a host uses SDL and POSIX.
#include <SDL2/SDL.h>
#include <unistd.h>
