// The interface texts: two string tables, one chosen at start.
#include "shell/interface_strings.h"

#include "platform/platform.h"
#include "resources/ids.h"

namespace shell {

std::uint8_t useChinese = 0;
InterfaceStrings strings{};

namespace {

template <int N>
void load(ids::text::Pair id, char16_t (&buffer)[N]) {
  platform::loadString(useChinese != 0 ? id.chinese : id.english, buffer, N);
}

}  // namespace

void chooseLanguage() {
  useChinese = (platform::defaultLanguageId() & 0x3f) == 4 ? 1 : 0;
}

void loadWindowStrings() {
  load(ids::text::windowClass, strings.windowClassName);
  load(ids::text::windowTitle, strings.windowTitle);
}

void loadInterfaceStrings() {
  load(ids::text::problemNumber, strings.problemNumberText);
  load(ids::text::success, strings.successText);
  load(ids::text::failure, strings.failureText);
  load(ids::text::good, strings.goodText);
  load(ids::text::hint, strings.hintCaption);
  load(ids::text::nextVariation, strings.nextVariationCaption);
  load(ids::text::nextProblem, strings.nextProblemCaption);
  load(ids::text::aboutCaption, strings.aboutCaption);
  load(ids::text::aboutText, strings.aboutText);
}

}  // namespace shell
