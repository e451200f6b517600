// The widgets the platform draws itself on the device screen: the menu bar along the bottom, its
// popup, modal dialogs built from dialog resources, message boxes, and the accelerator tables.
// All state lives in fixed pools; nothing is allocated.
#include "platform/core/widgets.h"

#include "platform/core/glyphs.h"
#include "platform/core/text.h"
#include "resources/ui_resources.h"

namespace platform {

namespace {

constexpr int maxButtons = 6;
constexpr int maxItems = 16;
constexpr int captionCapacity = 32;

}  // namespace

// The bar's menu (no items of its own) or the popup behind one of its buttons.
struct MenuObject {
  int buttonIndex;  // the button a popup belongs to
  int count;
  int ids[maxItems];
  const char16_t* texts[maxItems];
  bool checked[maxItems];
};

struct MenuBarButtonState {
  int id;
  char16_t caption[captionCapacity];
  int left, right;    // device x
  MenuObject* popup;  // null for a plain button
};

struct MenuBarObject {
  bool used;
  bool shown;
  Window owner;
  int buttonCount;
  MenuBarButtonState buttons[maxButtons];
  MenuObject menu;
  MenuObject popups[maxButtons];
};

namespace {

constexpr int maxDialogItems = 24;
constexpr int itemTextCapacity = 64;
constexpr int titleCapacity = 64;

}  // namespace

struct DialogItemState {
  int id;
  resources::DialogItemKind kind;
  unsigned style;
  Rect rect;  // device pixels
  char16_t text[itemTextCapacity];
  int length;
};

struct DialogObject {
  bool inUse;
  bool shown;
  bool ended;
  int result;
  DialogProcedure procedure;
  Rect frame;  // device pixels, border included
  bool hasTitle;
  char16_t title[titleCapacity];
  int itemCount;
  DialogItemState items[maxDialogItems];
  int focus;    // index of the item with the keyboard focus, or -1
  int pressed;  // index of the item the current stroke started on, or -1
};

struct AcceleratorTableObject {
  const resources::AcceleratorTable* table;
};

namespace {

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

MenuBarObject theBar{};
MenuObject* openPopup = nullptr;
Rect openPopupRect{0, 0, 0, 0};

// What the current stroke on the widgets started on.
enum class WidgetStroke { none, barButton, popup, usedUp, modal };
WidgetStroke widgetStroke = WidgetStroke::none;
int pressedButton = -1;

constexpr int dialogPoolSize = 3;
DialogObject dialogPool[dialogPoolSize];
// Modal boxes from the bottom to the one on top, which takes the input.
DialogObject* modalStack[dialogPoolSize];
int modalDepth = 0;

AcceleratorTableObject acceleratorPool[4];
int lastErrorCode = 0;

int screenW() {
  return screenWidth();
}
int screenH() {
  return screenHeight();
}

bool inside(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int copyText(char16_t* to, int capacity, const char16_t* from, int length = -1) {
  int i = 0;
  if (from != nullptr)
    for (; i + 1 < capacity && (length < 0 || i < length) && from[i] != 0; ++i) to[i] = from[i];
  to[i] = 0;
  return i;
}

// ---- drawing helpers ----

void outline(SurfaceObject* s, const Rect& r, Rgb colour) {
  s->fill(r.left, r.top, r.right, r.top + 1, colour);
  s->fill(r.left, r.bottom - 1, r.right, r.bottom, colour);
  s->fill(r.left, r.top + 1, r.left + 1, r.bottom - 1, colour);
  s->fill(r.right - 1, r.top + 1, r.right, r.bottom - 1, colour);
}

void fillArea(SurfaceObject* s, const Rect& r, Rgb colour) {
  s->fill(r.left, r.top, r.right, r.bottom, colour);
}

void label(SurfaceObject* s, const char16_t* text, int length, const Rect& r, Rgb colour,
           unsigned format) {
  setTextColour(s, colour);
  setBackgroundOpaque(s, false);
  drawText(s, text, length, r, format | text::vcenter | text::singleLine);
}

// Draws with a whole-screen surface clipped to where `area` and `limit` meet.
template <typename Draw>
void drawOnScreen(const Rect& area, const Rect& limit, bool present, Draw draw) {
  const Rect clip = intersectRect(area, limit);
  if (rectEmpty(clip)) return;
  SurfaceObject* s = core::acquireScreenSurface();
  if (s == nullptr) return;
  s->clip.add(clip);
  draw(s);
  core::releaseScreenSurface(s, present);
}

Rect wholeScreen() {
  return Rect{0, 0, screenW(), screenH()};
}

// ---- the menu bar ----

bool validBar(MenuBar bar) {
  return bar == &theBar && theBar.used;
}

bool validMenu(Menu menu) {
  if (!theBar.used || menu == nullptr) return false;
  if (menu == &theBar.menu) return true;
  for (const MenuObject& popup : theBar.popups)
    if (menu == &popup) return true;
  return false;
}

Rect barRect() {
  return Rect{0, screenH() - menuBarHeight, screenW(), screenH()};
}

// The buttons before the last take their captions' width; the last, whose caption changes with
// the game, takes the rest, so the others never move.
void layoutButtons() {
  int x = 0;
  for (int i = 0; i < theBar.buttonCount; ++i) {
    MenuBarButtonState& b = theBar.buttons[i];
    int width = textWidth(b.caption, -1) + 2 * buttonPadding;
    if (width < minButtonWidth) width = minButtonWidth;
    b.left = x;
    b.right = i + 1 == theBar.buttonCount && x + width < screenW() ? screenW() : x + width;
    x = b.right;
  }
}

void drawBar(SurfaceObject* s) {
  const Rect r = barRect();
  fillArea(s, r, barFace);
  s->fill(r.left, r.top, r.right, r.top + 1, barEdge);
  for (int i = 0; i < theBar.buttonCount; ++i) {
    const MenuBarButtonState& b = theBar.buttons[i];
    label(s, b.caption, -1, Rect{b.left, r.top + 1, b.right, r.bottom}, ink, text::center);
    if (i + 1 < theBar.buttonCount)
      s->fill(b.right - 1, r.top + 6, b.right, r.bottom - 5, separator);
  }
}

void showBar() {
  if (theBar.used && theBar.shown) drawOnScreen(barRect(), wholeScreen(), true, drawBar);
}

int buttonAt(int x, int y) {
  if (!inside(barRect(), x, y)) return -1;
  for (int i = 0; i < theBar.buttonCount; ++i)
    if (x >= theBar.buttons[i].left && x < theBar.buttons[i].right) return i;
  return -1;
}

void postToOwner(int id) {
  postMessage(theBar.owner, msg::command, static_cast<WParam>(id), 0);
}

// ---- the popup ----

Rect popupRectFor(const MenuObject& popup) {
  int width = minPopupWidth;
  for (int i = 0; i < popup.count; ++i) {
    const int needed = 1 + checkMargin + textWidth(popup.texts[i], -1) + popupRightPadding + 1;
    if (needed > width) width = needed;
  }
  const int height = 2 + 2 * popupPadding + popup.count * popupItemHeight;
  const int left = theBar.buttons[popup.buttonIndex].left;
  const int bottom = screenH() - core::menuBarReserved();
  const int top = bottom - height < topBarHeight ? topBarHeight : bottom - height;
  return Rect{left, top, left + width, bottom};
}

Rect popupItemRect(int index) {
  const int top = openPopupRect.top + 1 + popupPadding + index * popupItemHeight;
  return Rect{openPopupRect.left + 1, top, openPopupRect.right - 1, top + popupItemHeight};
}

void drawCheck(SurfaceObject* s, const Rect& item) {
  PenObject pen{ink, true};
  Pen old = selectPen(s, &pen);
  const int x = item.left + 4, y = item.top + popupItemHeight / 2;
  // Two strokes one pixel apart make the tick bold enough to read on a small screen.
  for (int dy = 0; dy < 2; ++dy) {
    const Point tick[] = {{x, y + dy - 1}, {x + 3, y + dy + 2}, {x + 10, y + dy - 5}};
    polyline(s, tick, 3);
  }
  selectPen(s, old);
}

void drawPopup(SurfaceObject* s) {
  if (openPopup == nullptr) return;
  fillArea(s, openPopupRect, popupFace);
  outline(s, openPopupRect, frameColour);
  for (int i = 0; i < openPopup->count; ++i) {
    const Rect item = popupItemRect(i);
    if (openPopup->checked[i]) drawCheck(s, item);
    label(s, openPopup->texts[i], -1,
          Rect{item.left + checkMargin, item.top, item.right, item.bottom}, ink, text::left);
  }
}

void closePopup() {
  if (openPopup == nullptr) return;
  openPopup = nullptr;
  // What the popup covered belongs to the window again.
  core::invalidateDeviceRect(openPopupRect, true);
  openPopupRect = Rect{0, 0, 0, 0};
}

void openPopupOf(int buttonIndex) {
  MenuObject* popup = theBar.buttons[buttonIndex].popup;
  sendMessage(theBar.owner, msg::initMenuPopup, reinterpret_cast<WParam>(popup), 0);
  if (!theBar.used || !theBar.shown) return;  // the owner took the bar away meanwhile
  openPopup = popup;
  openPopupRect = popupRectFor(*popup);
  drawOnScreen(openPopupRect, wholeScreen(), true, drawPopup);
}

int popupItemAt(int x, int y) {
  if (openPopup == nullptr) return -1;
  for (int i = 0; i < openPopup->count; ++i)
    if (inside(popupItemRect(i), x, y)) return i;
  return -1;
}

// Finds an item in the menu: a popup's own items, or for the bar's menu those of every popup.
bool findItem(Menu menu, int itemId, MenuObject*& owner, int& index) {
  for (MenuObject& popup : theBar.popups) {
    if (menu != &theBar.menu && menu != &popup) continue;
    for (int i = 0; i < popup.count; ++i) {
      if (popup.ids[i] == itemId) {
        owner = &popup;
        index = i;
        return true;
      }
    }
  }
  return false;
}

// ---- dialogs and message boxes ----

bool validDialog(Dialog dialog) {
  for (const DialogObject& d : dialogPool)
    if (dialog == &d) return d.inUse;
  return false;
}

DialogObject* takeDialog() {
  for (DialogObject& d : dialogPool) {
    if (!d.inUse) {
      d = DialogObject{};
      d.inUse = true;
      d.focus = -1;
      d.pressed = -1;
      return &d;
    }
  }
  return nullptr;
}

DialogItemState* findDialogItem(Dialog dialog, int itemId) {
  if (!validDialog(dialog)) return nullptr;
  for (int i = 0; i < dialog->itemCount; ++i)
    if (dialog->items[i].id == itemId) return &dialog->items[i];
  return nullptr;
}

Rect titleRect(const DialogObject& d) {
  if (!d.hasTitle) return Rect{0, 0, 0, 0};
  return Rect{d.frame.left + 1, d.frame.top + 1, d.frame.right - 1, d.frame.top + 1 + titleHeight};
}

// The top-left of the dialog's items, below its title.
Point bodyOrigin(const DialogObject& d) {
  return Point{d.frame.left + 1, d.frame.top + 1 + (d.hasTitle ? titleHeight : 0)};
}

void drawTitle(SurfaceObject* s, const DialogObject& d) {
  const Rect r = titleRect(d);
  fillArea(s, r, titleFace);
  label(s, d.title, -1, Rect{r.left + titlePadding, r.top, r.right - titlePadding, r.bottom},
        titleInk, text::left);
}

void drawEdit(SurfaceObject* s, const DialogItemState& item, bool focused) {
  fillArea(s, item.rect, editFace);
  if (item.style & resources::itemStyle::border) outline(s, item.rect, editFrame);
  const Rect inner{item.rect.left + editPadding, item.rect.top + 1, item.rect.right - editPadding,
                   item.rect.bottom - 1};
  // Keep the end of the text and the caret in view: the text slides left as it grows.
  const int width = textWidth(item.text, item.length);
  int offset = width + 1 - (inner.right - inner.left);
  if (offset < 0 || !(item.style & resources::itemStyle::autoScroll)) offset = 0;
  const ClipRegion saved = s->clip;
  s->clip.intersect(inner);
  const int x = inner.left - offset;
  label(s, item.text, item.length, Rect{x, inner.top, x + width, inner.bottom}, ink, text::left);
  if (focused) {
    const int textTop = inner.top + (inner.bottom - inner.top - glyphs::lineHeight) / 2;
    s->fill(x + width, textTop + 1, x + width + 1, textTop + glyphs::lineHeight - 1, ink);
  }
  s->clip = saved;
}

void drawButton(SurfaceObject* s, const DialogItemState& item) {
  fillArea(s, item.rect, buttonFace);
  outline(s, item.rect, frameColour);
  if (item.style & resources::itemStyle::defaultButton)
    outline(s,
            Rect{item.rect.left + 1, item.rect.top + 1, item.rect.right - 1, item.rect.bottom - 1},
            frameColour);
  label(s, item.text, item.length, item.rect, ink, text::center);
}

void drawItem(SurfaceObject* s, const DialogObject& d, int index) {
  const DialogItemState& item = d.items[index];
  switch (item.kind) {
    case resources::DialogItemKind::label:
      fillArea(s, item.rect, dialogFace);
      label(s, item.text, item.length, item.rect, ink, text::left);
      break;
    case resources::DialogItemKind::edit:
      drawEdit(s, item, d.focus == index);
      break;
    case resources::DialogItemKind::button:
      drawButton(s, item);
      break;
  }
}

void drawDialog(SurfaceObject* s, const DialogObject& d) {
  fillArea(s, d.frame, dialogFace);
  outline(s, d.frame, frameColour);
  if (d.hasTitle) drawTitle(s, d);
  for (int i = 0; i < d.itemCount; ++i) drawItem(s, d, i);
}

void showItem(const DialogObject& d, int index) {
  if (!d.shown || index < 0) return;
  drawOnScreen(d.items[index].rect, d.frame, true,
               [&](SurfaceObject* s) { drawItem(s, d, index); });
}

// Redraws the boxes above `d` where they overlap `area` (a change to `d` must not show through).
void drawBoxesAbove(const DialogObject& d, const Rect& area) {
  bool above = false;
  for (int i = 0; i < modalDepth; ++i) {
    if (above && modalStack[i]->shown)
      drawOnScreen(area, modalStack[i]->frame, true,
                   [&](SurfaceObject* s) { drawDialog(s, *modalStack[i]); });
    if (modalStack[i] == &d) above = true;
  }
}

void sendCommand(DialogObject& d, int id) {
  d.procedure(&d, msg::command, static_cast<WParam>(id), 0);
}

int idWithStyle(const DialogObject& d, unsigned style, int fallback) {
  for (int i = 0; i < d.itemCount; ++i)
    if (d.items[i].kind == resources::DialogItemKind::button && (d.items[i].style & style))
      return d.items[i].id;
  return fallback;
}

DialogObject* topBox() {
  return modalDepth > 0 ? modalStack[modalDepth - 1] : nullptr;
}

bool topBoxEnded() {
  return modalDepth == 0 || modalStack[modalDepth - 1]->ended;
}

int itemAt(const DialogObject& d, int x, int y) {
  for (int i = 0; i < d.itemCount; ++i)
    if (d.items[i].kind != resources::DialogItemKind::label && inside(d.items[i].rect, x, y))
      return i;
  return -1;
}

void moveFocus(DialogObject& d, int index) {
  if (d.focus == index) return;
  const int old = d.focus;
  d.focus = index;
  showItem(d, old);
  showItem(d, index);
}

// A typed key for the focused edit box: its character, or 0 when the box refuses it.
char16_t typedCharacter(const DialogItemState& item, int code) {
  if (code >= '0' && code <= '9') return static_cast<char16_t>(code);
  if (code == key::keypad0) return u'0';
  if (code >= keypad1 && code <= keypad9) return static_cast<char16_t>(u'1' + (code - keypad1));
  if (item.style & resources::itemStyle::digitsOnly) return 0;
  if (code >= 0x20 && code < 0x7f) return static_cast<char16_t>(code);
  return 0;
}

void dialogKey(DialogObject& d, int code) {
  if (code == key::enter || code == keypadEnter) {
    sendCommand(d, idWithStyle(d, resources::itemStyle::defaultButton, messageBoxOkId));
    return;
  }
  if (code == key::escape) {
    sendCommand(d, idWithStyle(d, resources::itemStyle::cancelButton, closeRequestId));
    return;
  }
  if (d.focus < 0 || d.items[d.focus].kind != resources::DialogItemKind::edit) return;
  DialogItemState& item = d.items[d.focus];
  if (code == key::backspace) {
    if (item.length == 0) return;
    item.text[--item.length] = 0;
  } else {
    const char16_t c = typedCharacter(item, code);
    if (c == 0 || item.length + 1 >= itemTextCapacity) return;
    item.text[item.length++] = c;
    item.text[item.length] = 0;
  }
  showItem(d, d.focus);
}

// Shows the box, runs its loop until it ends, then gives back what it covered.
int runBox(DialogObject& d) {
  closePopup();
  modalStack[modalDepth++] = &d;
  d.procedure(&d, msg::initDialog, 0, 0);
  if (!d.ended) {
    d.shown = true;
    drawOnScreen(d.frame, wholeScreen(), true, [&](SurfaceObject* s) { drawDialog(s, d); });
    switch (core::runModalLoop(topBoxEnded)) {
      case core::ModalEnd::finished:
        break;
      case core::ModalEnd::idle:
        // No answer can come any more: the box is closed, as its close box would.
        sendCommand(d, closeRequestId);
        break;
      case core::ModalEnd::quit:
        break;
    }
    if (!d.ended) {
      d.ended = true;
      d.result = 0;
    }
  }
  --modalDepth;
  const bool wasShown = d.shown;
  const Rect covered = d.frame;
  const int result = d.result;
  d.inUse = false;
  d.shown = false;
  if (wasShown) {
    core::invalidateDeviceRect(covered, true);
    for (int i = 0; i < modalDepth; ++i)
      drawOnScreen(covered, modalStack[i]->frame, true,
                   [&](SurfaceObject* s) { drawDialog(s, *modalStack[i]); });
  }
  return result;
}

Result messageBoxProcedure(Dialog dialog, unsigned message, WParam, LParam) {
  if (message == msg::command) endDialog(dialog, 1);
  return 1;
}

bool isCjk(char16_t c) {
  return c >= 0x2E80;
}

// Punctuation that must not begin a line.
bool isClosing(char16_t c) {
  switch (c) {
    case u'，':
    case u'。':
    case u'、':
    case u'：':
    case u'；':
    case u'！':
    case u'？':
    case u'）':
    case u'」':
    case u'”':
      return true;
    default:
      return false;
  }
}

bool canBreakBetween(char16_t before, char16_t after) {
  if (before == u' ') return true;
  if (isClosing(after)) return false;
  return isCjk(before) || isCjk(after);
}

}  // namespace

namespace core {

int wrapText(const char16_t* text, int width, TextLine* lines, int capacity) {
  int count = 0;
  auto keep = [&](int start, int length) {
    if (count < capacity) lines[count] = TextLine{start, length};
    ++count;
  };
  for (int start = 0;;) {
    int end = start;
    while (text[end] != 0 && text[end] != u'\n') ++end;
    for (int pos = start;;) {
      const int length = end - pos;
      int cut = length;
      if (textWidth(text + pos, length) > width) {
        int used = 0, fit = 0, lastBreak = 0;
        for (int i = 0; i < length; ++i) {
          const int w = textWidth(text + pos + i, 1);
          if (used + w > width) {
            if (text[pos + i] == u' ') lastBreak = i;
            break;
          }
          used += w;
          fit = i + 1;
          if (i + 1 < length && canBreakBetween(text[pos + i], text[pos + i + 1]))
            lastBreak = i + 1;
        }
        // A word wider than the line is cut where the line is full.
        cut = lastBreak > 0 ? lastBreak : (fit > 0 ? fit : 1);
      }
      int shown = cut;
      while (cut < length && shown > 0 && text[pos + shown - 1] == u' ') --shown;
      keep(pos, shown);
      pos += cut;
      while (pos < end && text[pos] == u' ') ++pos;
      if (pos >= end) break;
    }
    if (text[end] == 0) return count;
    start = end + 1;
  }
}

int menuBarReserved() {
  return theBar.used && theBar.shown ? menuBarHeight : 0;
}

bool onMenuBar(int x, int y) {
  return menuBarReserved() > 0 && inside(barRect(), x, y);
}

bool popupOpen() {
  return openPopup != nullptr;
}

bool modalActive() {
  return modalDepth > 0;
}

void widgetStylusDown(int x, int y) {
  pressedButton = -1;
  if (DialogObject* d = topBox()) {
    widgetStroke = WidgetStroke::modal;
    d->pressed = itemAt(*d, x, y);
    if (d->pressed >= 0 && d->items[d->pressed].kind == resources::DialogItemKind::edit)
      moveFocus(*d, d->pressed);
  } else if (openPopup != nullptr) {
    if (inside(openPopupRect, x, y)) {
      widgetStroke = WidgetStroke::popup;
    } else {
      // A tap beside the popup only closes it.
      widgetStroke = WidgetStroke::usedUp;
      closePopup();
    }
  } else {
    widgetStroke = WidgetStroke::barButton;
    pressedButton = buttonAt(x, y);
  }
}

void widgetStylusUp(int x, int y) {
  const WidgetStroke stroke = widgetStroke;
  widgetStroke = WidgetStroke::none;
  switch (stroke) {
    case WidgetStroke::modal: {
      DialogObject* d = topBox();
      if (d == nullptr) return;
      const int pressed = d->pressed;
      d->pressed = -1;
      if (pressed >= 0 && d->items[pressed].kind == resources::DialogItemKind::button &&
          inside(d->items[pressed].rect, x, y))
        sendCommand(*d, d->items[pressed].id);
      return;
    }
    case WidgetStroke::popup: {
      const int item = popupItemAt(x, y);
      if (item < 0) return;
      const int id = openPopup->ids[item];
      closePopup();
      postToOwner(id);
      return;
    }
    case WidgetStroke::barButton: {
      const int button = pressedButton;
      pressedButton = -1;
      if (button < 0 || buttonAt(x, y) != button) return;
      if (theBar.buttons[button].popup != nullptr) {
        openPopupOf(button);
      } else {
        postToOwner(theBar.buttons[button].id);
      }
      return;
    }
    case WidgetStroke::usedUp:
    case WidgetStroke::none:
      return;
  }
}

void widgetKey(int code) {
  if (DialogObject* d = topBox()) {
    dialogKey(*d, code);
  } else if (openPopup != nullptr && code == key::escape) {
    closePopup();
  }
}

void modalOk() {
  if (DialogObject* d = topBox())
    sendCommand(*d, idWithStyle(*d, resources::itemStyle::defaultButton, messageBoxOkId));
}

void modalClose() {
  if (DialogObject* d = topBox()) sendCommand(*d, closeRequestId);
}

void redrawWidgets() {
  if (theBar.used && theBar.shown) drawOnScreen(barRect(), wholeScreen(), false, drawBar);
  redrawOverlays(wholeScreen());
}

void redrawOverlays(const Rect& area) {
  if (openPopup != nullptr) drawOnScreen(area, openPopupRect, false, drawPopup);
  for (int i = 0; i < modalDepth; ++i) {
    const DialogObject& d = *modalStack[i];
    if (d.shown) drawOnScreen(area, d.frame, false, [&](SurfaceObject* s) { drawDialog(s, d); });
  }
}

void resetWidgets() {
  theBar = MenuBarObject{};
  openPopup = nullptr;
  openPopupRect = Rect{0, 0, 0, 0};
  widgetStroke = WidgetStroke::none;
  pressedButton = -1;
  for (DialogObject& d : dialogPool) d = DialogObject{};
  modalDepth = 0;
  for (AcceleratorTableObject& a : acceleratorPool) a = AcceleratorTableObject{};
  lastErrorCode = 0;
}

}  // namespace core

// ---- the menu bar ----

MenuBar createMenuBar(Window owner, int resourceId) {
  const resources::MenuBarResource* resource = resources::findMenuBar(resourceId);
  if (resource == nullptr || theBar.used || owner == nullptr || owner != core::liveMainWindow() ||
      resource->buttonCount > maxButtons) {
    if (resource == nullptr) lastErrorCode = errorResourceNotFound;
    return nullptr;
  }
  theBar = MenuBarObject{};
  theBar.used = true;
  theBar.owner = owner;
  theBar.buttonCount = resource->buttonCount;
  for (int i = 0; i < resource->buttonCount; ++i) {
    const resources::MenuBarButton& source = resource->buttons[i];
    MenuBarButtonState& button = theBar.buttons[i];
    button.id = source.id;
    loadString(source.captionId, button.caption, captionCapacity);
    if (source.popup == nullptr) continue;
    MenuObject& popup = theBar.popups[i];
    popup.buttonIndex = i;
    popup.count = source.popupCount < maxItems ? source.popupCount : maxItems;
    for (int j = 0; j < popup.count; ++j) {
      popup.ids[j] = source.popup[j].id;
      popup.texts[j] = source.popup[j].text;
      popup.checked[j] = source.popup[j].checked;
    }
    button.popup = &popup;
  }
  layoutButtons();
  theBar.shown = true;
  core::clientAreaChanged();
  showBar();
  return &theBar;
}

void showMenuBar(MenuBar bar, bool show) {
  if (!validBar(bar) || bar->shown == show) return;
  if (!show) closePopup();
  bar->shown = show;
  if (show) {
    core::clientAreaChanged();
    showBar();
  } else {
    // The window grows over where the bar was.
    core::invalidateDeviceRect(barRect(), true);
  }
}

void destroyMenuBar(MenuBar bar) {
  if (!validBar(bar)) return;
  showMenuBar(bar, false);
  theBar = MenuBarObject{};
}

Menu menuBarMenu(MenuBar bar) {
  return validBar(bar) ? &bar->menu : nullptr;
}

Menu menuBarPopup(MenuBar bar, int buttonId) {
  if (!validBar(bar)) return nullptr;
  for (int i = 0; i < bar->buttonCount; ++i)
    if (bar->buttons[i].id == buttonId) return bar->buttons[i].popup;
  return nullptr;
}

bool setMenuBarButtonText(MenuBar bar, int buttonId, const char16_t* text) {
  if (!validBar(bar)) return false;
  for (int i = 0; i < bar->buttonCount; ++i) {
    if (bar->buttons[i].id != buttonId) continue;
    copyText(bar->buttons[i].caption, captionCapacity, text);
    layoutButtons();
    showBar();
    return true;
  }
  return false;
}

bool checkMenuItem(Menu menu, int itemId, bool checked) {
  MenuObject* owner = nullptr;
  int index = 0;
  if (!validMenu(menu) || !findItem(menu, itemId, owner, index)) return false;
  owner->checked[index] = checked;
  if (owner == openPopup) drawOnScreen(openPopupRect, wholeScreen(), true, drawPopup);
  return true;
}

bool menuItemChecked(Menu menu, int itemId) {
  MenuObject* owner = nullptr;
  int index = 0;
  return validMenu(menu) && findItem(menu, itemId, owner, index) && owner->checked[index];
}

void shellHandleActivate(Window, WParam, LParam, ActivationInfo*) {
  // The shell's own parts (input panel, task bar) do not exist here: nothing to rearrange.
}

void shellHandleSettingChange(Window, WParam, LParam, ActivationInfo*) {}

// ---- dialogs ----

int dialogBox(int resourceId, Window, DialogProcedure procedure) {
  const resources::DialogResource* resource = resources::findDialog(resourceId);
  if (resource == nullptr || procedure == nullptr) {
    lastErrorCode = errorResourceNotFound;
    return -1;
  }
  DialogObject* d = takeDialog();
  if (d == nullptr) {
    lastErrorCode = errorNotEnoughMemory;
    return -1;
  }
  d->procedure = procedure;
  d->hasTitle = true;
  copyText(d->title, titleCapacity, resource->title);
  const int width = 2 + resource->width * unitX;
  const int height = 2 + titleHeight + resource->height * unitY;
  const int areaBottom = screenHeight() - core::menuBarReserved();
  int left = (screenWidth() - width) / 2;
  int top = topBarHeight + (areaBottom - topBarHeight - height) / 2;
  if (left < 0) left = 0;
  if (top < topBarHeight) top = topBarHeight;
  d->frame = Rect{left, top, left + width, top + height};
  const Point origin = bodyOrigin(*d);
  for (int i = 0; i < resource->itemCount && i < maxDialogItems; ++i) {
    const resources::DialogItem& source = resource->items[i];
    DialogItemState& item = d->items[d->itemCount++];
    item.id = source.id;
    item.kind = source.kind;
    item.style = source.style;
    item.rect = Rect{origin.x + source.x * unitX, origin.y + source.y * unitY,
                     origin.x + (source.x + source.width) * unitX,
                     origin.y + (source.y + source.height) * unitY};
    item.length = copyText(item.text, itemTextCapacity, source.text);
    if (d->focus < 0 && source.kind == resources::DialogItemKind::edit) d->focus = i;
  }
  return runBox(*d);
}

void endDialog(Dialog dialog, int result) {
  if (!validDialog(dialog)) return;
  dialog->ended = true;
  dialog->result = result;
}

void setDialogTitle(Dialog dialog, const char16_t* title) {
  if (!validDialog(dialog)) return;
  copyText(dialog->title, titleCapacity, title);
  if (!dialog->shown || !dialog->hasTitle) return;
  const Rect r = titleRect(*dialog);
  drawOnScreen(r, wholeScreen(), true, [&](SurfaceObject* s) { drawTitle(s, *dialog); });
  drawBoxesAbove(*dialog, r);
}

int dialogItemTextLength(Dialog dialog, int itemId) {
  const DialogItemState* item = findDialogItem(dialog, itemId);
  return item != nullptr ? item->length : 0;
}

int getDialogItemText(Dialog dialog, int itemId, char16_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return 0;
  const DialogItemState* item = findDialogItem(dialog, itemId);
  return copyText(buffer, capacity, item != nullptr ? item->text : nullptr);
}

void setDialogItemText(Dialog dialog, int itemId, const char16_t* text) {
  DialogItemState* item = findDialogItem(dialog, itemId);
  if (item == nullptr) return;
  item->length = copyText(item->text, itemTextCapacity, text);
  const int index = static_cast<int>(item - dialog->items);
  showItem(*dialog, index);
  if (dialog->shown) drawBoxesAbove(*dialog, item->rect);
}

void setDialogFocus(Dialog dialog, int itemId) {
  DialogItemState* item = findDialogItem(dialog, itemId);
  if (item == nullptr) return;
  moveFocus(*dialog, static_cast<int>(item - dialog->items));
}

int lastError() {
  return lastErrorCode;
}

int messageBox(Window, const char16_t* text, const char16_t* caption, unsigned) {
  DialogObject* d = takeDialog();
  if (d == nullptr) {
    lastErrorCode = errorNotEnoughMemory;
    return 0;
  }
  d->procedure = messageBoxProcedure;
  d->hasTitle = caption != nullptr;
  copyText(d->title, titleCapacity, caption);

  // The text's lines first, measured, then the box around them.
  const int maxContent = screenWidth() - 2 * boxMargin - 2 - 2 * boxPadding;
  int widest = d->hasTitle ? textWidth(d->title, -1) + 2 * titlePadding - 2 * boxPadding : 0;
  if (widest < minBoxContent) widest = minBoxContent;
  if (text == nullptr) text = u"";
  core::TextLine wrapped[maxDialogItems - 1];
  int lines = core::wrapText(text, maxContent, wrapped, maxDialogItems - 1);
  if (lines > maxDialogItems - 1) lines = maxDialogItems - 1;
  for (int i = 0; i < lines; ++i) {
    DialogItemState& item = d->items[d->itemCount++];
    item.id = -1;
    item.kind = resources::DialogItemKind::label;
    item.length = copyText(item.text, itemTextCapacity, text + wrapped[i].start, wrapped[i].length);
    const int w = textWidth(item.text, item.length);
    if (w > widest) widest = w;
  }
  if (widest > maxContent) widest = maxContent;
  const int width = 2 + 2 * boxPadding + widest;
  const int height = 2 + (d->hasTitle ? titleHeight : 0) + 3 * boxPadding +
                     lines * glyphs::lineHeight + boxButtonHeight;
  const int areaBottom = screenHeight() - core::menuBarReserved();
  int left = (screenWidth() - width) / 2;
  int top = (screenHeight() - height) / 2;
  if (top + height > areaBottom) top = areaBottom - height;
  if (top < topBarHeight) top = topBarHeight;
  if (left < 0) left = 0;
  d->frame = Rect{left, top, left + width, top + height};

  const Point origin = bodyOrigin(*d);
  for (int i = 0; i < lines; ++i) {
    const int y = origin.y + boxPadding + i * glyphs::lineHeight;
    d->items[i].rect =
        Rect{origin.x + boxPadding, y, origin.x + boxPadding + widest, y + glyphs::lineHeight};
  }
  DialogItemState& ok = d->items[d->itemCount++];
  ok.id = messageBoxOkId;
  ok.kind = resources::DialogItemKind::button;
  ok.style = resources::itemStyle::defaultButton | resources::itemStyle::cancelButton;
  const int okLeft = d->frame.left + (width - boxButtonWidth) / 2;
  const int okTop = d->frame.bottom - 1 - boxPadding - boxButtonHeight;
  ok.rect = Rect{okLeft, okTop, okLeft + boxButtonWidth, okTop + boxButtonHeight};
  ok.length = copyText(ok.text, itemTextCapacity, u"OK");
  runBox(*d);
  return 1;
}

// ---- accelerators ----

Accelerators loadAccelerators(int id) {
  const resources::AcceleratorTable* table = resources::findAcceleratorTable(id);
  if (table == nullptr) return nullptr;
  AcceleratorTableObject* slot = nullptr;
  for (AcceleratorTableObject& loaded : acceleratorPool) {
    if (loaded.table == table) return &loaded;
    if (loaded.table == nullptr && slot == nullptr) slot = &loaded;
  }
  if (slot != nullptr) slot->table = table;
  return slot;
}

bool translateAccelerator(Window window, Accelerators table, const Message& message) {
  if (table == nullptr || table->table == nullptr || message.id != msg::keyDown) return false;
  const int code = static_cast<int>(message.wParam);
  const bool alt = (code & key::altModifier) != 0;
  const int bare = code & ~key::altModifier;
  for (int i = 0; i < table->table->count; ++i) {
    const resources::Accelerator& entry = table->table->entries[i];
    if (entry.key != bare || entry.alt != alt) continue;
    sendMessage(window, msg::command, static_cast<WParam>(entry.command), 0);
    return true;
  }
  return false;
}

}  // namespace platform
