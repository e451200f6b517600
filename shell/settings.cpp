// The problem number kept from one run to the next, and the About box.
#include <climits>

#include "board/go_board.h"
#include "resources/settings_key.h"
#include "shell/interface_strings.h"
#include "shell/shell.h"

namespace shell {

int readCurrentProblemNumber() {
  std::uint32_t value = 0;
  platform::Key key = nullptr;
  if (platform::openKey(settings::keyPath, key)) {
    if (!platform::queryValue(key, settings::problemNumberValue, value)) value = 0;
    platform::closeKey(key);
  }
  // A stored value with its top bit set would read as negative and leave the board empty for
  // good; every value below 1 reads as 1.
  if (value == 0 || value > static_cast<std::uint32_t>(INT_MAX)) return 1;
  return static_cast<int>(value);
}

void saveCurrentProblemNumber() {
  platform::Key key = nullptr;
  if (!platform::createKey(settings::keyPath, key)) return;
  platform::setValue(key, settings::problemNumberValue,
                     static_cast<std::uint32_t>(goBoard.problemNumber));
  platform::closeKey(key);
}

void showAbout() {
  platform::messageBox(nullptr, strings.aboutText, strings.aboutCaption, platform::box::ok);
}

}  // namespace shell
