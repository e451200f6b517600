// The registry store: keys under the current user kept in one settings text that the host loads
// and saves whole, written like this:
//
//   [HKEY_CURRENT_USER\Software\Kelvaro\Zandrel]
//   "CurrentProblemNo"=dword:00000007
//
// Reading forgives everything: a line it does not understand reads as missing. Writing changes
// only the lines of the values written (or adds them, and their section) and keeps every other
// byte.
#include "platform/platform.h"

#include <cstdio>
#include <cstring>

#include "platform/host.h"

namespace platform {

namespace {

// The text in [begin, end) of the settings buffer.
struct Span {
  int begin = 0, end = 0;
};

// A value written to a key, stored when the key is closed.
struct PendingValue {
  char name[256];
  int nameLength;
  std::uint32_t value;
};

}  // namespace

struct KeyObject {
  bool used;
  bool writable;
  // "HKEY_CURRENT_USER\" + the path, UTF-8.
  char section[512];
  int sectionLength;
  PendingValue pending[8];
  int pendingCount;
};

namespace {

constexpr int textCapacity = 64 * 1024;
constexpr char rootPrefix[] = "HKEY_CURRENT_USER\\";
constexpr int rootPrefixLength = sizeof rootPrefix - 1;
constexpr char dwordPrefix[] = "dword:";
constexpr int dwordPrefixLength = sizeof dwordPrefix - 1;
constexpr int maxKeys = 4;

enum class Stored { none, text, unusable };

// The settings text last loaded or saved, and a second buffer to build the next one in.
char text[textCapacity];
int textLength = 0;
Stored stored = Stored::none;
char rewritten[textCapacity];
KeyObject keys[maxKeys];

// ---- text helpers ----

// Whether the text is well-formed UTF-8 without NUL bytes.
bool validUtf8(const char* s, int length) {
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  int i = 0;
  while (i < length) {
    unsigned c = p[i];
    if (c == 0) return false;
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    unsigned minimum;
    if ((c & 0xe0) == 0xc0) {
      extra = 1;
      minimum = 0x80;
      c &= 0x1f;
    } else if ((c & 0xf0) == 0xe0) {
      extra = 2;
      minimum = 0x800;
      c &= 0x0f;
    } else if ((c & 0xf8) == 0xf0) {
      extra = 3;
      minimum = 0x10000;
      c &= 0x07;
    } else {
      return false;
    }
    if (length - i <= extra) return false;
    for (int k = 1; k <= extra; ++k) {
      if ((p[i + k] & 0xc0) != 0x80) return false;
      c = (c << 6) | (p[i + k] & 0x3f);
    }
    if (c < minimum || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) return false;
    i += extra + 1;
  }
  return true;
}

// Appends the UTF-8 form of UTF-16 `source` to out[length..capacity). False when it does not fit,
// has an unpaired surrogate or a control character.
bool appendUtf8(const char16_t* source, char* out, int& length, int capacity) {
  for (const char16_t* s = source; *s != 0; ++s) {
    std::uint32_t c = *s;
    if (c >= 0xd800 && c <= 0xdbff) {
      if (s[1] < 0xdc00 || s[1] > 0xdfff) return false;
      c = 0x10000 + ((c - 0xd800) << 10) + (static_cast<std::uint32_t>(s[1]) - 0xdc00);
      ++s;
    } else if (c >= 0xdc00 && c <= 0xdfff) {
      return false;
    }
    if (c < 0x20 || c == 0x7f) return false;
    char bytes[4];
    int n;
    if (c < 0x80) {
      bytes[0] = static_cast<char>(c);
      n = 1;
    } else if (c < 0x800) {
      bytes[0] = static_cast<char>(0xc0 | (c >> 6));
      bytes[1] = static_cast<char>(0x80 | (c & 0x3f));
      n = 2;
    } else if (c < 0x10000) {
      bytes[0] = static_cast<char>(0xe0 | (c >> 12));
      bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
      bytes[2] = static_cast<char>(0x80 | (c & 0x3f));
      n = 3;
    } else {
      bytes[0] = static_cast<char>(0xf0 | (c >> 18));
      bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3f));
      bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
      bytes[3] = static_cast<char>(0x80 | (c & 0x3f));
      n = 4;
    }
    if (length + n > capacity) return false;
    std::memcpy(out + length, bytes, static_cast<std::size_t>(n));
    length += n;
  }
  return true;
}

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Key and value names compare without regard to ASCII case, as the registry's do.
bool sameName(const char* a, int aLength, const char* b, int bLength) {
  if (aLength != bLength) return false;
  for (int i = 0; i < aLength; ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

bool blank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// ---- parsing ----

// One line of the text: [begin, end) without its line break, next = the start of the next line.
struct Line {
  int begin, end, next;
};

Line lineAt(int at) {
  int end = at;
  while (end < textLength && text[end] != '\n') ++end;
  return Line{at, end, end < textLength ? end + 1 : end};
}

// Trims blanks (and a carriage return) from both ends.
Span trimmed(const Line& line) {
  Span s{line.begin, line.end};
  while (s.begin < s.end && blank(text[s.begin])) ++s.begin;
  while (s.end > s.begin && blank(text[s.end - 1])) --s.end;
  return s;
}

// The section named by a header line "[name]", or false when the line is no header.
bool sectionHeader(const Line& line, Span& name) {
  Span s = trimmed(line);
  if (s.end - s.begin < 2 || text[s.begin] != '[' || text[s.end - 1] != ']') return false;
  name = Span{s.begin + 1, s.end - 1};
  return true;
}

// A value line: `"name"=data` (`\"` and `\\` escaped in the name) or `@=data` for the unnamed
// value. Writes the unescaped name to `name`, and gives the data. False when the line is not one.
bool valueLine(const Line& line, char* name, int& nameLength, Span& data) {
  Span s = trimmed(line);
  int i = s.begin;
  nameLength = 0;
  if (i < s.end && text[i] == '@') {
    ++i;
  } else {
    if (i >= s.end || text[i] != '"') return false;
    ++i;
    for (;;) {
      if (i >= s.end) return false;
      char c = text[i];
      if (c == '"') break;
      if (c == '\\') {
        if (i + 1 >= s.end) return false;
        c = text[++i];
      }
      if (nameLength == static_cast<int>(sizeof PendingValue::name)) return false;
      name[nameLength++] = c;
      ++i;
    }
    ++i;
  }
  while (i < s.end && blank(text[i])) ++i;
  if (i >= s.end || text[i] != '=') return false;
  ++i;
  while (i < s.end && blank(text[i])) ++i;
  data = Span{i, s.end};
  return true;
}

// Reads "dword:" and exactly eight hex digits.
bool dwordData(const Span& data, std::uint32_t& value) {
  if (data.end - data.begin != dwordPrefixLength + 8) return false;
  for (int i = 0; i < dwordPrefixLength; ++i)
    if (lowerAscii(text[data.begin + i]) != dwordPrefix[i]) return false;
  std::uint32_t v = 0;
  for (int i = data.begin + dwordPrefixLength; i < data.end; ++i) {
    int d = hexDigit(text[i]);
    if (d < 0) return false;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  value = v;
  return true;
}

// A value whose data ends in a backslash continues on the next line.
bool continues(const Line& line) {
  Span s = trimmed(line);
  return s.end > s.begin && text[s.end - 1] == '\\';
}

// Where the lines start: after a UTF-8 byte order mark, which is kept but is no part of a line.
int firstLine() {
  return textLength >= 3 && std::memcmp(text, "\xef\xbb\xbf", 3) == 0 ? 3 : 0;
}

// Whether the line that ends at `at` (just before its line break, if it has one) continues: a
// line that starts at `at` would be read as part of it.
bool continuesInto(int at) {
  int end = at;
  if (end > firstLine() && text[end - 1] == '\n') --end;
  int begin = end;
  while (begin > firstLine() && text[begin - 1] != '\n') --begin;
  return continues(Line{begin, end, at});
}

// Walks the text line by line, calling visit(line, inSection, isHeader) for every line; a value
// line that continues is given whole as one line (its `end` the end of its last part).
template <typename Visit>
void walk(const KeyObject& key, Visit visit) {
  bool inSection = false;
  for (int at = firstLine(); at < textLength;) {
    Line line = lineAt(at);
    Span name;
    bool header = sectionHeader(line, name);
    if (header) {
      inSection =
          sameName(text + name.begin, name.end - name.begin, key.section, key.sectionLength);
    } else {
      Line part = line;
      while (continues(part) && part.next < textLength) part = lineAt(part.next);
      line.end = part.end;
      line.next = part.next;
    }
    visit(line, inSection, header);
    at = line.next;
  }
}

// Loads the settings text from the host into `text`.
void load() {
  int n = host::loadSettings(text, textCapacity);
  if (n >= 0 && n < textCapacity && validUtf8(text, n)) {
    textLength = n;
    stored = Stored::text;
    return;
  }
  textLength = 0;
  stored = n == -1 ? Stored::none : Stored::unusable;
}

// Whether the text ends in a blank line, so a section added needs no blank line before it.
bool endsInBlankLine() {
  int breaks = 0;
  for (int i = textLength - 1; i >= firstLine() && (blank(text[i]) || text[i] == '\n'); --i)
    if (text[i] == '\n') ++breaks;
  return breaks >= 2;
}

bool sectionExists(const KeyObject& key) {
  bool found = false;
  walk(key, [&found](const Line&, bool inSection, bool header) {
    if (header && inSection) found = true;
  });
  return found;
}

// ---- keys ----

KeyObject* validKey(Key key) {
  for (KeyObject& k : keys)
    if (&k == key && k.used) return &k;
  return nullptr;
}

bool nameToUtf8(const char16_t* name, char* out, int& length, int capacity) {
  length = 0;
  return name != nullptr && appendUtf8(name, out, length, capacity);
}

// Takes a free key for the path; null when the path is not a key name or no key is free.
KeyObject* newKey(const char16_t* path, bool writable) {
  if (path == nullptr || path[0] == 0) return nullptr;
  for (const char16_t* p = path; *p != 0; ++p)
    if (*p == u'[' || *p == u']') return nullptr;
  for (KeyObject& k : keys) {
    if (k.used) continue;
    std::memcpy(k.section, rootPrefix, rootPrefixLength);
    k.sectionLength = rootPrefixLength;
    if (!appendUtf8(path, k.section, k.sectionLength, static_cast<int>(sizeof k.section)))
      return nullptr;
    k.used = true;
    k.writable = writable;
    k.pendingCount = 0;
    return &k;
  }
  return nullptr;
}

// ---- writing ----

struct Writer {
  char* out;
  int length;
  bool overflow;
  void put(const char* s, int n) {
    if (overflow || n > textCapacity - 1 - length) {
      overflow = true;
      return;
    }
    std::memcpy(out + length, s, static_cast<std::size_t>(n));
    length += n;
  }
  void put(const char* s) { put(s, static_cast<int>(std::strlen(s))); }
  void putValue(const PendingValue& v, const char* lineBreak) {
    if (v.nameLength == 0) {
      put("@");
    } else {
      put("\"");
      for (int i = 0; i < v.nameLength; ++i) {
        if (v.name[i] == '"' || v.name[i] == '\\') put("\\");
        put(v.name + i, 1);
      }
      put("\"");
    }
    char data[32];
    std::snprintf(data, sizeof data, "=dword:%08x", static_cast<unsigned>(v.value));
    put(data);
    put(lineBreak);
  }
};

// Builds the new text in `rewritten`: each pending value replaces the last line that holds it in
// the key's section, or joins the end of that section; the section is added when missing.
// Returns the new length, or -1 when it would not fit.
int rewrite(const KeyObject& key) {
  // Lines added follow the text's own line breaks.
  const Line first = lineAt(firstLine());
  const char* lineBreak =
      first.end > first.begin && text[first.end - 1] == '\r' && first.end < textLength ? "\r\n"
                                                                                       : "\n";
  Span replaced[8];
  bool found[8] = {};
  bool sectionSeen = false;
  int sectionEnd = 0;  // after the last non-blank line of the last matching section
  walk(key, [&](const Line& line, bool inSection, bool header) {
    if (!inSection) return;
    sectionSeen = true;
    Span s = trimmed(line);
    if (header || s.end > s.begin) sectionEnd = line.next;
    char name[sizeof PendingValue::name];
    int nameLength = 0;
    Span data;
    if (header || !valueLine(line, name, nameLength, data)) return;
    for (int i = 0; i < key.pendingCount; ++i) {
      if (sameName(name, nameLength, key.pending[i].name, key.pending[i].nameLength)) {
        replaced[i] = Span{line.begin, line.next};
        found[i] = true;
      }
    }
  });

  Writer w{rewritten, 0, false};
  auto endLine = [&w, lineBreak](int at) {
    if (at > firstLine() && at == textLength && text[at - 1] != '\n') w.put(lineBreak);
  };
  int at = 0;
  for (;;) {
    // The next edit: a replaced line, or the end of the section for the values added.
    int next = -1;
    for (int i = 0; i < key.pendingCount; ++i)
      if (found[i] && replaced[i].begin >= at && (next < 0 || replaced[i].begin < next))
        next = replaced[i].begin;
    bool addHere = sectionSeen && sectionEnd >= at && (next < 0 || sectionEnd <= next);
    if (addHere) next = sectionEnd;
    if (next < 0) break;
    w.put(text + at, next - at);
    if (addHere) {
      bool any = false;
      for (int i = 0; i < key.pendingCount; ++i) any = any || !found[i];
      if (any) endLine(next);
      // After a value cut off at the end of the text (its last line ends in a backslash) an empty
      // line comes first, or the values added would be read as the rest of it.
      if (any && continuesInto(next)) w.put(lineBreak);
      for (int i = 0; i < key.pendingCount; ++i)
        if (!found[i]) w.putValue(key.pending[i], lineBreak);
      at = next;
      sectionEnd = -1;  // added once
      continue;
    }
    for (int i = 0; i < key.pendingCount; ++i) {
      if (found[i] && replaced[i].begin == next) {
        w.putValue(key.pending[i], lineBreak);
        at = replaced[i].end;
      }
    }
  }
  w.put(text + at, textLength - at);
  if (!sectionSeen) {
    endLine(textLength);
    if (textLength > firstLine() && !endsInBlankLine()) w.put(lineBreak);
    w.put("[");
    w.put(key.section, key.sectionLength);
    w.put("]");
    w.put(lineBreak);
    for (int i = 0; i < key.pendingCount; ++i) w.putValue(key.pending[i], lineBreak);
  }
  return w.overflow ? -1 : w.length;
}

// Stores what the key wrote. False, with one line on stderr, when the text cannot be replaced.
bool store(const KeyObject& key) {
  load();
  // A text that could not be read whole (too large, unreadable, not UTF-8) would be lost if it
  // were replaced by what is known of it: the write is refused and the text left as it is.
  if (stored == Stored::unusable) {
    std::fprintf(stderr,
                 "zandrel: settings not saved: the stored settings are too large, unreadable or "
                 "not UTF-8, and are left as they are\n");
    return false;
  }
  if (key.pendingCount == 0 && sectionExists(key)) return true;
  int n = rewrite(key);
  if (n < 0) {
    std::fprintf(stderr, "zandrel: settings not saved: they would exceed %d bytes\n",
                 textCapacity - 1);
    return false;
  }
  if (!host::saveSettings(rewritten, n)) return false;
  std::memcpy(text, rewritten, static_cast<std::size_t>(n));
  textLength = n;
  stored = Stored::text;
  return true;
}

}  // namespace

bool openKey(const char16_t* path, Key& key) {
  KeyObject* k = newKey(path, false);
  if (k == nullptr) return false;
  load();
  if (stored != Stored::text || !sectionExists(*k)) {
    k->used = false;
    return false;
  }
  key = k;
  return true;
}

bool createKey(const char16_t* path, Key& key) {
  KeyObject* k = newKey(path, true);
  if (k == nullptr) return false;
  load();
  key = k;
  return true;
}

bool queryValue(Key key, const char16_t* name, std::uint32_t& value) {
  KeyObject* k = validKey(key);
  char wanted[sizeof PendingValue::name];
  int wantedLength = 0;
  if (k == nullptr || !nameToUtf8(name, wanted, wantedLength, static_cast<int>(sizeof wanted)))
    return false;
  for (int i = 0; i < k->pendingCount; ++i) {
    if (sameName(wanted, wantedLength, k->pending[i].name, k->pending[i].nameLength)) {
      value = k->pending[i].value;
      return true;
    }
  }
  if (stored != Stored::text) return false;
  // The last line that names the value decides, as it is the one a write replaces.
  bool named = false, readable = false;
  std::uint32_t found = 0;
  walk(*k, [&](const Line& line, bool inSection, bool header) {
    char lineName[sizeof PendingValue::name];
    int nameLength = 0;
    Span data;
    if (!inSection || header || !valueLine(line, lineName, nameLength, data)) return;
    if (!sameName(lineName, nameLength, wanted, wantedLength)) return;
    named = true;
    readable = dwordData(data, found);
  });
  if (!named || !readable) return false;
  value = found;
  return true;
}

bool setValue(Key key, const char16_t* name, std::uint32_t value) {
  KeyObject* k = validKey(key);
  if (k == nullptr || !k->writable) return false;
  PendingValue v{};
  if (!nameToUtf8(name, v.name, v.nameLength, static_cast<int>(sizeof v.name))) return false;
  v.value = value;
  for (int i = 0; i < k->pendingCount; ++i) {
    if (sameName(v.name, v.nameLength, k->pending[i].name, k->pending[i].nameLength)) {
      k->pending[i].value = value;
      return true;
    }
  }
  if (k->pendingCount == static_cast<int>(sizeof k->pending / sizeof k->pending[0])) return false;
  k->pending[k->pendingCount++] = v;
  return true;
}

bool closeKey(Key key) {
  KeyObject* k = validKey(key);
  if (k == nullptr) return false;
  bool ok = !k->writable || store(*k);
  k->used = false;
  return ok;
}

}  // namespace platform
