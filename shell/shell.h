// The program's entry and its main window.
#pragma once

#include "platform/platform.h"

namespace shell {

// Starts the platform, registers the window class and creates and shows the main window, handing
// it to the game object. False when the program cannot start.
bool startUp();
// The main window's procedure.
platform::Result windowProcedure(platform::Window window, unsigned message, platform::WParam wParam,
                                 platform::LParam lParam);
// Runs the message loop until the quit; returns its exit code.
int runMessageLoop();
// The whole program: start-up, message loop, exit code.
int programMain();

}  // namespace shell
