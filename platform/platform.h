// The platform surface the game and the shell use: windows, messages, painting, drawing, pointer,
// time and system facts. Written for this program; one implementation in platform/core serves every
// host (desktop window, headless, browser). Nothing here allocates after start-up.
#pragma once

#include <cstdint>

namespace platform {

struct Rect {
  int left, top, right, bottom;
};

struct Point {
  int x, y;
};

// 0x00RRGGBB.
using Rgb = std::uint32_t;
constexpr Rgb rgb(int r, int g, int b) {
  return (static_cast<Rgb>(r & 0xff) << 16) | (static_cast<Rgb>(g & 0xff) << 8) |
         static_cast<Rgb>(b & 0xff);
}

struct WindowObject;
struct SurfaceObject;
struct BrushObject;
struct PenObject;
using Window = WindowObject*;
using Surface = SurfaceObject*;
using Brush = BrushObject*;
using Pen = PenObject*;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using Result = std::intptr_t;

struct Message {
  Window window;
  unsigned id;
  WParam wParam;
  LParam lParam;
};

using WindowProcedure = Result (*)(Window window, unsigned message, WParam wParam, LParam lParam);

// Message numbers; pointer messages carry client x in the low and y in the high 16 bits of lParam.
namespace msg {
constexpr unsigned create = 0x0001;
constexpr unsigned destroy = 0x0002;
constexpr unsigned activate = 0x0006;
constexpr unsigned paint = 0x000F;
constexpr unsigned close = 0x0010;
constexpr unsigned quit = 0x0012;
constexpr unsigned settingChange = 0x001A;
constexpr unsigned keyDown = 0x0100;
constexpr unsigned initDialog = 0x0110;
constexpr unsigned command = 0x0111;
constexpr unsigned initMenuPopup = 0x0117;
constexpr unsigned penMove = 0x0200;
constexpr unsigned penDown = 0x0201;
constexpr unsigned penUp = 0x0202;
constexpr unsigned secondaryUp = 0x0205;
constexpr unsigned user = 0x0400;
}  // namespace msg

constexpr LParam pointParam(int x, int y) {
  return static_cast<LParam>((static_cast<std::uint32_t>(y & 0xffff) << 16) |
                             static_cast<std::uint32_t>(x & 0xffff));
}
constexpr int paramX(LParam p) {
  return static_cast<int>(static_cast<std::int16_t>(p & 0xffff));
}
constexpr int paramY(LParam p) {
  return static_cast<int>(static_cast<std::int16_t>((p >> 16) & 0xffff));
}

// Height of the platform's top bar (title and "ok") and of the menu bar, in device pixels.
constexpr int topBarHeight = 26;
constexpr int menuBarHeight = 26;

// ---- start ----

// Reads the screen size, starts the host and sets up the framebuffer. Returns false (after one
// message on stderr) when the host cannot start. Safe to call more than once.
bool start();

// ---- windows ----

// Registers the one window class. Returns false if a class of that name exists already.
bool registerWindowClass(const char16_t* className, WindowProcedure procedure, int iconId);
// Creates the main window below the top bar; the creation message is handled before this returns.
// Returns null when the class is unknown or a main window exists already.
Window createWindow(const char16_t* className, const char16_t* title);
// Sends the destruction message and removes the window.
void destroyWindow(Window window);
// The window's rectangle in device coordinates.
Rect windowRect(Window window);
// The client area in client coordinates: (0, 0, width, height).
Rect clientRect(Window window);
bool moveWindow(Window window, int x, int y, int width, int height, bool repaint);
void showWindow(Window window, int showCommand);
// Delivers a pending paint at once.
void updateWindow(Window window);
void setWindowText(Window window, const char16_t* text);
// The main window when its class and title match (either may be null to match any); else the
// main window of another running copy of the program, when one answers; else null.
Window findWindow(const char16_t* className, const char16_t* title);
// Raises the window (the handle may carry its lowest bit set); for another copy's window, asks
// that copy to raise it.
bool bringToForeground(Window window);

// ---- messages ----

// Takes the next message, waiting for input when there is none. False once the quit is taken.
bool getMessage(Message& message);
// Takes the next message if one is ready (posted, input, or paint). False when idle.
bool peekMessage(Message& message);
void translateMessage(const Message& message);
Result dispatchMessage(const Message& message);
void postQuitMessage(int exitCode);
// Queues a message for the window; handled after what is queued before it.
bool postMessage(Window window, unsigned message, WParam wParam, LParam lParam);
// Calls the window procedure at once.
Result sendMessage(Window window, unsigned message, WParam wParam, LParam lParam);
Result defaultWindowProcedure(Window window, unsigned message, WParam wParam, LParam lParam);

// Key codes in msg::keyDown's wParam (the host's codes; printable keys are their characters).
namespace key {
constexpr int backspace = 8;
constexpr int enter = 13;
constexpr int escape = 27;
constexpr int slash = '/';
constexpr int f4 = 0x4000003D;
constexpr int keypad0 = 0x40000062;  // keypad 1..9 are 0x40000059..0x40000061
// Set while Alt is held.
constexpr int altModifier = 1 << 29;
}  // namespace key

struct AcceleratorTableObject;
using Accelerators = AcceleratorTableObject*;
// The accelerator table resource `id`, or null.
Accelerators loadAccelerators(int id);
// When the message is a key the table maps, sends msg::command with the mapped id to the window
// and returns true (the message is consumed).
bool translateAccelerator(Window window, Accelerators table, const Message& message);

// ---- painting ----

// Adds a client rectangle (null: the whole client area) to the area to repaint.
void invalidateRect(Window window, const Rect* rect, bool erase);
// Starts the paint cycle: a surface clipped to the area to repaint, erased first if asked.
// `area` receives the bounds of that area in client coordinates.
Surface beginPaint(Window window, Rect* area);
void endPaint(Window window, Surface surface);
// A surface on the whole client area for drawing at once; release presents what was drawn.
Surface getWindowSurface(Window window);
void releaseWindowSurface(Window window, Surface surface);

// ---- drawing ----

Brush createSolidBrush(Rgb colour);
// A solid pen one pixel wide.
Pen createPen(Rgb colour);
void deleteBrush(Brush brush);
void deletePen(Pen pen);
// Return the previously selected tool.
Brush selectBrush(Surface surface, Brush brush);
Pen selectPen(Surface surface, Pen pen);
// Fills left <= x < right, top <= y < bottom.
void fillRect(Surface surface, const Rect& rect, Brush brush);
// The ellipse inscribed in the rectangle (same pixel rule), outlined with the pen, filled with
// the brush.
void ellipse(Surface surface, int left, int top, int right, int bottom);
// Joins the points with one-pixel lines in the pen colour; the last point is not painted.
void polyline(Surface surface, const Point* points, int count);

namespace text {
constexpr unsigned left = 0x0000;
constexpr unsigned top = 0x0000;
constexpr unsigned center = 0x0001;
constexpr unsigned right = 0x0002;
constexpr unsigned vcenter = 0x0004;
constexpr unsigned bottom = 0x0008;
constexpr unsigned singleLine = 0x0020;
constexpr unsigned noClip = 0x0100;
}  // namespace text

// Draws text (length -1: up to the first zero) in the rectangle with the text flags above, in
// the platform font, one line. Returns the height of the text drawn.
int drawText(Surface surface, const char16_t* text, int length, const Rect& rect, unsigned format);
void setTextColour(Surface surface, Rgb colour);
void setBackgroundColour(Surface surface, Rgb colour);
// Opaque (default): the text's line box is filled with the background colour first.
void setBackgroundOpaque(Surface surface, bool opaque);

// ---- resources ----

// Copies string `id` of the program's string tables into `buffer`, cut to capacity - 1 characters
// and zero-terminated. Returns the number of characters copied (0 when there is no such string).
int loadString(int id, char16_t* buffer, int capacity);

// ---- sound ----

// Starts built-in clip `id` and returns at once; a clip still playing is cut off. False when there
// is no such clip or it cannot start (no sound device).
bool playSoundResource(int id);
// Sounds a beep: kind 0 the default, 0x30 the exclamation.
void beep(unsigned kind);

// ---- shell: the menu bar ----

struct MenuBarObject;
struct MenuObject;
using MenuBar = MenuBarObject*;
using Menu = MenuObject*;

// Creates the menu bar along the bottom of the screen for the owner from a menu-bar resource.
// Its buttons send msg::command with their id to the owner; a button with a popup opens it
// upwards, sending msg::initMenuPopup first; a popup item sends its id. Null when it cannot.
MenuBar createMenuBar(Window owner, int resourceId);
void showMenuBar(MenuBar bar, bool show);
void destroyMenuBar(MenuBar bar);
// The menu bar's menu, and the popup behind the button `buttonId` (null if it has none).
Menu menuBarMenu(MenuBar bar);
Menu menuBarPopup(MenuBar bar, int buttonId);
// Replaces a button's caption. False when there is no such button.
bool setMenuBarButtonText(MenuBar bar, int buttonId, const char16_t* text);
// Checks or unchecks a popup item. False when there is no such item.
bool checkMenuItem(Menu menu, int itemId, bool checked);
// Whether a popup item is checked (tools and tests).
bool menuItemChecked(Menu menu, int itemId);

// The shell's activation record; `size` is 12.
struct ActivationInfo {
  std::uint32_t size;
  std::uint32_t previousState;
  std::uint32_t reserved;
};
static_assert(sizeof(ActivationInfo) == 12);
// The shell's handling of activation and setting-change messages.
void shellHandleActivate(Window window, WParam wParam, LParam lParam, ActivationInfo* info);
void shellHandleSettingChange(Window window, WParam wParam, LParam lParam, ActivationInfo* info);
// Gives the keyboard focus to the window.
void setFocus(Window window);

// ---- dialogs and message boxes ----

struct DialogObject;
using Dialog = DialogObject*;
using DialogProcedure = Result (*)(Dialog dialog, unsigned message, WParam wParam, LParam lParam);

// Runs a dialog resource modally over the owner, with its own message loop. The procedure gets
// msg::initDialog first, then msg::command with an item id (OK 1019-style buttons send their
// item id; Enter sends the default button, Escape the cancel button; closing sends 2). Returns
// the value given to endDialog, or a negative number when the dialog could not be shown.
int dialogBox(int resourceId, Window owner, DialogProcedure procedure);
void endDialog(Dialog dialog, int result);
void setDialogTitle(Dialog dialog, const char16_t* title);
// Text of an item: its length, a copy cut to capacity - 1 characters (returns the length
// copied), and replacing it. Unknown items read as empty.
int dialogItemTextLength(Dialog dialog, int itemId);
int getDialogItemText(Dialog dialog, int itemId, char16_t* buffer, int capacity);
void setDialogItemText(Dialog dialog, int itemId, const char16_t* text);
void setDialogFocus(Dialog dialog, int itemId);
// The platform's last error code (set when a dialog cannot be shown).
int lastError();

namespace box {
constexpr unsigned ok = 0x0000;
}
// A modal message box with the text, the caption (null: none) and an OK button. Returns 1.
int messageBox(Window owner, const char16_t* text, const char16_t* caption, unsigned flags);

// ---- single instance ----

struct MutexObject;
using Mutex = MutexObject*;
// Claims the named mutex for this copy of the program. Null on failure; `alreadyExisted` tells
// that another copy holds it (the handle is then valid but owns nothing).
Mutex createNamedMutex(const char16_t* name, bool& alreadyExisted);
void closeHandle(Mutex mutex);

// ---- registry ----

struct KeyObject;
using Key = KeyObject*;
// Opens a key under the current user for reading. False when it does not exist.
bool openKey(const char16_t* path, Key& key);
// Creates or opens a key under the current user for writing. False on failure.
bool createKey(const char16_t* path, Key& key);
// Reads a 4-byte value. False when it is missing or not a 4-byte value.
bool queryValue(Key key, const char16_t* name, std::uint32_t& value);
// Writes a 4-byte value; it is stored when the key is closed. False on failure.
bool setValue(Key key, const char16_t* name, std::uint32_t value);
// Closes the key, storing what was written. False when storing failed.
bool closeKey(Key key);

// ---- pointer and time ----

enum class Cursor { arrow, hand, hourglass };
void setCursor(Cursor cursor);
void showCursor(bool show);
// Blocks for the given milliseconds; what was drawn before is on the screen meanwhile.
void sleep(int milliseconds);
std::uint32_t ticks();

// ---- system ----

// The device screen, from ZANDREL_SCREEN=WxH (120..2048 each) or 240 x 320. A bad value ends the
// program with one line on stderr and exit status 2.
int screenWidth();
int screenHeight();
// Primary language in the low bits: 4 for Chinese, 9 for English.
int defaultLanguageId();

}  // namespace platform
