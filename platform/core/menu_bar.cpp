// The menu bar along the bottom of the screen and the popup behind its "Menu" button. All state
// lives in fixed storage; nothing is allocated.
#include "platform/core/widget_parts.h"
#include "resources/ui_resources.h"

namespace platform {

using namespace widget;

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

MenuBarObject theBar{};
MenuObject* openPopup = nullptr;
Rect openPopupRect{0, 0, 0, 0};
// The button the current stroke started on, or -1.
int pressedButton = -1;

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

}  // namespace

namespace widget {

void closePopup() {
  if (openPopup == nullptr) return;
  openPopup = nullptr;
  // What the popup covered belongs to the window again.
  core::invalidateDeviceRect(openPopupRect, true);
  openPopupRect = Rect{0, 0, 0, 0};
}

void barStylusDown(int x, int y) {
  pressedButton = buttonAt(x, y);
}

void barStylusUp(int x, int y) {
  const int button = pressedButton;
  pressedButton = -1;
  if (button < 0 || buttonAt(x, y) != button) return;
  if (theBar.buttons[button].popup != nullptr) {
    openPopupOf(button);
  } else {
    postToOwner(theBar.buttons[button].id);
  }
}

void releaseBarButton() {
  pressedButton = -1;
}

bool popupContains(int x, int y) {
  return openPopup != nullptr && inside(openPopupRect, x, y);
}

void popupStylusUp(int x, int y) {
  const int item = popupItemAt(x, y);
  if (item < 0) return;
  const int id = openPopup->ids[item];
  closePopup();
  postToOwner(id);
}

void redrawBar() {
  if (theBar.used && theBar.shown) drawOnScreen(barRect(), wholeScreen(), false, drawBar);
}

void redrawPopup(const Rect& area) {
  if (openPopup != nullptr) drawOnScreen(area, openPopupRect, false, drawPopup);
}

void resetMenuBar() {
  theBar = MenuBarObject{};
  openPopup = nullptr;
  openPopupRect = Rect{0, 0, 0, 0};
  pressedButton = -1;
}

}  // namespace widget

namespace core {

int menuBarReserved() {
  return theBar.used && theBar.shown ? menuBarHeight : 0;
}

bool onMenuBar(int x, int y) {
  return menuBarReserved() > 0 && inside(barRect(), x, y);
}

bool popupOpen() {
  return openPopup != nullptr;
}

}  // namespace core

// ---- the menu bar ----

MenuBar createMenuBar(Window owner, int resourceId) {
  const resources::MenuBarResource* resource = resources::findMenuBar(resourceId);
  if (resource == nullptr || theBar.used || owner == nullptr || owner != core::liveMainWindow() ||
      resource->buttonCount > maxButtons) {
    if (resource == nullptr) setLastError(errorResourceNotFound);
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

}  // namespace platform
