// Allowed: the platform surface and the standard library.
#include <cstdio>

#include "platform/platform.h"
