// The registry store over the headless host's settings text, and the single-instance claim over
// its simulated other copy.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/core/system.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/posix/settings_file.h"
#include "resources/settings_key.h"

using namespace platform;

namespace {

const char16_t* const path = settings::keyPath;
const char16_t* const name = settings::problemNumberValue;
const std::string header = settings::keySection;

std::string withHeader(const std::string& lines) {
  return header + "\n" + lines;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("ZANDREL_REGISTRY");
    headless::clearSettings();
    headless::setSettingsSaveFails(false);
  }
  void TearDown() override {
    unsetenv("ZANDREL_REGISTRY");
    headless::clearSettings();
    headless::setSettingsSaveFails(false);
  }

  // What the program reads at start: none when the key or the value is missing.
  static std::optional<std::uint32_t> readNumber() {
    Key key = nullptr;
    if (!openKey(path, key)) return std::nullopt;
    std::uint32_t value = 0;
    bool found = queryValue(key, name, value);
    EXPECT_TRUE(closeKey(key));
    return found ? std::optional<std::uint32_t>(value) : std::nullopt;
  }

  // What the program does at exit; the result of closeKey.
  static bool writeNumber(std::uint32_t value) {
    Key key = nullptr;
    if (!createKey(path, key)) return false;
    EXPECT_TRUE(setValue(key, name, value));
    return closeKey(key);
  }
};

TEST_F(RegistryTest, FirstRunHasNoKey) {
  Key key = nullptr;
  EXPECT_FALSE(openKey(path, key));
  headless::setSettingsText("");
  EXPECT_FALSE(openKey(path, key));
  EXPECT_EQ(readNumber(), std::nullopt);
}

TEST_F(RegistryTest, WrittenNumberIsReadBackAndStoredAsText) {
  ASSERT_TRUE(writeNumber(7));
  EXPECT_EQ(headless::settingsText(), withHeader("\"CurrentProblemNo\"=dword:00000007\n"));
  EXPECT_EQ(readNumber(), 7u);
  ASSERT_TRUE(writeNumber(0xdeadbeef));
  EXPECT_EQ(headless::settingsText(), withHeader("\"CurrentProblemNo\"=dword:deadbeef\n"));
  EXPECT_EQ(readNumber(), 0xdeadbeefu);
}

