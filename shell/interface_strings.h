// The interface texts in the language chosen at start.
#pragma once

#include <cstdint>

namespace shell {

// 1 when the interface is Chinese.
extern std::uint8_t useChinese;

struct InterfaceStrings {
  char16_t windowClassName[256];
  char16_t windowTitle[256];
  char16_t problemNumberText[256];
  char16_t successText[20];
  char16_t failureText[20];
  char16_t goodText[20];
  char16_t hintCaption[32];
  char16_t nextVariationCaption[32];
  char16_t nextProblemCaption[32];
  char16_t aboutCaption[8];
  char16_t aboutText[256];
};
extern InterfaceStrings strings;

// Sets useChinese from the platform's default language (primary language 4 is Chinese).
void chooseLanguage();
// The window class name and title, needed before the window exists.
void loadWindowStrings();
// Every other text, each cut to its buffer.
void loadInterfaceStrings();

}  // namespace shell
