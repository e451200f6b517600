// Planted: the core includes the game and a host.
#include "board/go_board.h"
#include "platform/posix/settings_file.h"
