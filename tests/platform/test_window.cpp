// The window, message and paint behaviour of the platform core, on the headless host.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/core/framebuffer.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"

using namespace platform;

namespace {

struct Seen {
  unsigned id;
  WParam wParam;
  LParam lParam;
};
std::vector<Seen> seen;
std::vector<Rect> paintAreas;
bool paintErased = false;
bool windowExistedAtCreate = false;

Result recordingProcedure(Window window, unsigned message, WParam wParam, LParam lParam) {
  seen.push_back(Seen{message, wParam, lParam});
  if (message == msg::create) windowExistedAtCreate = findWindow(u"TEST", nullptr) != nullptr;
  if (message == msg::paint) {
    Rect area{};
    Surface s = beginPaint(window, &area);
    paintAreas.push_back(area);
    // The erase paints white; the screen starts black.
    paintErased =
        framebuffer::pixels()[(topBarHeight + area.top) * framebuffer::width() + area.left] ==
        rgb(255, 255, 255);
    endPaint(window, s);
    return 0;
  }
  return defaultWindowProcedure(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start());
    resetState();
    seen.clear();
    paintAreas.clear();
    ASSERT_TRUE(registerWindowClass(u"TEST", recordingProcedure, 0));
    window = createWindow(u"TEST", u"Title");
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override { resetState(); }

  // Runs the loop until idle; returns the ids handled.
  std::vector<unsigned> pump() {
    std::size_t before = seen.size();
    Message m{};
    while (peekMessage(m)) {
      if (m.id == msg::quit) {
        quitCode = static_cast<int>(m.wParam);
        break;
      }
      dispatchMessage(m);
    }
    std::vector<unsigned> ids;
    for (std::size_t i = before; i < seen.size(); ++i) ids.push_back(seen[i].id);
    return ids;
  }

  void tapDevice(int x, int y) {
    headless::pushEvent(host::InputEvent{host::EventKind::stylusDown, x, y, 0});
    headless::pushEvent(host::InputEvent{host::EventKind::stylusUp, x, y, 0});
  }

  Window window = nullptr;
  int quitCode = -1;
};

TEST_F(WindowTest, CreationIsHandledBeforeCreateReturns) {
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().id, msg::create);
  EXPECT_TRUE(windowExistedAtCreate);
  EXPECT_EQ(findWindow(u"TEST", u"Title"), window);
  EXPECT_EQ(findWindow(u"TEST", u"Other"), nullptr);
  EXPECT_EQ(createWindow(u"TEST", u"Second"), nullptr) << "one main window only";
}

TEST_F(WindowTest, PostedMessagesArriveInOrderAndSentOnesAtOnce) {
  postMessage(window, msg::user + 2, 0, 0);
  postMessage(window, msg::user + 5, 0, 0);
  EXPECT_EQ(sendMessage(window, msg::user + 9, 0, 0), 0);
  EXPECT_EQ(seen.back().id, msg::user + 9);
  EXPECT_EQ(pump(), (std::vector<unsigned>{msg::user + 2, msg::user + 5}));
}

TEST_F(WindowTest, InvalidationsMergeIntoOnePaintAfterThePostedMessages) {
  showWindow(window, 1);
  pump();
  paintAreas.clear();
  Rect a{10, 10, 20, 20}, b{30, 5, 40, 15};
  invalidateRect(window, &a, false);
  postMessage(window, msg::user, 0, 0);
  invalidateRect(window, &b, false);
  EXPECT_EQ(pump(), (std::vector<unsigned>{msg::user, msg::paint}));
  ASSERT_EQ(paintAreas.size(), 1u);
  EXPECT_EQ(paintAreas[0].left, 10);
  EXPECT_EQ(paintAreas[0].top, 5);
  EXPECT_EQ(paintAreas[0].right, 40);
  EXPECT_EQ(paintAreas[0].bottom, 20);
  EXPECT_TRUE(pump().empty()) << "the paint validated the area";
}

TEST_F(WindowTest, PaintSurfaceIsClippedToTheInvalidArea) {
  showWindow(window, 1);
  pump();
  Rect a{0, 0, 4, 4}, b{10, 0, 14, 4};
  invalidateRect(window, &a, false);
  invalidateRect(window, &b, false);
  Surface s = beginPaint(window, nullptr);
  Brush red = createSolidBrush(rgb(255, 0, 0));
  fillRect(s, Rect{0, 0, 20, 4}, red);
  endPaint(window, s);
  deleteBrush(red);
  const std::uint32_t* px = framebuffer::pixels();
  const int w = framebuffer::width();
  EXPECT_EQ(px[topBarHeight * w + 2], rgb(255, 0, 0));
  EXPECT_NE(px[topBarHeight * w + 7], rgb(255, 0, 0)) << "between the two rectangles";
  EXPECT_EQ(px[topBarHeight * w + 12], rgb(255, 0, 0));
}

TEST_F(WindowTest, EraseIsDoneOnlyWhenAsked) {
  showWindow(window, 1);
  pump();
  // Paint everything black, then invalidate without and with erase.
  Surface s = getWindowSurface(window);
  Brush blackBrush = createSolidBrush(rgb(0, 0, 0));
  fillRect(s, clientRect(window), blackBrush);
  releaseWindowSurface(window, s);
  deleteBrush(blackBrush);
  Rect r{0, 0, 8, 8};
  invalidateRect(window, &r, false);
  pump();
  EXPECT_FALSE(paintErased);
  invalidateRect(window, &r, true);
  pump();
  EXPECT_TRUE(paintErased);
}

