// The program's menu bars, popup menus, dialogs and accelerator tables, as data compiled in.
#pragma once

namespace resources {

struct PopupItem {
  int id;
  const char16_t* text;
  bool checked;  // at start
};

struct MenuBarButton {
  int id;
  int captionId;           // string id of the caption
  const PopupItem* popup;  // null for a plain button
  int popupCount;
};

struct MenuBarResource {
  int id;
  const MenuBarButton* buttons;  // left to right
  int buttonCount;
};

enum class DialogItemKind { label, edit, button };

// Bits of DialogItem::style.
namespace itemStyle {
constexpr unsigned digitsOnly = 1;     // an edit box that takes digits only
constexpr unsigned autoScroll = 2;     // an edit box that scrolls horizontally as text grows
constexpr unsigned border = 4;         // drawn with a frame
constexpr unsigned defaultButton = 8;  // the button Enter presses
constexpr unsigned cancelButton = 16;  // the button Escape presses
}  // namespace itemStyle

struct DialogItem {
  int id;
  DialogItemKind kind;
  const char16_t* text;     // at start
  int x, y, width, height;  // dialog units, from the dialog's top-left below its title
  unsigned style;
};

struct DialogResource {
  int id;
  int width, height;      // dialog units, below the title
  const char16_t* title;  // at start
  const DialogItem* items;
  int itemCount;
};

struct Accelerator {
  int key;  // the host's key code, without modifiers
  bool alt;
  int command;
};

struct AcceleratorTable {
  int id;
  const Accelerator* entries;
  int count;
};

extern const MenuBarResource menuBars[];
extern const int menuBarCount;
extern const DialogResource dialogs[];
extern const int dialogCount;
extern const AcceleratorTable acceleratorTables[];
extern const int acceleratorTableCount;

// The resource with this id, or null.
const MenuBarResource* findMenuBar(int id);
const DialogResource* findDialog(int id);
const AcceleratorTable* findAcceleratorTable(int id);

}  // namespace resources
