// Planted: the shell includes a POSIX header and a host.
#include <sys/stat.h>
#include "platform/headless/headless.h"
