// The platform's own widgets on the headless host: the menu bar and its popup, modal dialogs,
// message boxes and accelerator tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/framebuffer.h"
#include "platform/core/glyphs.h"
#include "platform/core/system.h"
#include "platform/core/text.h"
#include "platform/core/text_wrap.h"
#include "platform/core/widgets.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "resources/ids.h"
#include "resources/ui_resources.h"
#include "tests/support/golden.h"

using namespace platform;

namespace {

// The window under the widgets paints itself in this colour, so what a widget leaves behind shows.
constexpr Rgb boardColour = rgb(222, 184, 110);

struct Seen {
  unsigned id;
  WParam wParam;
  LParam lParam;
};
std::vector<Seen> seen;
std::vector<Rect> paintAreas;
// Per paint: whether the area was erased (to white) before the window drew.
std::vector<bool> paintErased;
// Runs for every message the window gets, before the recording (tests that act mid-loop).
std::function<void(unsigned id)> onWindowMessage;

Result windowProcedure(Window window, unsigned message, WParam wParam, LParam lParam) {
  seen.push_back(Seen{message, wParam, lParam});
  if (onWindowMessage) onWindowMessage(message);
  if (message == msg::paint) {
    Rect area{};
    Surface s = beginPaint(window, &area);
    paintAreas.push_back(area);
    paintErased.push_back(
        framebuffer::pixels()[(topBarHeight + area.top) * framebuffer::width() + area.left] ==
        rgb(255, 255, 255));
    Brush board = createSolidBrush(boardColour);
    fillRect(s, clientRect(window), board);
    deleteBrush(board);
    endPaint(window, s);
    return 0;
  }
  return defaultWindowProcedure(window, message, wParam, lParam);
}

// What a dialog procedure got, and how the test answers it.
std::vector<Seen> dialogSeen;
std::function<void(Dialog, unsigned, WParam)> onDialogMessage;

Result dialogProcedure(Dialog dialog, unsigned message, WParam wParam, LParam) {
  dialogSeen.push_back(Seen{message, wParam, 0});
  if (onDialogMessage) onDialogMessage(dialog, message, wParam);
  return 1;
}

std::u16string itemText(Dialog dialog, int id) {
  char16_t buffer[80];
  getDialogItemText(dialog, id, buffer, 80);
  return buffer;
}

Rgb pixel(int x, int y) {
  return framebuffer::pixels()[y * framebuffer::width() + x];
}

int countOf(const std::vector<unsigned>& ids, unsigned id) {
  return static_cast<int>(std::count(ids.begin(), ids.end(), id));
}

std::vector<std::uint32_t> screenPixels(const Rect& r) {
  std::vector<std::uint32_t> out;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) out.push_back(pixel(x, y));
  return out;
}

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start());
    resetState();
    seen.clear();
    paintAreas.clear();
    paintErased.clear();
    dialogSeen.clear();
    onWindowMessage = nullptr;
    onDialogMessage = nullptr;
    headless::takeRecord();
    ASSERT_TRUE(registerWindowClass(u"TEST", windowProcedure, 0));
    window = createWindow(u"TEST", u"Zandrel");
    ASSERT_NE(window, nullptr);
    showWindow(window, 1);
    pump();
  }
  void TearDown() override {
    onWindowMessage = nullptr;
    onDialogMessage = nullptr;
    resetState();
  }

  void createBar(int resourceId = ids::menuBarEnglish) {
    bar = createMenuBar(window, resourceId);
    ASSERT_NE(bar, nullptr);
    popup = menuBarPopup(bar, ids::command::menu);
    ASSERT_NE(popup, nullptr);
    pump();
  }

  // Runs the loop until idle; returns the ids the window handled.
  std::vector<unsigned> pump() {
    std::size_t before = seen.size();
    Message m{};
    while (peekMessage(m)) {
      if (m.id == msg::quit) break;
      dispatchMessage(m);
    }
    std::vector<unsigned> ids;
    for (std::size_t i = before; i < seen.size(); ++i) ids.push_back(seen[i].id);
    return ids;
  }

  // The commands among the messages handled since `from`.
  std::vector<WParam> commandsSince(std::size_t from) const {
    std::vector<WParam> ids;
    for (std::size_t i = from; i < seen.size(); ++i)
      if (seen[i].id == msg::command) ids.push_back(seen[i].wParam);
    return ids;
  }

  static void tap(int x, int y) {
    headless::pushEvent(host::InputEvent{host::EventKind::stylusDown, x, y, 0});
    headless::pushEvent(host::InputEvent{host::EventKind::stylusUp, x, y, 0});
  }
  static void press(int code) {
    headless::pushEvent(host::InputEvent{host::EventKind::key, 0, 0, code});
  }

  static int barTop() { return screenHeight() - menuBarHeight; }
  static int barMiddle() { return barTop() + menuBarHeight / 2; }
  // The popup stands on the menu bar; its nine items are 20 pixels high, the last one ending
  // three pixels (frame and padding) above the bar.
  static int popupItemMiddle(int index) { return barTop() - 3 - (9 - index) * 20 + 10; }
  static Rect popupArea() { return Rect{0, popupItemMiddle(0) - 13, 96, barTop()}; }

  Window window = nullptr;
  MenuBar bar = nullptr;
  Menu popup = nullptr;
};

