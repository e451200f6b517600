// The menu bars, popups, dialogs and accelerator tables. Every inline text here is also listed in
// menus_dialogs.txt, so the glyph table holds its characters.
#include "resources/ui_resources.h"

namespace resources {
namespace {

constexpr PopupItem englishPopup[] = {
    {40004, u"Play", false},         {40008, u"Prev problem", false},
    {40005, u"Next problem", false}, {40006, u"Select problem", false},
    {40083, u"Pass", false},         {40058, u"Mode", false},
    {40023, u"Sound On", true},      {40007, u"About...", false},
    {102, u"Quit", false},
};

constexpr PopupItem chinesePopup[] = {
    {40004, u"重来", false},   {40008, u"上一题", false}, {40005, u"下一题", false},
    {40006, u"选题目", false}, {40083, u"脱先", false},   {40058, u"模式", false},
    {40023, u"声音", true},    {40007, u"关于", false},   {102, u"退出", false},
};

constexpr int popupLength = static_cast<int>(sizeof englishPopup / sizeof englishPopup[0]);
static_assert(sizeof chinesePopup == sizeof englishPopup);

constexpr MenuBarButton englishButtons[] = {
    {40025, 40060, englishPopup, popupLength},
    {40004, 40062, nullptr, 0},
    {40010, 40064, nullptr, 0},
    {40013, 40066, nullptr, 0},
};

constexpr MenuBarButton chineseButtons[] = {
    {40025, 40024, chinesePopup, popupLength},
    {40004, 106, nullptr, 0},
    {40010, 40014, nullptr, 0},
    {40013, 40015, nullptr, 0},
};

using itemStyle::autoScroll;
using itemStyle::border;
using itemStyle::cancelButton;
using itemStyle::defaultButton;
using itemStyle::digitsOnly;
constexpr DialogItemKind label = DialogItemKind::label;
constexpr DialogItemKind edit = DialogItemKind::edit;
constexpr DialogItemKind button = DialogItemKind::button;

constexpr DialogItem englishSelection[] = {
    {1023, label, u"Current: ", 13, 14, 31, 8, 0},
    {1022, label, u"", 59, 13, 25, 10, 0},
    {1018, label, u"", 13, 28, 62, 10, 0},
    {1021, edit, u"", 13, 40, 71, 12, digitsOnly | autoScroll | border},
    {1019, button, u"OK", 13, 60, 25, 14, defaultButton},
    {1020, button, u"Cancel", 47, 60, 35, 14, cancelButton},
};

constexpr DialogItem chineseSelection[] = {
    {1023, label, u"当前： ", 13, 14, 29, 8, 0},
    {1022, label, u"", 59, 13, 25, 10, 0},
    {1018, label, u"", 13, 32, 62, 10, 0},
    {1021, edit, u"", 13, 44, 71, 12, digitsOnly | autoScroll | border},
    {1019, button, u"OK", 13, 60, 25, 14, defaultButton},
    {1020, button, u"取消", 48, 60, 35, 14, cancelButton},
};

template <typename T, int n>
constexpr int lengthOf(const T (&)[n]) {
  return n;
}

// The host's key code of F4 (printable keys are their characters).
constexpr int keyF4 = 0x4000003D;

constexpr Accelerator mainAccelerators[] = {
    {'/', true, 40003},
    {keyF4, true, 40002},
};

}  // namespace

const MenuBarResource menuBars[] = {
    {117, englishButtons, lengthOf(englishButtons)},
    {137, chineseButtons, lengthOf(chineseButtons)},
};
const int menuBarCount = lengthOf(menuBars);

const DialogResource dialogs[] = {
    {131, 101, 100, u"", englishSelection, lengthOf(englishSelection)},
    {135, 101, 100, u"", chineseSelection, lengthOf(chineseSelection)},
};
const int dialogCount = lengthOf(dialogs);

const AcceleratorTable acceleratorTables[] = {
    {3, mainAccelerators, lengthOf(mainAccelerators)},
};
const int acceleratorTableCount = lengthOf(acceleratorTables);

const MenuBarResource* findMenuBar(int id) {
  for (const MenuBarResource& bar : menuBars)
    if (bar.id == id) return &bar;
  return nullptr;
}

const DialogResource* findDialog(int id) {
  for (const DialogResource& dialog : dialogs)
    if (dialog.id == id) return &dialog;
  return nullptr;
}

const AcceleratorTable* findAcceleratorTable(int id) {
  for (const AcceleratorTable& table : acceleratorTables)
    if (table.id == id) return &table;
  return nullptr;
}

}  // namespace resources
