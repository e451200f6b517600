// The in-memory host: input comes from the caller, the screen stays in memory, time is virtual.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace platform::headless {

// How many input events wait at most; a push beyond that is refused.
constexpr int eventCapacity = 4096;
// Queues an input event for the message loop. False, with the event dropped, when the queue
// is full.
bool pushEvent(const host::InputEvent& event);
// The language that defaultLanguageId() reports; starts from the environment.
void setLanguage(int languageId);

// How many sleeps, sounds and cursor changes the host keeps between takes, each; beyond that
// the oldest are dropped. The host records into fixed rings, so playing never allocates.
constexpr int recordCapacity = 512;

// What the program did through the host since the last take.
struct Record {
  std::vector<int> sleeps;          // milliseconds, in order
  std::vector<std::string> sounds;  // "clip" per clip played, "beep" or "beep 48" per beep
  std::vector<Cursor> cursors;      // cursor shapes set, in order
  int presents = 0;                 // rectangles presented
  int dropped = 0;                  // sleeps, sounds and cursors lost to a full ring
};
// Hands over what was recorded and starts afresh; only this allocates.
Record takeRecord();
// The rectangle last presented (device pixels).
Rect lastPresented();
// The cursor now shown.
Cursor cursor();
// When set, playWave fails, as on a machine without sound.
void setAudioAvailable(bool available);
// Called inside every sleep with its milliseconds, before the virtual clock advances, so that a
// test can look at the screen the player sees during the pause; an empty hook removes it.
void setSleepHook(std::function<void(int milliseconds)> hook);
// Called when the program waits for input (a modal box's loop) and none is queued; it may push
// events. Without a hook, or when it pushes none, no input will come.
void setWaitHook(bool (*hook)());

// Writes the device screen as an RGB PNG. False, with a message in `error`, on failure.
bool writePng(const std::string& path, std::string& error);
// Reads an RGB(A) PNG into 0x00RRGGBB pixels. False, with a message in `error`, on failure.
bool readPng(const std::string& path, std::vector<std::uint32_t>& pixels, int& width, int& height,
             std::string& error);
bool writePngPixels(const std::string& path, const std::uint32_t* pixels, int width, int height,
                    std::string& error);

// The settings text held for this run when ZANDREL_REGISTRY names no file (then that file is
// read and written instead). It starts as none.
void setSettingsText(const std::string& text);
// Forgets the settings text, as on a first run.
void clearSettings();
// The settings text held, or none.
std::optional<std::string> settingsText();
// When set, saving the settings fails (and the text held stays), as on a full disk.
void setSettingsSaveFails(bool fails);

// The single instance, simulated: no name is claimed on the system, so tests run side by side.
// Pretends that another copy holds the claim, or that none does (the start).
void setOtherInstance(bool running);
// Whether this copy holds the claim.
bool instanceClaimed();
// The requests to raise the other copy's window sent since the last take.
int takeRaiseRequests();

}  // namespace platform::headless
