// Modal dialogs built from dialog resources, and message boxes: each runs its own loop over the
// window's messages until it ends. All state lives in fixed pools; nothing is allocated.
#include "platform/core/text_wrap.h"
#include "platform/core/widget_parts.h"
#include "resources/ui_resources.h"

namespace platform {

using namespace widget;

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

namespace {

constexpr int dialogPoolSize = 3;
DialogObject dialogPool[dialogPoolSize];
// Modal boxes from the bottom to the one on top, which takes the input.
DialogObject* modalStack[dialogPoolSize];
int modalDepth = 0;

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

}  // namespace

namespace widget {

bool boxOpen() {
  return topBox() != nullptr;
}

void boxStylusDown(int x, int y) {
  DialogObject* d = topBox();
  if (d == nullptr) return;
  d->pressed = itemAt(*d, x, y);
  if (d->pressed >= 0 && d->items[d->pressed].kind == resources::DialogItemKind::edit)
    moveFocus(*d, d->pressed);
}

void boxStylusUp(int x, int y) {
  DialogObject* d = topBox();
  if (d == nullptr) return;
  const int pressed = d->pressed;
  d->pressed = -1;
  if (pressed >= 0 && d->items[pressed].kind == resources::DialogItemKind::button &&
      inside(d->items[pressed].rect, x, y))
    sendCommand(*d, d->items[pressed].id);
}

void boxKey(int code) {
  if (DialogObject* d = topBox()) dialogKey(*d, code);
}

void boxOk() {
  if (DialogObject* d = topBox())
    sendCommand(*d, idWithStyle(*d, resources::itemStyle::defaultButton, messageBoxOkId));
}

void boxClose() {
  if (DialogObject* d = topBox()) sendCommand(*d, closeRequestId);
}

void redrawBoxes(const Rect& area) {
  for (int i = 0; i < modalDepth; ++i) {
    const DialogObject& d = *modalStack[i];
    if (d.shown) drawOnScreen(area, d.frame, false, [&](SurfaceObject* s) { drawDialog(s, d); });
  }
}

void resetDialogs() {
  for (DialogObject& d : dialogPool) d = DialogObject{};
  modalDepth = 0;
}

}  // namespace widget

namespace core {

bool modalActive() {
  return modalDepth > 0;
}

}  // namespace core

// ---- dialogs ----

int dialogBox(int resourceId, Window, DialogProcedure procedure) {
  const resources::DialogResource* resource = resources::findDialog(resourceId);
  if (resource == nullptr || procedure == nullptr) {
    setLastError(errorResourceNotFound);
    return -1;
  }
  DialogObject* d = takeDialog();
  if (d == nullptr) {
    setLastError(errorNotEnoughMemory);
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

int messageBox(Window, const char16_t* text, const char16_t* caption, unsigned) {
  DialogObject* d = takeDialog();
  if (d == nullptr) {
    setLastError(errorNotEnoughMemory);
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

}  // namespace platform
