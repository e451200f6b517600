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

// What start-up came to: the message loop is to run, or the program ends at once with
// `exitCode` (another copy runs, the window could not be made).
struct [[nodiscard]] StartResult {
  bool running;
  int exitCode;  // when not running
};

// Runs the start-up up to the message loop.
StartResult startUp();
// Runs the message loop until the quit; returns its exit code.
int runMessageLoop();
// The exit path after the loop: saves the problem number.
void shutDown();
// The whole program.
int programMain();

// Driving the program without waiting for input (tools, tests, benchmarks, the web reference):
// the same loop as runMessageLoop, accelerators included, stopping when no message is left.
struct LoopResult {
  enum class End {
    idle,  // nothing left to do
    quit,  // a quit was taken: the exit path ran (the settings are saved)
    busy,  // `busyLimit` messages were handled and more kept coming
  };
  End end;
  int exitCode;  // the quit's code, when end is quit
};
// Sees each message before it is handled; false leaves the message out (a harness that holds
// back the first command, or lets a quit pass). Harnesses count with it without allocating.
using MessageObserver = bool (*)(void* context, const platform::Message& message);
constexpr long busyLimit = 100000;
LoopResult runUntilIdle(MessageObserver observer = nullptr, void* context = nullptr);
// Starts the program again in this process from a clean state: the platform forgets its window
// and queues, the game object is built anew (it reads the screen size again), then start-up.
StartResult restart();
// One message, as the loop handles it: offered to the accelerators, translated, dispatched.
void handleMessage(const platform::Message& message);

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
