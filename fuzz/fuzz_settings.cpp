// Settings fuzz target: a settings text read and written by the registry store over the headless
// host's in-memory settings.
//
// Bytes 0-11 choose two writes (key, value name, 32-bit value each) and whether saving fails, as
// on a full disk; the rest is the settings text. Each write must read back as written, and keep
// every other line of the text it changed; a write that cannot be stored leaves the text as it was.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "resources/settings_key.h"

namespace {

const char16_t* const paths[] = {
    settings::keyPath,
    u"software\\KELVARO\\zandrel",
    u"Software\\Kelvaro\\Other",
    u"Software",
    u"Software\\Kelvaro\\Zandrel\\Deeper",
    u"Sof\u00f6ware\\\u952e\\\U0001f600",
    u"Software\\\"Quoted\" \\Key",
    u"",         // no key name: refused
    u"A[B]",     // brackets would end the header: refused
    u"Bad\x01",  // a control character: refused
};

const std::u16string longName(256, u'n');
const std::u16string tooLongName(257, u'n');

const char16_t* const names[] = {
    settings::problemNumberValue,
    u"currentproblemno",
    u"",  // the key's unnamed value, "@"
    u"With \"quotes\"",
    u"Back\\slash\\",
    u"\u540d\u5b57",
    u"x=y ; [z]",
    u" spaced ",
    longName.c_str(),
    tooLongName.c_str(),  // refused
    u"Tab\there",         // refused
    u"\xd800lone",        // an unpaired surrogate: refused
};

template <typename T, std::size_t n>
constexpr int countOf(const T (&)[n]) {
  return static_cast<int>(n);
}

struct Write {
  const char16_t* path;
  const char16_t* name;
  std::uint32_t value;
};

std::string shown(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::optional<std::uint32_t> read(const Write& w) {
  platform::Key key = nullptr;
  if (!platform::openKey(w.path, key)) return std::nullopt;
  std::uint32_t value = 0;
  const bool found = platform::queryValue(key, w.name, value);
  if (!platform::closeKey(key)) fuzz::broken("closing a key opened for reading failed");
  if (!found) return std::nullopt;
  return value;
}

// Lines without their line break; a last line without one counts as a line.
std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

std::string trimmed(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// Everything but the one value line the write replaced must still be there, in order.
void checkOtherLinesKept(std::string before, std::string after, const Write& w) {
  // A byte order mark is no part of the first line, and must stay.
  const std::string mark = "\xef\xbb\xbf";
  if (before.compare(0, 3, mark) == 0) {
    if (after.compare(0, 3, mark) != 0) fuzz::broken("the byte order mark was lost");
    before.erase(0, 3);
    after.erase(0, 3);
  }
  const std::vector<std::string> old = lines(before), now = lines(after);
  // A last line without a line break gets the text's own, "\r\n" in a text that uses those.
  const bool openEnd = !before.empty() && before.back() != '\n';
  auto kept = [&](std::size_t o, std::size_t n) {
    return old[o] == now[n] || (openEnd && o + 1 == old.size() && now[n] == old[o] + "\r");
  };
  std::size_t head = 0, tail = 0;
  while (head < old.size() && head < now.size() && kept(head, head)) ++head;
  while (tail < old.size() - head && tail < now.size() - head &&
         kept(old.size() - 1 - tail, now.size() - 1 - tail))
    ++tail;
  const std::size_t removed = old.size() - head - tail;
  if (removed == 0) return;
  // The replaced value's line and the lines it continues on.
  const std::string first = trimmed(old[head]);
  bool oneValue = !first.empty() && (first[0] == '"' || first[0] == '@') &&
                  first.find('=') != std::string::npos;
  for (std::size_t i = head; oneValue && i + 1 < head + removed; ++i) {
    const std::string part = trimmed(old[i]);
    oneValue = !part.empty() && part.back() == '\\';
  }
  if (!oneValue)
    fuzz::broken("writing \"" + shown(w.name) + "\" lost " + std::to_string(removed) +
                 " lines, from \"" + old[head] + "\"");
}

void write(const Write& w, bool saveFails) {
  const std::optional<std::string> before = platform::headless::settingsText();
  // Reading first, as the program does at start; the result does not matter here.
  read(w);

  platform::headless::setSettingsSaveFails(saveFails);
  platform::Key key = nullptr;
  if (!platform::createKey(w.path, key)) {
    platform::headless::setSettingsSaveFails(false);
    if (platform::headless::settingsText() != before)
      fuzz::broken("a refused key changed the text");
    return;
  }
  const bool set = platform::setValue(key, w.name, w.value);
  const bool stored = platform::closeKey(key);
  platform::headless::setSettingsSaveFails(false);
  const std::optional<std::string> after = platform::headless::settingsText();

  if (!stored) {
    if (after != before) fuzz::broken("a write that was not stored changed the text");
    return;
  }
  // With nothing to change (no value taken, the key there already) nothing needs saving.
  if (saveFails && after != before) fuzz::broken("the text changed while saving fails");
  if (!after) fuzz::broken("a stored write left no text");
  checkOtherLinesKept(before.value_or(""), *after, w);
  if (!set) return;
  const std::optional<std::uint32_t> back = read(w);
  if (back != w.value)
    fuzz::broken("\"" + shown(w.name) + "\" was written as " + std::to_string(w.value) +
                 " and reads back as " + (back ? std::to_string(*back) : std::string("missing")));
}

bool sameNameIgnoringCase(const char16_t* a, const char16_t* b) {
  auto lower = [](char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  };
  for (;; ++a, ++b) {
    if (lower(*a) != lower(*b)) return false;
    if (*a == 0) return true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  unsetenv("ZANDREL_REGISTRY");
  fuzz::Input in(data, size);
  Write writes[2];
  bool fails[2];
  for (int i = 0; i < 2; ++i) {
    const int choice = in.byte();
    writes[i].path = paths[choice % countOf(paths)];
    writes[i].name = names[in.byte() % countOf(names)];
    writes[i].value = in.dword();
    fails[i] = choice >= 240;
  }
  const std::string text = in.bytes(in.left());
  if (text.empty())
    platform::headless::clearSettings();
  else
    platform::headless::setSettingsText(text);

  write(writes[0], fails[0]);
  const std::optional<std::uint32_t> firstAfter = read(writes[0]);
  write(writes[1], fails[1]);
  // The second write keeps the first one's value, unless it wrote the same value of the same key.
  const bool sameValue = sameNameIgnoringCase(writes[0].path, writes[1].path) &&
                         sameNameIgnoringCase(writes[0].name, writes[1].name);
  if (!sameValue && read(writes[0]) != firstAfter)
    fuzz::broken("writing \"" + shown(writes[1].name) + "\" changed \"" + shown(writes[0].name) +
                 "\"");
  platform::headless::clearSettings();
  return 0;
}