// Device x of a point inside each menu-bar button, in both languages.
constexpr int menuX = 20, replayX = 70, backX = 118, softKeyX = 200;

// ---- resources ----

TEST(UiResources, EveryTextIsInTheGlyphTable) {
  std::vector<std::u16string> texts;
  for (int b = 0; b < resources::menuBarCount; ++b) {
    const resources::MenuBarResource& bar = resources::menuBars[b];
    for (int i = 0; i < bar.buttonCount; ++i) {
      char16_t caption[64];
      ASSERT_GT(loadString(bar.buttons[i].captionId, caption, 64), 0)
          << "caption " << bar.buttons[i].captionId << " of menu bar " << bar.id;
      texts.push_back(caption);
      for (int k = 0; k < bar.buttons[i].popupCount; ++k)
        texts.push_back(bar.buttons[i].popup[k].text);
    }
  }
  for (int d = 0; d < resources::dialogCount; ++d) {
    texts.push_back(resources::dialogs[d].title);
    for (int i = 0; i < resources::dialogs[d].itemCount; ++i)
      texts.push_back(resources::dialogs[d].items[i].text);
  }
  ASSERT_GT(texts.size(), 30u);
  for (const std::u16string& text : texts)
    for (char16_t c : text)
      EXPECT_NE(glyphs::find(c), nullptr) << "U+" << std::hex << static_cast<unsigned>(c);
}

TEST(UiResources, BothLanguagesShareIdsAndOrder) {
  const resources::MenuBarResource* en = resources::findMenuBar(ids::menuBarEnglish);
  const resources::MenuBarResource* zh = resources::findMenuBar(ids::menuBarChinese);
  ASSERT_NE(en, nullptr);
  ASSERT_NE(zh, nullptr);
  ASSERT_EQ(en->buttonCount, 4);
  ASSERT_EQ(zh->buttonCount, 4);
  const int buttonIds[] = {ids::command::menu, ids::command::replay, ids::command::back,
                           ids::command::softKey};
  const int popupIds[] = {
      ids::command::replay,        ids::command::prevProblem, ids::command::nextProblem,
      ids::command::selectProblem, ids::command::pass,        ids::command::mode,
      ids::command::soundOn,       ids::command::aboutMenu,   ids::command::quit};
  for (const resources::MenuBarResource* bar : {en, zh}) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bar->buttons[i].id, buttonIds[i]) << bar->id;
    ASSERT_EQ(bar->buttons[0].popupCount, 9) << bar->id;
    for (int i = 0; i < 9; ++i) {
      EXPECT_EQ(bar->buttons[0].popup[i].id, popupIds[i]) << bar->id;
      EXPECT_EQ(bar->buttons[0].popup[i].checked, popupIds[i] == ids::command::soundOn) << bar->id;
    }
  }
  const resources::DialogResource* d131 = resources::findDialog(ids::dialogSelectEnglish);
  const resources::DialogResource* d135 = resources::findDialog(ids::dialogSelectChinese);
  ASSERT_NE(d131, nullptr);
  ASSERT_NE(d135, nullptr);
  ASSERT_EQ(d131->itemCount, d135->itemCount);
  for (int i = 0; i < d131->itemCount; ++i) EXPECT_EQ(d131->items[i].id, d135->items[i].id);
  EXPECT_EQ(resources::findDialog(132), nullptr);
}

// ---- the menu bar ----

TEST_F(WidgetTest, ButtonTapsPostTheirCommandsToTheOwner) {
  createBar();
  const struct {
    int x;
    WParam id;
  } buttons[] = {{replayX, ids::command::replay},
                 {backX, ids::command::back},
                 {softKeyX, ids::command::softKey}};
  for (const auto& b : buttons) {
    const std::size_t from = seen.size();
    tap(b.x, barMiddle());
    pump();
    EXPECT_EQ(commandsSince(from), std::vector<WParam>{b.id}) << "x " << b.x;
  }
  // A stroke that starts on one button and ends on another presses neither.
  const std::size_t from = seen.size();
  headless::pushEvent(host::InputEvent{host::EventKind::stylusDown, replayX, barMiddle(), 0});
  headless::pushEvent(host::InputEvent{host::EventKind::stylusUp, backX, barMiddle(), 0});
  EXPECT_EQ(pump(), std::vector<unsigned>{});
  EXPECT_TRUE(commandsSince(from).empty());
}

TEST_F(WidgetTest, ButtonCommandIsPostedNotSent) {
  createBar();
  // A sent command would reach the window while the tap is read; a posted one waits for dispatch.
  tap(replayX, barMiddle());
  Message m{};
  ASSERT_TRUE(peekMessage(m));
  EXPECT_EQ(m.id, msg::command);
  EXPECT_EQ(m.wParam, 40004u);
  EXPECT_EQ(seen.back().id, msg::paint) << "nothing reached the window before dispatch";
}

