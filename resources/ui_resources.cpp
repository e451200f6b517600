// The menu bars, popups, dialogs and accelerator tables. Every inline text here is also listed in
// menus_dialogs.txt, so the glyph table holds its characters.
#include "resources/ui_resources.h"

#include "resources/ids.h"

namespace resources {
namespace {

using namespace ids;

constexpr PopupItem englishPopup[] = {
    {command::replay, u"Play", false},
    {command::prevProblem, u"Prev problem", false},
    {command::nextProblem, u"Next problem", false},
    {command::selectProblem, u"Select problem", false},
    {command::pass, u"Pass", false},
    {command::mode, u"Mode", false},
    {command::soundOn, u"Sound On", true},
    {command::aboutMenu, u"About...", false},
    {command::quit, u"Quit", false},
};

constexpr PopupItem chinesePopup[] = {
    {command::replay, u"重来", false},        {command::prevProblem, u"上一题", false},
    {command::nextProblem, u"下一题", false}, {command::selectProblem, u"选题目", false},
    {command::pass, u"脱先", false},          {command::mode, u"模式", false},
    {command::soundOn, u"声音", true},        {command::aboutMenu, u"关于", false},
    {command::quit, u"退出", false},
};

constexpr int popupLength = static_cast<int>(sizeof englishPopup / sizeof englishPopup[0]);
static_assert(sizeof chinesePopup == sizeof englishPopup);

constexpr MenuBarButton englishButtons[] = {
    {command::menu, text::menuCaption.english, englishPopup, popupLength},
    {command::replay, text::replayCaption.english, nullptr, 0},
    {command::back, text::backCaption.english, nullptr, 0},
    {command::softKey, text::hint.english, nullptr, 0},
};

constexpr MenuBarButton chineseButtons[] = {
    {command::menu, text::menuCaption.chinese, chinesePopup, popupLength},
    {command::replay, text::replayCaption.chinese, nullptr, 0},
    {command::back, text::backCaption.chinese, nullptr, 0},
    {command::softKey, text::hint.chinese, nullptr, 0},
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
    {item::currentLabel, label, u"Current: ", 13, 14, 31, 8, 0},
    {item::current, label, u"", 59, 13, 25, 10, 0},
    {item::prompt, label, u"", 13, 28, 62, 10, 0},
    {item::entry, edit, u"", 13, 40, 71, 12, digitsOnly | autoScroll | border},
    {item::ok, button, u"OK", 13, 60, 25, 14, defaultButton},
    {item::cancel, button, u"Cancel", 47, 60, 35, 14, cancelButton},
};

constexpr DialogItem chineseSelection[] = {
    {item::currentLabel, label, u"当前： ", 13, 14, 29, 8, 0},
    {item::current, label, u"", 59, 13, 25, 10, 0},
    {item::prompt, label, u"", 13, 32, 62, 10, 0},
    {item::entry, edit, u"", 13, 44, 71, 12, digitsOnly | autoScroll | border},
    {item::ok, button, u"OK", 13, 60, 25, 14, defaultButton},
    {item::cancel, button, u"取消", 48, 60, 35, 14, cancelButton},
};

template <typename T, int n>
constexpr int lengthOf(const T (&)[n]) {
  return n;
}

// The host's key code of F4 (printable keys are their characters).
constexpr int keyF4 = 0x4000003D;

constexpr Accelerator mainAccelerators[] = {
    {'/', true, command::about},
    {keyF4, true, command::closeAlt},
};

}  // namespace

const MenuBarResource menuBars[] = {
    {menuBarEnglish, englishButtons, lengthOf(englishButtons)},
    {menuBarChinese, chineseButtons, lengthOf(chineseButtons)},
};
const int menuBarCount = lengthOf(menuBars);

const DialogResource dialogs[] = {
    {dialogSelectEnglish, 101, 100, u"", englishSelection, lengthOf(englishSelection)},
    {dialogSelectChinese, 101, 100, u"", chineseSelection, lengthOf(chineseSelection)},
};
const int dialogCount = lengthOf(dialogs);

const AcceleratorTable acceleratorTables[] = {
    {acceleratorTable, mainAccelerators, lengthOf(mainAccelerators)},
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
