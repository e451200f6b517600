// What the platform's own widgets share: their look, the drawing helpers, and the hooks through
// which widgets.cpp routes input and redraws to the menu bar (menu_bar.cpp) and the modal boxes
// (dialogs.cpp). Internal to those files.
#pragma once

#include "platform/core/glyphs.h"
#include "platform/core/surface.h"
#include "platform/core/text.h"
#include "platform/core/widgets.h"
#include "platform/platform.h"

namespace platform::widget {

// ---- the look ----

constexpr Rgb ink = rgb(24, 24, 24);
constexpr Rgb barFace = rgb(226, 226, 226);
constexpr Rgb barEdge = rgb(128, 128, 128);
constexpr Rgb separator = rgb(168, 168, 168);
constexpr Rgb popupFace = rgb(255, 255, 255);
constexpr Rgb frameColour = rgb(48, 48, 48);
constexpr Rgb titleFace = rgb(16, 56, 140);
constexpr Rgb titleInk = rgb(255, 255, 255);
constexpr Rgb dialogFace = rgb(240, 240, 240);
constexpr Rgb buttonFace = rgb(222, 222, 222);
constexpr Rgb editFace = rgb(255, 255, 255);
constexpr Rgb editFrame = rgb(112, 112, 112);

constexpr int buttonPadding = 6;    // each side of a menu-bar caption
constexpr int minButtonWidth = 40;  // of a menu-bar button
constexpr int popupItemHeight = 20;
constexpr int popupPadding = 2;  // above the first item and below the last
constexpr int checkMargin = 18;  // left of a popup item's text, for its check mark
constexpr int popupRightPadding = 12;
constexpr int minPopupWidth = 96;
constexpr int titleHeight = 20;
constexpr int titlePadding = 6;
// Dialog units to pixels: the dialogs then fill most of a 240-pixel-wide screen.
constexpr int unitX = 2;
constexpr int unitY = 2;
constexpr int editPadding = 3;  // between an edit box's frame and its text
constexpr int boxMargin = 8;    // between a message box and the screen's sides
constexpr int boxPadding = 10;  // inside a message box
constexpr int minBoxContent = 100;
constexpr int boxButtonWidth = 64;
constexpr int boxButtonHeight = 24;
constexpr int messageBoxOkId = 1;
constexpr int closeRequestId = 2;

// Error codes of lastError().
constexpr int errorNotEnoughMemory = 8;
constexpr int errorResourceNotFound = 1813;

// Key codes the boxes know besides those of platform.h.
constexpr int keypadEnter = 0x40000058;
constexpr int keypad1 = 0x40000059;
constexpr int keypad9 = 0x40000061;

inline int screenW() {
  return screenWidth();
}
inline int screenH() {
  return screenHeight();
}

inline bool inside(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

inline int copyText(char16_t* to, int capacity, const char16_t* from, int length = -1) {
  int i = 0;
  if (from != nullptr)
    for (; i + 1 < capacity && (length < 0 || i < length) && from[i] != 0; ++i) to[i] = from[i];
  to[i] = 0;
  return i;
}

// ---- drawing helpers ----

inline void outline(SurfaceObject* s, const Rect& r, Rgb colour) {
  s->fill(r.left, r.top, r.right, r.top + 1, colour);
  s->fill(r.left, r.bottom - 1, r.right, r.bottom, colour);
  s->fill(r.left, r.top + 1, r.left + 1, r.bottom - 1, colour);
  s->fill(r.right - 1, r.top + 1, r.right, r.bottom - 1, colour);
}

inline void fillArea(SurfaceObject* s, const Rect& r, Rgb colour) {
  s->fill(r.left, r.top, r.right, r.bottom, colour);
}

inline void label(SurfaceObject* s, const char16_t* text, int length, const Rect& r, Rgb colour,
                  unsigned format) {
  setTextColour(s, colour);
  setBackgroundOpaque(s, false);
  drawText(s, text, length, r, format | text::vcenter | text::singleLine);
}

// Draws with a whole-screen surface clipped to where `area` and `limit` meet.
template <typename Draw>
inline void drawOnScreen(const Rect& area, const Rect& limit, bool present, Draw draw) {
  const Rect clip = intersectRect(area, limit);
  if (rectEmpty(clip)) return;
  SurfaceObject* s = core::acquireScreenSurface();
  if (s == nullptr) return;
  s->clip.add(clip);
  draw(s);
  core::releaseScreenSurface(s, present);
}

inline Rect wholeScreen() {
  return Rect{0, 0, screenW(), screenH()};
}

// ---- the menu bar and its popup (menu_bar.cpp) ----

void closePopup();
// The stroke on the bar: the button it started on, and where it ended.
void barStylusDown(int x, int y);
void barStylusUp(int x, int y);
// Forgets the pressed button (a stroke that started elsewhere).
void releaseBarButton();
bool popupContains(int x, int y);
void popupStylusUp(int x, int y);
void redrawBar();
void redrawPopup(const Rect& area);
void resetMenuBar();

// ---- dialogs and message boxes (dialogs.cpp) ----

bool boxOpen();
// Input for the box on top.
void boxStylusDown(int x, int y);
void boxStylusUp(int x, int y);
void boxKey(int code);
void boxOk();
void boxClose();
// Every box shown, where it overlaps `area`, without presenting.
void redrawBoxes(const Rect& area);
void resetDialogs();

// ---- accelerators (accelerators.cpp) ----

void resetAccelerators();

// ---- errors (widgets.cpp) ----

void setLastError(int code);

}  // namespace platform::widget
