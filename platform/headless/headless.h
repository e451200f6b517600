// The in-memory host: input comes from the caller, the screen stays in memory, time is virtual.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host.h"

namespace platform::headless {

// Queues an input event for the message loop.
void pushEvent(const host::InputEvent& event);
// The language that defaultLanguageId() reports; starts from the environment.
void setLanguage(int languageId);

// What the program did through the host since the last take.
struct Record {
  std::vector<int> sleeps;          // milliseconds, in order
  std::vector<std::string> sounds;  // "clip" per clip played, "beep" or "beep 48" per beep
  std::vector<Cursor> cursors;      // cursor shapes set, in order
  int presents = 0;                 // rectangles presented
};
Record takeRecord();
// The rectangle last presented (device pixels).
Rect lastPresented();
// The cursor now shown.
Cursor cursor();
// When set, playWave fails, as on a machine without sound.
void setAudioAvailable(bool available);

// Writes the device screen as an RGB PNG. False, with a message in `error`, on failure.
bool writePng(const std::string& path, std::string& error);
// Reads an RGB(A) PNG into 0x00RRGGBB pixels. False, with a message in `error`, on failure.
bool readPng(const std::string& path, std::vector<std::uint32_t>& pixels, int& width, int& height,
             std::string& error);
bool writePngPixels(const std::string& path, const std::uint32_t* pixels, int width, int height,
                    std::string& error);

}  // namespace platform::headless