TEST_F(RegistryTest, StoredTextsRead) {
  const std::optional<std::uint32_t> missing;
  struct Case {
    const char* what;
    std::string text;
    std::optional<std::uint32_t> expected;
  } cases[] = {
      {"zero", withHeader("\"CurrentProblemNo\"=dword:00000000\n"), 0u},
      {"top bit set", withHeader("\"CurrentProblemNo\"=dword:80000000\n"), 0x80000000u},
      {"all ones", withHeader("\"CurrentProblemNo\"=dword:ffffffff\n"), 0xffffffffu},
      {"upper-case hex", withHeader("\"CurrentProblemNo\"=dword:0000002A\n"), 42u},
      {"no final line break", withHeader("\"CurrentProblemNo\"=dword:00000007"), 7u},
      {"CRLF", header + "\r\n\"CurrentProblemNo\"=dword:00000007\r\n", 7u},
      {"byte order mark", "\xef\xbb\xbf" + withHeader("\"CurrentProblemNo\"=dword:00000007\n"), 7u},
      {"blanks around", withHeader("  \"CurrentProblemNo\" = dword:00000007  \n"), 7u},
      {"names in other case",
       "[hkey_current_user\\SOFTWARE\\kelvaro\\zandrel]\n\"currentproblemno\"=dword:00000007\n",
       7u},
      {"last line decides",
       withHeader("\"CurrentProblemNo\"=dword:00000001\n\"CurrentProblemNo\"=dword:00000002\n"),
       2u},
      {"repeated section",
       withHeader("\"CurrentProblemNo\"=dword:00000001\n[Other]\n") + header +
           "\n\"Else\"=dword:00000003\n",
       1u},
      {"other lines around",
       "; kept\n" +
           withHeader("@=\"x\"\n\"Other\"=dword:00000003\ngarbage\n"
                      "\"CurrentProblemNo\"=dword:00000009\n") +
           "\n[Other]\n\"CurrentProblemNo\"=dword:00000004\n",
       9u},
      {"seven digits", withHeader("\"CurrentProblemNo\"=dword:0000007\n"), missing},
      {"nine digits", withHeader("\"CurrentProblemNo\"=dword:000000007\n"), missing},
      {"bad hex", withHeader("\"CurrentProblemNo\"=dword:0000000g\n"), missing},
      {"sign", withHeader("\"CurrentProblemNo\"=dword:-0000007\n"), missing},
      {"no data", withHeader("\"CurrentProblemNo\"=dword:\n"), missing},
      {"string value", withHeader("\"CurrentProblemNo\"=\"7\"\n"), missing},
      {"binary value", withHeader("\"CurrentProblemNo\"=hex:07,00,00,00\n"), missing},
      {"eight-byte value", withHeader("\"CurrentProblemNo\"=hex(b):07,00,00,00,00,00,00,00\n"),
       missing},
      {"no equals sign", withHeader("\"CurrentProblemNo\" dword:00000007\n"), missing},
      {"open quote", withHeader("\"CurrentProblemNo=dword:00000007\n"), missing},
      {"malformed last line",
       withHeader("\"CurrentProblemNo\"=dword:00000007\n\"CurrentProblemNo\"=dword:7\n"), missing},
      {"truncated value", withHeader("\"CurrentProblemNo\"=dword:000"), missing},
      {"truncated header", "[HKEY_CURRENT_USER\\Software\\Kel", missing},
      {"other section only", "[HKEY_CURRENT_USER\\Software\\Kelvaro]\n\"CurrentProblemNo\"=dword:7",
       missing},
      {"deleted key", "[-HKEY_CURRENT_USER\\Software\\Kelvaro\\Zandrel]\n", missing},
      {"garbage", "\x01\x02 not a settings file at all\n\n]]][[[\n", missing},
      {"not UTF-8", withHeader("\"CurrentProblemNo\"=dword:00000007\n; caf\xe9\n"), missing},
      {"overlong UTF-8", withHeader("\"CurrentProblemNo\"=dword:00000007\n; \xc0\xaf\n"), missing},
      {"UTF-16", std::string("\xff\xfe[\0H\0", 6), missing},
      {"NUL byte", withHeader("\"CurrentProblemNo\"=dword:00000007\n") + '\0' + "\n", missing},
  };
  for (const Case& c : cases) {
    headless::setSettingsText(c.text);
    EXPECT_EQ(readNumber(), c.expected) << c.what;
  }
}

