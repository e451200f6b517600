// The interface texts: two string tables, one chosen at start.
#include "shell/interface_strings.h"

#include "platform/platform.h"

namespace shell {

std::uint8_t useChinese = 0;
InterfaceStrings strings{};

namespace {

template <int N>
void load(int chineseId, int englishId, char16_t (&buffer)[N]) {
  platform::loadString(useChinese != 0 ? chineseId : englishId, buffer, N);
}

}  // namespace

void chooseLanguage() {
  useChinese = (platform::defaultLanguageId() & 0x3f) == 4 ? 1 : 0;
}

void loadWindowStrings() {
  load(8, 8, strings.windowClassName);
  load(5, 40086, strings.windowTitle);
}

void loadInterfaceStrings() {
  load(124, 40093, strings.problemNumberText);
  load(113, 40089, strings.successText);
  load(114, 40090, strings.failureText);
  load(115, 40091, strings.goodText);
  load(40015, 40066, strings.hintCaption);
  load(40033, 40098, strings.nextVariationCaption);
  load(40035, 40099, strings.nextProblemCaption);
  load(40039, 40101, strings.aboutCaption);
  load(40045, 40107, strings.aboutText);
}

}  // namespace shell
