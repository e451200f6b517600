// Screen size and language, read from the environment once.
#include "platform/core/system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/host.h"

namespace platform {
namespace {

int screenW = 0;
int screenH = 0;

// Parses a whole decimal number in [low, high]; false on anything else.
bool parseBounded(const char* begin, const char* end, int low, int high, int& out) {
  if (begin == end || end - begin > 5) return false;
  int value = 0;
  for (const char* p = begin; p != end; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
  }
  if (value < low || value > high) return false;
  out = value;
  return true;
}

void readScreenSize() {
  if (screenW != 0) return;
  int w = 240, h = 320;
  const char* value = std::getenv("ZANDREL_SCREEN");
  if (value != nullptr && !parseScreenSize(value, w, h)) {
    std::fprintf(stderr,
                 "zandrel: ZANDREL_SCREEN must be WIDTHxHEIGHT, each from %d to %d (got \"%s\")\n",
                 minScreenSide, maxScreenSide, value);
    std::exit(2);
  }
  screenW = w;
  screenH = h;
}

}  // namespace

bool parseScreenSize(const char* text, int& width, int& height) {
  const char* x = std::strchr(text, 'x');
  if (x == nullptr) return false;
  int w, h;
  if (!parseBounded(text, x, minScreenSide, maxScreenSide, w)) return false;
  if (!parseBounded(x + 1, x + std::strlen(x), minScreenSide, maxScreenSide, h)) return false;
  width = w;
  height = h;
  return true;
}

void setScreenSize(int width, int height) {
  screenW = width;
  screenH = height;
}

int screenWidth() {
  readScreenSize();
  return screenW;
}

int screenHeight() {
  readScreenSize();
  return screenH;
}

int languageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    return std::strncmp(value, "zh", 2) == 0 ? languageChinese : languageEnglish;
  }
  return languageEnglish;
}

int defaultLanguageId() {
  return host::language();
}

}  // namespace platform