TEST_F(WidgetTest, ClientAreaEndsAboveTheMenuBar) {
  const Rect before = clientRect(window);
  createBar();
  const Rect after = clientRect(window);
  EXPECT_EQ(after.bottom, before.bottom - menuBarHeight);
  EXPECT_EQ(after.bottom, screenHeight() - topBarHeight - menuBarHeight);

  // Painting everything stays off the bar.
  const std::vector<std::uint32_t> barPixels =
      screenPixels(Rect{0, barTop(), screenWidth(), screenHeight()});
  invalidateRect(window, nullptr, true);
  pump();
  ASSERT_FALSE(paintAreas.empty());
  EXPECT_EQ(paintAreas.back().bottom, after.bottom);
  Surface s = getWindowSurface(window);
  Brush red = createSolidBrush(rgb(255, 0, 0));
  fillRect(s, Rect{0, 0, screenWidth(), screenHeight()}, red);
  releaseWindowSurface(window, s);
  deleteBrush(red);
  EXPECT_EQ(pixel(5, barTop() - 1), rgb(255, 0, 0));
  EXPECT_EQ(screenPixels(Rect{0, barTop(), screenWidth(), screenHeight()}), barPixels);

  // A stroke that starts in the client area and ends on the bar stays on the last client row.
  const std::size_t from = seen.size();
  headless::pushEvent(host::InputEvent{host::EventKind::stylusDown, 30, 100, 0});
  headless::pushEvent(host::InputEvent{host::EventKind::stylusMove, 30, screenHeight() - 2, 0});
  headless::pushEvent(host::InputEvent{host::EventKind::stylusUp, replayX, barMiddle(), 0});
  EXPECT_EQ(pump(), (std::vector<unsigned>{msg::penDown, msg::penMove, msg::penUp}));
  EXPECT_TRUE(commandsSince(from).empty());
  EXPECT_EQ(paramY(seen[from + 1].lParam), after.bottom - 1);
  EXPECT_EQ(paramY(seen[from + 2].lParam), after.bottom - 1);
  EXPECT_EQ(paramX(seen[from + 2].lParam), replayX);

  // Hiding the bar gives the strip back to the window, erased.
  paintAreas.clear();
  paintErased.clear();
  showMenuBar(bar, false);
  EXPECT_EQ(clientRect(window).bottom, before.bottom);
  pump();
  ASSERT_FALSE(paintAreas.empty());
  EXPECT_TRUE(paintErased.back());
  EXPECT_EQ(paintAreas.back().bottom, before.bottom);
  EXPECT_EQ(pixel(5, screenHeight() - 5), boardColour);
  tap(replayX, barMiddle());
  EXPECT_EQ(pump(), (std::vector<unsigned>{msg::penDown, msg::penUp}));
}

TEST_F(WidgetTest, MenuButtonOpensThePopupUpwardsAfterInitMenuPopup) {
  createBar();
  bool drawnAtInit = true;
  onWindowMessage = [&](unsigned id) {
    if (id == msg::initMenuPopup) drawnAtInit = pixel(20, popupItemMiddle(4)) != boardColour;
  };
  const std::size_t from = seen.size();
  tap(menuX, barMiddle());
  pump();
  ASSERT_GT(seen.size(), from);
  EXPECT_EQ(seen[from].id, msg::initMenuPopup);
  EXPECT_EQ(seen[from].wParam, reinterpret_cast<WParam>(popup));
  EXPECT_FALSE(drawnAtInit) << "the popup is drawn after the owner prepared it";
  EXPECT_TRUE(commandsSince(from).empty());
  // Above the bar, from the left edge.
  EXPECT_NE(pixel(20, popupItemMiddle(8)), boardColour);
  EXPECT_NE(pixel(20, popupItemMiddle(0)), boardColour);
  EXPECT_EQ(pixel(20, popupItemMiddle(0) - 20), boardColour);
  EXPECT_EQ(pixel(screenWidth() - 20, popupItemMiddle(4)), boardColour);
}

TEST_F(WidgetTest, EachPopupItemPostsItsCommandAndClosesThePopup) {
  createBar();
  const WParam popupCommands[] = {
      ids::command::replay,        ids::command::prevProblem, ids::command::nextProblem,
      ids::command::selectProblem, ids::command::pass,        ids::command::mode,
      ids::command::soundOn,       ids::command::aboutMenu,   ids::command::quit};
  for (int i = 0; i < 9; ++i) {
    tap(menuX, barMiddle());
    pump();
    const std::size_t from = seen.size();
    paintAreas.clear();
    paintErased.clear();
    tap(40, popupItemMiddle(i));
    pump();
    EXPECT_EQ(commandsSince(from), std::vector<WParam>{popupCommands[i]}) << "item " << i;
    EXPECT_FALSE(paintAreas.empty()) << "item " << i;
    EXPECT_TRUE(paintErased.back()) << "item " << i;
    EXPECT_EQ(pixel(20, popupItemMiddle(i)), boardColour) << "item " << i;
  }
}

