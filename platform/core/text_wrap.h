// Text wrapping for the platform's boxes (and anyone who lays out text in lines).
#pragma once

namespace platform::core {

// One line of wrapped text: `length` characters from `start`.
struct TextLine {
  int start;
  int length;
};
// Breaks text ("\n" ends a line) into lines at most `width` pixels wide, at spaces and between
// Chinese characters. Returns the number of lines; the first `capacity` are stored.
int wrapText(const char16_t* text, int width, TextLine* lines, int capacity);

}  // namespace platform::core
