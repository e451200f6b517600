// What the browser program's entry needs beyond the host interface.
#pragma once

namespace platform::web {

// Whether the program stopped at start-up because another tab holds the single instance.
bool anotherTabAsked();
// Tells the page that the program has ended, and gives the single instance up for other tabs.
void programEnded(int code);
// The message box a second tab shows before it stops (defined in already_open.cpp, which the
// tests also link with the headless host to render the expected screen).
void showAlreadyOpen();

}  // namespace platform::web
