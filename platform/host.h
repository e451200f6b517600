// What differs per host: the desktop window, the in-memory headless host, the browser. Exactly one
// host is linked into a program; platform/core calls it and nothing else of the system does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace platform::host {

// activate: the window gained (key 1) or lost (key 0) the focus.
enum class EventKind {
  none,
  stylusDown,
  stylusMove,
  stylusUp,
  secondaryUp,
  key,
  close,
  expose,
  activate
};

// Set in InputEvent::key while Alt is held.
constexpr int altModifier = key::altModifier;

// Pointer positions are device pixels (the top bar included); key is the host's key code.
struct InputEvent {
  EventKind kind;
  int x, y;
  int key;
};

// Opens the device screen of the given size. False, after one message on stderr, on failure.
bool start(int width, int height);
// The next input event, waiting for it. False when no input will ever come (headless: idle).
bool waitEvent(InputEvent& event);
// The next input event if one is ready.
bool pollEvent(InputEvent& event);
// Shows the changed rectangle of the framebuffer (width x height pixels, 0x00RRGGBB).
void present(const std::uint32_t* pixels, int width, int height, const Rect& changed);
void sleep(int milliseconds);
std::uint32_t ticks();
void setCursor(Cursor cursor, bool visible);
// Plays the RIFF WAVE clip `clipId` (its bytes given), replacing one that plays. False when it
// cannot start.
bool playWave(int clipId, const unsigned char* data, std::size_t size);
// 0: the default beep; 0x30: the exclamation beep.
void beep(unsigned kind);
// Primary language id (4 Chinese, 9 English).
int language();
void raiseWindow();

// The settings text (the registry file). Returns its length; -1 when there is none; -2 when
// there is one that cannot be read whole (longer than capacity - 1, unreadable), which the caller
// must not replace, as that would lose it.
int loadSettings(char* buffer, int capacity);
// Replaces the stored settings text as a whole, so a crash leaves the old text or the new one.
bool saveSettings(const char* text, int length);

enum class InstanceClaim { claimed, heldByAnother, failed };
// Claims the program's single-instance name for this copy; the claim ends with the process.
InstanceClaim claimInstance(const char16_t* name);
void releaseInstance();
// Whether another copy holds the claim and takes requests.
bool otherInstanceRunning(const char16_t* name);
// Asks the other copy to raise its window. False when none answers.
bool raiseOtherInstance(const char16_t* name);

}  // namespace platform::host
