// The browser host: the C++ half. The page's side (canvas, pointer and keys, Web Audio,
// localStorage, Web Locks) is web_host.js; these functions are its imports.
#include "platform/web/web.h"

#include <emscripten.h>

#include <cstdint>

#include "platform/host.h"

extern "C" {
bool zandrel_web_start(int width, int height);
bool zandrel_web_poll_event(int* fields);
// Returns when an event is queued; the page runs meanwhile (ASYNCIFY).
void zandrel_web_wait_event();
void zandrel_web_present(const std::uint32_t* pixels, int width, int left, int top, int right,
                         int bottom);
void zandrel_web_sleeping(int milliseconds);
void zandrel_web_awake();
void zandrel_web_set_cursor(int cursor, bool visible);
bool zandrel_web_play_wave(int clipId, const unsigned char* data, std::size_t size);
void zandrel_web_beep(unsigned kind);
int zandrel_web_language();
int zandrel_web_load_settings(char* buffer, int capacity);
bool zandrel_web_save_settings(const char* text, int length);
// Returns an InstanceClaim; waits for the Web Locks answer (ASYNCIFY).
int zandrel_web_claim_instance(const char16_t* name);
void zandrel_web_release_instance();
// Waits for the Web Locks answer (ASYNCIFY).
bool zandrel_web_instance_held_elsewhere(const char16_t* name);
void zandrel_web_program_ended(int code);
}

namespace platform::host {

// web_host.js sends these numbers for the event kinds and returns these for the claim.
static_assert(static_cast<int>(EventKind::stylusDown) == 1);
static_assert(static_cast<int>(EventKind::stylusMove) == 2);
static_assert(static_cast<int>(EventKind::stylusUp) == 3);
static_assert(static_cast<int>(EventKind::secondaryUp) == 4);
static_assert(static_cast<int>(EventKind::key) == 5);
static_assert(static_cast<int>(EventKind::activate) == 8);
static_assert(static_cast<int>(InstanceClaim::claimed) == 0);
static_assert(static_cast<int>(InstanceClaim::heldByAnother) == 1);
static_assert(static_cast<int>(InstanceClaim::failed) == 2);

namespace {

bool anotherCopyAsked = false;

}  // namespace

bool start(int width, int height) {
  return zandrel_web_start(width, height);
}

bool pollEvent(InputEvent& event) {
  int fields[4];
  if (!zandrel_web_poll_event(fields)) return false;
  event = InputEvent{static_cast<EventKind>(fields[0]), fields[1], fields[2], fields[3]};
  return true;
}

bool waitEvent(InputEvent& event) {
  // Input can always come in a page, so the wait never gives up.
  while (!pollEvent(event)) zandrel_web_wait_event();
  return true;
}

void present(const std::uint32_t* pixels, int width, int height, const Rect& changed) {
  const int left = changed.left < 0 ? 0 : changed.left;
  const int top = changed.top < 0 ? 0 : changed.top;
  const int right = changed.right > width ? width : changed.right;
  const int bottom = changed.bottom > height ? height : changed.bottom;
  if (right > left && bottom > top) zandrel_web_present(pixels, width, left, top, right, bottom);
}

void sleep(int milliseconds) {
  // The canvas already holds what was drawn; the browser shows it while this yields.
  zandrel_web_sleeping(milliseconds);
  emscripten_sleep(static_cast<unsigned>(milliseconds));
  zandrel_web_awake();
}

std::uint32_t ticks() {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(emscripten_get_now()));
}

void setCursor(Cursor cursor, bool visible) {
  zandrel_web_set_cursor(static_cast<int>(cursor), visible);
}

bool playWave(int clipId, const unsigned char* data, std::size_t size) {
  if (data == nullptr || size == 0) return false;
  return zandrel_web_play_wave(clipId, data, size);
}

void beep(unsigned kind) {
  zandrel_web_beep(kind);
}

int language() {
  return zandrel_web_language();
}

// A tab cannot be brought to the front from a page script.
void raiseWindow() {}

int loadSettings(char* buffer, int capacity) {
  return zandrel_web_load_settings(buffer, capacity);
}

bool saveSettings(const char* text, int length) {
  return length >= 0 && zandrel_web_save_settings(text, length);
}

InstanceClaim claimInstance(const char16_t* name) {
  return static_cast<InstanceClaim>(zandrel_web_claim_instance(name));
}

void releaseInstance() {
  zandrel_web_release_instance();
}

bool otherInstanceRunning(const char16_t* name) {
  return zandrel_web_instance_held_elsewhere(name);
}

// The other tab cannot be raised; the request is remembered so that this tab says why it stops.
bool raiseOtherInstance(const char16_t* name) {
  if (!otherInstanceRunning(name)) return false;
  anotherCopyAsked = true;
  return true;
}

}  // namespace platform::host

namespace platform::web {

bool anotherTabAsked() {
  return host::anotherCopyAsked;
}

void programEnded(int code) {
  zandrel_web_program_ended(code);
}

}  // namespace platform::web