TEST_F(WindowTest, WindowSurfaceDrawsBelowTheTopBarAndPresentsWhatChanged) {
  Surface s = getWindowSurface(window);
  Brush green = createSolidBrush(rgb(0, 255, 0));
  headless::takeRecord();
  fillRect(s, Rect{5, 0, 9, 3}, green);
  releaseWindowSurface(window, s);
  deleteBrush(green);
  EXPECT_EQ(headless::takeRecord().presents, 1);
  Rect p = headless::lastPresented();
  EXPECT_EQ(p.left, 5);
  EXPECT_EQ(p.top, topBarHeight);
  EXPECT_EQ(p.right, 9);
  EXPECT_EQ(p.bottom, topBarHeight + 3);
  EXPECT_EQ(framebuffer::pixels()[topBarHeight * framebuffer::width() + 5], rgb(0, 255, 0));
  EXPECT_NE(framebuffer::pixels()[(topBarHeight - 1) * framebuffer::width() + 5], rgb(0, 255, 0));
}

TEST_F(WindowTest, StylusBecomesClientPointerMessages) {
  headless::pushEvent(host::InputEvent{host::EventKind::stylusDown, 20, 30, 0});
  headless::pushEvent(host::InputEvent{host::EventKind::stylusMove, 21, 31, 0});
  headless::pushEvent(host::InputEvent{host::EventKind::stylusUp, 22, 32, 0});
  headless::pushEvent(host::InputEvent{host::EventKind::secondaryUp, 50, 60, 0});
  headless::pushEvent(host::InputEvent{host::EventKind::key, 0, 0, 13});
  std::size_t before = seen.size();
  EXPECT_EQ(pump(), (std::vector<unsigned>{msg::penDown, msg::penMove, msg::penUp, msg::secondaryUp,
                                           msg::keyDown}));
  EXPECT_EQ(paramX(seen[before + 2].lParam), 22);
  EXPECT_EQ(paramY(seen[before + 2].lParam), 32 - topBarHeight);
  EXPECT_EQ(paramY(seen[before + 3].lParam), 60 - topBarHeight);
  EXPECT_EQ(seen[before + 4].wParam, 13u);
}

TEST_F(WindowTest, OkButtonSendsCommandOneAndTheRestOfTheBarNothing) {
  tapDevice(100, 10);  // the title
  EXPECT_TRUE(pump().empty());
  tapDevice(screenWidth() - 5, 20);
  std::size_t before = seen.size();
  EXPECT_EQ(pump(), (std::vector<unsigned>{msg::command}));
  EXPECT_EQ(seen[before].wParam, 1u);
  // A stroke that starts on "ok" but ends on the board is no press.
  headless::pushEvent(host::InputEvent{host::EventKind::stylusDown, screenWidth() - 5, 5, 0});
  headless::pushEvent(host::InputEvent{host::EventKind::stylusUp, 30, 100, 0});
  EXPECT_TRUE(pump().empty());
}

TEST_F(WindowTest, QuitEndsTheLoopWithItsExitCode) {
  postMessage(window, msg::user, 0, 0);
  postQuitMessage(7);
  Message m{};
  ASSERT_TRUE(getMessage(m));
  EXPECT_EQ(m.id, msg::user);
  EXPECT_FALSE(getMessage(m));
  EXPECT_EQ(m.wParam, 7u);
}

TEST_F(WindowTest, CloseFromTheHostReachesTheWindow) {
  headless::pushEvent(host::InputEvent{host::EventKind::close, 0, 0, 0});
  std::vector<unsigned> ids = pump();
  ASSERT_GE(ids.size(), 1u);
  EXPECT_EQ(ids[0], msg::close);
  // The default handling of close destroys the window.
  EXPECT_EQ(findWindow(u"TEST", nullptr), nullptr);
}

TEST(ScreenSize, ParsesOnlyWellFormedSizesInRange) {
  struct Case {
    const char* text;
    bool ok;
    int w, h;
  };
  const Case cases[] = {
      {"240x320", true, 240, 320},
      {"120x120", true, 120, 120},
      {"2048x2048", true, 2048, 2048},
      {"119x320", false, 0, 0},
      {"240x2049", false, 0, 0},
      {"240", false, 0, 0},
      {"240x", false, 0, 0},
      {"x320", false, 0, 0},
      {"240x320x1", false, 0, 0},
      {" 240x320", false, 0, 0},
      {"-240x320", false, 0, 0},
      {"240X320", false, 0, 0},
      {"99999999999x320", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    int w = 0, h = 0;
    EXPECT_EQ(parseScreenSize(c.text, w, h), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(w, c.w) << c.text;
      EXPECT_EQ(h, c.h) << c.text;
    }
  }
}

TEST(Language, ChineseOnlyWhenTheFirstSetVariableSaysZh) {
  struct Case {
    const char* all;
    const char* messages;
    const char* lang;
    int expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, "zh_CN.UTF-8", languageChinese},
      {nullptr, nullptr, "en_GB.UTF-8", languageEnglish},
      {"", "zh_TW", "en_US", languageChinese},
      {"C", nullptr, "zh_CN", languageEnglish},
      {nullptr, nullptr, nullptr, languageEnglish},
  };
  for (const Case& c : cases) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    const char* values[] = {c.all, c.messages, c.lang};
    for (int i = 0; i < 3; ++i) {
      if (values[i] == nullptr)
        unsetenv(names[i]);
      else
        setenv(names[i], values[i], 1);
    }
    EXPECT_EQ(languageFromEnvironment(), c.expected)
        << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-") << " "
        << (c.lang ? c.lang : "-");
  }
}

TEST(ScreenSize, BadEnvironmentValueExitsWithStatusTwo) {
  EXPECT_EXIT(
      {
        setenv("ZANDREL_SCREEN", "100x320", 1);
        setScreenSize(0, 0);  // forget the size read so far
        screenWidth();
      },
      ::testing::ExitedWithCode(2), "ZANDREL_SCREEN");
}

}  // namespace