TEST_F(WidgetTest, TapBesideThePopupOnlyClosesIt) {
  createBar();
  const std::vector<std::uint32_t> closed = screenPixels(popupArea());
  const struct {
    int x, y;
  } beside[] = {
      {200, 60}, {softKeyX, barMiddle()}, {menuX, barMiddle()}, {100, 10}, {screenWidth() - 5, 10}};
  for (const auto& p : beside) {
    tap(menuX, barMiddle());
    pump();
    ASSERT_NE(screenPixels(popupArea()), closed);
    const std::size_t from = seen.size();
    paintAreas.clear();
    paintErased.clear();
    tap(p.x, p.y);
    const std::vector<unsigned> ids = pump();
    EXPECT_TRUE(commandsSince(from).empty()) << p.x << "," << p.y;
    EXPECT_EQ(ids, std::vector<unsigned>{msg::paint})
        << "the tap is used up: " << p.x << "," << p.y;
    ASSERT_EQ(paintAreas.size(), 1u);
    EXPECT_TRUE(paintErased.back()) << "erased: " << p.x << "," << p.y;
    EXPECT_EQ(screenPixels(popupArea()), closed) << "repainted over the popup";
  }
}

TEST_F(WidgetTest, EscapeClosesThePopupAndOtherKeysAreIgnored) {
  createBar();
  tap(menuX, barMiddle());
  pump();
  press('5');
  EXPECT_EQ(pump(), std::vector<unsigned>{}) << "keys belong to the open popup";
  EXPECT_NE(pixel(20, popupItemMiddle(4)), boardColour);
  press(key::escape);
  EXPECT_EQ(pump(), std::vector<unsigned>{msg::paint});
  EXPECT_EQ(pixel(20, popupItemMiddle(4)), boardColour);
  press('5');
  EXPECT_EQ(pump(), std::vector<unsigned>{msg::keyDown});
}

TEST_F(WidgetTest, CheckMarksFollowTheItemState) {
  createBar();
  EXPECT_TRUE(menuItemChecked(popup, ids::command::soundOn));
  EXPECT_FALSE(menuItemChecked(popup, ids::command::mode));
  EXPECT_TRUE(menuItemChecked(menuBarMenu(bar), ids::command::soundOn))
      << "the bar's menu reaches its popups";
  EXPECT_FALSE(checkMenuItem(popup, 12345, true));

  // The check mark is drawn in the margin of item 6 ("Sound On"); the other margins are plain.
  auto marked = [](int item) {
    const int y = popupItemMiddle(item);
    const std::vector<std::uint32_t> margin = screenPixels(Rect{2, y - 8, 17, y + 8});
    return std::count(margin.begin(), margin.end(), margin.front()) != std::ssize(margin);
  };
  tap(menuX, barMiddle());
  pump();
  for (int i = 0; i < 9; ++i) EXPECT_EQ(marked(i), i == 6) << "item " << i;
  press(key::escape);
  pump();

  EXPECT_TRUE(checkMenuItem(popup, ids::command::soundOn, false));
  EXPECT_TRUE(checkMenuItem(menuBarMenu(bar), ids::command::mode, true));
  EXPECT_FALSE(menuItemChecked(popup, ids::command::soundOn));
  EXPECT_TRUE(menuItemChecked(popup, ids::command::mode));
  tap(menuX, barMiddle());
  pump();
  for (int i = 0; i < 9; ++i) EXPECT_EQ(marked(i), i == 5) << "item " << i;
}

TEST_F(WidgetTest, CaptionReplacementRedrawsAtOnce) {
  createBar();
  const Rect softKey{140, barTop(), screenWidth(), screenHeight()};
  const std::vector<std::uint32_t> hint = screenPixels(softKey);
  headless::takeRecord();
  EXPECT_TRUE(setMenuBarButtonText(bar, ids::command::softKey, u"Next variation"));
  EXPECT_GE(headless::takeRecord().presents, 1);
  const Rect shown = headless::lastPresented();
  EXPECT_LE(shown.top, barTop());
  EXPECT_EQ(shown.bottom, screenHeight());
  EXPECT_NE(screenPixels(softKey), hint);
  EXPECT_TRUE(setMenuBarButtonText(bar, ids::command::softKey, u"Hint"));
  EXPECT_EQ(screenPixels(softKey), hint);
  EXPECT_FALSE(setMenuBarButtonText(bar, 4242, u"x"));
  EXPECT_FALSE(setMenuBarButtonText(nullptr, ids::command::softKey, u"x"));
}

TEST_F(WidgetTest, HidingTheBarClosesItsPopup) {
  createBar();
  tap(menuX, barMiddle());
  pump();
  showMenuBar(bar, false);
  pump();
  EXPECT_EQ(pixel(20, popupItemMiddle(4)), boardColour);
  tap(20, popupItemMiddle(4));
  EXPECT_EQ(pump(), (std::vector<unsigned>{msg::penDown, msg::penUp}));
}

TEST_F(WidgetTest, OneMenuBarAtATimeFromKnownResourcesOnly) {
  EXPECT_EQ(createMenuBar(window, 999), nullptr);
  createBar();
  EXPECT_EQ(createMenuBar(window, ids::menuBarChinese), nullptr);
  EXPECT_EQ(menuBarPopup(bar, ids::command::replay), nullptr) << "a plain button has no popup";
  destroyMenuBar(bar);
  EXPECT_EQ(menuBarMenu(bar), nullptr);
  EXPECT_EQ(clientRect(window).bottom, screenHeight() - topBarHeight);
  EXPECT_NE(createMenuBar(window, ids::menuBarChinese), nullptr);
}

// ---- dialogs ----

