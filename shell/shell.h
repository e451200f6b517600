// The application shell: start-up, the main window's procedure and commands, the problem
// selection dialog, the saved problem number and the About box.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace shell {

// The shell's state for the whole run.
struct ShellState {
  platform::Window mainWindow;
  platform::MenuBar menuBar;
  platform::Menu menuHandle;
  platform::Menu menuPopup;
  platform::ActivationInfo activationInfo;
  platform::Accelerators accelerators;
  platform::Mutex instanceMutex;
  // The caption of the soft key: 0 Hint, 1 Next variation, 2 Next problem.
  int softKeyState;
  // The saved problem number was read while the window was created; only then is it saved.
  bool problemNumberRead;
  // The selection dialog's buffers.
  char typedNumber[64];
  char16_t* scratchText;
};
extern ShellState state;

constexpr int scratchTextBytes = 1024;

// startUp's result when the program goes on to its message loop.
constexpr int keepRunning = -1;

// Runs the start-up up to the message loop. Returns keepRunning, or the exit code to end with
// at once (another copy runs, the window could not be made).
int startUp();
// Runs the message loop until the quit; returns its exit code.
int runMessageLoop();
// The exit path after the loop: saves the problem number.
void shutDown();
// The whole program.
int programMain();

// The main window's procedure.
platform::Result windowProcedure(platform::Window window, unsigned message, platform::WParam wParam,
                                 platform::LParam lParam);
// Opens problem n: beyond the catalogue means problem 1.
void openProblem(int n);
// Runs the selection dialog; the number typed, or -1 when cancelled or failed.
int selectProblem(platform::Window owner);
// The saved problem number (1 when none or below 1).
int readCurrentProblemNumber();
void saveCurrentProblemNumber();
void showAbout();

// Parses leading decimal digits, saturating at the largest int; 0 when there are none.
int parseNumber(const char* text);

}  // namespace shell
