// The shell's own rules: typed numbers, the saved problem number and when it is written.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "board/go_board.h"
#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "resources/settings_key.h"
#include "shell/shell.h"

namespace {

TEST(Shell, TypedNumbersSaturateInsteadOfWrapping) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 0},
      {"7", 7},
      {"007", 7},
      {"12x4", 12},
      {"2147483647", INT_MAX},
      {"4294967298", INT_MAX},
      {"999999999999999999999999999999", INT_MAX},
  };
  for (const Case& c : cases) EXPECT_EQ(shell::parseNumber(c.text), c.value) << c.text;
}

std::string settingsWith(const char* value) {
  return std::string(settings::keySection) + "\n" + settings::problemNumberName + "=" + value +
         "\n";
}

TEST(Shell, SavedNumberBelowOneOrUnreadableReadsAsOne) {
  struct Case {
    const char* stored;  // null: no settings at all
    int number;
  };
  const Case cases[] = {
      {nullptr, 1},          {"dword:00000007", 7}, {"dword:00000000", 1},
      {"dword:80000000", 1}, {"dword:ffffffff", 1}, {"dword:7fffffff", INT_MAX},
      {"dword:0000000g", 1}, {"\"7\"", 1},          {"hex:07,00,00,00", 1},
  };
  ASSERT_TRUE(platform::start());
  for (const Case& c : cases) {
    if (c.stored == nullptr)
      platform::headless::clearSettings();
    else
      platform::headless::setSettingsText(settingsWith(c.stored));
    EXPECT_EQ(shell::readCurrentProblemNumber(), c.number) << (c.stored ? c.stored : "none");
  }
}

TEST(Shell, ANumberNeverReadIsNeverSaved) {
  ASSERT_TRUE(platform::start());
  const std::string stored = settingsWith("dword:00000007");
  platform::headless::setSettingsText(stored);
  goBoard.problemNumber = 1;
  shell::state.problemNumberRead = false;  // as when the menu bar could not be made
  shell::shutDown();
  EXPECT_EQ(platform::headless::settingsText().value_or(""), stored);

  shell::state.problemNumberRead = true;
  goBoard.problemNumber = 3;
  shell::shutDown();
  EXPECT_NE(platform::headless::settingsText().value_or("").find("dword:00000003"),
            std::string::npos);
  shell::state.problemNumberRead = false;
}

}  // namespace