TEST_F(WidgetTest, DialogButtonsAndKeysSendTheirIdsAndEndDialogsValueIsReturned) {
  const struct Case {
    const char* name;
    std::vector<host::InputEvent> input;
    WParam expected;
  } cases[] = {
      {"enter", {{host::EventKind::key, 0, 0, key::enter}}, ids::item::ok},
      {"keypad enter", {{host::EventKind::key, 0, 0, 0x40000058}}, ids::item::ok},
      {"escape", {{host::EventKind::key, 0, 0, key::escape}}, ids::item::cancel},
      {"host close", {{host::EventKind::close, 0, 0, 0}}, 2},
      {"top bar ok",
       {{host::EventKind::stylusDown, screenWidth() - 5, 10, 0},
        {host::EventKind::stylusUp, screenWidth() - 5, 10, 0}},
       ids::item::ok},
  };
  for (const Case& c : cases) {
    dialogSeen.clear();
    for (const host::InputEvent& e : c.input) headless::pushEvent(e);
    onDialogMessage = [](Dialog d, unsigned id, WParam w) {
      if (id == msg::command) endDialog(d, static_cast<int>(w) + 5);
    };
    EXPECT_EQ(dialogBox(ids::dialogSelectEnglish, window, dialogProcedure),
              static_cast<int>(c.expected) + 5)
        << c.name;
    ASSERT_EQ(dialogSeen.size(), 2u) << c.name;
    EXPECT_EQ(dialogSeen[0].id, msg::initDialog) << c.name;
    EXPECT_EQ(dialogSeen[1].id, msg::command) << c.name;
    EXPECT_EQ(dialogSeen[1].wParam, c.expected) << c.name;
  }
}

TEST_F(WidgetTest, TappingTheDialogButtonsSendsTheirIds) {
  for (int resource : {ids::dialogSelectEnglish, ids::dialogSelectChinese}) {
    const resources::DialogResource* r = resources::findDialog(resource);
    ASSERT_NE(r, nullptr);
    for (int buttonId : {ids::item::ok, ids::item::cancel}) {
      onDialogMessage = [&](Dialog d, unsigned id, WParam w) {
        // Tapped from a message the window gets inside the dialog's loop, once it is drawn.
        if (id == msg::initDialog) postMessage(window, msg::user + 1, 0, 0);
        if (id == msg::command) endDialog(d, static_cast<int>(w));
      };
      onWindowMessage = [&](unsigned id) {
        if (id != msg::user + 1) return;
        // The dialog's frame on screen: the first pixels that are not the window's.
        int top = topBarHeight;
        while (pixel(screenWidth() / 2, top) == boardColour) ++top;
        int left = 0;
        while (pixel(left, top + 30) == boardColour) ++left;
        for (int i = 0; i < r->itemCount; ++i) {
          const resources::DialogItem& item = r->items[i];
          if (item.id != buttonId) continue;
          // Below a one-pixel frame and a 20-pixel title, two pixels a dialog unit.
          tap(left + 1 + (item.x + item.width / 2) * 2,
              top + 1 + 20 + (item.y + item.height / 2) * 2);
        }
      };
      EXPECT_EQ(dialogBox(resource, window, dialogProcedure), buttonId) << resource;
      onWindowMessage = nullptr;
    }
  }
}

TEST_F(WidgetTest, EditBoxTakesDigitsOnlyAndBackspace) {
  std::u16string atOk;
  onDialogMessage = [&](Dialog d, unsigned id, WParam w) {
    if (id == msg::initDialog) setDialogFocus(d, ids::item::entry);
    if (id == msg::command && w == ids::item::ok) {
      atOk = itemText(d, ids::item::entry);
      endDialog(d, 1);
    }
  };
  for (int code : {int{'1'}, int{'x'}, int{'2'}, key::keypad0 - 7 /* keypad 3 */, int{' '},
                   key::backspace, int{'4'}, int{'/'}, key::keypad0, key::enter})
    press(code);
  EXPECT_EQ(dialogBox(ids::dialogSelectEnglish, window, dialogProcedure), 1);
  EXPECT_EQ(atOk, u"1240");

  // Backspace on an empty box does nothing.
  atOk = u"unset";
  press(key::backspace);
  press(key::enter);
  EXPECT_EQ(dialogBox(ids::dialogSelectChinese, window, dialogProcedure), 1);
  EXPECT_EQ(atOk, u"");
}

TEST_F(WidgetTest, LongEntryScrollsToKeepItsEndInView) {
  std::vector<std::uint32_t> endingIn1, endingIn8;
  Rect whole{0, topBarHeight, screenWidth(), barTop()};
  int step = 0;
  onDialogMessage = [&](Dialog d, unsigned id, WParam) {
    if (id != msg::command) return;
    // Enter pressed twice: once after forty 1s, once after the last was replaced by an 8.
    if (step++ == 0) {
      endingIn1 = screenPixels(whole);
    } else {
      endingIn8 = screenPixels(whole);
      endDialog(d, 0);
    }
  };
  createBar();
  for (int i = 0; i < 40; ++i) press('1');
  press(key::enter);
  press(key::backspace);
  press('8');
  press(key::enter);
  dialogBox(ids::dialogSelectEnglish, window, dialogProcedure);
  ASSERT_EQ(step, 2);
  EXPECT_NE(endingIn1, endingIn8) << "the last character typed is in view";
}

