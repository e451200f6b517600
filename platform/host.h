// What differs per host: the desktop window, the in-memory headless host, the browser. Exactly one
// host is linked into a program; platform/core calls it and nothing else of the system does.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace platform::host {

enum class EventKind { none, stylusDown, stylusMove, stylusUp, secondaryUp, key, close, expose };

// Set in InputEvent::key while Alt is held.
constexpr int altModifier = 1 << 29;

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

// Still to come with the shell: load and save the settings text, and the single-instance claim
// with its raise request.

}  // namespace platform::host