TEST_F(RegistryTest, WritingKeepsEveryOtherLine) {
  const std::string ours = "\"CurrentProblemNo\"=dword:00000009";
  struct Case {
    const char* what;
    std::optional<std::string> before;
    std::string after;
  } cases[] = {
      {"nothing stored", std::nullopt, withHeader(ours + "\n")},
      {"empty", "", withHeader(ours + "\n")},
      {"other section, no final line break", "[Other]\n\"A\"=dword:00000001",
       "[Other]\n\"A\"=dword:00000001\n\n" + withHeader(ours + "\n")},
      {"other section, blank line at the end", "[Other]\n\n",
       "[Other]\n\n" + withHeader(ours + "\n")},
      {"value added at the end of its section",
       "; comment\n" + withHeader("\"A\"=dword:00000001\n; note\n\n[Other]\n\"B\"=\"b\"\n"),
       "; comment\n" +
           withHeader("\"A\"=dword:00000001\n; note\n" + ours + "\n\n[Other]\n\"B\"=\"b\"\n")},
      {"value replaced in place",
       withHeader("\"A\"=dword:00000001\n\"CurrentProblemNo\"=dword:00000007\ngarbage\n"),
       withHeader("\"A\"=dword:00000001\n" + ours + "\ngarbage\n")},
      {"malformed value replaced", withHeader("\"currentproblemno\"=\"seven\"\n"),
       withHeader(ours + "\n")},
      {"continued value replaced whole",
       withHeader("\"CurrentProblemNo\"=hex:07,00,\\\n  00,00\n\"A\"=dword:00000001\n"),
       withHeader(ours + "\n\"A\"=dword:00000001\n")},
      {"last of duplicates replaced",
       withHeader("\"CurrentProblemNo\"=dword:00000001\n[X]\n") + header +
           "\n\"CurrentProblemNo\"=dword:00000002\n",
       withHeader("\"CurrentProblemNo\"=dword:00000001\n[X]\n") + header + "\n" + ours + "\n"},
      {"added to the last repeated section", withHeader("\"A\"=\"a\"\n[X]\n") + header + "\n",
       withHeader("\"A\"=\"a\"\n[X]\n") + header + "\n" + ours + "\n"},
      {"CRLF kept", "[Other]\r\n\"A\"=dword:00000001\r\n",
       "[Other]\r\n\"A\"=dword:00000001\r\n\r\n" + header + "\r\n" + ours + "\r\n"},
      {"byte order mark kept", "\xef\xbb\xbf", "\xef\xbb\xbf" + withHeader(ours + "\n")},
      {"truncated last line kept", withHeader("\"A\"=dword:0000"),
       withHeader("\"A\"=dword:0000\n" + ours + "\n")},
  };
  for (const Case& c : cases) {
    if (c.before)
      headless::setSettingsText(*c.before);
    else
      headless::clearSettings();
    EXPECT_TRUE(writeNumber(9)) << c.what;
    EXPECT_EQ(headless::settingsText(), c.after) << c.what;
    EXPECT_EQ(readNumber(), 9u) << c.what;
  }
}

TEST_F(RegistryTest, TextThatCannotBeKeptIsNeverReplaced) {
  const std::string small = withHeader("\"CurrentProblemNo\"=dword:00000005\n");
  const std::string huge = small + "; " + std::string(70 * 1024, 'x') + "\n";
  // One byte under the limit: readable, but no room to add the value.
  const std::string other = withHeader("\"Other\"=dword:00000005\n");
  const std::string full = other + "; " + std::string(64 * 1024 - 1 - other.size() - 3, 'x') + "\n";
  ASSERT_EQ(full.size(), 64u * 1024 - 1);
  struct Case {
    const char* what;
    std::string text;
    std::optional<std::uint32_t> read;
  } cases[] = {
      {"larger than the store", huge, std::nullopt},
      {"no room for the value", full, std::nullopt},
      {"not UTF-8", small + "\xff\n", std::nullopt},
  };
  for (const Case& c : cases) {
    headless::setSettingsText(c.text);
    EXPECT_EQ(readNumber(), c.read) << c.what;
    EXPECT_FALSE(writeNumber(9)) << c.what;
    EXPECT_EQ(headless::settingsText(), c.text) << c.what;
  }
}

TEST_F(RegistryTest, FailedSaveIsReportedAndChangesNothing) {
  headless::setSettingsText(withHeader("\"CurrentProblemNo\"=dword:00000003\n"));
  headless::setSettingsSaveFails(true);
  EXPECT_FALSE(writeNumber(9));
  EXPECT_EQ(readNumber(), 3u);
  headless::clearSettings();
  EXPECT_FALSE(writeNumber(9));
  EXPECT_EQ(headless::settingsText(), std::nullopt);
  headless::setSettingsSaveFails(false);
  EXPECT_TRUE(writeNumber(9));
  EXPECT_EQ(readNumber(), 9u);
}

