// The main window, the message queue, painting and the top bar, for every host.
#include <cstdint>

#include "platform/core/framebuffer.h"
#include "platform/core/surface.h"
#include "platform/core/system.h"
#include "platform/core/widgets.h"
#include "platform/host.h"
#include "platform/platform.h"

namespace platform {

struct WindowObject {
  char16_t className[64];
  char16_t title[64];
  WindowProcedure procedure;
  Rect rect;  // device coordinates
  bool alive;
  bool visible;
  ClipRegion invalid;  // device coordinates
  bool eraseInvalid;
};

namespace {

constexpr Rgb topBarColour = rgb(16, 56, 140);
constexpr Rgb topBarTextColour = rgb(255, 255, 255);
constexpr Rgb windowBackground = rgb(255, 255, 255);

struct ClassRecord {
  char16_t name[64];
  WindowProcedure procedure;
  int iconId;
  bool used;
};

bool started = false;
int screenW = 0, screenH = 0;

ClassRecord windowClass{};
WindowObject mainWindow{};
// Stands for the main window of another running copy; never alive here.
WindowObject otherCopyWindow{};

constexpr int queueSize = 256;
Message queue[queueSize];
int queueHead = 0, queueCount = 0;
bool quitPending = false;
int quitCode = 0;

// Where the current stylus stroke started, so that its moves and lift go to the same place.
enum class StrokeTarget { none, client, okButton, topBar, widgets };
StrokeTarget stroke = StrokeTarget::none;

// The window that key messages go to.
Window keyboardFocus = nullptr;

// While a modal box runs its loop: tells when that loop is to stop.
bool (*modalFinished)() = nullptr;

Cursor currentCursor = Cursor::arrow;
bool cursorVisible = true;

constexpr int surfacePoolSize = 4;
SurfaceObject surfaces[surfacePoolSize];

void copyText(char16_t* to, int capacity, const char16_t* from) {
  int i = 0;
  if (from != nullptr)
    for (; i + 1 < capacity && from[i] != 0; ++i) to[i] = from[i];
  to[i] = 0;
}

bool sameText(const char16_t* a, const char16_t* b) {
  for (;; ++a, ++b) {
    if (*a != *b) return false;
    if (*a == 0) return true;
  }
}

bool isMain(Window window) {
  return window == &mainWindow && mainWindow.alive;
}

Rect screenRect() {
  return Rect{0, 0, screenW, screenH};
}

// The window's client area on the device, between the top bar and the menu bar.
Rect clientDeviceRect(const WindowObject& w) {
  Rect r = intersectRect(w.rect, screenRect());
  if (r.top < topBarHeight) r.top = topBarHeight;
  const int bottom = screenH - core::menuBarReserved();
  if (r.bottom > bottom) r.bottom = bottom;
  if (rectEmpty(r)) return Rect{0, 0, 0, 0};
  return r;
}

SurfaceObject* acquireSurface(int originX, int originY) {
  if (!started) return nullptr;
  for (SurfaceObject& s : surfaces) {
    if (!s.inUse) {
      s.reset(core::framebufferPixels(), screenW, screenH, originX, originY);
      return &s;
    }
  }
  return nullptr;
}

void presentAndRelease(SurfaceObject* surface) {
  if (surface == nullptr) return;
  if (!rectEmpty(surface->touched))
    host::present(core::framebufferPixels(), screenW, screenH, surface->touched);
  surface->inUse = false;
}

// For the main window's drawing: the popup and boxes stay on top of it, so they are drawn again
// where the window drew under them before anything is shown.
void releaseClientSurface(SurfaceObject* surface) {
  if (surface == nullptr) return;
  const Rect touched = surface->touched;
  surface->inUse = false;
  if (rectEmpty(touched)) return;
  core::redrawOverlays(touched);
  host::present(core::framebufferPixels(), screenW, screenH, touched);
}

void drawTopBar() {
  SurfaceObject* s = acquireSurface(0, 0);
  if (s == nullptr) return;
  s->clip.add(Rect{0, 0, screenW, topBarHeight});
  s->fill(0, 0, screenW, topBarHeight, topBarColour);
  setTextColour(s, topBarTextColour);
  setBackgroundOpaque(s, false);
  if (mainWindow.alive)
    drawText(s, mainWindow.title, -1, Rect{6, 0, screenW - topBarHeight - 2, topBarHeight},
             text::left | text::vcenter | text::singleLine);
  // The "ok" button: a framed caption in the right-most square of the bar.
  PenObject frame{topBarTextColour, true};
  Pen old = selectPen(s, &frame);
  const int l = screenW - topBarHeight + 2, t = 4, r = screenW - 3, b = topBarHeight - 5;
  const Point box[] = {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
  polyline(s, box, 5);
  selectPen(s, old);
  drawText(s, u"ok", -1, Rect{screenW - topBarHeight, 0, screenW, topBarHeight},
           text::center | text::vcenter | text::singleLine);
  presentAndRelease(s);
}

void post(const Message& m) {
  if (queueCount == queueSize) return;  // a full queue drops the newest, like a busy device
  queue[(queueHead + queueCount) % queueSize] = m;
  ++queueCount;
}

void postPointer(unsigned id, int deviceX, int deviceY) {
  if (!mainWindow.alive) return;
  Rect client = clientDeviceRect(mainWindow);
  if (rectEmpty(client)) return;
  // The pen never reports a position outside the window it was put down in.
  int x = deviceX < client.left ? client.left : deviceX;
  int y = deviceY < client.top ? client.top : deviceY;
  if (x >= client.right) x = client.right - 1;
  if (y >= client.bottom) y = client.bottom - 1;
  post(Message{&mainWindow, id, 0, pointParam(x - client.left, y - client.top)});
}

bool onOkButton(int x, int y) {
  return y >= 0 && y < topBarHeight && x >= screenW - topBarHeight;
}

bool inClient(int x, int y) {
  if (!mainWindow.alive) return false;
  Rect c = clientDeviceRect(mainWindow);
  return x >= c.left && x < c.right && y >= c.top && y < c.bottom;
}

void translateInput(const host::InputEvent& e) {
  switch (e.kind) {
    case host::EventKind::stylusDown:
      // A modal box takes every stroke but the top bar's "ok"; an open popup takes every stroke.
      if (core::modalActive() ? !onOkButton(e.x, e.y)
                              : core::popupOpen() || core::onMenuBar(e.x, e.y)) {
        stroke = StrokeTarget::widgets;
        core::widgetStylusDown(e.x, e.y);
      } else if (inClient(e.x, e.y)) {
        stroke = StrokeTarget::client;
        postPointer(msg::penDown, e.x, e.y);
      } else if (onOkButton(e.x, e.y)) {
        stroke = StrokeTarget::okButton;
      } else {
        stroke = StrokeTarget::topBar;
      }
      break;
    case host::EventKind::stylusMove:
      // A stroke that began in the client area follows the pen; a hovering pointer (hosts that
      // report one) counts over the client area only.
      if (stroke == StrokeTarget::client || (stroke == StrokeTarget::none && !core::modalActive() &&
                                             !core::popupOpen() && inClient(e.x, e.y)))
        postPointer(msg::penMove, e.x, e.y);
      break;
    case host::EventKind::stylusUp: {
      // The stroke ends first: what the lift does may run a modal loop that takes new strokes.
      const StrokeTarget ended = stroke;
      stroke = StrokeTarget::none;
      if (ended == StrokeTarget::client) {
        postPointer(msg::penUp, e.x, e.y);
      } else if (ended == StrokeTarget::okButton && onOkButton(e.x, e.y)) {
        // While a box is up, "ok" answers the box (its default button).
        if (core::modalActive()) {
          core::modalOk();
        } else if (mainWindow.alive) {
          post(Message{&mainWindow, msg::command, 1, 0});
        }
      } else if (ended == StrokeTarget::widgets) {
        core::widgetStylusUp(e.x, e.y);
      }
      break;
    }
    case host::EventKind::secondaryUp:
      if (!core::modalActive() && !core::popupOpen() && inClient(e.x, e.y))
        postPointer(msg::secondaryUp, e.x, e.y);
      break;
    case host::EventKind::key:
      if (core::modalActive() || core::popupOpen()) {
        core::widgetKey(e.key);
      } else if (isMain(keyboardFocus)) {
        post(Message{&mainWindow, msg::keyDown, static_cast<WParam>(e.key), 0});
      }
      break;
    case host::EventKind::close:
      if (core::modalActive()) {
        core::modalClose();
      } else if (mainWindow.alive) {
        post(Message{&mainWindow, msg::close, 0, 0});
      }
      break;
    case host::EventKind::expose:
      if (!started) break;
      drawTopBar();
      core::redrawWidgets();
      if (mainWindow.alive) invalidateRect(&mainWindow, nullptr, false);
      host::present(core::framebufferPixels(), screenW, screenH, screenRect());
      break;
    case host::EventKind::activate:
      if (mainWindow.alive)
        post(Message{&mainWindow, msg::activate, static_cast<WParam>(e.key), 0});
      break;
    case host::EventKind::none:
      break;
  }
}

bool paintPending() {
  return mainWindow.alive && mainWindow.visible && !mainWindow.invalid.empty();
}

enum class Next { message, idle, stopped };

// Takes the next message: posted ones first, then the quit, then input, then a paint. Inside a
// modal loop, stops as soon as the modal box has finished.
Next nextMessage(Message& m, bool wait) {
  for (;;) {
    if (modalFinished != nullptr && modalFinished()) return Next::stopped;
    if (queueCount > 0) {
      m = queue[queueHead];
      queueHead = (queueHead + 1) % queueSize;
      --queueCount;
      return Next::message;
    }
    if (quitPending) {
      quitPending = false;
      m = Message{nullptr, msg::quit, static_cast<WParam>(quitCode), 0};
      return Next::message;
    }
    host::InputEvent e{};
    if (host::pollEvent(e)) {
      translateInput(e);
      continue;
    }
    if (paintPending()) {
      m = Message{&mainWindow, msg::paint, 0, 0};
      return Next::message;
    }
    if (!wait || !host::waitEvent(e)) return Next::idle;
    translateInput(e);
  }
}

}  // namespace

namespace core {

SurfaceObject* acquireScreenSurface() {
  return acquireSurface(0, 0);
}

void releaseScreenSurface(SurfaceObject* surface, bool present) {
  if (surface == nullptr) return;
  if (present) {
    presentAndRelease(surface);
  } else {
    surface->inUse = false;
  }
}

Window liveMainWindow() {
  return mainWindow.alive ? &mainWindow : nullptr;
}

void invalidateDeviceRect(const Rect& rect, bool erase) {
  if (!mainWindow.alive) return;
  const Rect client = clientDeviceRect(mainWindow);
  const Rect local{rect.left - client.left, rect.top - client.top, rect.right - client.left,
                   rect.bottom - client.top};
  invalidateRect(&mainWindow, &local, erase);
}

void clientAreaChanged() {
  if (mainWindow.alive) mainWindow.invalid.intersect(clientDeviceRect(mainWindow));
}

ModalEnd runModalLoop(bool (*finished)()) {
  bool (*const outer)() = modalFinished;
  modalFinished = finished;
  ModalEnd end = ModalEnd::finished;
  for (;;) {
    Message m{};
    const Next next = nextMessage(m, true);
    if (next == Next::stopped) break;
    if (next == Next::idle) {
      end = ModalEnd::idle;
      break;
    }
    if (m.id == msg::quit && m.window == nullptr) {
      // The quit belongs to the outermost loop: leave it pending there.
      postQuitMessage(static_cast<int>(m.wParam));
      end = ModalEnd::quit;
      break;
    }
    dispatchMessage(m);
  }
  modalFinished = outer;
  return end;
}

}  // namespace core

bool start() {
  if (started) return true;
  screenW = screenWidth();
  screenH = screenHeight();
  core::createFramebuffer(screenW, screenH, rgb(0, 0, 0));
  if (!host::start(screenW, screenH)) return false;
  started = true;
  core::setFramebufferShown(true);
  drawTopBar();
  return true;
}

void resetState() {
  core::resetWidgets();
  mainWindow = WindowObject{};
  keyboardFocus = nullptr;
  modalFinished = nullptr;
  windowClass = ClassRecord{};
  queueHead = queueCount = 0;
  quitPending = false;
  quitCode = 0;
  stroke = StrokeTarget::none;
  for (SurfaceObject& s : surfaces) s.inUse = false;
  if (started) {
    core::fillFramebuffer(rgb(0, 0, 0));
    drawTopBar();
  }
}

bool registerWindowClass(const char16_t* className, WindowProcedure procedure, int iconId) {
  if (windowClass.used || className == nullptr || procedure == nullptr) return false;
  copyText(windowClass.name, 64, className);
  windowClass.procedure = procedure;
  windowClass.iconId = iconId;
  windowClass.used = true;
  return true;
}

Window createWindow(const char16_t* className, const char16_t* title) {
  if (!windowClass.used || className == nullptr || !sameText(className, windowClass.name) ||
      mainWindow.alive)
    return nullptr;
  mainWindow = WindowObject{};
  copyText(mainWindow.className, 64, className);
  copyText(mainWindow.title, 64, title);
  mainWindow.procedure = windowClass.procedure;
  mainWindow.rect = Rect{0, topBarHeight, screenWidth(), screenHeight()};
  mainWindow.alive = true;
  keyboardFocus = &mainWindow;
  if (mainWindow.procedure(&mainWindow, msg::create, 0, 0) == -1) {
    mainWindow.alive = false;
    return nullptr;
  }
  if (!mainWindow.alive) return nullptr;  // destroyed while being created
  drawTopBar();
  return &mainWindow;
}

void destroyWindow(Window window) {
  if (!isMain(window)) return;
  window->procedure(window, msg::destroy, 0, 0);
  window->alive = false;
  window->visible = false;
  window->invalid.clear();
  drawTopBar();
}

Rect windowRect(Window window) {
  return isMain(window) ? window->rect : Rect{0, 0, 0, 0};
}

Rect clientRect(Window window) {
  if (!isMain(window)) return Rect{0, 0, 0, 0};
  Rect c = clientDeviceRect(*window);
  return Rect{0, 0, c.right - c.left, c.bottom - c.top};
}

bool moveWindow(Window window, int x, int y, int width, int height, bool repaint) {
  if (!isMain(window) || width < 0 || height < 0) return false;
  window->rect = Rect{x, y, x + width, y + height};
  window->invalid.intersect(clientDeviceRect(*window));
  if (repaint) invalidateRect(window, nullptr, true);
  return true;
}

void showWindow(Window window, int /*showCommand*/) {
  if (!isMain(window)) return;
  if (!window->visible) {
    window->visible = true;
    invalidateRect(window, nullptr, true);
  }
}

void updateWindow(Window window) {
  if (isMain(window) && window->visible && !window->invalid.empty())
    sendMessage(window, msg::paint, 0, 0);
}

void setWindowText(Window window, const char16_t* title) {
  if (!isMain(window)) return;
  copyText(window->title, 64, title);
  drawTopBar();
}

Window findWindow(const char16_t* className, const char16_t* title) {
  if (mainWindow.alive) {
    if ((className == nullptr || sameText(className, mainWindow.className)) &&
        (title == nullptr || sameText(title, mainWindow.title)))
      return &mainWindow;
    return nullptr;
  }
  // Another copy of the program holds the single-instance name: its window stands for it.
  if (className != nullptr && host::otherInstanceRunning(className)) {
    copyText(otherCopyWindow.className, 64, className);
    return &otherCopyWindow;
  }
  return nullptr;
}

bool bringToForeground(Window window) {
  // Callers may mark the handle by setting its lowest bit.
  window = reinterpret_cast<Window>(reinterpret_cast<std::uintptr_t>(window) &
                                    ~static_cast<std::uintptr_t>(1));
  if (window == &otherCopyWindow) return host::raiseOtherInstance(otherCopyWindow.className);
  if (!isMain(window)) return false;
  host::raiseWindow();
  return true;
}

bool getMessage(Message& message) {
  if (nextMessage(message, true) != Next::message) {
    // No input will ever come: end the loop as if quit.
    message = Message{nullptr, msg::quit, 0, 0};
    return false;
  }
  return message.id != msg::quit;
}

bool peekMessage(Message& message) {
  return nextMessage(message, false) == Next::message;
}

void translateMessage(const Message&) {}

Result dispatchMessage(const Message& message) {
  if (!isMain(message.window)) return 0;
  return message.window->procedure(message.window, message.id, message.wParam, message.lParam);
}

void postQuitMessage(int exitCode) {
  quitPending = true;
  quitCode = exitCode;
}

bool postMessage(Window window, unsigned message, WParam wParam, LParam lParam) {
  if (!isMain(window) || queueCount == queueSize) return false;
  post(Message{window, message, wParam, lParam});
  return true;
}

Result sendMessage(Window window, unsigned message, WParam wParam, LParam lParam) {
  if (!isMain(window)) return 0;
  return window->procedure(window, message, wParam, lParam);
}

Result defaultWindowProcedure(Window window, unsigned message, WParam, LParam) {
  switch (message) {
    case msg::paint: {
      // Validates the area, so the paint is not delivered again and again.
      Surface s = beginPaint(window, nullptr);
      endPaint(window, s);
      return 0;
    }
    case msg::close:
      destroyWindow(window);
      return 0;
    default:
      return 0;
  }
}

void invalidateRect(Window window, const Rect* rect, bool erase) {
  if (!isMain(window)) return;
  Rect client = clientDeviceRect(*window);
  Rect area = client;
  if (rect != nullptr)
    area = intersectRect(Rect{rect->left + client.left, rect->top + client.top,
                              rect->right + client.left, rect->bottom + client.top},
                         client);
  if (rectEmpty(area)) return;
  window->invalid.add(area);
  if (erase) window->eraseInvalid = true;
}

Surface beginPaint(Window window, Rect* area) {
  if (area != nullptr) *area = Rect{0, 0, 0, 0};
  if (!isMain(window)) return nullptr;
  Rect client = clientDeviceRect(*window);
  SurfaceObject* s = acquireSurface(client.left, client.top);
  ClipRegion region = window->invalid;
  const bool erase = window->eraseInvalid;
  window->invalid.clear();
  window->eraseInvalid = false;
  if (s == nullptr) return nullptr;
  s->clip = region;
  s->clip.intersect(client);
  if (area != nullptr && !s->clip.empty())
    *area = Rect{s->clip.bounds.left - client.left, s->clip.bounds.top - client.top,
                 s->clip.bounds.right - client.left, s->clip.bounds.bottom - client.top};
  if (erase)
    s->fill(s->clip.bounds.left - client.left, s->clip.bounds.top - client.top,
            s->clip.bounds.right - client.left, s->clip.bounds.bottom - client.top,
            windowBackground);
  return s;
}

void endPaint(Window, Surface surface) {
  releaseClientSurface(surface);
}

Surface getWindowSurface(Window window) {
  if (!isMain(window)) return nullptr;
  Rect client = clientDeviceRect(*window);
  SurfaceObject* s = acquireSurface(client.left, client.top);
  if (s != nullptr) s->clip.add(client);
  return s;
}

void releaseWindowSurface(Window, Surface surface) {
  releaseClientSurface(surface);
}

void setFocus(Window window) {
  keyboardFocus = isMain(window) ? window : nullptr;
}

void setCursor(Cursor cursor) {
  currentCursor = cursor;
  host::setCursor(currentCursor, cursorVisible);
}

void showCursor(bool show) {
  cursorVisible = show;
  host::setCursor(currentCursor, cursorVisible);
}

void sleep(int milliseconds) {
  if (milliseconds > 0) host::sleep(milliseconds);
}

std::uint32_t ticks() {
  return host::ticks();
}

}  // namespace platform