TEST_F(WidgetTest, ItemTextsAreCutToTheBufferAndUnknownItemsReadEmpty) {
  onDialogMessage = [](Dialog d, unsigned id, WParam) {
    if (id != msg::initDialog) return;
    setDialogItemText(d, ids::item::current, u"12345");
    EXPECT_EQ(dialogItemTextLength(d, ids::item::current), 5);
    char16_t buffer[8] = u"zzzzzzz";
    EXPECT_EQ(getDialogItemText(d, ids::item::current, buffer, 3), 2);
    EXPECT_EQ(std::u16string(buffer), u"12");
    EXPECT_EQ(getDialogItemText(d, ids::item::current, buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(getDialogItemText(d, ids::item::current, buffer, 8), 5);
    EXPECT_EQ(std::u16string(buffer), u"12345");
    EXPECT_EQ(itemText(d, ids::item::currentLabel), u"Current: ");
    EXPECT_EQ(dialogItemTextLength(d, 4040), 0);
    buffer[0] = u'q';
    EXPECT_EQ(getDialogItemText(d, 4040, buffer, 8), 0);
    EXPECT_EQ(buffer[0], 0);
    endDialog(d, 3);
  };
  EXPECT_EQ(dialogBox(ids::dialogSelectEnglish, window, dialogProcedure), 3);
  EXPECT_EQ(dialogSeen.size(), 1u) << "ended during its initialisation";
}

TEST_F(WidgetTest, UnknownDialogFailsWithTheLastErrorSet) {
  EXPECT_LT(dialogBox(4711, window, dialogProcedure), 0);
  EXPECT_EQ(lastError(), 1813);
  EXPECT_TRUE(dialogSeen.empty());
}

TEST_F(WidgetTest, DialogLoopRunsTheWindowButKeepsInputForItself) {
  createBar();
  std::vector<unsigned> windowDuring;
  onDialogMessage = [&](Dialog d, unsigned id, WParam w) {
    if (id == msg::initDialog) postMessage(window, msg::user + 3, 0, 0);
    if (id == msg::command) {
      for (std::size_t i = 0; i < seen.size(); ++i) windowDuring.push_back(seen[i].id);
      endDialog(d, static_cast<int>(w));
    }
  };
  seen.clear();
  tap(20, 40);                // the client area, outside the dialog
  tap(replayX, barMiddle());  // the menu bar
  headless::pushEvent(host::InputEvent{host::EventKind::secondaryUp, 20, 40, 0});
  press('7');
  press(key::escape);
  EXPECT_EQ(dialogBox(ids::dialogSelectEnglish, window, dialogProcedure), ids::item::cancel);
  EXPECT_EQ(windowDuring, std::vector<unsigned>{msg::user + 3});
  // What the dialog covered is repainted, erased, once it is gone.
  paintAreas.clear();
  paintErased.clear();
  EXPECT_EQ(pump(), std::vector<unsigned>{msg::paint});
  ASSERT_EQ(paintAreas.size(), 1u);
  EXPECT_TRUE(paintErased.back());
  EXPECT_EQ(pixel(screenWidth() / 2, screenHeight() / 2), boardColour);
}

TEST_F(WidgetTest, WindowPaintingDuringADialogStaysUnderIt) {
  const Rect middle{60, 120, 180, 200};
  std::vector<std::uint32_t> before, after;
  onDialogMessage = [&](Dialog d, unsigned id, WParam) {
    if (id == msg::initDialog) postMessage(window, msg::user + 4, 0, 0);
    if (id == msg::command) endDialog(d, 0);
  };
  onWindowMessage = [&](unsigned id) {
    if (id == msg::user + 4) {
      before = screenPixels(middle);
      invalidateRect(window, nullptr, true);
    }
    if (id == msg::paint && !before.empty() && after.empty())
      postMessage(window, msg::user + 5, 0, 0);
    if (id == msg::user + 5) after = screenPixels(middle);
  };
  dialogBox(ids::dialogSelectEnglish, window, dialogProcedure);
  ASSERT_FALSE(before.empty());
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(after, before);
  EXPECT_NE(pixel(screenWidth() / 2, 150), boardColour) << "the middle is the dialog's";
}

TEST_F(WidgetTest, UnansweredDialogGetsACloseRequest) {
  onDialogMessage = [](Dialog d, unsigned id, WParam w) {
    if (id == msg::command && w == 2) endDialog(d, 9);
  };
  EXPECT_EQ(dialogBox(ids::dialogSelectChinese, window, dialogProcedure), 9);
  // A procedure that ignores the request still gets its loop ended.
  onDialogMessage = nullptr;
  EXPECT_EQ(dialogBox(ids::dialogSelectEnglish, window, dialogProcedure), 0);
}

TEST_F(WidgetTest, OpenPopupClosesWhenADialogStarts) {
  createBar();
  tap(menuX, barMiddle());
  pump();
  onDialogMessage = [](Dialog d, unsigned id, WParam) {
    if (id == msg::command) endDialog(d, 0);
  };
  press(key::escape);
  dialogBox(ids::dialogSelectEnglish, window, dialogProcedure);
  pump();
  EXPECT_EQ(pixel(20, popupItemMiddle(8)), boardColour);
  const std::size_t from = seen.size();
  tap(replayX, barMiddle());
  pump();
  EXPECT_EQ(commandsSince(from), std::vector<WParam>{ids::command::replay});
}

// ---- message boxes ----

TEST_F(WidgetTest, MessageBoxClosesOnOkAndReturnsOne) {
  const struct Case {
    const char* name;
    std::vector<host::InputEvent> input;
  } cases[] = {
      {"enter", {{host::EventKind::key, 0, 0, key::enter}}},
      {"escape", {{host::EventKind::key, 0, 0, key::escape}}},
      {"top bar ok",
       {{host::EventKind::stylusDown, screenWidth() - 5, 10, 0},
        {host::EventKind::stylusUp, screenWidth() - 5, 10, 0}}},
      {"host close", {{host::EventKind::close, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    for (const host::InputEvent& e : c.input) headless::pushEvent(e);
    // A key after the closing input must be left for the window.
    press('9');
    EXPECT_EQ(messageBox(window, u"Text", u"Caption", box::ok), 1) << c.name;
    EXPECT_EQ(countOf(pump(), msg::keyDown), 1) << c.name << ": the box ended before the key";
  }
}

TEST_F(WidgetTest, MessageBoxOkButtonTapClosesIt) {
  // The OK button sits centred at the bottom of the box: find the box's bottom edge under the
  // screen's middle column, then tap just above it.
  bool tapped = false;
  onWindowMessage = [&](unsigned id) {
    if (id != msg::user + 6) return;
    int bottom = barTop() - 1;
    while (pixel(screenWidth() / 2, bottom) == boardColour) --bottom;
    tap(screenWidth() / 2, bottom - 20);
    press('9');
    tapped = true;
  };
  postMessage(window, msg::user + 6, 0, 0);
  EXPECT_EQ(messageBox(window, u"Zandrel", u"About", box::ok), 1);
  EXPECT_TRUE(tapped);
  EXPECT_EQ(countOf(pump(), msg::keyDown), 1) << "the tap closed the box, not idleness";
}

TEST_F(WidgetTest, LongMessageLinesWrapInsideTheScreen) {
  auto boxTop = [&](const char16_t* text) {
    int top = -1;
    onWindowMessage = [&](unsigned id) {
      if (id != msg::user + 7) return;
      top = topBarHeight;
      while (pixel(screenWidth() / 2, top) == boardColour) ++top;
      // Nothing drawn at the screen's sides: the box fits between its margins.
      for (int y = topBarHeight; y < screenHeight(); ++y) {
        EXPECT_EQ(pixel(0, y), boardColour) << y;
        EXPECT_EQ(pixel(screenWidth() - 1, y), boardColour) << y;
      }
    };
    postMessage(window, msg::user + 7, 0, 0);
    messageBox(window, text, nullptr, box::ok);
    onWindowMessage = nullptr;
    pump();
    return top;
  };
  const int oneLine = boxTop(u"Short");
  const int twoLines = boxTop(u"Short\nShort");
  const int wrapped =
      boxTop(u"A rather long sentence that cannot possibly fit on one line of this small screen");
  const int chinese =
      boxTop(u"围棋死活题练习，版本一点零，围棋死活题练习，版本一点零，围棋死活题练习");
  EXPECT_LT(twoLines, oneLine);
  EXPECT_LT(wrapped, twoLines) << "wrapped into three lines or more";
  EXPECT_LT(chinese, oneLine) << "Chinese wraps between characters";
}

TEST(WrapText, BreaksAtSpacesAndBetweenChineseCharacters) {
  ASSERT_TRUE(start());
  const struct Case {
    const char16_t* text;
    const char16_t* widthOf;  // the line width: this text's
    std::vector<std::u16string> lines;
  } cases[] = {
      {u"Zandrel", u"Zandrel", {u"Zandrel"}},
      {u"", u"x", {u""}},
      {u"Zandrel\nGo", u"Zandrel", {u"Zandrel", u"Go"}},
      {u"a\n", u"x", {u"a", u""}},
      {u"Go problem trainer, version 1.0",
       u"Go problem trainer, versio",
       {u"Go problem trainer,", u"version 1.0"}},
      // The line is full exactly before a space: the break goes there.
      {u"Go problem trainer, version 1.0",
       u"Go problem trainer,",
       {u"Go problem trainer,", u"version 1.0"}},
      {u"abcdefghij", u"abcde", {u"abcde", u"fghij"}},
      // Chinese breaks between characters, but never before a comma.
      {u"围棋死活题练习，版本 1.0", u"围棋死活题练习", {u"围棋死活题练", u"习，版本 1.0"}},
      {u"围棋死活题练习，版本 1.0", u"围棋死活题", {u"围棋死活题", u"练习，版本", u"1.0"}},
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    core::TextLine lines[8];
    const int count = core::wrapText(c.text, textWidth(c.widthOf, -1), lines, 8);
    std::vector<std::u16string> got;
    for (int i = 0; i < count && i < 8; ++i)
      got.push_back(
          std::u16string(c.text + lines[i].start, static_cast<std::size_t>(lines[i].length)));
    EXPECT_EQ(got, c.lines) << "case " << k;
  }
  // More lines than room: all are counted, the first ones stored.
  core::TextLine two[2];
  EXPECT_EQ(core::wrapText(u"a\nb\nc", 100, two, 2), 3);
  EXPECT_EQ(two[1].start, 2);
}

// ---- accelerators and focus ----

TEST_F(WidgetTest, AcceleratorsSendTheirCommands) {
  Accelerators table = loadAccelerators(3);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(loadAccelerators(3), table);
  EXPECT_EQ(loadAccelerators(77), nullptr);
  const struct Case {
    unsigned message;
    int code;
    bool consumed;
    WParam command;
  } cases[] = {
      {msg::keyDown, key::slash | key::altModifier, true, ids::command::about},
      {msg::keyDown, key::f4 | key::altModifier, true, ids::command::closeAlt},
      {msg::keyDown, key::slash, false, 0},
      {msg::keyDown, key::f4, false, 0},
      {msg::keyDown, 'a' | key::altModifier, false, 0},
      {msg::penUp, key::slash | key::altModifier, false, 0},
  };
  for (const Case& c : cases) {
    const std::size_t from = seen.size();
    const Message m{window, c.message, static_cast<WParam>(c.code), 0};
    EXPECT_EQ(translateAccelerator(window, table, m), c.consumed) << std::hex << c.code;
    // Sent: handled before the call returns.
    EXPECT_EQ(commandsSince(from),
              c.consumed ? std::vector<WParam>{c.command} : std::vector<WParam>{})
        << std::hex << c.code;
  }
  EXPECT_FALSE(translateAccelerator(window, nullptr, Message{window, msg::keyDown, '/', 0}));
}

TEST_F(WidgetTest, KeysGoToTheWindowWithTheFocus) {
  press('1');
  EXPECT_EQ(pump(), std::vector<unsigned>{msg::keyDown});
  setFocus(nullptr);
  press('2');
  EXPECT_EQ(pump(), std::vector<unsigned>{});
  setFocus(window);
  press('3');
  EXPECT_EQ(pump(), std::vector<unsigned>{msg::keyDown});
  ActivationInfo info{12, 0, 0};
  shellHandleActivate(window, 1, 0, &info);
  shellHandleSettingChange(window, 0, 0, &info);
  EXPECT_EQ(info.size, 12u);
}

// ---- the look ----

class WidgetLook : public WidgetTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool chinese() const { return GetParam(); }
  std::string name(const char* what) const {
    return std::string(what) + (chinese() ? "_zh" : "_en");
  }
};

TEST_P(WidgetLook, MenuBar) {
  createBar(chinese() ? ids::menuBarChinese : ids::menuBarEnglish);
  EXPECT_TRUE(testing_support::matchesGolden(name("menu_bar")));
}

TEST_P(WidgetLook, OpenPopup) {
  createBar(chinese() ? ids::menuBarChinese : ids::menuBarEnglish);
  tap(menuX, barMiddle());
  pump();
  EXPECT_TRUE(testing_support::matchesGolden(name("popup")));
}

TEST_P(WidgetLook, SelectionDialogWithDigitsTyped) {
  createBar(chinese() ? ids::menuBarChinese : ids::menuBarEnglish);
  const bool zh = chinese();
  bool compared = false;
  onDialogMessage = [&](Dialog d, unsigned id, WParam w) {
    if (id == msg::initDialog) {
      setDialogTitle(d, zh ? u"题号" : u"Problem No.");
      setDialogItemText(d, ids::item::prompt, zh ? u"题号" : u"Problem No.");
      setDialogItemText(d, ids::item::current, u"3");
      setDialogFocus(d, ids::item::entry);
    }
    if (id == msg::command && w == 2) {
      // No more input: the screen shows the dialog as the player left it.
      EXPECT_TRUE(testing_support::matchesGolden(name("selection_dialog")));
      compared = true;
      endDialog(d, 0);
    }
  };
  press('1');
  press('2');
  dialogBox(chinese() ? ids::dialogSelectChinese : ids::dialogSelectEnglish, window,
            dialogProcedure);
  EXPECT_TRUE(compared);
}

TEST_P(WidgetLook, AboutBox) {
  createBar(chinese() ? ids::menuBarChinese : ids::menuBarEnglish);
  char16_t text[128], caption[32];
  ASSERT_GT(loadString(chinese() ? ids::text::aboutText.chinese : ids::text::aboutText.english,
                       text, 128),
            0);
  ASSERT_GT(
      loadString(chinese() ? ids::text::aboutCaption.chinese : ids::text::aboutCaption.english,
                 caption, 32),
      0);
  bool compared = false;
  onWindowMessage = [&](unsigned id) {
    if (id != msg::user + 8) return;
    EXPECT_TRUE(testing_support::matchesGolden(name("about_box")));
    compared = true;
  };
  postMessage(window, msg::user + 8, 0, 0);
  EXPECT_EQ(messageBox(window, text, caption, box::ok), 1);
  EXPECT_TRUE(compared);
}

INSTANTIATE_TEST_SUITE_P(Languages, WidgetLook, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Chinese" : "English";
                         });

}  // namespace