TEST_F(RegistryTest, KeysAndNames) {
  Key key = nullptr;
  // Key paths that cannot stand in a section header, and broken UTF-16.
  const char16_t brokenSurrogate[] = {u'A', 0xd800, u'B', 0};
  for (const char16_t* bad : {u"", u"Soft]ware", u"Soft[ware", u"Line\nBreak",
                              static_cast<const char16_t*>(brokenSurrogate)}) {
    EXPECT_FALSE(createKey(bad, key));
    EXPECT_FALSE(openKey(bad, key));
  }
  // A written value reads back before the key is closed; a name with quote and backslash is
  // escaped in the text; a name outside ASCII is stored as UTF-8.
  ASSERT_TRUE(createKey(u"Software\\Kelvaro\\Zandrel\\Ünïcode", key));
  ASSERT_TRUE(setValue(key, u"a\"b\\c", 1));
  ASSERT_TRUE(setValue(key, u"围棋", 2));
  ASSERT_TRUE(setValue(key, u"", 3));
  ASSERT_TRUE(setValue(key, u"A\"B\\C", 4));  // the same name as the first
  std::uint32_t value = 0;
  EXPECT_TRUE(queryValue(key, u"a\"b\\c", value));
  EXPECT_EQ(value, 4u);
  ASSERT_TRUE(closeKey(key));
  EXPECT_EQ(headless::settingsText(),
            "[HKEY_CURRENT_USER\\Software\\Kelvaro\\Zandrel\\\xc3\x9c"
            "n\xc3\xaf"
            "code]\n\"a\\\"b\\\\c\"=dword:00000004\n\"\xe5\x9b\xb4\xe6\xa3\x8b\"=dword:00000002\n"
            "@=dword:00000003\n");
  ASSERT_TRUE(openKey(u"software\\kelvaro\\zandrel\\Ünïcode", key));
  struct Stored {
    const char16_t* name;
    std::uint32_t value;
  } stored[] = {{u"a\"b\\c", 4}, {u"围棋", 2}, {u"", 3}};
  for (const Stored& s : stored) {
    EXPECT_TRUE(queryValue(key, s.name, value)) << s.value;
    EXPECT_EQ(value, s.value);
  }
  EXPECT_FALSE(queryValue(key, u"missing", value));
  // A key opened for reading takes no writes.
  EXPECT_FALSE(setValue(key, u"x", 1));
  EXPECT_TRUE(closeKey(key));
  // A closed key is no key.
  EXPECT_FALSE(queryValue(key, u"", value));
  EXPECT_FALSE(closeKey(key));
  EXPECT_FALSE(closeKey(nullptr));
  // A key created but given no value still creates its section.
  headless::clearSettings();
  ASSERT_TRUE(createKey(path, key));
  ASSERT_TRUE(closeKey(key));
  EXPECT_EQ(headless::settingsText(), header + "\n");
  EXPECT_TRUE(openKey(path, key));
  EXPECT_TRUE(closeKey(key));
}

TEST_F(RegistryTest, KeysRunOutWithoutHarm) {
  Key keys[8] = {};
  int opened = 0;
  while (opened < 8 && createKey(path, keys[opened])) ++opened;
  EXPECT_GE(opened, 1);
  EXPECT_LT(opened, 8);
  for (int i = 0; i < opened; ++i) EXPECT_TRUE(closeKey(keys[i]));
  // Every one was given back.
  for (int i = 0; i < opened; ++i) EXPECT_TRUE(createKey(path, keys[i]));
  for (int i = 0; i < opened; ++i) EXPECT_TRUE(closeKey(keys[i]));
}

TEST_F(RegistryTest, RegistryFileNamedByTheEnvironment) {
  const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) /
                                       ("zandrel_registry_" + std::to_string(getpid()));
  const std::string file = (folder / "settings.reg").string();
  std::filesystem::remove_all(folder);
  setenv("ZANDREL_REGISTRY", file.c_str(), 1);
  EXPECT_EQ(readNumber(), std::nullopt);
  ASSERT_TRUE(writeNumber(7));
  EXPECT_EQ(readNumber(), 7u);
  // The file holds the text; the memory of the host was not used.
  std::ifstream in(file, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), withHeader("\"CurrentProblemNo\"=dword:00000007\n"));
  EXPECT_EQ(headless::settingsText(), std::nullopt);
  std::filesystem::remove_all(folder);
}

