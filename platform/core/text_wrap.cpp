// Breaking text into lines that fit a width: at spaces, and between Chinese characters except
// before closing punctuation.
#include "platform/core/text_wrap.h"

#include "platform/core/text.h"
#include "platform/platform.h"

namespace platform {

namespace {

bool isCjk(char16_t c) {
  return c >= 0x2E80;
}

// Punctuation that must not begin a line.
bool isClosing(char16_t c) {
  switch (c) {
    case u'，':
    case u'。':
    case u'、':
    case u'：':
    case u'；':
    case u'！':
    case u'？':
    case u'）':
    case u'」':
    case u'”':
      return true;
    default:
      return false;
  }
}

bool canBreakBetween(char16_t before, char16_t after) {
  if (before == u' ') return true;
  if (isClosing(after)) return false;
  return isCjk(before) || isCjk(after);
}

}  // namespace

namespace core {

int wrapText(const char16_t* text, int width, TextLine* lines, int capacity) {
  int count = 0;
  auto keep = [&](int start, int length) {
    if (count < capacity) lines[count] = TextLine{start, length};
    ++count;
  };
  for (int start = 0;;) {
    int end = start;
    while (text[end] != 0 && text[end] != u'\n') ++end;
    for (int pos = start;;) {
      const int length = end - pos;
      int cut = length;
      if (textWidth(text + pos, length) > width) {
        int used = 0, fit = 0, lastBreak = 0;
        for (int i = 0; i < length; ++i) {
          const int w = textWidth(text + pos + i, 1);
          if (used + w > width) {
            if (text[pos + i] == u' ') lastBreak = i;
            break;
          }
          used += w;
          fit = i + 1;
          if (i + 1 < length && canBreakBetween(text[pos + i], text[pos + i + 1]))
            lastBreak = i + 1;
        }
        // A word wider than the line is cut where the line is full.
        cut = lastBreak > 0 ? lastBreak : (fit > 0 ? fit : 1);
      }
      int shown = cut;
      while (cut < length && shown > 0 && text[pos + shown - 1] == u' ') --shown;
      keep(pos, shown);
      pos += cut;
      while (pos < end && text[pos] == u' ') ++pos;
      if (pos >= end) break;
    }
    if (text[end] == 0) return count;
    start = end + 1;
  }
}

}  // namespace core

}  // namespace platform
