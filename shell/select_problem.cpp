// The problem selection dialog: the current number shown, another one typed.
#include <climits>
#include <cstdio>

#include "board/go_board.h"
#include "shell/interface_strings.h"
#include "shell/shell.h"

namespace shell {

namespace {

// The window's close request reaches a dialog as command 2.
constexpr int closeRequest = ids::command::cancel;
constexpr int maxTypedCharacters = 30;

// Copies ASCII text into a wide buffer of the same capacity.
template <int N>
void widen(const char (&narrow)[N], char16_t (&wide)[N]) {
  int i = 0;
  for (; i + 1 < N && narrow[i] != '\0'; ++i) wide[i] = static_cast<char16_t>(narrow[i]);
  wide[i] = 0;
}

void setNumberText(platform::Dialog dialog, int item, int number) {
  char narrow[16];
  std::snprintf(narrow, sizeof narrow, "%d", number);
  char16_t wide[16];
  widen(narrow, wide);
  platform::setDialogItemText(dialog, item, wide);
}

platform::Result dialogProcedure(platform::Dialog dialog, unsigned message, platform::WParam wParam,
                                 platform::LParam) {
  if (message == platform::msg::initDialog) {
    platform::setDialogTitle(dialog, strings.problemNumberText);
    platform::setDialogItemText(dialog, ids::item::prompt, strings.problemNumberText);
    setNumberText(dialog, ids::item::current, goBoard.problemNumber);
    platform::setDialogFocus(dialog, ids::item::entry);
    return 1;
  }
  if (message != platform::msg::command) return 0;
  const int id = static_cast<int>(wParam & 0xffff);
  if (id == ids::item::ok || id == ids::command::dialogOk) {
    int n = platform::dialogItemTextLength(dialog, ids::item::entry) + 1;
    if (n > maxTypedCharacters + 1) n = maxTypedCharacters + 1;
    char16_t* wide = state.scratchText;
    const int read = platform::getDialogItemText(dialog, ids::item::entry, wide, n);
    // The entry holds digits only: narrow them one by one, never past typedNumber.
    int kept = 0;
    for (int i = 0; i < read && kept < maxTypedCharacters; ++i)
      if (wide[i] != 0 && wide[i] < 0x80) state.typedNumber[kept++] = static_cast<char>(wide[i]);
    state.typedNumber[kept] = '\0';
    platform::endDialog(dialog, 1);
    return 1;
  }
  if (id == ids::item::cancel || id == ids::command::dialogCancel) {
    state.typedNumber[0] = '\0';
    platform::endDialog(dialog, 0);
    return 1;
  }
  if (id == ids::command::quit || id == closeRequest) {
    platform::endDialog(dialog, 0);
    return 1;
  }
  return 0;
}

}  // namespace

int parseNumber(const char* text) {
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(value);
}

int selectProblem(platform::Window owner) {
  if (state.scratchText == nullptr) return -1;
  const int result =
      platform::dialogBox(useChinese != 0 ? ids::dialogSelectChinese : ids::dialogSelectEnglish,
                          owner, dialogProcedure);
  if (result == 1) return parseNumber(state.typedNumber);
  if (result < 0) {
    platform::beep(0x30);
    const int error = platform::lastError();
    char narrow[32];
    std::snprintf(narrow, sizeof narrow, "%d %x", error, static_cast<unsigned>(error));
    char16_t wide[32];
    widen(narrow, wide);
    platform::messageBox(nullptr, wide, nullptr, platform::box::ok);
  }
  return -1;
}

}  // namespace shell