// A save killed half-way leaves its temporary file; the next save removes it, but never one that
// another process is still writing, nor anything else in the folder.
TEST(SettingsFileTest, SaveRemovesOnlyAbandonedTemporaries) {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::path(::testing::TempDir()) / ("zandrel_sweep_" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const auto touch = [&](const char* name) { std::ofstream(folder / name) << "x"; };
  touch("Zandrel.reg.saving-abc123");   // abandoned: removed
  touch("Zandrel.reg.saving-ABC999");   // abandoned: removed
  touch("Zandrel.reg.saving-busy01");   // locked by a save under way: kept
  touch("Zandrel.reg.backup");          // the user's: kept
  touch("Zandrel.reg.saving-1234567");  // not a name a save makes: kept
  touch("Other.reg.saving-abc123");     // another file's: kept
  fs::create_symlink("Other.reg.saving-abc123", folder / "Zandrel.reg.saving-link01");
  const int busy = open((folder / "Zandrel.reg.saving-busy01").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(busy, 0);
  ASSERT_EQ(flock(busy, LOCK_EX), 0);

  const std::string text = "[HKEY_CURRENT_USER\\Software\\Kelvaro\\Zandrel]\n";
  const std::string file = (folder / "Zandrel.reg").string();
  ASSERT_TRUE(
      platform::posix::writeSettingsFile(file.c_str(), text.data(), static_cast<int>(text.size())));
  close(busy);

  std::set<std::string> left;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"Zandrel.reg", "Zandrel.reg.saving-busy01",
                                         "Zandrel.reg.backup", "Zandrel.reg.saving-1234567",
                                         "Other.reg.saving-abc123", "Zandrel.reg.saving-link01"}));
  char buffer[256];
  ASSERT_EQ(platform::posix::readSettingsFile(file.c_str(), buffer, sizeof buffer),
            static_cast<int>(text.size()));
  EXPECT_EQ(std::string(buffer, text.size()), text);
  fs::remove_all(folder);
}

class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetState();
    headless::setOtherInstance(false);
    headless::takeRaiseRequests();
  }
  void TearDown() override {
    headless::setOtherInstance(false);
    resetState();
  }
};

TEST_F(InstanceTest, FirstCopyOwnsTheClaimUntilItsLastHandleCloses) {
  bool existed = true;
  Mutex first = createNamedMutex(u"ZANDREL", existed);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(existed);
  EXPECT_TRUE(headless::instanceClaimed());
  // Its own claim is no other copy (start-up looks for one right after claiming).
  EXPECT_EQ(findWindow(u"ZANDREL", u"Zandrel"), nullptr);
  // The same copy asking again (a second session in one process) owns it again.
  Mutex second = createNamedMutex(u"ZANDREL", existed);
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(existed);
  closeHandle(second);
  EXPECT_TRUE(headless::instanceClaimed());
  closeHandle(first);
  EXPECT_FALSE(headless::instanceClaimed());
  EXPECT_EQ(createNamedMutex(u"", existed), nullptr);
}

TEST_F(InstanceTest, SecondCopyFindsAndRaisesTheFirst) {
  headless::setOtherInstance(true);
  bool existed = false;
  Mutex mutex = createNamedMutex(u"ZANDREL", existed);
  ASSERT_NE(mutex, nullptr);
  EXPECT_TRUE(existed);
  EXPECT_FALSE(headless::instanceClaimed());
  closeHandle(mutex);
  Window other = findWindow(u"ZANDREL", u"Zandrel");
  ASSERT_NE(other, nullptr);
  auto marked = reinterpret_cast<Window>(reinterpret_cast<std::uintptr_t>(other) | 1);
  EXPECT_TRUE(bringToForeground(marked));
  EXPECT_EQ(headless::takeRaiseRequests(), 1);
  // Once the first copy has ended, nothing answers.
  headless::setOtherInstance(false);
  EXPECT_EQ(findWindow(u"ZANDREL", u"Zandrel"), nullptr);
  EXPECT_FALSE(bringToForeground(marked));
  EXPECT_EQ(headless::takeRaiseRequests(), 0);
}

}  // namespace
